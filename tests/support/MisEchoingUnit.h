#pragma once

#include "Protocol.h"

#include <QHostAddress>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <memory>

// A unit that answers every request with status 6 but the code of another request: `echo`,
// or else the request's code XOR 1. Data connections are read and dropped. One connection at a time.
class MisEchoingUnit : public QThread {
public:
    explicit MisEchoingUnit(const QHostAddress &address, std::uint8_t echo = 0) : address_(address), echo_(echo)
    {
        start();
        ready_.acquire();
    }
    ~MisEchoingUnit() override
    {
        requestInterruption();
        wait();
    }

private:
    void run() override
    {
        QTcpServer server;
        server.listen(address_, DevicePort);
        ready_.release();
        const QByteArray magic(reinterpret_cast<const char *>(FrameMagic.data()), qsizetype(FrameMagic.size()));
        while (!isInterruptionRequested()) {
            if (!server.waitForNewConnection(20))
                continue;
            std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
            if (!socket->waitForReadyRead(2000))
                continue;
            const QByteArray request = socket->readAll();
            if (request.size() >= 5 && request.startsWith(magic)) {
                socket->write(magic + char(echo_ ? echo_ : request[4] ^ 1) + char(6) + QByteArray(40, '\0'));
                socket->waitForBytesWritten(500);
            }
            while (socket->state() == QAbstractSocket::ConnectedState && socket->waitForReadyRead(3000))
                socket->readAll();
        }
    }

    QHostAddress address_;
    std::uint8_t echo_;
    QSemaphore ready_;
};

#pragma once

#include "CommandHandler.h"

#include <QByteArray>
#include <QObject>

class QTcpSocket;
class SimulatedUnit;

// The connection that follows an accepted file announcement: raw file contents, no framing.
class DataSession : public QObject {
    Q_OBJECT

public:
    DataSession(QTcpSocket *socket, const DataPhase &phase, SimulatedUnit &unit, QObject *parent);
    void start();

signals:
    void logLine(const QString &line);

private:
    void startUpload(const UnitFaults &faults);
    void receive();
    void finishUpload();
    void sendDownload(const UnitFaults &faults);
    // Writes `piece` bytes now and the next piece after `delayMs`, until all are sent.
    void sendLater(const QByteArray &rest, qsizetype piece, int delayMs);

    QTcpSocket *m_socket;
    const DataPhase m_phase;
    SimulatedUnit &m_unit;
    QByteArray m_received;
    qsizetype m_receiveLimit = 0; // the announced length, or less when the data phase is to be cut
    bool m_finished = false;
};

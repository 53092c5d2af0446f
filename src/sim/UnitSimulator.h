#pragma once

#include "CommandHandler.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTimer>
#include <optional>

class SimulatedUnit;

// The unit's TCP server on its own address and the device port. Lives in one thread;
// SimulatorThread runs it in a thread of its own.
class UnitSimulator : public QObject {
    Q_OBJECT

public:
    explicit UnitSimulator(SimulatedUnit &unit, QObject *parent = nullptr);

    // Serves IPv4 loopback addresses only. False with errorString() when it cannot listen.
    bool start();
    void stop();
    bool isListening() const;
    QString errorString() const;

    // Every intervalMs the inputs and the RSSI change, so that a display is visibly live; 0 stops it.
    void setLiveInterval(int intervalMs);

signals:
    void logLine(const QString &line);

private:
    void followFaults();
    // Stops listening for a while, so that the announced data connection is refused.
    void refuseForAWhile();
    void acceptConnections();
    void stepLiveValues();

    SimulatedUnit &m_unit;
    QTcpServer m_server;
    QTimer m_liveTimer;
    QObject m_sessions; // parent of the open connections
    // The next connection after an accepted file announcement carries the file.
    std::optional<DataPhase> m_pendingDataPhase;
    QElapsedTimer m_pendingSince;
    bool m_started = false;
    QString m_error;
};

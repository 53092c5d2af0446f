#pragma once

#include "CommandHandler.h"

#include <QByteArray>
#include <QObject>

class QTcpSocket;
class SimulatedUnit;

// One exchange on the command channel: one request in, at most one answer out.
// The client closes the connection once it has read the answer.
class CommandSession : public QObject {
    Q_OBJECT

public:
    CommandSession(QTcpSocket *socket, SimulatedUnit &unit, QObject *parent);

signals:
    void dataPhaseAnnounced(const DataPhase &phase);
    void logLine(const QString &line);

private:
    void readRequest();
    void sendAnswer(const CommandOutcome &outcome);
    void sendSlowly(const QByteArray &rest);

    QTcpSocket *m_socket;
    SimulatedUnit &m_unit;
    QByteArray m_request;
    bool m_handled = false;
};

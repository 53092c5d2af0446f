#include "CommandSession.h"

#include "SimulatedUnit.h"
#include "SocketReset.h"

#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr qsizetype MaximumRequestLength = 1024; // the client's request buffer
constexpr qsizetype SplitAnswerFirstPiece = 10;
constexpr int SplitAnswerDelayMs = 150;
constexpr int SlowAnswerByteMs = 20;

QString describe(const QByteArray &request, const CommandOutcome &outcome)
{
    if (!isRequestFrame(request))
        return QStringLiteral("request without frame magic (%1 bytes): closed").arg(request.size());
    QString line = QStringLiteral("request %1 (%2 bytes): ").arg(std::uint8_t(request[4])).arg(request.size());
    if (outcome.holdConnection)
        return line + "held without answer";
    if (outcome.answer.isEmpty())
        return line + "no answer";
    line += QStringLiteral("answer %1 bytes").arg(outcome.answer.size());
    if (outcome.answer.size() > 5)
        line += QStringLiteral(", status %1").arg(std::uint8_t(outcome.answer[5]));
    if (outcome.dataPhase)
        line += QStringLiteral(", data phase for %1").arg(outcome.dataPhase->name);
    return line;
}

} // namespace

CommandSession::CommandSession(QTcpSocket *socket, SimulatedUnit &unit, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_unit(unit)
{
    m_socket->setParent(this);
    connect(m_socket, &QTcpSocket::readyRead, this, &CommandSession::readRequest);
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
}

void CommandSession::readRequest()
{
    if (m_handled) {
        m_socket->readAll(); // one request per connection; anything after it is not a request
        return;
    }
    m_request += m_socket->read(MaximumRequestLength - m_request.size());
    if (m_request.size() < MinimumRequestLength)
        return;
    m_handled = true;
    m_socket->readAll();

    const CommandOutcome outcome = m_unit.handleFrame(m_request);
    emit logLine(describe(m_request, outcome));
    if (outcome.dataPhase)
        emit dataPhaseAnnounced(*outcome.dataPhase);
    sendAnswer(outcome);
}

void CommandSession::sendAnswer(const CommandOutcome &outcome)
{
    if (outcome.holdConnection)
        return;
    if (outcome.answer.isEmpty()) {
        m_socket->disconnectFromHost();
        return;
    }
    switch (outcome.delivery) {
    case CommandOutcome::Delivery::Whole:
        m_socket->write(outcome.answer);
        return;
    case CommandOutcome::Delivery::InTwoPieces:
        m_socket->write(outcome.answer.left(SplitAnswerFirstPiece));
        m_socket->flush();
        QTimer::singleShot(SplitAnswerDelayMs, this, [this, rest = outcome.answer.mid(SplitAnswerFirstPiece)] {
            if (m_socket->state() == QAbstractSocket::ConnectedState)
                m_socket->write(rest);
        });
        return;
    case CommandOutcome::Delivery::ByteByByte:
        sendSlowly(outcome.answer);
        return;
    case CommandOutcome::Delivery::ResetMidway: {
        m_socket->write(outcome.answer.left(outcome.answer.size() / 2));
        m_socket->flush();
        resetOnClose(m_socket->socketDescriptor());
        m_socket->abort();
        return;
    }
    }
}

void CommandSession::sendSlowly(const QByteArray &rest)
{
    if (rest.isEmpty() || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_socket->write(rest.left(1));
    QTimer::singleShot(SlowAnswerByteMs, this, [this, after = rest.mid(1)] { sendSlowly(after); });
}

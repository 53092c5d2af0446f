#include "UnitSimulator.h"

#include "CommandSession.h"
#include "DataSession.h"
#include "SimulatedUnit.h"

#include <QRandomGenerator>
#include <QTcpSocket>
#include <algorithm>
#include <bit>

namespace {

constexpr int LiveRssiStep = 3;
constexpr int LiveRssiWeakest = -85;
constexpr int LiveRssiStrongest = -35;
// A client that announced a file but never opened its data connection must not turn
// every later command connection into file data.
constexpr qint64 DataPhaseExpiryMs = 15000;
// Long enough to cover the longest pause before a data phase (3 s for firmware).
constexpr int DataRefusalMs = 4000;

} // namespace

UnitSimulator::UnitSimulator(SimulatedUnit &unit, QObject *parent)
    : QObject(parent)
    , m_unit(unit)
    , m_server(this)
    , m_liveTimer(this)
    , m_sessions(this)
{
    connect(&m_server, &QTcpServer::newConnection, this, &UnitSimulator::acceptConnections);
    connect(&m_liveTimer, &QTimer::timeout, this, &UnitSimulator::stepLiveValues);
    connect(&m_unit, &SimulatedUnit::faultsChanged, this, &UnitSimulator::followFaults);
}

bool UnitSimulator::start()
{
    const QHostAddress address = m_unit.address();
    if (address.protocol() != QAbstractSocket::IPv4Protocol || !address.isLoopback()) {
        m_error = QStringLiteral("%1 is not an IPv4 loopback address").arg(address.toString());
        return false;
    }
    m_started = true;
    followFaults();
    m_started = m_server.isListening() || m_unit.faults().refuseConnections;
    return m_started;
}

void UnitSimulator::stop()
{
    m_started = false;
    m_server.close();
    m_liveTimer.stop();
    m_pendingDataPhase.reset();
    const QObjectList sessions = m_sessions.children();
    qDeleteAll(sessions);
}

bool UnitSimulator::isListening() const
{
    return m_server.isListening();
}

QString UnitSimulator::errorString() const
{
    return m_error;
}

void UnitSimulator::setLiveInterval(int intervalMs)
{
    if (intervalMs > 0)
        m_liveTimer.start(intervalMs);
    else
        m_liveTimer.stop();
}

void UnitSimulator::followFaults()
{
    if (!m_started)
        return;
    const bool refuse = m_unit.faults().refuseConnections;
    if (refuse && m_server.isListening()) {
        m_server.close();
        emit logLine(QStringLiteral("refusing connections"));
    } else if (!refuse && !m_server.isListening()) {
        if (m_server.listen(m_unit.address(), DevicePort))
            emit logLine(QStringLiteral("listening on %1:%2").arg(m_unit.address().toString()).arg(DevicePort));
        else
            m_error = m_server.errorString();
    }
}

void UnitSimulator::acceptConnections()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_unit.faults().neverRead) {
            socket->setParent(&m_sessions); // held open, never read, gone when the client closes
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            continue;
        }
        if (m_pendingDataPhase && m_pendingSince.hasExpired(DataPhaseExpiryMs)) {
            emit logLine(QStringLiteral("data connection for %1 never came; dropped").arg(m_pendingDataPhase->name));
            m_pendingDataPhase.reset();
        }
        if (m_pendingDataPhase) {
            auto *session = new DataSession(socket, *m_pendingDataPhase, m_unit, &m_sessions);
            m_pendingDataPhase.reset();
            connect(session, &DataSession::logLine, this, &UnitSimulator::logLine);
            session->start();
        } else {
            auto *session = new CommandSession(socket, m_unit, &m_sessions);
            connect(session, &CommandSession::logLine, this, &UnitSimulator::logLine);
            connect(session, &CommandSession::dataPhaseAnnounced, this,
                    [this](const DataPhase &phase) {
                        if (m_unit.faults().refuseDataConnection) {
                            refuseForAWhile();
                            return;
                        }
                        m_pendingDataPhase = phase;
                        m_pendingSince.start();
                    });
        }
    }
}

void UnitSimulator::refuseForAWhile()
{
    m_server.close();
    emit logLine(QStringLiteral("refusing the data connection"));
    QTimer::singleShot(DataRefusalMs, this, &UnitSimulator::followFaults);
}

void UnitSimulator::stepLiveValues()
{
    m_unit.updateState([](UnitState &state) {
        auto *random = QRandomGenerator::global();
        const std::uint8_t mask = inputMask(state.model);
        state.inputBits = (state.inputBits ^ (1u << random->bounded(std::popcount(mask)))) & mask;
        const int step = random->bounded(-LiveRssiStep, LiveRssiStep + 1);
        state.rssi = std::clamp(state.rssi + step, LiveRssiWeakest, LiveRssiStrongest);
    });
}

#include "DataSession.h"

#include "SimulatedUnit.h"

#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr qsizetype LongerReadExtra = 100;
constexpr char LongerReadFill = '\xEE';
constexpr int SplitDataDelayMs = 150;
constexpr int TrickleByteMs = 20;

QString areaName(FileArea area)
{
    return area == FileArea::Sd ? QStringLiteral("SD") : QStringLiteral("flash");
}

} // namespace

DataSession::DataSession(QTcpSocket *socket, const DataPhase &phase, SimulatedUnit &unit, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_phase(phase)
    , m_unit(unit)
{
    m_socket->setParent(this);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        finishUpload();
        deleteLater();
    });
}

void DataSession::start()
{
    const UnitFaults faults = m_unit.faults();
    if (m_phase.direction == DataPhase::Direction::ToUnit)
        startUpload(faults);
    else
        sendDownload(faults);
}

void DataSession::startUpload(const UnitFaults &faults)
{
    if (faults.stallDataPhase) {
        // Nothing will be stored, so the upload is recorded now; the socket is no longer
        // read, so the client's writes back up once the buffers are full.
        finishUpload();
        m_socket->setReadBufferSize(1);
        return;
    }
    m_receiveLimit = faults.cutDataPhase ? m_phase.length / 2 : m_phase.length;
    connect(m_socket, &QTcpSocket::readyRead, this, &DataSession::receive);
    receive();
}

void DataSession::receive()
{
    m_received += m_socket->read(m_receiveLimit - m_received.size());
    if (m_received.size() < m_receiveLimit)
        return;
    const bool cut = m_receiveLimit < qsizetype(m_phase.length);
    finishUpload();
    if (cut)
        m_socket->abort();
    else
        m_socket->disconnectFromHost();
}

void DataSession::finishUpload()
{
    if (m_finished || m_phase.direction != DataPhase::Direction::ToUnit)
        return;
    m_finished = true;
    m_unit.finishUpload(m_phase, m_received);
    emit logLine(QStringLiteral("data: %1 %2 received %3 of %4 bytes")
                     .arg(areaName(m_phase.area), m_phase.name)
                     .arg(m_received.size())
                     .arg(m_phase.length));
}

void DataSession::sendDownload(const UnitFaults &faults)
{
    if (faults.stallDataPhase) {
        emit logLine(QStringLiteral("data: %1 %2 stalled").arg(areaName(m_phase.area), m_phase.name));
        return;
    }
    QByteArray bytes = m_phase.content;
    if (faults.cutDataPhase)
        bytes.truncate(bytes.size() / 2);
    else if (faults.longerRead)
        bytes.append(LongerReadExtra, LongerReadFill);
    emit logLine(QStringLiteral("data: %1 %2 sends %3 bytes").arg(areaName(m_phase.area), m_phase.name).arg(bytes.size()));
    if (faults.trickleData) {
        sendLater(bytes, 1, TrickleByteMs);
        return;
    }
    if (faults.splitData) {
        sendLater(bytes, (bytes.size() + 1) / 2, SplitDataDelayMs);
        return;
    }
    m_socket->write(bytes);
    m_socket->disconnectFromHost();
}

void DataSession::sendLater(const QByteArray &rest, qsizetype piece, int delayMs)
{
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_socket->write(rest.left(piece));
    if (rest.size() <= piece) {
        m_socket->disconnectFromHost();
        return;
    }
    m_socket->flush();
    QTimer::singleShot(delayMs, this, [this, after = rest.mid(piece), piece, delayMs] { sendLater(after, piece, delayMs); });
}

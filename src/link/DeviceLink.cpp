#include "DeviceLink.h"

#include "LinkEvents.h"
#include "LinkLog.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QScopeGuard>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

Q_LOGGING_CATEGORY(zorLink, "zor.link", QtWarningMsg)

DeviceLink::DeviceLink(DeviceStatus &status, const Timing &timing)
    : status_(status), timing_(timing)
{
}

QString dottedAddress(const std::array<std::uint8_t, 4> &octets)
{
    return QStringLiteral("%1.%2.%3.%4").arg(octets[0]).arg(octets[1]).arg(octets[2]).arg(octets[3]);
}

std::uint64_t byteSum(const std::uint8_t *data, std::size_t length)
{
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < length; ++i)
        sum += data[i];
    return sum;
}

void DeviceLink::clearRequest(std::size_t count)
{
    std::fill_n(request.begin(), std::min(count, request.size()), std::uint8_t{0});
}

void DeviceLink::putName(const QByteArray &name)
{
    // The length is one byte; a longer name could never be sent whole anyway.
    const int n = std::min<qsizetype>(name.size(), 255);
    request[16] = std::uint8_t(n);
    std::copy_n(reinterpret_cast<const std::uint8_t *>(name.constData()), n, request.begin() + 17);
}

void DeviceLink::putBigEndian32(std::size_t offset, std::uint32_t value)
{
    request[offset] = std::uint8_t(value >> 24);
    request[offset + 1] = std::uint8_t(value >> 16);
    request[offset + 2] = std::uint8_t(value >> 8);
    request[offset + 3] = std::uint8_t(value);
}

std::uint32_t DeviceLink::answerBigEndian32(std::size_t offset) const
{
    return std::uint32_t(answer[offset]) << 24 | std::uint32_t(answer[offset + 1]) << 16
           | std::uint32_t(answer[offset + 2]) << 8 | answer[offset + 3];
}

QEventLoop::ProcessEventsFlags DeviceLink::eventFlags() const
{
    // Between an announcement and its data phase a click could start an exchange that the
    // unit would take for the data connection.
    return transferActive ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents;
}

void DeviceLink::keepResponsive() const
{
    if (!transferActive) {
        QCoreApplication::processEvents();
        return;
    }
    // processEvents() told to exclude user input drops the clicks waiting in the window
    // system's queue; a nested loop holds them back and they arrive after the transfer.
    QEventLoop loop;
    QTimer::singleShot(0, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

ConnectFailure DeviceLink::tryConnect(QTcpSocket &socket) const
{
    const QHostAddress host(deviceAddress);
    if (host.isNull() || host.protocol() != QAbstractSocket::IPv4Protocol)
        return ConnectFailure::Unreachable; // never a name lookup: the address is dotted IPv4 or nothing

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    socket.connectToHost(host, port);
    if (socket.state() == QAbstractSocket::ConnectingState || socket.state() == QAbstractSocket::HostLookupState) {
        timer.start(timing_.connectTimeoutMs);
        loop.exec(eventFlags()); // keeps timer ticks running while the unit is slow
    }
    if (socket.state() == QAbstractSocket::ConnectedState)
        return ConnectFailure::None;
    const bool stillTrying = socket.state() == QAbstractSocket::ConnectingState || socket.state() == QAbstractSocket::HostLookupState;
    const QAbstractSocket::SocketError error = socket.error();
    socket.abort();
    if (stillTrying)
        return ConnectFailure::TimedOut;
    return error == QAbstractSocket::ConnectionRefusedError ? ConnectFailure::Refused : ConnectFailure::Unreachable;
}

bool DeviceLink::waitForData(QTcpSocket &socket, int waits, QString &error) const
{
    for (int slice = 0;; ++slice) {
        if (socket.bytesAvailable() > 0)
            return true;
        if (slice >= waits)
            return false;
        if (waitOneSlice(socket, error) != DataSource::Wait::Silent)
            return socket.bytesAvailable() > 0;
    }
}

DataSource::Wait DeviceLink::waitOneSlice(QTcpSocket &socket, QString &error) const
{
    using Wait = DataSource::Wait;
    if (socket.bytesAvailable() > 0)
        return Wait::Data;
    if (socket.state() != QAbstractSocket::ConnectedState)
        return Wait::Closed;
    socket.waitForReadyRead(timing_.waitSliceMs);
    if (socket.error() != QAbstractSocket::SocketTimeoutError && socket.error() != QAbstractSocket::RemoteHostClosedError
        && socket.error() != QAbstractSocket::UnknownSocketError) {
        error = socket.errorString();
        socket.abort();
        return Wait::Failed;
    }
    keepResponsive();
    if (socket.bytesAvailable() > 0)
        return Wait::Data;
    return socket.state() == QAbstractSocket::ConnectedState ? Wait::Silent : Wait::Closed;
}

void DeviceLink::pause(int milliseconds) const
{
    QEventLoop loop;
    // A coarse timer may end a pause of 2 s or more up to 5 % early; the unit needs all of it.
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

ExchangeResult DeviceLink::report(const ExchangeResult &result)
{
    // A lost connection ends the link: whatever answers here next may be another unit, which
    // must identify itself before anything else is asked of it.
    if (result.outcome == ExchangeOutcome::NoConnection || result.outcome == ExchangeOutcome::SocketError)
        status_.linked = false;
    qCDebug(zorLink) << "request" << codeOf(result.command) << "outcome" << int(result.outcome) << "decoded"
                     << int(result.decoded) << "status" << result.status << result.error;
    if (events)
        events->exchanged(result);
    return result;
}

ExchangeResult DeviceLink::linkCheckFailed(Command code)
{
    return report({.command = code, .outcome = ExchangeOutcome::LinkCheckFailed});
}

bool DeviceLink::writeRequest(QTcpSocket &socket, std::uint8_t size, ExchangeResult &result)
{
    result.connectFailure = tryConnect(socket);
    if (result.connectFailure != ConnectFailure::None) {
        expectedCode = 0;
        result.outcome = ExchangeOutcome::NoConnection;
        return false;
    }
    std::copy(FrameMagic.begin(), FrameMagic.end(), request.begin());
    qCDebug(zorLink) << "to" << deviceAddress << QByteArray(reinterpret_cast<const char *>(request.data()), size).toHex(' ');
    if (socket.write(reinterpret_cast<const char *>(request.data()), size) != size) {
        result.outcome = ExchangeOutcome::SocketError;
        result.error = socket.errorString();
        socket.abort();
        return false;
    }
    return true;
}

ExchangeResult DeviceLink::SendCommand(Command code, std::uint8_t expected, std::uint8_t size)
{
    ExchangeResult result{.command = code};
    if (busy) {
        result.outcome = ExchangeOutcome::Busy;
        return report(result);
    }
    busy = true;
    const auto release = qScopeGuard([this] { busy = false; });
    expectedCode = expected;
    request[4] = codeOf(code);

    QTcpSocket socket;
    // The answer buffer holds 4096 bytes; whatever the unit sends beyond stays unread.
    socket.setReadBufferSize(AnswerSize);
    if (!writeRequest(socket, size, result))
        return report(result);
    std::fill_n(answer.begin(), ClearedAnswerBytes, std::uint8_t{0});
    socket.flush();

    if (!waitForData(socket, timing_.answerWaits, result.error)) {
        socket.abort();
        // Silence: expectedCode stays until the poll loop drops it.
        result.outcome = result.error.isEmpty() ? ExchangeOutcome::NoAnswer : ExchangeOutcome::SocketError;
        return report(result);
    }
    const QByteArray data = socket.read(AnswerSize);
    std::copy(data.begin(), data.end(), reinterpret_cast<char *>(answer.data()));
    answerLength = std::uint32_t(data.size());
    socket.abort();
    qCDebug(zorLink) << "from" << deviceAddress << data.toHex(' ');
    result.outcome = ExchangeOutcome::Answered;
    result.echo = answer[4];
    result.status = answer[5];
    const Dispatch dispatch = DispatchAnswer(answerLength);
    result.decoded = dispatch.decoded;
    result.rssiReported = dispatch.rssiReported;
    return report(result);
}

ExchangeResult DeviceLink::SendCommandNoReply(Command code, std::uint8_t expected, std::uint8_t size)
{
    ExchangeResult result{.command = code};
    if (busy) {
        result.outcome = ExchangeOutcome::Busy;
        return report(result);
    }
    busy = true;
    const auto release = qScopeGuard([this] { busy = false; });
    expectedCode = expected;
    request[4] = codeOf(code);

    QTcpSocket socket;
    if (!writeRequest(socket, size, result))
        return report(result);
    if (!socket.waitForBytesWritten(timing_.connectTimeoutMs) && socket.bytesToWrite() > 0) {
        result.outcome = ExchangeOutcome::SocketError;
        result.error = socket.errorString();
        socket.abort();
        return report(result);
    }
    socket.disconnectFromHost();
    result.outcome = ExchangeOutcome::Sent;
    return report(result);
}

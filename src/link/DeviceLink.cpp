#include "DeviceLink.h"

#include "MonitorView.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QScopeGuard>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <stdexcept>

namespace {
// A socket failure after the connection was made ends the operation with the socket's own text.
[[noreturn]] void raiseSocketError(QTcpSocket &socket)
{
    const QString text = socket.errorString();
    socket.abort();
    throw std::runtime_error(text.toStdString());
}
} // namespace

DeviceLink::DeviceLink(DeviceStatus &status, MonitorView &view, Dialogs &dialogs, const Timing &timing)
    : status_(status), view_(view), dialogs_(dialogs), timing_(timing)
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

bool DeviceLink::connectToUnit(QTcpSocket &socket) const
{
    const QHostAddress host(deviceAddress);
    if (host.isNull() || host.protocol() != QAbstractSocket::IPv4Protocol)
        return false; // never a name lookup: the address is dotted IPv4 or nothing

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    socket.connectToHost(host, port);
    if (socket.state() == QAbstractSocket::ConnectingState || socket.state() == QAbstractSocket::HostLookupState) {
        timer.start(timing_.connectTimeoutMs);
        loop.exec(); // keeps timer ticks and clicks running while the unit is slow
    }
    if (socket.state() == QAbstractSocket::ConnectedState)
        return true;
    socket.abort();
    return false;
}

bool DeviceLink::waitForData(QTcpSocket &socket, int waits) const
{
    for (int emptyLooks = 0;;) {
        if (socket.bytesAvailable() > 0)
            return true;
        if (socket.state() != QAbstractSocket::ConnectedState)
            return false; // the unit closed without sending anything
        if (++emptyLooks > waits)
            return false;
        socket.waitForReadyRead(timing_.waitSliceMs);
        if (socket.error() != QAbstractSocket::SocketTimeoutError
            && socket.error() != QAbstractSocket::RemoteHostClosedError
            && socket.error() != QAbstractSocket::UnknownSocketError)
            raiseSocketError(socket);
        QCoreApplication::processEvents();
    }
}

void DeviceLink::pause(int milliseconds) const
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool DeviceLink::writeRequest(QTcpSocket &socket, std::uint8_t size)
{
    if (!connectToUnit(socket)) {
        view_.setStatusLine(ConnectTimeoutText);
        expectedCode = 0;
        return false;
    }
    if (view_.statusLine() == ConnectTimeoutText)
        view_.setStatusLine(QString());
    std::copy(FrameMagic.begin(), FrameMagic.end(), request.begin());
    if (socket.write(reinterpret_cast<const char *>(request.data()), size) != size)
        raiseSocketError(socket);
    return true;
}

void DeviceLink::SendCommand(std::uint8_t size)
{
    if (busy)
        return;
    busy = true;
    const auto release = qScopeGuard([this] { busy = false; });

    QTcpSocket socket;
    // The answer buffer holds 4096 bytes; whatever the unit sends beyond stays unread.
    socket.setReadBufferSize(AnswerSize);
    if (!writeRequest(socket, size))
        return;
    std::fill_n(answer.begin(), ClearedAnswerBytes, std::uint8_t{0});
    socket.flush();

    if (!waitForData(socket, timing_.answerWaits)) {
        socket.abort();
        return; // silent: expectedCode stays until the poll loop drops it
    }
    const QByteArray data = socket.read(AnswerSize);
    std::copy(data.begin(), data.end(), reinterpret_cast<char *>(answer.data()));
    answerLength = std::uint32_t(data.size());
    socket.abort();
    if (answerLength > 0)
        DispatchAnswer(answerLength);
}

void DeviceLink::SendCommandNoReply(std::uint8_t size)
{
    if (busy)
        return;
    busy = true;
    const auto release = qScopeGuard([this] { busy = false; });

    QTcpSocket socket;
    if (!writeRequest(socket, size))
        return;
    if (!socket.waitForBytesWritten(timing_.connectTimeoutMs) && socket.bytesToWrite() > 0)
        raiseSocketError(socket);
    socket.disconnectFromHost();
}

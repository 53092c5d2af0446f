#include "FileTransfer.h"

#include "DeviceLink.h"
#include "MonitorView.h"
#include "ProgressGauge.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTcpSocket>
#include <algorithm>
#include <stdexcept>

namespace {
constexpr std::uint32_t RepaintEvery = 65536;
constexpr qint64 MaxQueuedBytes = 65536; // keeps the socket's own buffer small during long writes

// Marks the announcement and its data phase as one unit of work on the channel.
auto holdTransfer(DeviceLink &link)
{
    const bool outer = link.transferActive;
    link.transferActive = true;
    return qScopeGuard([&link, outer] { link.transferActive = outer; });
}

int gaugeMaximum(std::uint32_t length)
{
    return int(length < FileTransfer::ChunkSize ? length : length - FileTransfer::ChunkSize);
}
} // namespace

QByteArray lowBytes(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text)
        bytes.append(char(c.unicode() & 0xFF));
    return bytes;
}

FileTransfer::FileTransfer(DeviceLink &link)
    : TransferBuffer(new std::uint8_t[BufferSize]), ReceiveBuffer(new std::uint8_t[BufferSize]), link_(link)
{
}

QByteArray FileTransfer::announcedName(const QString &fileName)
{
    const int dot = fileName.lastIndexOf('.');
    const QString base = dot < 0 ? fileName : fileName.left(dot);
    const QString extension = dot < 0 ? QString() : fileName.mid(dot);
    if (base.size() <= 8)
        return lowBytes(fileName);
    QByteArray name = lowBytes(base.left(7).replace('.', '_')) + '~' + lowBytes(extension.left(4));
    name.append(QByteArray(12 - name.size(), '\0'));
    return name;
}

void FileTransfer::sendData(std::uint32_t length, int pauseMs, ProgressGauge *gauge, Progress progress, bool repaint)
{
    link_.pause(pauseMs);
    QTcpSocket socket;
    if (!link_.connectToUnit(socket))
        throw std::runtime_error(("Data connection to " + link_.deviceAddress + " failed: "
                                  + socket.errorString()).toStdString());
    const Timing &timing = link_.timing();
    // A unit that stops taking data must not hang the tool: give up after the read time-out.
    auto drainTo = [&](qint64 limit) {
        for (int idle = 0; socket.bytesToWrite() > limit;) {
            const qint64 before = socket.bytesToWrite();
            socket.waitForBytesWritten(timing.waitSliceMs);
            if (socket.state() != QAbstractSocket::ConnectedState)
                throw std::runtime_error(("Data connection closed by the unit: " + socket.errorString()).toStdString());
            idle = socket.bytesToWrite() < before ? 0 : idle + 1;
            if (idle > timing.readDataWaits)
                throw std::runtime_error("The unit stopped taking data");
            QCoreApplication::processEvents();
        }
    };
    for (std::uint32_t offset = 0; offset < length; offset += ChunkSize) {
        const std::uint32_t chunk = std::min(ChunkSize, length - offset);
        std::copy_n(TransferBuffer.get() + offset, chunk, link_.request.begin());
        if (socket.write(reinterpret_cast<const char *>(link_.request.data()), chunk) != chunk)
            throw std::runtime_error(socket.errorString().toStdString());
        drainTo(MaxQueuedBytes);
        if (gauge)
            gauge->setProgress(int(progress == Progress::ChunkEnd ? offset + chunk : offset));
        if (repaint && offset % RepaintEvery == 0)
            link_.view().repaintNow();
    }
    drainTo(0);
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState)
        socket.waitForDisconnected(timing.waitSliceMs * 10);
}

void FileTransfer::WriteBufferToSd(const QByteArray &name, std::uint32_t length)
{
    const auto transfer = holdTransfer(link_);
    link_.announceSdWrite(name, length);
    if (!link_.status().fileWriteAccepted) {
        link_.view().appendLog("Send Buffer to SD[" + QString::fromLatin1(name) + "]Fail!!!");
        return;
    }
    if (sdGauge)
        sdGauge->startProgress(gaugeMaximum(length));
    link_.view().appendLog("Transfer Length => " + QString::number(length));
    sendData(length, link_.timing().sdWritePauseMs, sdGauge, Progress::ChunkEnd, false);
}

bool FileTransfer::WriteFileToSd(const QString &path)
{
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) {
        lastTransferError = "File Open error !!";
        return false;
    }
    const qint64 size = file.size();
    link_.view().setStatusLine("Send FileLength => " + QString::number(size));
    if (size > qint64(BufferSize)) {
        lastTransferError = "File Size > Buffer Size 13MB !!";
        return false;
    }
    if (file.read(reinterpret_cast<char *>(TransferBuffer.get()), size) != size) {
        lastTransferError = "File Open error !!";
        return false;
    }
    file.close();

    // A list written on another PC may use either separator.
    const QString fileName = path.section(QRegularExpression(R"([\\/])"), -1);
    link_.view().appendLog(fileName);
    link_.view().setStatusLine(fileName);
    const std::uint64_t sum = byteSum(TransferBuffer.get(), std::size_t(size));

    const auto transfer = holdTransfer(link_);
    link_.announceSdWriteWithSum(announcedName(fileName), std::uint32_t(size), std::uint32_t(sum));
    if (!link_.status().fileWriteAccepted) {
        lastTransferError = "Target error !!";
        return false;
    }
    if (sdGauge)
        sdGauge->startProgress(gaugeMaximum(std::uint32_t(size)));
    sendData(std::uint32_t(size), link_.timing().sdWritePauseMs, sdGauge, Progress::ChunkEnd, true);
    return true;
}

void FileTransfer::WriteBufferToFlash(const QString &name, std::uint32_t length)
{
    length = std::min(length, BufferSize);
    const std::uint64_t sum = byteSum(TransferBuffer.get(), length);
    link_.view().setStatusLine("Send FileName: " + name);
    const auto transfer = holdTransfer(link_);
    link_.announceFlashWrite(lowBytes(name), length, std::uint32_t(sum));
    if (flashGauge)
        flashGauge->startProgress(gaugeMaximum(length));
    link_.view().setStatusLine("Transfer Length => " + QString::number(length));
    // Sent whether or not the unit answered the announcement.
    sendData(length, link_.timing().flashWritePauseMs, flashGauge, Progress::ChunkEnd, true);
}

std::int32_t FileTransfer::ReadSdFile(const QByteArray &name)
{
    const auto transfer = holdTransfer(link_);
    link_.announceSdRead(name);
    if (!link_.status().fileReadAccepted)
        return 0;
    const std::uint32_t length = link_.answerBigEndian32(6);
    link_.view().appendLog("Read SD to Buffer Len:" + QString::number(length));

    link_.pause(link_.timing().readPauseMs);
    QTcpSocket socket;
    if (!link_.connectToUnit(socket))
        throw std::runtime_error(("Data connection to " + link_.deviceAddress + " failed: "
                                  + socket.errorString()).toStdString());
    std::uint32_t received = 0;
    while (received < length) {
        if (!link_.waitForData(socket, link_.timing().readDataWaits)) {
            // Silence, or a unit that closed before sending everything.
            link_.view().appendLog("Wait RX Timeout!");
            socket.abort();
            return -1;
        }
        const QByteArray data = socket.readAll();
        // The unit's length is not trusted: nothing is copied past the buffer's end.
        const std::uint32_t room = BufferSize - received;
        const std::uint32_t taken = std::min<std::uint32_t>(room, std::uint32_t(data.size()));
        std::copy_n(data.constData(), taken, reinterpret_cast<char *>(ReceiveBuffer.get()) + received);
        received += taken;
        if (taken < std::uint32_t(data.size())) {
            link_.view().appendLog("Read SD: more data than the buffer holds, the rest is dropped");
            break;
        }
    }
    socket.abort();
    return std::int32_t(received);
}

void FileTransfer::DeleteFlashFile(const QString &name)
{
    link_.view().setStatusLine("Del File: " + name);
    link_.requestFlashFileDelete(lowBytes(name));
}

void FileTransfer::DeleteSdClip(const QByteArray &name)
{
    link_.view().appendLog(QString::fromLatin1(name));
    link_.requestSdClipDelete(name);
}

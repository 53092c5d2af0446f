#include "FileTransfer.h"

#include "DeviceLink.h"
#include "LinkEvents.h"
#include "LinkLog.h"
#include "ProgressGauge.h"
#include "SingleByteText.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTcpSocket>
#include <algorithm>

namespace {
constexpr std::uint32_t RepaintEvery = 65536;
constexpr qint64 MaxQueuedBytes = 65536; // keeps the socket's own buffer small during long writes
constexpr qint64 ReadBufferBytes = 65536; // a flooding unit fills no more than this
const QString FileOpenError = QStringLiteral("File Open error !!");

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

// The data connection as a read's source; its waits keep the windows painted.
class SocketSource : public DataSource {
public:
    SocketSource(QTcpSocket &socket, const DeviceLink &link) : socket_(socket), link_(link) { clock_.start(); }
    Wait waitForData() override { return link_.waitOneSlice(socket_, error_); }
    QByteArray read(qint64 most) override { return socket_.read(most); }
    qint64 elapsedMs() const override { return clock_.elapsed(); }
    QString errorString() const override { return error_; }

private:
    QTcpSocket &socket_;
    const DeviceLink &link_;
    QElapsedTimer clock_;
    QString error_;
};

TransferResult failedAnnouncement(const ExchangeResult &announcement, const QString &error)
{
    const bool channelFailed = announcement.outcome == ExchangeOutcome::NoConnection
                               || announcement.outcome == ExchangeOutcome::SocketError
                               || announcement.outcome == ExchangeOutcome::Busy;
    return {.outcome = channelFailed ? TransferOutcome::Failed : TransferOutcome::Refused,
            .error = error,
            .announcement = announcement};
}
} // namespace

FileTransfer::FileTransfer(DeviceLink &link)
    : TransferBuffer(new std::uint8_t[BufferSize]), ReceiveBuffer(new std::uint8_t[BufferSize]), link_(link)
{
}

void FileTransfer::note(const TransferNote &note) const
{
    qCDebug(zorLink) << "transfer" << note.kind << note.name << note.value;
    if (link_.events)
        link_.events->transferNote(note);
}

QByteArray FileTransfer::announcedName(const QString &fileName)
{
    const QByteArray bytes = toSingleByte(fileName);
    const int dot = bytes.lastIndexOf('.');
    const QByteArray base = dot < 0 ? bytes : bytes.left(dot);
    const QByteArray extension = dot < 0 ? QByteArray() : bytes.mid(dot);
    if (base.size() <= 8)
        return bytes;
    QByteArray name = QByteArray(base.left(7)).replace('.', '_') + '~' + extension.left(4);
    name.append(QByteArray(12 - name.size(), '\0'));
    return name;
}

QString FileTransfer::sendData(std::uint32_t length, int pauseMs, ProgressGauge *gauge, Progress progress, bool repaint)
{
    link_.pause(pauseMs);
    QTcpSocket socket;
    if (!link_.connectToUnit(socket))
        return "Data connection to " + link_.deviceAddress + " failed: " + socket.errorString();
    const Timing &timing = link_.timing();
    // A unit that stops taking data must not hang the tool: give up after the read time-out.
    auto drainTo = [&](qint64 limit) -> QString {
        for (int idle = 0; socket.bytesToWrite() > limit;) {
            const qint64 before = socket.bytesToWrite();
            socket.waitForBytesWritten(timing.waitSliceMs);
            if (socket.state() != QAbstractSocket::ConnectedState)
                return "Data connection closed by the unit: " + socket.errorString();
            idle = socket.bytesToWrite() < before ? 0 : idle + 1;
            if (idle > timing.readDataWaits)
                return QStringLiteral("The unit stopped taking data");
            link_.keepResponsive();
        }
        return {};
    };
    for (std::uint32_t offset = 0; offset < length; offset += ChunkSize) {
        const std::uint32_t chunk = std::min(ChunkSize, length - offset);
        std::copy_n(TransferBuffer.get() + offset, chunk, link_.request.begin());
        if (socket.write(reinterpret_cast<const char *>(link_.request.data()), chunk) != chunk)
            return socket.errorString();
        if (QString error = drainTo(MaxQueuedBytes); !error.isEmpty())
            return error;
        if (gauge)
            gauge->setProgress(int(progress == Progress::ChunkEnd ? offset + chunk : offset));
        if (repaint && offset % RepaintEvery == 0 && link_.events)
            link_.events->keepPainted();
    }
    if (QString error = drainTo(0); !error.isEmpty())
        return error;
    socket.disconnectFromHost();
    if (socket.state() != QAbstractSocket::UnconnectedState)
        socket.waitForDisconnected(timing.waitSliceMs * 10);
    return {};
}

TransferResult FileTransfer::WriteBufferToSd(const QByteArray &name, std::uint32_t length)
{
    length = std::min(length, BufferSize);
    const auto transfer = holdTransfer(link_);
    const ExchangeResult announcement = link_.announceSdWrite(name, length);
    if (!link_.status().fileWriteAccepted) {
        note({.kind = TransferNote::SdBufferRefused, .name = QString::fromLatin1(name)});
        return failedAnnouncement(announcement, QString::fromLatin1(name));
    }
    if (sdGauge)
        sdGauge->startProgress(gaugeMaximum(length));
    note({.kind = TransferNote::SdTransferLength, .value = length});
    const QString error = sendData(length, link_.timing().sdWritePauseMs, sdGauge, Progress::ChunkEnd, false);
    return {.outcome = error.isEmpty() ? TransferOutcome::Done : TransferOutcome::Failed,
            .error = error,
            .announcement = announcement};
}

TransferResult FileTransfer::WriteFileToSd(const QString &path)
{
    auto fileError = [this](const QString &text) {
        lastTransferError = text;
        return TransferResult{.outcome = TransferOutcome::FileError, .error = text};
    };
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return fileError(FileOpenError);
    const qint64 size = file.size();
    note({.kind = TransferNote::SdFileLength, .value = size});
    if (size > qint64(BufferSize))
        return fileError(QStringLiteral("File Size > Buffer Size 13MB !!"));
    if (file.read(reinterpret_cast<char *>(TransferBuffer.get()), size) != size)
        return fileError(FileOpenError);
    file.close();

    // A list written on another PC may use either separator.
    const QString fileName = path.section(QRegularExpression(R"([\\/])"), -1);
    note({.kind = TransferNote::SdFileName, .name = fileName});
    const std::uint64_t sum = byteSum(TransferBuffer.get(), std::size_t(size));

    const auto transfer = holdTransfer(link_);
    const ExchangeResult announcement =
        link_.announceSdWriteWithSum(announcedName(fileName), std::uint32_t(size), std::uint32_t(sum));
    if (!link_.status().fileWriteAccepted) {
        lastTransferError = QStringLiteral("Target error !!");
        return failedAnnouncement(announcement, lastTransferError);
    }
    if (sdGauge)
        sdGauge->startProgress(gaugeMaximum(std::uint32_t(size)));
    const QString error = sendData(std::uint32_t(size), link_.timing().sdWritePauseMs, sdGauge, Progress::ChunkEnd, true);
    if (!error.isEmpty())
        lastTransferError = error;
    return {.outcome = error.isEmpty() ? TransferOutcome::Done : TransferOutcome::Failed,
            .error = error,
            .announcement = announcement};
}

TransferResult FileTransfer::WriteBufferToFlash(const QString &name, std::uint32_t length)
{
    length = std::min(length, BufferSize);
    const std::uint64_t sum = byteSum(TransferBuffer.get(), length);
    note({.kind = TransferNote::FlashFileName, .name = name});
    const auto transfer = holdTransfer(link_);
    const ExchangeResult announcement = link_.announceFlashWrite(toSingleByte(name), length, std::uint32_t(sum));
    // A unit that is up answers the announcement: without its acknowledgement no data follows.
    if (!announcement.acknowledged())
        return failedAnnouncement(announcement, name);
    if (flashGauge)
        flashGauge->startProgress(gaugeMaximum(length));
    note({.kind = TransferNote::FlashTransferLength, .value = length});
    const QString error = sendData(length, link_.timing().flashWritePauseMs, flashGauge, Progress::ChunkEnd, true);
    return {.outcome = error.isEmpty() ? TransferOutcome::Done : TransferOutcome::Failed,
            .error = error,
            .announcement = announcement};
}

TransferResult FileTransfer::ReadSdFile(const QByteArray &name)
{
    const auto transfer = holdTransfer(link_);
    const ExchangeResult announcement = link_.announceSdRead(name);
    if (!link_.status().fileReadAccepted)
        return failedAnnouncement(announcement, QString::fromLatin1(name));
    const std::uint32_t length = link_.answerBigEndian32(6);
    note({.kind = TransferNote::ReadLength, .value = length});

    link_.pause(link_.timing().readPauseMs);
    QTcpSocket socket;
    socket.setReadBufferSize(ReadBufferBytes);
    if (!link_.connectToUnit(socket))
        return {.outcome = TransferOutcome::Failed,
                .error = "Data connection to " + link_.deviceAddress + " failed: " + socket.errorString(),
                .announcement = announcement};
    // Closed at once when the length does not fit: the unit's data phase still ends.
    const auto close = qScopeGuard([&socket] { socket.abort(); });
    SocketSource source(socket, link_);
    const DataPhaseRead read = receiveAnnounced(source, {ReceiveBuffer.get(), BufferSize}, length, link_.timing());
    TransferResult result{.outcome = TransferOutcome::Failed, .bytes = read.received, .announcement = announcement};
    const QString count = QStringLiteral("%1 of %2 bytes").arg(read.received).arg(length);
    switch (read.end) {
    case DataPhaseRead::End::Complete:
        if (read.dropped > 0)
            note({.kind = TransferNote::ReadExcess, .value = read.dropped});
        result.outcome = TransferOutcome::Done;
        break;
    case DataPhaseRead::End::Silence:
    case DataPhaseRead::End::Deadline:
        note({.kind = TransferNote::ReadTimeout});
        result.outcome = TransferOutcome::TimedOut;
        result.error = read.end == DataPhaseRead::End::Silence
                           ? "the unit stopped sending after " + count
                           : QStringLiteral("the file did not come within %1 s: %2")
                                 .arg(readDeadlineMs(length, link_.timing()) / 1000)
                                 .arg(count);
        break;
    case DataPhaseRead::End::Closed:
        note({.kind = TransferNote::ReadShort, .value = read.received});
        result.error = "the unit closed the data connection after " + count;
        break;
    case DataPhaseRead::End::Failed:
        result.error = read.error;
        break;
    case DataPhaseRead::End::TooLong:
        note({.kind = TransferNote::ReadTooLong, .value = length});
        result.error = QStringLiteral("the unit announced %1 bytes, more than the %2 a read can hold")
                           .arg(length)
                           .arg(BufferSize);
        break;
    }
    return result;
}

ExchangeResult FileTransfer::DeleteFlashFile(const QString &name)
{
    note({.kind = TransferNote::FlashFileDelete, .name = name});
    return link_.requestFlashFileDelete(toSingleByte(name));
}

ExchangeResult FileTransfer::DeleteSdClip(const QByteArray &name)
{
    note({.kind = TransferNote::ClipDelete, .name = QString::fromLatin1(name)});
    return link_.requestSdClipDelete(name);
}

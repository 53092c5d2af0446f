// Data phases of the setup window's transfers against the simulated unit, each beside a plain
// loopback writer that sends the same bytes in the same 1,024-byte chunks to a sink that only reads.
#include "DeviceLink.h"
#include "FileTransfer.h"
#include "FirmwareUpdate.h"
#include "SimulatorThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const QHostAddress UnitAddress(QStringLiteral("127.0.4.250"));
const QHostAddress SinkAddress(QStringLiteral("127.0.4.251"));

// Reads and counts whatever arrives, in a thread of its own like the simulator.
class Sink : public QObject {
public:
    std::atomic<qint64> received{0};

    Sink()
    {
        moveToThread(&thread_);
        thread_.start();
        QMetaObject::invokeMethod(this, [this] {
            server_ = new QTcpServer(this);
            connect(server_, &QTcpServer::newConnection, this, [this] {
                while (QTcpSocket *socket = server_->nextPendingConnection()) {
                    connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { received += socket->readAll().size(); });
                    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                }
            });
            server_->listen(SinkAddress, DevicePort);
        }, Qt::BlockingQueuedConnection);
    }
    ~Sink()
    {
        QMetaObject::invokeMethod(this, [this] { delete server_; }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }

private:
    QThread thread_;
    QTcpServer *server_ = nullptr;
};

// Until the receiver holds every byte, not until the kernel has taken them.
void waitUntil(const std::function<bool()> &done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 10000)
            qFatal("the receiver did not get all the data within 10 s");
        QThread::usleep(50);
    }
}

// The same chunks and the same bound on queued bytes as the transfer, with nothing else around them.
double plainWriteMs(Sink &sink, const std::uint8_t *bytes, std::uint32_t length)
{
    sink.received = 0;
    QElapsedTimer clock;
    clock.start();
    QTcpSocket socket;
    socket.connectToHost(SinkAddress, DevicePort);
    socket.waitForConnected(3000);
    for (std::uint32_t offset = 0; offset < length; offset += FileTransfer::ChunkSize) {
        socket.write(reinterpret_cast<const char *>(bytes + offset), std::min(FileTransfer::ChunkSize, length - offset));
        while (socket.bytesToWrite() > 65536)
            socket.waitForBytesWritten(10);
    }
    while (socket.bytesToWrite() > 0)
        socket.waitForBytesWritten(10);
    waitUntil([&] { return sink.received == length; });
    const double ms = clock.nsecsElapsed() / 1e6;
    socket.disconnectFromHost();
    return ms;
}

// Announcement first, so the unit takes the next connection as the data; only the data phase is timed.
double unitWriteMs(SimulatedUnit &unit, FileTransfer &transfer, std::uint32_t length, const std::function<void()> &announce)
{
    unit.clearReceivedData();
    announce();
    // The firmware announcement is not answered: give the unit a moment to take it, as the real pause does.
    transfer.link().pause(20);
    QElapsedTimer clock;
    clock.start();
    const QString error = transfer.sendData(length, 0, nullptr, FileTransfer::Progress::ChunkEnd, false);
    if (!error.isEmpty())
        qFatal("data phase failed: %s", qPrintable(error));
    waitUntil([&] { return !unit.receivedData().isEmpty(); });
    const double ms = clock.nsecsElapsed() / 1e6;
    if (!unit.receivedData().first().stored)
        qFatal("the unit did not store the data");
    return ms;
}

// Median of five runs, the two kinds taking turns.
double median(const std::function<double()> &run)
{
    std::vector<double> times;
    for (int i = 0; i < 5; ++i)
        times.push_back(run());
    std::sort(times.begin(), times.end());
    return times[2];
}

void row(const char *what, std::uint32_t length, double unitMs, double plainMs)
{
    std::printf("%-26s %9u B %10.1f ms %10.1f ms %8.2f\n", what, length, unitMs, plainMs, unitMs / plainMs);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    SimulatorThread sim;
    if (!sim.start(UnitAddress))
        qFatal("simulator: %s", qPrintable(sim.errorString()));
    Sink sink;

    DeviceStatus status;
    Timing timing;
    DeviceLink link(status, timing);
    link.deviceAddress = UnitAddress.toString();
    FileTransfer transfer(link);
    for (std::uint32_t i = 0; i < FileTransfer::BufferSize; ++i)
        transfer.TransferBuffer[i] = std::uint8_t(i * 31 + 7);

    std::printf("%-26s %11s %13s %13s %8s\n", "data phase (median of 5)", "size", "unit", "plain", "ratio");
    const std::uint32_t sd = FileTransfer::BufferSize;
    const std::uint8_t *bytes = transfer.TransferBuffer.get();
    const double sdUnit = median([&] { return unitWriteMs(sim.unit(), transfer, sd, [&] { link.announceSdWrite("BENCH.BIN", sd); }); });
    row("SD write 10 MiB", sd, sdUnit, median([&] { return plainWriteMs(sink, bytes, sd); }));
    const std::uint32_t image = 2 * 1048576;
    const auto sum = std::uint32_t(byteSum(bytes, image));
    const double imageUnit = median([&] {
        return unitWriteMs(sim.unit(), transfer, image, [&] { link.announceFirmware("/sys/mcuimg.bin", image, sum, true); });
    });
    row("firmware image 2 MiB", image, imageUnit, median([&] { return plainWriteMs(sink, bytes, image); }));

    // The whole update as the setup window runs it, with the real pauses.
    QTemporaryFile file;
    file.open();
    file.write(reinterpret_cast<const char *>(transfer.TransferBuffer.get()), image);
    file.close();
    status.modelRecognised = true;
    QElapsedTimer clock;
    clock.start();
    const FirmwareResult result = SendFirmwareImage(transfer, LoadFirmwareImage(transfer, file.fileName()));
    const double totalMs = clock.nsecsElapsed() / 1e6;
    const int pausesMs = timing.firmwarePauseMs + timing.firmwareCheckPauseMs;
    std::printf("\nfirmware update, 2 MiB: %.1f ms in all, %d ms of it mandated pauses (%.1f ms beyond them), %s\n",
                totalMs, pausesMs, totalMs - pausesMs,
                result.outcome == FirmwareOutcome::Verified ? "verified" : "NOT verified");
    return result.outcome == FirmwareOutcome::Verified ? 0 : 1;
}

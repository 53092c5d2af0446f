// Write Device of a 64-clip project against the simulated unit, next to what it cannot
// beat: its mandated pauses plus a raw loopback transfer of the same bytes.
#include "DeviceConfiguration.h"
#include "DeviceLink.h"
#include "FileTransfer.h"
#include "NoDialogs.h"
#include "ProjectStore.h"
#include "SimulatorThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QSemaphore>
#include <QThread>
#include <cstdio>

namespace {
constexpr int clipCount = 64;
constexpr qsizetype clipSize = 200 * 1024;
const QHostAddress unitAddress(QStringLiteral("127.0.5.250"));
const QHostAddress sinkAddress(QStringLiteral("127.0.5.251"));


// Takes one connection and reads until it closes.
class Sink : public QThread {
    void run() override
    {
        QTcpServer server;
        server.listen(sinkAddress, 13578);
        ready.release();
        if (!server.waitForNewConnection(10000))
            return;
        QTcpSocket *socket = server.nextPendingConnection();
        while (socket->state() == QAbstractSocket::ConnectedState || socket->bytesAvailable())
            if (socket->waitForReadyRead(1000))
                socket->readAll();
    }

public:
    QSemaphore ready;
};

// Milliseconds to push `total` bytes over loopback in the transfer's 1 KiB chunks.
qint64 rawTransferMs(qint64 total)
{
    Sink sink;
    sink.start();
    sink.ready.acquire();
    const QByteArray chunk(FileTransfer::ChunkSize, 'x');
    QElapsedTimer timer;
    timer.start();
    QTcpSocket socket;
    socket.connectToHost(sinkAddress, 13578);
    socket.waitForConnected(3000);
    for (qint64 sent = 0; sent < total; sent += chunk.size()) {
        socket.write(chunk);
        while (socket.bytesToWrite() > 65536)
            socket.waitForBytesWritten(100);
    }
    while (socket.bytesToWrite() > 0)
        socket.waitForBytesWritten(100);
    socket.disconnectFromHost();
    const qint64 elapsed = timer.elapsed();
    sink.wait();
    return elapsed;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    SimulatorThread simulator;
    if (!simulator.start(unitAddress)) {
        std::fprintf(stderr, "write_device: %s\n", qPrintable(simulator.errorString()));
        return 1;
    }
    QTemporaryDir folder;
    NoDialogs dialogs;
    ProjectStore store(dialogs, folder.path());
    store.openEditor();
    QFile source(folder.filePath("clip.mp3"));
    if (!source.open(QIODevice::WriteOnly) || source.write(QByteArray("ID3\x04\0\0\0\0\0\0", 10) + QByteArray(clipSize - 10, 'M')) != clipSize)
        return 1;
    source.close();
    for (int n = 1; n <= clipCount; ++n)
        store.addAudioFile(n, source.fileName());

    Timing timing;
    DeviceStatus status;
    DeviceLink link(status, timing);
    link.deviceAddress = unitAddress.toString();
    FileTransfer transfer(link);
    DeviceConfiguration device(store, transfer);

    QElapsedTimer timer;
    timer.start();
    const DeviceWriteResult result = device.writeDevice({}, 0);
    const qint64 writeMs = timer.elapsed();
    if (!result.ok()) {
        std::fprintf(stderr, "write_device: the write failed\n");
        return 1;
    }
    const qint64 bytes = alarmTableSize + store.audioListImage().size() + clipCount * clipSize;
    const qint64 pausesMs = qint64(clipCount + 2) * timing.sdWritePauseMs;
    const qint64 rawMs = rawTransferMs(bytes);
    std::printf("%-40s %lld bytes in %d files\n", "project", static_cast<long long>(bytes), clipCount + 2);
    std::printf("%-40s %lld ms\n", "Write Device", static_cast<long long>(writeMs));
    std::printf("%-40s %lld ms\n", "mandated pauses", static_cast<long long>(pausesMs));
    std::printf("%-40s %lld ms\n", "raw loopback transfer of the bytes", static_cast<long long>(rawMs));
    std::printf("%-40s %.3f\n", "ratio write / (pauses + raw)", double(writeMs) / double(pausesMs + rawMs));
    return 0;
}

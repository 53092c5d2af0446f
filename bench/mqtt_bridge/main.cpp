// zorwifi-mqtt polling many simulated units through a real mosquitto: the bridge's CPU share of one
// core and its resident memory once every unit is online. Units on 127.46.x.x, the broker on 127.44.0.1.
// Usage: build/bench/mqtt_bridge [UNITS [SECONDS]]   (256 units, 60 s by default)
#include "MqttRig.h"
#include "SimulatorThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr int BrokerPort = 18861;
constexpr double CpuGoalPercent = 5;
constexpr double RssGoalMiB = 40;

QString unitAddress(int i)
{
    return QStringLiteral("127.46.%1.%2").arg(i / 250).arg(i % 250 + 1);
}

// utime + stime of a process, in clock ticks.
qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        qFatal("the bridge has gone");
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields[11].toLongLong() + fields[12].toLongLong(); // fields 14 and 15 of the whole line
}

double statusMiB(qint64 pid, const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        qFatal("the bridge has gone");
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key + ':'))
            return line.mid(key.size() + 1).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

int onlineUnits()
{
    QProcess sub;
    sub.start("mosquitto_sub", {"-h", BrokerAddress, "-p", QString::number(BrokerPort), "-t", "zorwifi/+/availability",
                                "-v", "-W", "3"});
    sub.waitForFinished(10000);
    int online = 0;
    for (const QByteArray &line : sub.readAllStandardOutput().split('\n'))
        online += line.endsWith(" online") && !line.startsWith("zorwifi/bridge/") ? 1 : 0;
    return online;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 256;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
    QTemporaryDir dir;

    std::vector<std::unique_ptr<SimulatorThread>> units;
    QFile hosts(dir.filePath("hosts"));
    if (!hosts.open(QIODevice::WriteOnly))
        qFatal("cannot write the hosts file");
    for (int i = 0; i < count; ++i) {
        units.push_back(std::make_unique<SimulatorThread>());
        if (!units.back()->start(QHostAddress(unitAddress(i))))
            qFatal("no simulated unit on %s", qPrintable(unitAddress(i)));
        hosts.write((unitAddress(i) + '\n').toLatin1());
    }
    hosts.close();

    Broker broker(dir, BrokerPort, QStringLiteral("allow_anonymous true"));
    if (!broker.start())
        qFatal("mosquitto did not start");

    QProcess bridge;
    bridge.setProcessChannelMode(QProcess::MergedChannels);
    bridge.setStandardOutputFile(QProcess::nullDevice()); // a line per unit coming online
    bridge.start(QStringLiteral(ZORWIFI_MQTT_PATH), {"--broker", BrokerAddress + ":" + QString::number(BrokerPort), "--hosts",
                                                    hosts.fileName(), "--interval", "3"});
    if (!bridge.waitForStarted())
        qFatal("zorwifi-mqtt did not start");
    const qint64 pid = bridge.processId();

    // Warmed up: every unit identified and online, the discovery burst over.
    QElapsedTimer warmUp;
    warmUp.start();
    int online = 0;
    while ((online = onlineUnits()) < count && warmUp.elapsed() < 60000)
        ;
    QThread::sleep(5);

    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    const qint64 before = cpuTicks(pid);
    QElapsedTimer wall;
    wall.start();
    QThread::sleep(seconds);
    const double cpu = double(cpuTicks(pid) - before) / ticksPerSecond / (double(wall.elapsed()) / 1000) * 100;
    const double rss = statusMiB(pid, "VmRSS"), peak = statusMiB(pid, "VmHWM");
    const int onlineAtEnd = onlineUnits();

    bridge.terminate();
    bridge.waitForFinished(20000);
    broker.stop();

    std::printf("zorwifi-mqtt, %d units at a 3 s interval, measured over %d s\n", count, seconds);
    std::printf("%-28s %10s %10s\n", "figure", "value", "goal");
    std::printf("%-28s %10d %10d\n", "units online (warm-up)", online, count);
    std::printf("%-28s %10d %10d\n", "units online (end)", onlineAtEnd, count);
    std::printf("%-28s %9.2f%% %9.1f%%\n", "CPU share of one core", cpu, CpuGoalPercent);
    std::printf("%-28s %10.1f %10.1f\n", "resident memory, MiB", rss, RssGoalMiB);
    std::printf("%-28s %10.1f %10.1f\n", "peak resident memory, MiB", peak, RssGoalMiB);
    return cpu <= CpuGoalPercent && peak <= RssGoalMiB && onlineAtEnd == count ? 0 : 1;
}

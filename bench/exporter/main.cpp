// zorwifi-exporter against simulated units, each figure as a ratio to what it is measured against:
// one scrape of /probe against one bare device-information plus status exchange on the same unit;
// the answering units' p99 scrape time among 256 units with 200 scrapes in flight, 8 units
// silent, against the same run without silent units. Loopback only (127.43.x and 127.45.x).
#include "SimulatorThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTcpSocket>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const QHostAddress Exporter("127.43.5.250");
constexpr quint16 ExporterPort = 19578;
constexpr int LatencyRounds = 400;
constexpr int FleetUnits = 256;
constexpr int SilentUnits = 8;
constexpr int InFlight = 200;
constexpr int FleetRounds = 4; // scrapes per unit and run

QString unitAddress(int i) // 128 units on each of the two ranges
{
    return i < FleetUnits / 2 ? QStringLiteral("127.43.6.%1").arg(i + 1) : QStringLiteral("127.45.6.%1").arg(i - FleetUnits / 2 + 1);
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

// One exchange as the unit sees it: connect, the frame, the whole answer, close.
void bareExchange(const QHostAddress &unit, const QByteArray &frame, qsizetype answerLength)
{
    QTcpSocket socket;
    socket.connectToHost(unit, DevicePort);
    if (!socket.waitForConnected(3000) || socket.write(frame) != frame.size())
        qFatal("bare exchange: no connection");
    qsizetype received = 0;
    while (received < answerLength && socket.waitForReadyRead(3000))
        received += socket.readAll().size();
    if (received < answerLength)
        qFatal("bare exchange: short answer");
}

QByteArray frame(Command code, int size)
{
    QByteArray bytes(size, '\0');
    std::copy(FrameMagic.begin(), FrameMagic.end(), bytes.begin());
    bytes[4] = char(codeOf(code));
    return bytes;
}

// The probe times the exporter reported, in milliseconds.
std::vector<double> reportedProbeMs;

// Scrapes the targets with at most `inFlight` at once; milliseconds per scrape, in target order.
std::vector<double> scrape(const QStringList &targets, int inFlight)
{
    std::vector<double> ms(targets.size(), 0);
    std::vector<std::unique_ptr<QTcpSocket>> sockets(targets.size());
    std::vector<QElapsedTimer> clocks(targets.size());
    QEventLoop loop;
    qsizetype next = 0;
    qsizetype done = 0;
    std::function<void()> launch = [&] {
        const qsizetype i = next++;
        sockets[i] = std::make_unique<QTcpSocket>();
        QTcpSocket *socket = sockets[i].get();
        auto reply = std::make_shared<QByteArray>();
        // Timed to the answer's last byte, as a client that reads by its length sees it.
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [&, i, socket, reply] {
            *reply += socket->readAll();
            const qsizetype body = reply->indexOf("\r\n\r\n") + 4;
            const qsizetype length = reply->indexOf("Content-Length: ") + 16;
            if (ms[i] == 0 && body >= 4 && length >= 16
                && reply->size() - body >= reply->mid(length, reply->indexOf('\r', length) - length).toLongLong())
                ms[i] = double(clocks[i].nsecsElapsed()) / 1e6;
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [&, i, socket, reply] {
            *reply += socket->readAll();
            if (!reply->startsWith("HTTP/1.1 200"))
                qFatal("scrape of %s: %s", qPrintable(targets[i]), reply->left(80).constData());
            const QByteArray durationName = "\nzorwifi_probe_duration_seconds ";
            const qsizetype at = reply->indexOf(durationName) + durationName.size();
            reportedProbeMs.push_back(reply->mid(at, reply->indexOf('\n', at) - at).toDouble() * 1000);
            if (++done == targets.size())
                loop.quit();
            else if (next < targets.size())
                launch();
        });
        clocks[i].start();
        socket->connectToHost(Exporter, ExporterPort);
        socket->write("GET /probe?target=" + targets[i].toLatin1()
                      + " HTTP/1.1\r\nX-Prometheus-Scrape-Timeout-Seconds: 10\r\n\r\n");
    };
    for (int i = 0; i < inFlight && next < targets.size(); ++i)
        launch();
    loop.exec();
    return ms;
}

// The answering units' p99 over FleetRounds scrapes of every unit.
double fleetP99(const std::vector<bool> &silent)
{
    QStringList targets;
    for (int round = 0; round < FleetRounds; ++round)
        for (int i = 0; i < FleetUnits; ++i)
            targets << unitAddress(i);
    const std::vector<double> ms = scrape(targets, InFlight);
    std::vector<double> answering;
    for (qsizetype i = 0; i < targets.size(); ++i)
        if (!silent[i % FleetUnits])
            answering.push_back(ms[i]);
    return percentile(answering, 0.99);
}

void row(const char *what, double value, double against, const char *againstText, const char *goal)
{
    std::printf("%-58s %8.2f ms / %-30s %8.2f ms = %5.2f  %s\n", what, value, againstText, against, value / against, goal);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::vector<std::unique_ptr<SimulatorThread>> units(FleetUnits);
    for (int i = 0; i < FleetUnits; ++i) {
        units[i] = std::make_unique<SimulatorThread>();
        if (!units[i]->start(QHostAddress(unitAddress(i))))
            qFatal("no simulated unit on %s", qPrintable(unitAddress(i)));
    }
    QProcess exporter;
    exporter.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    exporter.start(QStringLiteral(EXPORTER_PATH), {"--listen", Exporter.toString() + ":" + QString::number(ExporterPort),
                                                   "--allow", "127.43.0.0/16", "--allow", "127.45.0.0/16"});
    for (int tries = 0;; ++tries) {
        QTcpSocket probe;
        probe.connectToHost(Exporter, ExporterPort);
        if (probe.waitForConnected(100))
            break;
        if (tries > 50)
            qFatal("the exporter does not listen");
        QThread::msleep(100);
    }

    // 1. One scrape against the exchanges it stands for, on the same unit, taken in turns.
    const QHostAddress unit(unitAddress(0));
    std::vector<double> bare, scraped;
    for (int round = 0; round < LatencyRounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        bareExchange(unit, frame(Command::DeviceInformation, 7), 199);
        bareExchange(unit, frame(Command::StatusPoll, 5), 13);
        bare.push_back(double(clock.nsecsElapsed()) / 1e6);
        scraped.push_back(scrape({unit.toString()}, 1)[0]);
    }
    row("probe latency, median", percentile(scraped, 0.5), percentile(bare, 0.5), "bare exchanges, median", "goal <= 1.2");
    row("  of which the probe the exporter reports, median", percentile(reportedProbeMs, 0.5), percentile(bare, 0.5),
        "bare exchanges, median", "");

    // 2. The fleet, without and then with silent units.
    std::vector<bool> silent(FleetUnits, false);
    const double calm = fleetP99(silent);
    for (int i = 0; i < SilentUnits; ++i) {
        const int u = (i * FleetUnits) / SilentUnits + 3; // spread over both ranges
        silent[u] = true;
        units[u]->setFaults({.noAnswer = true});
    }
    const double troubled = fleetP99(silent);
    row("256 units, 200 in flight, 8 silent: answering p99", troubled, calm, "the same without silent units", "goal <= 1.5");

    exporter.terminate();
    exporter.waitForFinished(5000);
    return 0;
}

// zorsim: a simulated alarm unit on a loopback address, for trying the tool without hardware.

#include "FaultNames.h"
#include "SimulatedUnit.h"
#include "UnitSimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <QTimer>
#include <csignal>
#include <cstdlib>

namespace {

constexpr char DefaultAddress[] = "127.0.0.5";
constexpr int DefaultLiveIntervalMs = 3000;
constexpr int StopPollMs = 100;
constexpr int ControlPollMs = 200;
constexpr int UsageError = 2;

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void requestStop(int)
{
    stopRequested = 1;
}

[[noreturn]] void fail(const QString &message)
{
    QTextStream(stderr) << "zorsim: " << message << Qt::endl;
    std::exit(UsageError);
}

QHostAddress ipv4Option(const QCommandLineParser &parser, const QString &name)
{
    const QHostAddress address(parser.value(name));
    if (address.protocol() != QAbstractSocket::IPv4Protocol)
        fail(QStringLiteral("--%1 needs an IPv4 address, not \"%2\"").arg(name, parser.value(name)));
    return address;
}

// "DI1,DI3" as input bits; fails on an input the model does not have.
std::uint8_t inputsOption(const QCommandLineParser &parser, std::uint8_t model)
{
    std::uint8_t bits = 0;
    for (const QString &name : parser.value("inputs").split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        const int number = name.startsWith(QLatin1String("DI")) ? name.mid(2).toInt(&ok) : 0;
        const std::uint8_t bit = ok && number >= 1 && number <= 8 ? std::uint8_t(1u << (number - 1)) : 0;
        if (!(bit & inputMask(model)))
            fail(QStringLiteral("--inputs: model %1 has no input \"%2\"").arg(model).arg(name));
        bits |= bit;
    }
    return bits;
}

int positiveOption(const QCommandLineParser &parser, const QString &name)
{
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value <= 0)
        fail(QStringLiteral("--%1 needs a positive number, not \"%2\"").arg(name, parser.value(name)));
    return value;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zorsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated alarm unit serving the device port on a loopback address until interrupted."));
    parser.addHelpOption();
    parser.addOptions({
        {"address", "Loopback IPv4 address to serve (default 127.0.0.5).", "ip", DefaultAddress},
        {"model", "Model code: 189 (six inputs) or 190 (four inputs, Modbus RTU).", "code", "189"},
        {"storage", "Keep SD card and flash files in DIR/sd and DIR/flash instead of memory.", "dir"},
        {"live", "Change inputs and RSSI every few seconds."},
        {"live-interval", "Milliseconds between live changes (default 3000).", "ms",
         QString::number(DefaultLiveIntervalMs)},
        {"location", "Location reported until the next restart.", "text"},
        {"no-sd", "Report no SD card."},
        {"inputs", "Alarm inputs active from the start, e.g. DI1,DI3 (those the model has).", "list"},
        {"quiet", "Do not log requests."},
        {"no-answer", "Fault: read requests, never answer."},
        {"negative-status", "Fault: refuse every command (status 0x15)."},
        {"wrong-magic", "Fault: answers open with other bytes than the frame magic."},
        {"split-answer", "Fault: answers in two pieces, the second 150 ms later."},
        {"oversize-answer", "Fault: answers padded to 5000 bytes."},
        {"other-address", "Fault: device information reports this address.", "ip"},
        {"refuse-connections", "Fault: do not listen; connects are refused."},
        {"stall-data", "Fault: data phases stall (nothing sent, nothing read)."},
        {"cut-data", "Fault: data phases end after half of the file."},
        {"longer-read", "Fault: reads send 100 bytes more than announced."},
        {"wrong-firmware-sum", "Fault: the firmware check reports a sum that differs from the image's."},
        {"never-read", "Fault: accept connections, never read from them."},
        {"reset-mid-answer", "Fault: send half the answer, then reset the connection."},
        {"slow-answer", "Fault: answer one byte every 20 ms."},
        {"refuse-data", "Fault: stop listening for 4 s after an announcement, refusing its data connection."},
        {"split-data", "Fault: reads send their data in two pieces, the second 150 ms later."},
        {"trickle-data", "Fault: reads send their data one byte every 20 ms."},
        {"huge-read-length", "Fault: reads announce 0xFFFFFFFF bytes."},
        {"mis-echo", "Fault: answers echo the request's code with its lowest bit flipped."},
        {"control-file", "Watch FILE while running: its words (fault option names such as no-answer, stall-data, "
                         "other-address=IP) replace the faults each time it changes; empty or missing clears them.",
         "file"},
    });
    if (!parser.parse(QCoreApplication::arguments()))
        fail(parser.errorText());
    if (parser.isSet("help"))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty())
        fail(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().constFirst()));

    const QHostAddress address = ipv4Option(parser, "address");
    if (!address.isLoopback())
        fail(QStringLiteral("%1 is not a loopback address; zorsim serves 127.x.x.x only").arg(address.toString()));
    const QString model = parser.value("model");
    if (model != "189" && model != "190")
        fail(QStringLiteral("--model must be 189 or 190, not \"%1\"").arg(model));

    UnitFaults faults;
    faults.noAnswer = parser.isSet("no-answer");
    faults.negativeStatus = parser.isSet("negative-status");
    faults.wrongMagic = parser.isSet("wrong-magic");
    faults.splitAnswer = parser.isSet("split-answer");
    faults.oversizeAnswer = parser.isSet("oversize-answer");
    if (parser.isSet("other-address"))
        faults.otherAddress = ipv4Option(parser, "other-address");
    faults.refuseConnections = parser.isSet("refuse-connections");
    faults.stallDataPhase = parser.isSet("stall-data");
    faults.cutDataPhase = parser.isSet("cut-data");
    faults.longerRead = parser.isSet("longer-read");
    faults.wrongFirmwareSum = parser.isSet("wrong-firmware-sum");
    faults.neverRead = parser.isSet("never-read");
    faults.resetMidAnswer = parser.isSet("reset-mid-answer");
    faults.slowAnswer = parser.isSet("slow-answer");
    faults.refuseDataConnection = parser.isSet("refuse-data");
    faults.splitData = parser.isSet("split-data");
    faults.trickleData = parser.isSet("trickle-data");
    faults.hugeReadLength = parser.isSet("huge-read-length");
    faults.misEcho = parser.isSet("mis-echo");

    SimulatedUnit unit(address, std::uint8_t(model.toInt()), parser.value("storage"));
    unit.setFaults(faults);
    const std::uint8_t inputs = inputsOption(parser, std::uint8_t(model.toInt()));
    unit.updateState([&parser, inputs](UnitState &state) {
        state.inputBits = inputs;
        if (parser.isSet("location"))
            state.settings.location = parser.value("location").toLatin1();
        state.sdPresent = !parser.isSet("no-sd");
    });

    UnitSimulator simulator(unit);
    if (!parser.isSet("quiet")) {
        QObject::connect(&simulator, &UnitSimulator::logLine, [&address](const QString &line) {
            QTextStream(stderr) << address.toString() << ' ' << line << Qt::endl;
        });
    }
    if (!simulator.start()) {
        QTextStream(stderr) << "zorsim: " << simulator.errorString() << Qt::endl;
        return 1;
    }
    if (parser.isSet("live"))
        simulator.setLiveInterval(positiveOption(parser, "live-interval"));

    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    QTimer stopPoll;
    QObject::connect(&stopPoll, &QTimer::timeout, &app, [] {
        if (stopRequested)
            QCoreApplication::quit();
    });
    stopPoll.start(StopPollMs);

    // Faults switched while running, for soak runs: polled, since writers replace the file.
    QTimer controlPoll;
    QDateTime controlStamp;
    qint64 controlSize = -1;
    const QString controlFile = parser.value("control-file");
    QObject::connect(&controlPoll, &QTimer::timeout, &app, [&] {
        const QFileInfo info(controlFile);
        const QDateTime stamp = info.exists() ? info.lastModified() : QDateTime();
        const qint64 size = info.exists() ? info.size() : -1;
        if (stamp == controlStamp && size == controlSize)
            return;
        controlStamp = stamp;
        controlSize = size;
        QFile file(controlFile);
        const QString text = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.read(4096)) : QString();
        const QStringList names = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        UnitFaults changed;
        QString unknown;
        if (!faultsFromNames(names, changed, unknown)) {
            QTextStream(stderr) << "zorsim: unknown fault \"" << unknown << "\" in " << controlFile << Qt::endl;
            return;
        }
        unit.setFaults(changed);
        QTextStream(stderr) << address.toString() << " faults: " << (names.isEmpty() ? "none" : names.join(' '))
                            << Qt::endl;
    });
    if (!controlFile.isEmpty())
        controlPoll.start(ControlPollMs);

    const int result = app.exec();
    simulator.stop();
    return result;
}

// zorwifi-demo: the tool against a simulated unit on a loopback address, with a simulated
// Wi-Fi adapter on the unit's subnet, so every window can be tried without hardware.

#include "DemoUnitAddress.h"
#include "ErrorReportingApplication.h"
#include "FixedAdapterSource.h"
#include "QtClipPlayer.h"
#include "QtDialogs.h"
#include "SimulatorThread.h"
#include "ToolWindows.h"
#include "UnitSession.h"
#include "DemoScreenshots.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTimer>
#include <cstring>
#include <memory>

namespace {

constexpr char EmbeddedUnitAddress[] = "127.0.77.1";
constexpr int LiveIntervalMs = 3000;
constexpr int UsageError = 2;
const QString AdapterName = QStringLiteral("demo-wifi0");

int refuse(const QString &message)
{
    QTextStream(stderr) << "zorwifi-demo: " << message << Qt::endl;
    return UsageError;
}

// For unattended runs: every box goes to stderr instead of waiting for a click.
class PrintedDialogs : public Dialogs {
public:
    explicit PrintedDialogs(Dialogs &shown) : shown_(shown) {}
    bool printing = false;
    int messageBox(const QString &text, const QString &caption, int flags) override
    {
        if (!printing)
            return shown_.messageBox(text, caption, flags);
        QTextStream(stderr) << "box: " << caption << ": " << QString(text).replace('\n', ' ') << Qt::endl;
        return asks(flags) ? No : Ok;
    }
    QString openFile(const QString &extension, const QString &filter) override
    {
        return printing ? QString() : shown_.openFile(extension, filter);
    }
    QString chooseFolder(const QString &caption, const QString &start) override
    {
        return printing ? QString() : shown_.chooseFolder(caption, start);
    }

private:
    Dialogs &shown_;
};

// A 50 ms timer's lateness is how long the window's event loop was held up.
void reportStalls(QObject *parent)
{
    constexpr int IntervalMs = 50;
    constexpr qint64 ReportFromMs = 20;
    auto *timer = new QTimer(parent);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer, &QTimer::timeout, [clock] {
        const qint64 late = clock->restart() - IntervalMs;
        if (late >= ReportFromMs)
            QTextStream(stderr) << "event-loop stall: " << late << " ms" << Qt::endl;
    });
    timer->start(IntervalMs);
}

struct DemoOptions {
    QCommandLineOption unit{QStringLiteral("unit"),
                            QStringLiteral("Use the unit (e.g. zorsim) already serving this loopback address."),
                            QStringLiteral("address")};
    QCommandLineOption screenshot{QStringLiteral("screenshot"), QStringLiteral("Save the monitor window once linked, then quit."),
                                  QStringLiteral("file")};
    QCommandLineOption editorScreenshot{QStringLiteral("editor-screenshot"),
                                        QStringLiteral("Save the audio editor window once linked, then quit."),
                                        QStringLiteral("file")};
    QCommandLineOption setupScreenshot{QStringLiteral("setup-screenshot"),
                                       QStringLiteral("Save the setup window once linked, then quit."),
                                       QStringLiteral("file")};
    QCommandLineOption boxScreenshot{QStringLiteral("box-screenshot"),
                                     QStringLiteral("Save a message box with its window frame, then quit."),
                                     QStringLiteral("file")};
    QCommandLineOption model{QStringLiteral("model"), QStringLiteral("Model code of the embedded unit (189 or 190)."),
                             QStringLiteral("code"), QString::number(ModelZor06)};
    QCommandLineOption unitsScreenshot{QStringLiteral("units-screenshot"),
                                       QStringLiteral("Scan the unit's subnet in the Units window once linked, save it, then quit."),
                                       QStringLiteral("file")};
    QCommandLineOption unitsBatchScreenshot{QStringLiteral("units-batch-screenshot"),
                                            QStringLiteral("As --units-screenshot, then set every unit's location and save the window."),
                                            QStringLiteral("file")};
    QCommandLineOption logScreenshot{QStringLiteral("log-screenshot"),
                                     QStringLiteral("Save the Log viewer a few seconds after the link, then quit."),
                                     QStringLiteral("file")};
    QCommandLineOption editorMode{QStringLiteral("editor-mode"),
                                  QStringLiteral("The alarm mode the editor shows in its screenshot."),
                                  QStringLiteral("mode")};
    QCommandLineOption openWindows{QStringLiteral("open-windows"), QStringLiteral("Once linked, open and close every window.")};
    QCommandLineOption stalls{QStringLiteral("report-stalls"),
                              QStringLiteral("Print event-loop stalls and every message box to stderr; no box waits.")};

    void describe(QCommandLineParser &parser)
    {
        parser.setApplicationDescription(QStringLiteral(
            "The zorwifi tool against a simulated unit on this PC. Without --unit a unit runs inside "
            "the demo at %1, its inputs and RSSI changing every few seconds.").arg(EmbeddedUnitAddress));
        parser.addHelpOption();
        for (QCommandLineOption *hidden : {&screenshot, &editorScreenshot, &setupScreenshot, &boxScreenshot,
                                           &unitsScreenshot, &unitsBatchScreenshot, &logScreenshot, &model, &editorMode, &openWindows, &stalls})
            hidden->setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOptions({unit, screenshot, editorScreenshot, setupScreenshot, boxScreenshot, unitsScreenshot,
                           unitsBatchScreenshot, logScreenshot, model, editorMode, openWindows, stalls});
    }
};

// Help needs no display: it is printed before the windowing system is opened.
bool asksForHelp(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i)
        for (const char *help : {"-h", "--help", "-?", "--help-all"})
            if (std::strcmp(argv[i], help) == 0)
                return true;
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (asksForHelp(argc, argv)) {
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("zorwifi-demo"));
        QCommandLineParser parser;
        DemoOptions options;
        options.describe(parser);
        parser.process(core); // prints the help and exits 0
    }
    QtDialogs shownDialogs;
    PrintedDialogs dialogs(shownDialogs);
    ErrorReportingApplication application(argc, argv, dialogs);
    QCoreApplication::setApplicationName(QStringLiteral("zorwifi-demo"));

    QCommandLineParser parser;
    DemoOptions demo;
    demo.describe(parser);
    parser.process(application);
    if (parser.isSet(demo.stalls)) {
        dialogs.printing = true;
        reportStalls(&application);
    }

    const bool external = parser.isSet(demo.unit);
    const QString requested = external ? parser.value(demo.unit) : QString::fromLatin1(EmbeddedUnitAddress);
    const auto address = demoUnitAddress(requested);
    if (!address)
        return refuse(QStringLiteral("--unit needs a loopback address such as 127.0.0.5, not \"%1\"").arg(requested));

    SimulatorThread simulator;
    if (!external) {
        SimulatorOptions options;
        options.liveIntervalMs = LiveIntervalMs;
        options.model = std::uint8_t(parser.value(demo.model).toUInt());
        if (!simulator.start(QHostAddress(address->unit), options))
            return refuse(QStringLiteral("cannot start the simulated unit: %1").arg(simulator.errorString()));
        simulator.unit().updateState([](UnitState &state) { state.settings.location = "Demo unit"; });
    }

    FixedAdapterSource adapters({{AdapterName, address->adapterAddress}}, {{AdapterName, true}});
    UnitSession session(adapters);
    session.link.deviceAddress = address->unit;
    session.linkCheck.subnetPrefix = address->subnetPrefix;
    QtClipPlayer player;
    ToolWindows windows(session, dialogs, player);
    // The demo's Units window looks for units on loopback only, never on the PC's networks.
    windows.monitor.setScanSubnets({address->subnetPrefix + QStringLiteral("0/24")});
    const bool editorShot = parser.isSet(demo.editorScreenshot);
    const bool setupShot = parser.isSet(demo.setupScreenshot);
    QWidget &shown = editorShot ? static_cast<QWidget &>(windows.audioEditor)
                     : setupShot ? static_cast<QWidget &>(windows.setup)
                                 : windows.monitor;
    const QCommandLineOption &shot = editorShot ? demo.editorScreenshot
                                     : setupShot ? demo.setupScreenshot
                                                 : demo.screenshot;
    const Satellite satellite = parser.isSet(demo.unitsBatchScreenshot) ? Satellite::UnitsBatch
                                : parser.isSet(demo.unitsScreenshot)    ? Satellite::Units
                                                                        : Satellite::Log;
    const QCommandLineOption &satelliteOption = satellite == Satellite::UnitsBatch ? demo.unitsBatchScreenshot
                                                : satellite == Satellite::Units    ? demo.unitsScreenshot
                                                                                   : demo.logScreenshot;
    const bool satelliteShot = parser.isSet(satelliteOption);
    if (satelliteShot)
        shootSatelliteOnLink(session, windows.monitor, satellite, parser.value(satelliteOption));
    watchFirstLink(session, windows.monitor, shown, address->unit, satelliteShot ? QString() : parser.value(shot),
                   parser.value(demo.editorMode));
    if (parser.isSet(demo.openWindows))
        openWindowsOnceLinked(session, windows);
    windows.monitor.show();
    if (parser.isSet(demo.boxScreenshot))
        QTimer::singleShot(0, [&] { saveBoxScreenshot(shownDialogs, parser.value(demo.boxScreenshot)); });
    return application.exec();
}

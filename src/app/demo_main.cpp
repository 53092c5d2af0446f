// zorwifi-demo: the tool against a simulated unit on a loopback address, with a simulated
// Wi-Fi adapter on the unit's subnet, so every window can be tried without hardware.

#include "DemoUnitAddress.h"
#include "ErrorReportingApplication.h"
#include "FixedAdapterSource.h"
#include "LogViewer.h"
#include "QtClipPlayer.h"
#include "QtDialogs.h"
#include "SimulatorThread.h"
#include "ToolWindows.h"
#include "UnitSession.h"
#include "UnitsWindow.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTableWidget>
#include <QTextStream>
#include <QTimer>
#include <memory>

namespace {

constexpr char EmbeddedUnitAddress[] = "127.0.77.1";
constexpr int LiveIntervalMs = 3000;
constexpr int LinkWatchMs = 10;
constexpr int UsageError = 2;
const QString AdapterName = QStringLiteral("demo-wifi0");

int refuse(const QString &message)
{
    QTextStream(stderr) << "zorwifi-demo: " << message << Qt::endl;
    return UsageError;
}

// Tells once on stderr when the first device information is shown (the benchmarks wait for
// this line), and takes the screenshot of `shown` when one was asked for.
void watchFirstLink(const UnitSession &session, QWidget &monitor, QWidget &shown, const QString &unit,
                    const QString &screenshotPath)
{
    auto *watch = new QTimer(&monitor);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(watch, &QTimer::timeout, &monitor, [watch, started, &session, &shown, unit, screenshotPath] {
        if (!session.status.linked)
            return;
        watch->stop();
        QTextStream(stderr) << "zorwifi-demo: linked to " << unit << " after " << started->elapsed()
                            << " ms" << Qt::endl;
        if (screenshotPath.isEmpty())
            return;
        shown.show();
        const bool saved = shown.grab().save(screenshotPath);
        if (!saved)
            QTextStream(stderr) << "zorwifi-demo: cannot write " << screenshotPath << Qt::endl;
        QCoreApplication::exit(saved ? 0 : 1);
    });
    watch->start(LinkWatchMs);
}

// Opens the Units window (and scans) or the Log viewer once linked, and saves it when it has
// something to show.
void shootSatelliteOnLink(const UnitSession &session, MonitorWindow &monitor, bool units, const QString &path)
{
    auto *watch = new QTimer(&monitor);
    QObject::connect(watch, &QTimer::timeout, &monitor, [watch, units, path, &session, &monitor] {
        if (!session.status.linked)
            return;
        watch->stop();
        units ? monitor.onUnitsClicked() : monitor.onLogClicked();
        QWidget *shown = units ? static_cast<QWidget *>(monitor.findChild<UnitsWindow *>()) : monitor.findChild<LogViewer *>();
        const auto save = [shown, path] {
            const bool saved = shown->grab().save(path);
            if (!saved)
                QTextStream(stderr) << "zorwifi-demo: cannot write " << path << Qt::endl;
            QCoreApplication::exit(saved ? 0 : 1);
        };
        if (!units) {
            QTimer::singleShot(3500, shown, save); // a status poll or so
            return;
        }
        auto *window = static_cast<UnitsWindow *>(shown);
        QObject::connect(&window->scan(), &UnitScan::finished, window, [window, save] {
            auto *table = window->findChild<QTableWidget *>(QStringLiteral("UnitTable"));
            table->setFocus();
            table->selectRow(0);
            QTimer::singleShot(100, window, save);
        });
        window->startScan();
    });
    watch->start(LinkWatchMs);
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
        return flags == YesNoQuestion || flags == YesNoWarning ? No : Ok;
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

} // namespace

int main(int argc, char *argv[])
{
    QtDialogs shownDialogs;
    PrintedDialogs dialogs(shownDialogs);
    ErrorReportingApplication application(argc, argv, dialogs);
    QCoreApplication::setApplicationName(QStringLiteral("zorwifi-demo"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The zorwifi tool against a simulated unit on this PC. Without --unit a unit runs inside "
        "the demo at %1, its inputs and RSSI changing every few seconds.").arg(EmbeddedUnitAddress));
    parser.addHelpOption();
    const QCommandLineOption unitOption(QStringLiteral("unit"),
                                        QStringLiteral("Use the unit (e.g. zorsim) already serving this loopback address."),
                                        QStringLiteral("address"));
    QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
                                        QStringLiteral("Save the monitor window once linked, then quit."),
                                        QStringLiteral("file"));
    screenshotOption.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption editorScreenshotOption(QStringLiteral("editor-screenshot"),
                                              QStringLiteral("Save the audio editor window once linked, then quit."),
                                              QStringLiteral("file"));
    editorScreenshotOption.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption setupScreenshotOption(QStringLiteral("setup-screenshot"),
                                             QStringLiteral("Save the setup window once linked, then quit."),
                                             QStringLiteral("file"));
    setupScreenshotOption.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption stallsOption(QStringLiteral("report-stalls"),
                                    QStringLiteral("Print event-loop stalls and every message box to stderr; no box waits."));
    stallsOption.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption unitsScreenshotOption(QStringLiteral("units-screenshot"),
                                             QStringLiteral("Scan the unit's subnet in the Units window once linked, save it, then quit."),
                                             QStringLiteral("file"));
    unitsScreenshotOption.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption logScreenshotOption(QStringLiteral("log-screenshot"),
                                           QStringLiteral("Save the Log viewer a few seconds after the link, then quit."),
                                           QStringLiteral("file"));
    logScreenshotOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({unitOption, screenshotOption, editorScreenshotOption, setupScreenshotOption, unitsScreenshotOption,
                       logScreenshotOption, stallsOption});
    parser.process(application);
    if (parser.isSet(stallsOption)) {
        dialogs.printing = true;
        reportStalls(&application);
    }

    const bool external = parser.isSet(unitOption);
    const QString requested = external ? parser.value(unitOption) : QString::fromLatin1(EmbeddedUnitAddress);
    const auto address = demoUnitAddress(requested);
    if (!address)
        return refuse(QStringLiteral("--unit needs a loopback address such as 127.0.0.5, not \"%1\"").arg(requested));

    SimulatorThread simulator;
    if (!external) {
        SimulatorOptions options;
        options.liveIntervalMs = LiveIntervalMs;
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
    const bool editorShot = parser.isSet(editorScreenshotOption);
    const bool setupShot = parser.isSet(setupScreenshotOption);
    QWidget &shown = editorShot ? static_cast<QWidget &>(windows.audioEditor)
                     : setupShot ? static_cast<QWidget &>(windows.setup)
                                 : windows.monitor;
    const QCommandLineOption &shot = editorShot ? editorScreenshotOption
                                     : setupShot ? setupScreenshotOption
                                                 : screenshotOption;
    const bool unitsShot = parser.isSet(unitsScreenshotOption);
    if (unitsShot || parser.isSet(logScreenshotOption))
        shootSatelliteOnLink(session, windows.monitor, unitsShot,
                             parser.value(unitsShot ? unitsScreenshotOption : logScreenshotOption));
    watchFirstLink(session, windows.monitor, shown, address->unit,
                   unitsShot || parser.isSet(logScreenshotOption) ? QString() : parser.value(shot));
    windows.monitor.show();
    return application.exec();
}

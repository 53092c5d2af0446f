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

#include <QComboBox>
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QScreen>
#include <QElapsedTimer>
#include <QTableWidget>
#include <QTextStream>
#include <QTimer>
#include <cstring>
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
                    const QString &screenshotPath, const QString &alarmMode)
{
    auto *watch = new QTimer(&monitor);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(watch, &QTimer::timeout, &monitor, [watch, started, &session, &shown, unit, screenshotPath, alarmMode] {
        if (!session.status.linked)
            return;
        watch->stop();
        QTextStream(stderr) << "zorwifi-demo: linked to " << unit << " after " << started->elapsed()
                            << " ms" << Qt::endl;
        if (screenshotPath.isEmpty())
            return;
        shown.show();
        if (!alarmMode.isEmpty())
            if (auto *selector = shown.findChild<QComboBox *>(QStringLiteral("ComboBox1")))
                selector->setCurrentText(alarmMode);
        QCoreApplication::processEvents(); // lets the layouts settle before the picture
        const bool saved = shown.grab().save(screenshotPath);
        if (!saved)
            QTextStream(stderr) << "zorwifi-demo: cannot write " << screenshotPath << Qt::endl;
        QCoreApplication::exit(saved ? 0 : 1);
    });
    watch->start(LinkWatchMs);
}

// For the memory benchmark: once linked, every window is opened and closed again, so that
// all that the windows build is there; says so on stderr.
void openWindowsOnceLinked(const UnitSession &session, ToolWindows &windows)
{
    auto *watch = new QTimer(&windows.monitor);
    QObject::connect(watch, &QTimer::timeout, &windows.monitor, [watch, &session, &windows] {
        if (!session.status.linked)
            return;
        watch->stop();
        for (QWidget *window : std::initializer_list<QWidget *>{&windows.setup, &windows.audioEditor}) {
            window->show();
            QCoreApplication::processEvents();
            window->hide();
        }
        QTextStream(stderr) << "zorwifi-demo: all windows opened" << Qt::endl;
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

// The screen around a message box, frame and caption included: what a window manager shows.
void saveBoxScreenshot(Dialogs &dialogs, const QString &path)
{
    auto *watch = new QTimer(qApp);
    QObject::connect(watch, &QTimer::timeout, [watch, path] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        watch->stop();
        // The window manager decorates the box a moment after it maps.
        QTimer::singleShot(1000, box, [box, path] {
            const QRect frame = box->frameGeometry().adjusted(-4, -4, 4, 4);
            const bool saved = QGuiApplication::primaryScreen()
                                   ->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
                                   .save(path);
            if (!saved)
                QTextStream(stderr) << "zorwifi-demo: cannot write " << path << Qt::endl;
            box->done(0);
            QCoreApplication::exit(saved ? 0 : 1);
        });
    });
    watch->start(LinkWatchMs);
    const QString verdict = QStringLiteral("F/W update Complete! Reboot to take effect");
    dialogs.messageBox(verdict, verdict, Dialogs::Plain);
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
                                           &unitsScreenshot, &logScreenshot, &model, &editorMode, &openWindows, &stalls})
            hidden->setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOptions({unit, screenshot, editorScreenshot, setupScreenshot, boxScreenshot, unitsScreenshot,
                           logScreenshot, model, editorMode, openWindows, stalls});
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
    const bool unitsShot = parser.isSet(demo.unitsScreenshot);
    const bool satelliteShot = unitsShot || parser.isSet(demo.logScreenshot);
    if (satelliteShot)
        shootSatelliteOnLink(session, windows.monitor, unitsShot,
                             parser.value(unitsShot ? demo.unitsScreenshot : demo.logScreenshot));
    watchFirstLink(session, windows.monitor, shown, address->unit, satelliteShot ? QString() : parser.value(shot),
                   parser.value(demo.editorMode));
    if (parser.isSet(demo.openWindows))
        openWindowsOnceLinked(session, windows);
    windows.monitor.show();
    if (parser.isSet(demo.boxScreenshot))
        QTimer::singleShot(0, [&] { saveBoxScreenshot(shownDialogs, parser.value(demo.boxScreenshot)); });
    return application.exec();
}

// "Write project…" to 8 simulated units from the Units window, against Write Device of the
// same project to one unit in the audio editor, both with the real pauses.
// Run in a namespace of its own: unshare -n sh -c 'ip link set lo up && QT_QPA_PLATFORM=offscreen build/bench/units_batch'
#include "AudioEditorWindow.h"
#include "Dialogs.h"
#include "FixedAdapterSource.h"
#include "RecordingClipPlayer.h"
#include "SimulatorThread.h"
#include "SixteenClipProject.h"
#include "UnitSession.h"
#include "UnitsWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QStatusBar>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int UnitCount = 8;
const QString Subnet = QStringLiteral("127.41.9.");

// Every question answered Yes, every folder the project's.
struct ProjectDialogs : Dialogs {
    QString folder;
    int messageBox(const QString &text, const QString &, int flags) override
    {
        std::fprintf(stderr, "units_batch: box: %s\n", qPrintable(text));
        return asks(flags) ? Yes : Ok;
    }
    QString openFile(const QString &, const QString &) override { return {}; }
    QString chooseFolder(const QString &, const QString &) override { return folder; }
};

void zorctl(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(ZORCTL_PATH), arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qFatal("zorctl %s failed: %s", qPrintable(arguments.join(' ')), process.readAllStandardError().constData());
}

double unitsWindowMs(const QString &project)
{
    ProjectDialogs dialogs;
    dialogs.folder = project;
    UnitsWindow window(dialogs, {Subnet + "0/28"});
    window.batch().run().program = QStringLiteral(ZORCTL_PATH);
    window.show();
    window.startScan();
    if (!QTest::qWaitFor([&] { return !window.scan().isRunning(); }, 10000))
        qFatal("the scan did not end");
    auto *table = window.findChild<QTableWidget *>("UnitTable");
    if (table->rowCount() != UnitCount)
        qFatal("%d units listed, not %d", table->rowCount(), UnitCount);
    table->selectAll();
    QElapsedTimer clock;
    clock.start();
    window.findChild<QPushButton *>("WriteProjectButton")->click();
    if (!QTest::qWaitFor([&] { return !window.batch().isRunning(); }, 600000))
        qFatal("the batch did not end");
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    for (int row = 0; row < UnitCount; ++row)
        if (table->item(row, 9)->text() != "done")
            qFatal("%s: %s", qPrintable(table->item(row, 0)->text()), qPrintable(table->item(row, 9)->text()));
    return ms;
}

double audioEditorMs(const QString &project, SimulatedUnit &unit)
{
    FixedAdapterSource adapters({{"wlan-bench", Subnet + "100"}}, {{"wlan-bench", true}});
    UnitSession session(adapters);
    session.link.deviceAddress = Subnet + "1";
    session.linkCheck.subnetPrefix = Subnet;
    // As the monitor's first polls leave it: the unit known, its status read.
    session.link.requestDeviceInformation();
    session.link.pollStatus();
    if (!session.status.statusValid)
        qFatal("no status from %s", qPrintable(session.link.deviceAddress));
    ProjectDialogs dialogs;
    dialogs.folder = project;
    RecordingClipPlayer player;
    AudioEditorWindow editor(session, dialogs, player);
    editor.show();
    editor.findChild<QAbstractButton *>("SpeedButton7")->click(); // Load Project
    QElapsedTimer clock;
    clock.start();
    editor.findChild<QAbstractButton *>("SpeedButton1")->click(); // Write Device returns once written
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    if (!unit.file(FileArea::Sd, QStringLiteral("%1.mp3").arg(BenchClipCount, 3, 10, QChar(u'0'))))
        qFatal("Write Device did not write the last clip: %s", qPrintable(editor.findChild<QStatusBar *>("StatusBar1")->findChild<QLabel *>()->text()));
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    // The editor keeps PRJ.cfg and its scratch folder in the current folder: not the checkout's.
    QDir::setCurrent(dir.path());
    std::vector<std::unique_ptr<SimulatorThread>> units;
    for (int i = 1; i <= UnitCount; ++i) {
        units.push_back(std::make_unique<SimulatorThread>());
        if (!units.back()->start(QHostAddress(Subnet + QString::number(i))))
            qFatal("no simulated unit: %s", qPrintable(units.back()->errorString()));
    }
    const QString project = sixteenClipProject(dir, zorctl);
    const double editor = audioEditorMs(project, units.front()->unit());
    const double batch = unitsWindowMs(project);
    std::printf("Write project… to %d units from the Units window  %9.0f ms\n", UnitCount, batch);
    std::printf("Write Device of the same project to 1 unit (editor) %9.0f ms\n", editor);
    std::printf("ratio %.2f  (16 clips x 64 KiB, real pauses; goal <= 1.3)\n", batch / editor);
    for (auto &unit : units)
        unit->stop();
    return 0;
}

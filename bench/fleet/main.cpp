// zorctl on many simulated units at once, each figure as a ratio to what it is measured against:
// discover of a /24 against 1 s and against the per-host budget plus 0.5 s with silent hosts;
// project write and set location to many units against one unit; diff of an unchanged unit
// against a backup of it, with and without clips.
// Run in a namespace of its own: unshare -n sh -c 'ip link set lo up && build/bench/fleet'
#include "SimulatorThread.h"
#include "SixteenClipProject.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr double DiscoverBudgetMs = 1000;

std::vector<std::unique_ptr<SimulatorThread>> units;

void startUnits(const QString &subnet, int first, int count, const UnitFaults &faults = {})
{
    for (int i = first; i < first + count; ++i) {
        units.push_back(std::make_unique<SimulatorThread>());
        const QString address = subnet + QString::number(i);
        if (!units.back()->start(QHostAddress(address), {ModelZor06, {}, 0, faults}))
            qFatal("no simulated unit on %s: %s", qPrintable(address), qPrintable(units.back()->errorString()));
    }
}

// Milliseconds zorctl took; a failed run ends the bench.
double timed(const QStringList &arguments)
{
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(ZORCTL_PATH), arguments);
    if (!process.waitForFinished(600000) || process.exitCode() != 0)
        qFatal("zorctl %s failed: %s", qPrintable(arguments.join(' ')), process.readAllStandardError().constData());
    return double(clock.nsecsElapsed()) / 1e6;
}

QString hostsFile(const QTemporaryDir &dir, const QString &name, const QString &subnet, int count)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(file.fileName()));
    for (int i = 1; i <= count; ++i)
        file.write((subnet + QString::number(i) + "\n").toLatin1());
    return file.fileName();
}

// The middle of five runs each, taken in turns so that both see the same machine; `second`
// runs against the file `first` wrote.
std::pair<double, double> medians(const QStringList &first, const QStringList &second)
{
    std::vector<double> a, b;
    for (int i = 0; i < 5; ++i) {
        a.push_back(timed(first));
        b.push_back(timed(second));
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return {a[2], b[2]};
}

void row(const char *what, double ms, double against, const char *againstText, const char *goal)
{
    std::printf("%-52s %9.0f ms  / %-22s = %5.2f  %s\n", what, ms, againstText, ms / against, goal);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;

    startUnits("127.17.1.", 1, 8);
    const double discover = timed({"discover", "--subnet", "127.17.1.0/24"});
    UnitFaults silent;
    silent.noAnswer = true;
    startUnits("127.17.1.", 101, 8, silent);
    const double discoverSilent = timed({"discover", "--subnet", "127.17.1.0/24"});

    startUnits("127.17.2.", 1, 32);
    const QString project = sixteenClipProject(dir, [](const QStringList &arguments) { timed(arguments); });
    const double writeOne = timed({"--address", "127.17.2.1", "project", "write", project});
    const double writeEight = timed({"--hosts", hostsFile(dir, "eight", "127.17.2.", 8), "--jobs", "8", "project", "write", project});
    const double locationOne = timed({"--address", "127.17.2.1", "set", "location", "Bench"});
    const QString thirtyTwo = hostsFile(dir, "thirty-two", "127.17.2.", 32);
    const double location32 = timed({"--hosts", thirtyTwo, "--jobs", "32", "set", "location", "Bench"});
    const double location32By8 = timed({"--hosts", thirtyTwo, "set", "location", "Bench"});

    const QString backup = dir.filePath("backup.json"), clips = dir.filePath("clips");
    const auto [backupPlain, diffPlain] = medians({"--address", "127.17.2.1", "backup", backup},
                                                  {"--address", "127.17.2.1", "diff", backup});
    const auto [backupClips, diffClips] = medians({"--address", "127.17.2.1", "backup", backup, "--with-clips", clips},
                                                  {"--address", "127.17.2.1", "diff", backup});

    std::printf("zorctl against simulated units on loopback\n");
    row("discover /24: 8 units, 246 hosts refusing", discover, DiscoverBudgetMs, "1 s", "");
    row("discover /24: 8 units, 8 silent, 238 refusing", discoverSilent, DiscoverBudgetMs + 500, "budget 1 s + 0.5 s", "");
    row("project write, 16 clips x 64 KiB, 8 units, --jobs 8", writeEight, writeOne, "one unit", "goal <= 1.3");
    row("set location, 32 units, --jobs 32", location32, locationOne, "one unit", "goal <= 2");
    row("set location, 32 units, --jobs 8 (default)", location32By8, locationOne, "one unit", "");
    row("diff of an unchanged unit", diffPlain, backupPlain, "backup of it", "goal <= 1.1");
    row("diff of an unchanged unit, 16 clips x 64 KiB", diffClips, backupClips, "backup --with-clips", "goal <= 1.1");
    std::printf("one unit: project write %.0f ms, set location %.0f ms\n", writeOne, locationOne);
    for (auto &unit : units)
        unit->stop();
    return 0;
}

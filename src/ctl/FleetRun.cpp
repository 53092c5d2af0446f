#include "FleetRun.h"

#include "CtlSession.h"
#include "Protocol.h"
#include "ProgressLine.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <memory>

namespace {

const QString AddressField = QStringLiteral("{address}");
// Where no loopback listener can be had: not a dotted address, so the link dials nothing.
const QString RehearsalAddress = QStringLiteral("rehearsal");

struct UnitRun {
    QString address;
    std::unique_ptr<QProcess> process;
    bool finished = false;
    bool ok = false;           // its zorctl exited 0
    bool notConfirmed = false; // the unit did not confirm a request: neither done nor plainly failed
    bool differs = false;      // a comparison found the unit unlike its file: no failure
    QString message;
    QJsonValue result{QJsonValue::Undefined};
};

// The command and, for set and project, its subcommand.
QStringList commandWords(const QStringList &arguments)
{
    QStringList words;
    for (const QString &word : arguments)
        if (!word.startsWith(u'-') && words.size() < 2)
            words << word;
    return words;
}

// diff, restore --check and restore --changed-only: each unit compared with a file.
bool comparing(const QStringList &arguments)
{
    const QString command = commandWords(arguments).value(0);
    return command == "diff"
           || (command == "restore" && (arguments.contains("--check") || arguments.contains("--changed-only")));
}

QString refusedCommand(const FleetCommandLine &line)
{
    const QStringList words = commandWords(line.unitArguments);
    const QString command = words.value(0);
    static const QStringList several{"set", "wifi-mode", "reset-defaults", "reboot", "firmware", "info", "status", "backup", "diff", "report"};
    if (command.isEmpty())
        return QStringLiteral("give a command to run on the units");
    if (command == "restore" && comparing(line.unitArguments))
        return {};
    if (!several.contains(command) && !(command == "project" && words.value(1) == "write"))
        return (command == "project" ? "project " + words.value(1) : command).trimmed() + " runs on one unit at a time";
    if (command == "backup" && line.addresses.size() > 1) {
        // Each unit needs a file and a clip folder of its own.
        const qsizetype at = line.unitArguments.indexOf("backup");
        const QString file = line.unitArguments.value(at + 1);
        const qsizetype clips = line.unitArguments.indexOf("--with-clips");
        if (!file.contains(AddressField) || (clips >= 0 && !line.unitArguments.value(clips + 1).contains(AddressField)))
            return "backup to several units needs " + AddressField + " in FILE and in the --with-clips folder";
    }
    return {};
}

// The groups of a comparison's JSON result in `state`: diff's that differ, restore's by their state.
QStringList groupsIn(const QJsonValue &result, const QString &state)
{
    QStringList groups;
    for (const QJsonValue group : result["groups"].toArray())
        if (group["state"] == state || (state == "differs" && group["differs"].toBool()))
            groups << group["group"].toString();
    return groups;
}

// What a comparing run's unit line says, from its JSON result.
QString comparisonMessage(const QStringList &arguments, const QJsonValue &result)
{
    const QString command = commandWords(arguments).value(0);
    const QString state = command == "diff" ? QStringLiteral("differs")
                          : arguments.contains("--check") ? QStringLiteral("would change")
                                                          : QStringLiteral("changed");
    const QStringList groups = groupsIn(result, state);
    if (groups.isEmpty())
        return command == "diff" ? QStringLiteral("same") : QStringLiteral("unchanged");
    return state + ": " + groups.join(", ");
}

void conclude(UnitRun &run, const QStringList &arguments)
{
    QProcess &process = *run.process;
    const QByteArray out = process.readAllStandardOutput();
    const QStringList err = QString::fromLocal8Bit(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    run.finished = true;
    const bool normal = process.exitStatus() == QProcess::NormalExit;
    const bool compares = comparing(arguments);
    const ChildRunEnd end = childRunEnd(normal, process.exitCode(), err,
                                        compares ? QList<int>{CtlDone, CtlDiffers} : QList<int>{CtlDone});
    run.differs = compares && normal && process.exitCode() == CtlDiffers;
    run.ok = end.ok;
    run.notConfirmed = end.notConfirmed;
    run.message = end.message; // a comparison's comes from its result, below
    const QJsonDocument document = QJsonDocument::fromJson(out.trimmed());
    if (document.isObject())
        run.result = document.object();
    else if (document.isArray())
        run.result = document.array();
    if (run.ok && comparing(arguments))
        run.message = comparisonMessage(arguments, run.result);
    run.process.reset();
}

void printResult(const UnitRun &run, bool json)
{
    if (!json) {
        printLine(stdout, run.address + (run.ok || run.notConfirmed ? ": " + run.message : ": failed: " + run.message));
    } else {
        QJsonObject object{{"address", run.address}, {"ok", run.ok}, {"message", run.message}};
        if (!run.result.isUndefined())
            object["result"] = run.result;
        printJson(object);
    }
    std::fflush(stdout); // each line as its unit is done, ahead of the summary on stderr
}

// A loopback address of the device port for the rehearsal to reach; false where none is free.
bool listenForRehearsal(QTcpServer &listener)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        const quint32 host = QRandomGenerator::global()->bounded(1u << 24) | (127u << 24);
        if ((host & 0xFF) != 0 && (host & 0xFF) != 0xFF && listener.listen(QHostAddress(host), DevicePort))
            return true;
    }
    return false;
}

// Usage errors that only the command itself can find (a location too long, a missing
// project): one run against no unit finds them before any unit is touched. A command
// checks its input before it connects, so the rehearsal's first connection, to a listener
// of our own, means its input passed; it is stopped there instead of waiting out its pauses.
bool rehearse(const FleetCommandLine &line)
{
    QTcpServer listener;
    const QString address = listenForRehearsal(listener) ? listener.serverAddress().toString() : RehearsalAddress;
    QProcess process;
    QEventLoop loop;
    bool reached = false;
    QObject::connect(&listener, &QTcpServer::newConnection, &loop, [&] {
        reached = true;
        process.kill();
        loop.quit();
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });
    process.start(QCoreApplication::applicationFilePath(), unitCommandLine(line, address));
    loop.exec();
    process.waitForFinished(-1);
    if (reached || (process.exitStatus() == QProcess::NormalExit && process.exitCode() != CtlUsage))
        return true;
    std::fputs(process.readAllStandardError().constData(), stderr);
    return false;
}

} // namespace

QStringList unitCommandLine(const FleetCommandLine &line, const QString &address)
{
    QStringList arguments{"--address", address};
    // A comparison's unit line is made from its JSON result.
    if (comparing(line.unitArguments) && !line.unitArguments.contains("--json"))
        arguments << "--json";
    for (QString argument : line.unitArguments)
        arguments << argument.replace(AddressField, address);
    return arguments;
}

int runFleet(const FleetCommandLine &line)
{
    if (!line.error.isEmpty() || !refusedCommand(line).isEmpty()) {
        printLine(stderr, "zorctl: " + (line.error.isEmpty() ? refusedCommand(line) : line.error));
        return CtlUsage;
    }
    if (!rehearse(line))
        return CtlUsage;

    std::vector<UnitRun> runs(line.addresses.size());
    for (qsizetype i = 0; i < line.addresses.size(); ++i)
        runs[i].address = line.addresses[i];
    QEventLoop loop;
    ProgressLine progress(QStringLiteral("units"));
    std::size_t started = 0, printed = 0;
    int running = 0, finished = 0;
    const int total = int(runs.size());

    std::function<void()> startNext;
    auto onDone = [&] {
        --running;
        progress.show(++finished, total);
        // In list order: a unit's line waits for the units before it.
        while (printed < runs.size() && runs[printed].finished) {
            progress.clear();
            printResult(runs[printed++], line.json);
        }
        if (printed == runs.size())
            loop.quit();
        else
            startNext();
    };
    startNext = [&] {
        while (running < line.jobs && started < runs.size()) {
            const std::size_t index = started++;
            UnitRun &run = runs[index];
            run.process = std::make_unique<QProcess>();
            QObject::connect(run.process.get(), &QProcess::finished, &loop, [&, index] {
                conclude(runs[index], line.unitArguments);
                onDone();
            });
            QObject::connect(run.process.get(), &QProcess::errorOccurred, &loop, [&, index](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart)
                    return; // finished() follows
                runs[index].finished = true;
                runs[index].message = "cannot start zorctl: " + runs[index].process->errorString();
                runs[index].process.release()->deleteLater();
                onDone();
            });
            ++running;
            run.process->start(QCoreApplication::applicationFilePath(), unitCommandLine(line, run.address));
        }
    };
    progress.show(0, total);
    startNext();
    loop.exec();

    QStringList failed, notConfirmed;
    bool anyFailed = false, anyDiffers = false;
    for (const UnitRun &run : runs) {
        anyFailed = anyFailed || !run.ok;
        anyDiffers = anyDiffers || run.differs;
        if (run.notConfirmed)
            notConfirmed << run.address;
        else if (!run.ok)
            failed << run.address;
    }
    if (!failed.isEmpty())
        printLine(stderr, QStringLiteral("zorctl: %1 of %2 units failed: %3").arg(failed.size()).arg(total).arg(failed.join(", ")));
    if (!notConfirmed.isEmpty())
        printLine(stderr, QStringLiteral("zorctl: %1 of %2 units did not confirm: %3")
                              .arg(notConfirmed.size())
                              .arg(total)
                              .arg(notConfirmed.join(", ")));
    // A unit left unconfirmed by a restarting command exited 0 and is no failure.
    return anyFailed ? CtlUnitsFailed : anyDiffers ? CtlDiffers : CtlDone;
}

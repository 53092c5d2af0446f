// zorctl's commands that reach the unit, under the simulated unit's faults: a zero exit only for work done,
// nothing on stdout after a failure, and stderr saying why. zorctl waits with the real
// time-outs, so the faults that cost long waits run on a representative few commands.
#include "FaultNames.h"
#include "SimulatorThread.h"
#include "ZorCtlRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

struct CtlCommand {
    QString name;
    QStringList arguments;                     // %D: a scratch folder, %F: a small file there
    std::function<bool(SimulatedUnit &, const QByteArray &out, const QString &dir)> done; // the work happened
    bool dataPhase = false;
};

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonObject json(const QByteArray &out) { return QJsonDocument::fromJson(out).object(); }

const QByteArray smallFile(2000, 'q');

const QList<CtlCommand> commands{
    {"info", {"--json", "info"}, [](SimulatedUnit &u, const QByteArray &out, const QString &) {
         return json(out)["location"].toString() == "Hall C" && json(out)["address"].toString() == u.address().toString();
     }},
    {"status", {"--json", "status"}, [](SimulatedUnit &, const QByteArray &out, const QString &) {
         return json(out)["volume"].toInt() == 7 && json(out)["armed"].toInt() == 1;
     }},
    {"relay", {"relay", "on"}, [](SimulatedUnit &u, auto, auto) { return (u.state().relayBits & 1) == 1; }},
    {"volume", {"volume", "9"}, [](SimulatedUnit &u, auto, auto) { return u.state().volume == 9; }},
    {"disarm", {"disarm"}, [](SimulatedUnit &u, auto, auto) { return u.state().armed == 0; }},
    {"locate", {"locate"}, [](SimulatedUnit &u, auto, auto) { return u.state().locatorCount > 0; }},
    {"web-key", {"set", "web-key", "ab12"}, [](SimulatedUnit &u, auto, auto) { return u.state().webKey == "ab12"; }},
    {"reset", {"reset-defaults"}, [](SimulatedUnit &u, auto, auto) { return u.state().resetCount > 0; }},
    {"play", {"play", "3"}, [](SimulatedUnit &u, auto, auto) { return u.state().lastPlayedClip == 3; }},
    {"clip-rm", {"clip-rm", "003.mp3"}, [](SimulatedUnit &u, auto, auto) { return !u.file(FileArea::Sd, "003.mp3"); }},
    {"location", {"set", "location", "Pump room"},
     [](SimulatedUnit &u, auto, auto) { return u.file(FileArea::Flash, "/local/locate.cfg") == "Pump room"; }, true},
    {"sd-put", {"sd-put", "%F"}, [](SimulatedUnit &u, auto, auto) { return u.file(FileArea::Sd, "put.bin") == smallFile; },
     true},
    {"sd-get", {"sd-get", "003.mp3", "%D/got.mp3"},
     [](SimulatedUnit &, auto, const QString &dir) { return contents(dir + "/got.mp3").startsWith("clip three"); }, true},
    {"wifi-mode", {"wifi-mode", "station"}, [](SimulatedUnit &u, auto, auto) { return u.state().wifiMode == WifiModeStation; }},
    {"stop", {"stop"}, [](SimulatedUnit &u, auto, auto) { return u.state().stopPlaybackCount > 0; }},
    {"test-input", {"test-input", "2"}, [](SimulatedUnit &u, auto, auto) { return u.state().channelTestInput == 2; }},
    {"test-stop", {"test-stop"}, [](SimulatedUnit &u, auto, auto) { return !u.state().channelTestRunning; }},
    {"flash-rm", {"flash-rm", "/local/old.cfg"},
     [](SimulatedUnit &u, auto, auto) { return !u.file(FileArea::Flash, "/local/old.cfg"); }},
    {"flash-put", {"flash-put", "/local/put.cfg", "%F"},
     [](SimulatedUnit &u, auto, auto) { return u.file(FileArea::Flash, "/local/put.cfg") == smallFile; }, true},
    {"modbus-tcp", {"set", "modbus-tcp", "1502", "60"},
     [](SimulatedUnit &u, auto, auto) { return u.state().modbusWrittenCount > 0; }, true},
    {"project read", {"project", "read", "%D/project"},
     [](SimulatedUnit &u, auto, const QString &dir) {
         return contents(dir + "/project/plist.cfg") == u.file(FileArea::Sd, "plist.cfg");
     }, true},
};

// As zorsim's options name them; "none" for a sound unit.
const QStringList quickFaults{"none", "no-answer", "negative-status", "wrong-magic", "split-answer",
                              "oversize-answer", "other-address=127.0.0.99", "refuse-connections", "cut-data",
                              "longer-read", "reset-mid-answer", "slow-answer", "refuse-data",
                              "wrong-firmware-sum", "split-data", "huge-read-length"};

// Each costs zorctl's full read wait (about 10 s) or its answer waits on every exchange.
const QList<QPair<QString, QString>> slowCells{
    {"sd-get", "stall-data"}, {"project read", "stall-data"}, {"sd-put", "stall-data"}, {"info", "never-read"},
    {"relay", "never-read"},  {"location", "never-read"},     {"sd-get", "never-read"},
};

qint64 worstMs = 0;
QString worstCell;

} // namespace


class FaultMatrixCtlTest : public QObject {
    Q_OBJECT
private slots:
    void command_data();
    void command();
    void cleanupTestCase() { qInfo("worst zorctl run: %lld ms (%s)", worstMs, qPrintable(worstCell)); }
};

void FaultMatrixCtlTest::command_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("fault");
    for (int i = 0; i < commands.size(); ++i) {
        for (const QString &fault : quickFaults)
            QTest::addRow("%s / %s", qPrintable(commands[i].name), qPrintable(fault)) << i << fault;
        for (const auto &[name, fault] : slowCells)
            if (name == commands[i].name)
                QTest::addRow("%s / %s", qPrintable(name), qPrintable(fault)) << i << fault;
    }
}

void FaultMatrixCtlTest::command()
{
    QFETCH(int, index);
    QFETCH(QString, fault);
    const CtlCommand &unitCommand = commands[index];
    static int next = 10;
    const QString address = QStringLiteral("127.0.%1.%2").arg(20 + next / 200).arg(next % 200 + 10); // subnets of its own
    ++next;
    SimulatorThread sim;
    QVERIFY(sim.start(QHostAddress(address)));
    SimulatedUnit &unit = sim.unit();
    unit.setFile(FileArea::Sd, "003.mp3", "clip three");
    unit.setFile(FileArea::Sd, "plist.cfg", QByteArray(512, '\x21'));
    unit.setFile(FileArea::Sd, "m3fn.txt", "\xEF\xBB\xBF" "003.mp3\r\n");
    unit.setFile(FileArea::Flash, "/local/old.cfg", "old");
    unit.updateState([](UnitState &s) {
        s.channelTestRunning = true;
        s.channelTestInput = 5;
        s.volume = 7;
        s.armed = 1;
        s.settings.location = "Hall C";
    });
    UnitFaults faults;
    QString unknown;
    QVERIFY2(faultsFromNames(fault == "none" ? QStringList() : QStringList{fault}, faults, unknown), qPrintable(unknown));
    sim.setFaults(faults);

    QTemporaryDir dir;
    QFile file(dir.filePath("put.bin"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(smallFile) == smallFile.size());
    file.close();
    QStringList arguments{"--address", address};
    for (QString argument : unitCommand.arguments)
        arguments << argument.replace("%D", dir.path()).replace("%F", file.fileName());

    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(ZORCTL_PATH), arguments);
    // The longest wait zorctl may take here: a read's 10 s of silence, plus its pauses.
    const bool finished = process.waitForFinished(25000);
    if (!finished)
        process.kill(), process.waitForFinished();
    const qint64 elapsed = clock.elapsed();
    if (elapsed > worstMs)
        worstMs = elapsed, worstCell = QTest::currentDataTag();
    QVERIFY2(finished, "zorctl hung");
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    const QByteArray out = textLines(process.readAllStandardOutput());
    const QByteArray err = textLines(process.readAllStandardError());

    sim.setFaults({}); // the effect is read back from a unit that listens again
    // The unit stores an upload once it has seen the connection close, a moment after zorctl exits.
    bool done = unitCommand.done(unit, out, dir.path());
    for (int i = 0; i < 50 && !done && process.exitCode() == 0; ++i, QTest::qWait(10))
        done = unitCommand.done(unit, out, dir.path());
    // A data phase carries no acknowledgement: an upload the unit's socket took and then
    // dropped cannot be told from a stored one.
    const bool unknowable = unitCommand.dataPhase && (fault == "cut-data" || fault == "stall-data")
                            && !unitCommand.name.contains("read") && !unitCommand.name.contains("get");
    // Exit 0 with a line: a restarting command the unit did not confirm, or a delete refused
    // for a file the unit may not have held.
    const bool restarts = unitCommand.name == "wifi-mode" || unitCommand.name == "reset";
    const bool noted = (restarts && err.contains("zorctl: not confirmed: "))
                       || err.contains("zorctl: note: the unit refused to delete");
    // Silence is a failure that names the request, except where the unit restarts.
    if (fault == "no-answer" && !restarts) {
        QCOMPARE(process.exitCode(), 1);
        if (unitCommand.name != "project read")
            QVERIFY2(err.contains("zorctl: not confirmed: "), err.constData());
    }
    if (process.exitCode() == 0 && !unknowable && !noted) {
        QVERIFY2(done, qPrintable("exit 0 for work not done; stdout: " + QString::fromUtf8(out)));
    } else if (process.exitCode() != 0) {
        QVERIFY2(out.isEmpty(), out.constData());
        QVERIFY2(!err.trimmed().isEmpty(), "failed without a reason on stderr");
        QVERIFY(process.exitCode() == 1 || process.exitCode() == 3);
    }
    if (fault == "none")
        QCOMPARE(process.exitCode(), 0);
}

QTEST_MAIN(FaultMatrixCtlTest)
#include "test_fault_matrix_ctl.moc"

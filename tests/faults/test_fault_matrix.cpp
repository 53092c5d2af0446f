// Every fault the simulated unit can show, against every operation that reaches it: no hang,
// no claim of work that did not happen, no project file touched, and a normal answer afterwards.
#include "DeviceConfiguration.h"
#include "Dialogs.h"
#include "FixedAdapterSource.h"
#include "LocationPlan.h"
#include "ModbusRtuPlan.h"
#include "ModbusTcpPlan.h"
#include "Mp3Fixture.h"
#include "MonitorPresenter.h"
#include "PermissiveDialogs.h"
#include "ProjectStore.h"
#include "RecordingMonitorView.h"
#include "SetupRunner.h"
#include "FaultNames.h"
#include "SimulatorThread.h"
#include "StaticAddressPlan.h"
#include "UnitCommandPlans.h"
#include "UnitSession.h"
#include "WebKeyPlan.h"
#include "WifiCredentialsPlans.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

namespace {

struct Fault {
    const char *name; // as zorsim's options name it; "none" for a sound unit
    bool dataPhaseOnly = false; // cannot touch an operation without a data phase
};

const QList<Fault> faults{
    {"none"}, {"no-answer"}, {"negative-status"}, {"wrong-magic"}, {"split-answer"}, {"oversize-answer"},
    {"other-address=127.0.0.99"}, {"refuse-connections"}, {"stall-data", true}, {"cut-data", true},
    {"longer-read", true}, {"wrong-firmware-sum", true}, {"never-read"}, {"reset-mid-answer"}, {"slow-answer"},
    {"refuse-data", true}, {"split-data", true}, {"trickle-data", true}, {"huge-read-length", true},
};

struct Rig;
// What a run left behind: empty when the operation told the truth, else what it claimed falsely.
using Operation = std::function<QString(Rig &)>;

struct Op {
    const char *name;
    int exchanges;
    int dataPhases;
    Operation run;
};

struct Rig {
    FixedAdapterSource adapters;
    PermissiveDialogs dialogs;
    RecordingMonitorView view;
    UnitSession session{adapters};
    MonitorPresenter presenter{view, session, dialogs};
    QTemporaryDir folder;
    ProjectStore store{dialogs, folder.path()};
    DeviceConfiguration device{store, session.transfer};
    QList<ConfigurationStep> steps;
    SimulatorThread sim;
    UnitFaults faults;
    bool ok = false; // the operation reported success
    QElapsedTimer clock;
    qint64 toolMs = -1; // the tool's part of the run, without the read-back of its effect
    void stopClock() { toolMs = clock.elapsed(); }

    Rig()
    {
        static int next = 0;
        const QHostAddress address(QStringLiteral("127.0.%1.%2").arg(6 + next / 200).arg(10 + next % 200));
        ++next;
        session.link.linkCheck = nullptr;
        session.link.deviceAddress = address.toString();
        Timing &t = session.timing;
        t.connectTimeoutMs = 300;
        t.answerWaits = 20;
        t.readDataWaits = 30;
        t.readDeadlineBaseMs = 200;
        for (int *pause : {&t.sdWritePauseMs, &t.readPauseMs, &t.flashWritePauseMs, &t.firmwarePauseMs,
                           &t.firmwareSdPauseMs, &t.firmwareCheckPauseMs, &t.configFilePauseMs,
                           &t.modbusCommandPauseMs, &t.sdCheckDelayMs})
            *pause = 10;
        t.jobSwitchPauseMs = 0;
        if (!sim.start(address))
            qFatal("simulator: %s", qPrintable(sim.errorString()));
        device.onStep = [this](const ConfigurationStep &step) { steps << step; };
        store.openEditor();
    }
    SimulatedUnit &unit() { return sim.unit(); }
    DeviceLink &link() { return session.link; }
    UnitState state() { return unit().state(); }
    std::optional<QByteArray> flash(const QString &name) { return unit().file(FileArea::Flash, name); }
    std::optional<QByteArray> sd(const QString &name) { return unit().file(FileArea::Sd, name); }

    QString source(const QString &name, const QByteArray &content)
    {
        const QString path = folder.path() + "/" + name;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    // The queued request sent by the poll timer's next tick.
    ExchangeResult tickQueued()
    {
        session.poll.tickCount = 0;
        return session.poll.tick().exchange;
    }
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray folderHash(const QString &path)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QStringList files;
    for (QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        files << it.next();
    files.sort();
    for (const QString &name : files) {
        QFile file(name);
        hash.addData(name.toUtf8());
        if (file.open(QIODevice::ReadOnly))
            hash.addData(file.readAll());
    }
    return hash.result();
}

// The unit stores an upload once it has seen its connection close, a moment after the tool.
bool eventually(const std::function<bool()> &check)
{
    for (int i = 0; i < 50; ++i, QTest::qWait(10))
        if (check())
            return true;
    return check();
}

QString claim(bool falseClaim, const QString &what) { return falseClaim ? what : QString(); }

// The unit's state after linking, changed so that a stale copy in the tool shows.
void changeUnitState(Rig &rig)
{
    rig.unit().updateState([](UnitState &s) {
        s.volume = 7;
        s.armed = 1;
        s.relayBits = 0;
        s.inputBits = 0x05;
        s.settings.location = "Hall C";
    });
}

QString deviceInformationTruth(Rig &rig, const ExchangeResult &result)
{
    rig.ok = result.decoded == Decoded::DeviceLinked;
    const DeviceStatus &s = rig.session.status;
    const bool fresh = s.volume == 7 && s.armed == 1 && s.location == "Hall C" && s.inputBits == 0x05
                       && dottedAddress(s.reportedAddress) == rig.link().deviceAddress;
    return claim(result.decoded == Decoded::DeviceLinked && !fresh, "linked on device information it did not get");
}

// Setup runs: a success needs its effect on the unit; a failure must not show the completion.
QString setupTruth(Rig &rig, const SetupPlan &plan, const SetupRun &run, bool effect, bool sendOnly = false)
{
    const bool refused = rig.faults.refuseConnections || rig.faults.refuseDataConnection;
    const bool done = run.outcome == SetupOutcome::Done || run.outcome == SetupOutcome::Unconfirmed;
    rig.ok = done;
    // The completion, possibly closed by the line that the unit did not confirm a step.
    QString completion;
    for (const QString &box : rig.dialogs.boxes)
        if (plan.completion && box.startsWith(plan.completion->text))
            completion = box;
    // Only a command that restarts the unit may complete unconfirmed, and it says so.
    const bool restarts = std::any_of(plan.steps.cbegin(), plan.steps.cend(),
                                      [](const SetupStep &step) { return ExchangeResult::restartsUnit(step.command); });
    const bool toldUnconfirmed = restarts && completion.contains("The unit did not confirm");
    if (done && !effect && !(sendOnly && !refused) && !toldUnconfirmed)
        return "completed without the unit taking it";
    // A unit that is up acknowledges every exchange; without that nothing is done.
    const UnitFaults &f = rig.faults;
    const bool unacknowledged = f.noAnswer || f.negativeStatus || f.wrongMagic || f.neverRead || f.slowAnswer
                                || f.resetMidAnswer || f.refuseConnections;
    if (done && unacknowledged && !sendOnly && !(restarts && !f.negativeStatus && !f.refuseConnections))
        return "completed though the unit did not acknowledge it";
    if (!done && !completion.isEmpty())
        return "completion shown for a failed run";
    if (run.outcome == SetupOutcome::Done && plan.completion && completion.isEmpty())
        return "done without its completion";
    return {};
}

Operation setupOp(const std::function<SetupResult()> &make, const std::function<bool(Rig &)> &effect,
                  bool sendOnly = false)
{
    return [make, effect, sendOnly](Rig &rig) {
        const SetupResult result = make();
        const SetupRun run = SetupRunner(rig.session.transfer, rig.dialogs).apply(result);
        rig.stopClock();
        rig.sim.setFaults({}); // lets the effect be read back while listening again
        return setupTruth(rig, result.plan, run, eventually([&] { return effect(rig); }), sendOnly);
    };
}

QByteArray image() { return QByteArray(20000, '\x5a') + QByteArray("end of image"); }

Operation firmwareOp(bool recognised)
{
    return [recognised](Rig &rig) {
        rig.dialogs.firmwarePath = rig.source("fw.bin", image());
        rig.session.status.modelRecognised = recognised;
        const SetupRun run = SetupRunner(rig.session.transfer, rig.dialogs).run(planFirmwareUpdate());
        rig.stopClock();
        rig.ok = run.outcome == SetupOutcome::Done;
        const bool complete = rig.dialogs.boxes.contains("F/W update Complete! Reboot to take effect");
        if (run.outcome != SetupOutcome::Done && complete)
            return QStringLiteral("completion shown for a failed update");
        if (!recognised)
            return setupTruth(rig, planFirmwareUpdate(), run, eventually([&] { return rig.sd("mcuimg.bin") == image(); }), true);
        return claim(run.outcome == SetupOutcome::Done && rig.flash("/sys/mcuimg.bin") != image(),
                     "verified an image the unit does not hold");
    };
}

InputRows rowsPlaying(const QString &clip)
{
    InputRows rows;
    rows[0].clipTexts[0] = clip;
    rows[0].repeatText = "1";
    return rows;
}

// A write that reports success has put every file on the unit; a clip gone from the
// scratch folder is on the unit.
QString writeTruth(Rig &rig, const DeviceWriteResult &result, const QList<int> &clips, int writtenBefore)
{
    rig.ok = result.ok();
    for (int n : clips) {
        const QString name = QStringLiteral("%1.mp3").arg(n, 3, 10, QChar('0'));
        const QString local = rig.store.directories().activeDir + name;
        const bool onUnit = rig.sd(name) == mp3Content(3000, char('A' + n));
        if (!QFile::exists(local) && !onUnit)
            return "clip " + name + " removed on the PC but not on the unit";
        if (result.ok() && !onUnit)
            return "write reported done without clip " + name;
    }
    const bool files = rig.sd("plist.cfg") == rig.store.alarmTable().image()
                       && rig.sd("m3fn.txt") == rig.store.audioListImage()
                       && rig.state().configurationWrittenCount > writtenBefore;
    return claim(result.ok() && !files, "write reported done without the configuration on the unit");
}

Operation writeOp(bool deviceJob)
{
    return [deviceJob](Rig &rig) {
        const UnitFaults faults = rig.faults;
        rig.sim.setFaults({});
        rig.unit().setFile(FileArea::Sd, "001.mp3", mp3Content(3000, 'B'));
        rig.store.addAudioFile(1, rig.source("a.mp3", mp3Content(3000, 'B')));
        if (deviceJob && !rig.device.enterDeviceJob().ok())
            return QStringLiteral("set-up: device job not entered");
        rig.store.addAudioFile(2, rig.source("b.mp3", mp3Content(3000, 'C')));
        const int writtenBefore = rig.state().configurationWrittenCount;
        rig.sim.setFaults(faults);
        rig.clock.start(); // the device job's own read above is not the write's
        const DeviceWriteResult result = rig.device.writeDevice(rowsPlaying("002"), 1);
        rig.stopClock();
        rig.sim.setFaults({});
        if (result.ok())
            eventually([&] { return writeTruth(rig, result, {1, 2}, writtenBefore).isEmpty(); });
        return writeTruth(rig, result, deviceJob ? QList<int>{2} : QList<int>{1, 2}, writtenBefore);
    };
}

// A read that reports no failure holds the unit's files (a refused file reads as none, and
// a unit that sends more than it announced is taken at its word).
Operation readOp(bool deviceJob)
{
    return [deviceJob](Rig &rig) {
        const UnitFaults faults = rig.faults;
        rig.sim.setFaults({});
        const QByteArray table(alarmTableSize, '\x21');
        const QString scratchList = rig.store.directories().tempDir + "m3fn.txt";
        const QByteArray listBefore = QFile::exists(scratchList) ? readAll(scratchList) : QByteArray("none");
        rig.unit().setFile(FileArea::Sd, "plist.cfg", table);
        rig.unit().setFile(FileArea::Sd, "m3fn.txt", "\xEF\xBB\xBF" "001.mp3\r\n");
        const QByteArray before = folderHash(rig.store.directories().projectDir);
        rig.sim.setFaults(faults);
        const EditorOutcome outcome = deviceJob ? rig.device.enterDeviceJob() : rig.device.readDevice();
        rig.stopClock();
        rig.sim.setFaults({});
        if (folderHash(rig.store.directories().projectDir) != before)
            return QStringLiteral("project folder changed by a read");
        QStringList failed;
        for (const ConfigurationStep &step : rig.steps)
            if (step.kind == ConfigurationStep::ReadFailed || step.kind == ConfigurationStep::ReadRejected)
                failed << step.name;
        rig.ok = outcome.ok() && failed.isEmpty();
        const QByteArray got = QFile::exists(scratchList) ? readAll(scratchList) : QByteArray("none");
        // Only a unit that refuses the list has none.
        if (failed.contains("m3fn.txt") && !faults.negativeStatus && got != listBefore)
            return "list replaced after a failed read: " + QString::fromLatin1(got.left(40));
        const bool listTrue = got.startsWith(*rig.sd("m3fn.txt")) || (faults.negativeStatus && got.isEmpty());
        if (outcome.ok() && !failed.contains("m3fn.txt") && !listTrue)
            return "list read reported without the unit's list: " + QString::fromLatin1(got.left(40).toHex());
        const bool tableTrue = rig.store.alarmTable().image() == table || faults.negativeStatus;
        if (!failed.contains("plist.cfg") && !tableTrue)
            return QStringLiteral("table read reported without the unit's table");
        return QString();
    };
}

const QList<Op> operations{
    {"poll: device information", 1, 0,
     [](Rig &rig) { return deviceInformationTruth(rig, rig.link().requestDeviceInformation()); }},
    {"poll: status", 1, 0,
     [](Rig &rig) {
         const ExchangeResult result = rig.link().pollStatus();
         const DeviceStatus &s = rig.session.status;
         rig.ok = result.decoded == Decoded::StatusAnswer;
         return claim(result.decoded == Decoded::StatusAnswer && (s.volume != 7 || s.armed != 1 || s.inputBits != 5),
                      "status taken from an answer that did not carry it");
     }},
    {"monitor: relay", 1, 0,
     [](Rig &rig) {
         rig.link().queueRelay(1, 1);
         const ExchangeResult result = rig.tickQueued();
         const bool on = rig.state().relayBits & 1;
         rig.ok = result.decoded == Decoded::RelaySet;
         return claim((result.decoded == Decoded::RelaySet || rig.session.status.relayBits & 1) && !on,
                      "relay shown on while the unit's is off");
     }},
    {"monitor: volume", 1, 0,
     [](Rig &rig) {
         rig.link().queueVolumeArming(9, 1, false);
         rig.ok = rig.tickQueued().acknowledged();
         return claim(rig.ok && rig.state().volume != 9, "volume acknowledged, not set");
     }},
    {"monitor: arm", 1, 0,
     [](Rig &rig) {
         rig.unit().updateState([](UnitState &s) { s.armed = 0; });
         rig.link().queueVolumeArming(7, 1, true);
         rig.ok = rig.tickQueued().acknowledged();
         return claim(rig.ok && rig.state().armed != 1, "arming acknowledged, not armed");
     }},
    {"monitor: disarm", 1, 0,
     [](Rig &rig) {
         rig.link().queueVolumeArming(7, 0, true);
         rig.ok = rig.tickQueued().acknowledged();
         return claim(rig.ok && rig.state().armed != 0, "disarm acknowledged, still armed");
     }},
    {"monitor: locator", 1, 0,
     [](Rig &rig) {
         const int before = rig.state().locatorCount;
         rig.link().queueLocator();
         rig.ok = rig.tickQueued().decoded == Decoded::LocatorDone;
         return claim(rig.ok && rig.state().locatorCount == before,
                      "locator done without the unit's locator");
     }},
    {"monitor: refresh", 1, 0,
     [](Rig &rig) {
         rig.session.status.linked = false;
         rig.link().queueDeviceInformation();
         return deviceInformationTruth(rig, rig.tickQueued());
     }},
    {"setup: access point", 2, 2,
     setupOp([] { return planAccessPoint({"Hall AP", KeyType::Wpa, "secret99"}); },
             [](Rig &r) { return r.flash("/local/ap_ssid.cfg") == "Hall AP" && r.flash("/local/ap_key.cfg") == "secret99"; })},
    {"setup: station", 3, 3,
     setupOp([] { return planStation({"Net", KeyType::Wpa, "password1"}); },
             [](Rig &r) { return r.flash("/local/sta_ssid.cfg") == "Net" && r.flash("/local/sta_key.cfg") == "password1"; })},
    {"setup: static address", 1, 1,
     setupOp([] { return planStaticAddress({true, "192.168.1.10", "255.255.255.0", "192.168.1.1"}); },
             [](Rig &r) { return r.flash("/local/sta_ip.cfg") == QByteArray::fromHex("c0a8010affffff00c0a80101"); })},
    {"setup: web key", 1, 0,
     setupOp([] { return planWebKey("ab12"); }, [](Rig &r) { return r.state().webKey == "ab12"; })},
    {"setup: location", 1, 1,
     setupOp([] { return planLocation("Pump room"); }, [](Rig &r) { return r.flash("/local/locate.cfg") == "Pump room"; })},
    {"setup: Modbus TCP", 2, 1,
     setupOp([] { return planModbusTcp("502", "30"); },
             [](Rig &r) {
                 return r.flash("/local/mbport.cfg") == QByteArray::fromHex("01f6001e000000000000")
                        && r.state().modbusWrittenCount > 0;
             })},
    {"setup: Modbus RTU", 1, 1,
     setupOp([] { return planModbusRtu({}); }, [](Rig &r) { return r.sd("RTU.CFG") == "1,115200,N,8,1"; })},
    {"setup: Wi-Fi mode", 1, 0,
     setupOp([] { return SetupResult{{}, {}, planWifiMode(false)}; },
             [](Rig &r) { return r.state().wifiMode == WifiModeStation; })},
    {"setup: reset", 1, 0,
     setupOp([] { return SetupResult{{}, {}, planResetToDefaults()}; }, [](Rig &r) { return r.state().resetCount > 0; })},
    {"setup: reboot", 1, 0,
     setupOp([] { return SetupResult{{}, {}, planReboot()}; }, [](Rig &r) { return r.state().rebootCount > 0; }, true)},
    {"firmware: recognised model", 2, 1, firmwareOp(true)},
    {"firmware: unrecognised model", 2, 1, firmwareOp(false)},
    {"editor: write, project job", 5, 4, writeOp(false)},
    {"editor: write, device job", 6, 5, writeOp(true)},
    {"editor: read, project job", 2, 2, readOp(false)},
    {"editor: read, device job", 2, 2, readOp(true)},
    {"editor: clip delete", 1, 0,
     [](Rig &rig) {
         const ExchangeResult result = rig.device.deleteClipOnUnit(3);
         rig.ok = result.acknowledged();
         return claim(result.acknowledged() && rig.sd("003.mp3").has_value(), "delete acknowledged, clip still there");
     }},
};

// Faults that cannot touch the operation: it must simply succeed.
bool mustSucceed(const Fault &fault, const Op &op)
{
    const QString name = fault.name, opName = op.name;
    if (name == "none")
        return true;
    if (fault.dataPhaseOnly && op.dataPhases == 0)
        return true;
    if (name == "wrong-firmware-sum" && !opName.startsWith("firmware"))
        return true;
    if (name == "split-data")
        return true;
    if ((name == "longer-read" || name == "trickle-data" || name == "huge-read-length") && !opName.startsWith("editor: read"))
        return true;
    return name.startsWith("other-address") && !opName.contains("device information") && !opName.contains("refresh");
}

struct Worst {
    QString cell;
    qint64 ms;
    qint64 bound;
};
QList<Worst> waits;

} // namespace

Q_DECLARE_METATYPE(Op)
Q_DECLARE_METATYPE(Fault)

class FaultMatrixTest : public QObject {
    Q_OBJECT
private slots:
    void cell_data();
    void cell();
    void cleanupTestCase();
};

void FaultMatrixTest::cell_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<Op>("op");
    for (const Op &op : operations)
        for (const Fault &fault : faults)
            QTest::addRow("%s / %s", op.name, fault.name) << fault << op;
}

void FaultMatrixTest::cell()
{
    QFETCH(Fault, fault);
    QFETCH(Op, op);
    Rig rig;
    rig.unit().setFile(FileArea::Sd, "003.mp3", "clip three");
    QCOMPARE(rig.link().requestDeviceInformation().decoded, Decoded::DeviceLinked);
    changeUnitState(rig);
    QString unknown;
    QVERIFY2(faultsFromNames(QString(fault.name) == "none" ? QStringList() : QStringList{fault.name}, rig.faults, unknown),
             qPrintable(unknown));
    rig.sim.setFaults(rig.faults);
    rig.dialogs.boxes.clear();
    rig.steps.clear();

    // Each exchange may take the connect time-out and the answer wait, each data phase the
    // connect time-out and the read wait; 500 ms for the pauses and the slices' overhead.
    const Timing &t = rig.session.timing;
    const qint64 bound = (op.exchanges * (t.connectTimeoutMs + t.answerWaits * t.waitSliceMs)
                              + op.dataPhases * (t.connectTimeoutMs + t.readDataWaits * t.waitSliceMs))
                         + 500;
    rig.clock.start();
    const QString falseClaim = op.run(rig);
    const qint64 elapsed = rig.toolMs >= 0 ? rig.toolMs : rig.clock.elapsed();
    waits << Worst{QTest::currentDataTag(), elapsed, bound};
    QVERIFY2(elapsed <= bound, qPrintable(QStringLiteral("waited %1 ms, bound %2 ms").arg(elapsed).arg(bound)));
    // A data phase carries no acknowledgement: a unit whose socket took a small file and then
    // dropped it cannot be told from one that stored it.
    const bool unknowable = (rig.faults.stallDataPhase || rig.faults.cutDataPhase) && op.dataPhases > 0
                            && !QString(op.name).startsWith("editor: read");
    if (!unknowable)
        QVERIFY2(falseClaim.isEmpty(), qPrintable(falseClaim));
    if (mustSucceed(fault, op))
        QVERIFY2(rig.ok, qPrintable("failed where the fault cannot reach: " + rig.dialogs.boxes.join(" | ")));

    rig.sim.setFaults({});
    QVERIFY(!rig.link().busy);
    QVERIFY(!rig.link().transferActive);
    ExchangeResult after = rig.link().requestDeviceInformation();
    // A unit that accepted an announcement the tool could not read waits for its data
    // connection and takes the next one as it: that one exchange is lost, not the link.
    const bool garbled = rig.faults.wrongMagic || rig.faults.resetMidAnswer || rig.faults.slowAnswer;
    if (after.decoded != Decoded::DeviceLinked && garbled && op.dataPhases > 0)
        after = rig.link().requestDeviceInformation();
    QVERIFY2(after.decoded == Decoded::DeviceLinked,
             qPrintable(QStringLiteral("after the fault: outcome %1 decoded %2").arg(int(after.outcome)).arg(int(after.decoded))));
}

void FaultMatrixTest::cleanupTestCase()
{
    std::sort(waits.begin(), waits.end(), [](const Worst &a, const Worst &b) { return a.ms > b.ms; });
    for (const Worst &w : waits.mid(0, 12))
        qInfo("worst wait %5lld ms (bound %lld ms): %s", w.ms, w.bound, qPrintable(w.cell));
}

QTEST_MAIN(FaultMatrixTest)
#include "test_fault_matrix.moc"

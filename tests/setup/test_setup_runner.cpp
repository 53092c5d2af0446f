// The setup runner against a simulated unit: files, frames and the boxes that close each run.
#include "LocationPlan.h"
#include "ModbusRtuPlan.h"
#include "ModbusTcpPlan.h"
#include "SetupRig.h"
#include "SetupRunner.h"
#include "StaticAddressPlan.h"
#include "UnitCommandPlans.h"
#include "WifiCredentialsPlans.h"
#include "MisEchoingUnit.h"

#include <QTest>

Q_DECLARE_METATYPE(UnitFaults)
Q_DECLARE_METATYPE(SetupResult)

namespace {
using Lines = QStringList;
using Files = QMap<QString, QByteArray>;

const SetupResult accessPointWpa = planAccessPoint({"Hall AP", KeyType::Wpa, "secret99"});
const QString completion(const SetupResult &result) { return result.plan.completion->text; }

// What a run left in the unit's flash, or on its SD card for RTU.CFG.
Files storedFiles(SimulatedUnit &unit)
{
    Files files;
    for (const QString &name : unit.fileNames(FileArea::Flash))
        files[name] = *unit.file(FileArea::Flash, name);
    for (const QString &name : unit.fileNames(FileArea::Sd))
        files[name] = *unit.file(FileArea::Sd, name);
    return files;
}

QString failureBox(const QString &lines) { return "16|Write failed|Not complete, the unit did not take:\n    . " + lines; }

enum class Unit { Plain, Refusing, Silent, MisEchoing, Absent, RefusingData };
} // namespace
Q_DECLARE_METATYPE(Unit)

class SetupRunnerTest : public QObject {
    Q_OBJECT
private slots:
    void applies_data();
    void applies();
    void answerRule_data();
    void answerRule();
    void nothingSentWithoutYesOrLink_data();
    void nothingSentWithoutYesOrLink();
};

void SetupRunnerTest::applies_data()
{
    QTest::addColumn<SetupResult>("result");
    QTest::addColumn<UnitFaults>("faults");
    QTest::addColumn<Files>("preloaded");
    QTest::addColumn<Lines>("frames");
    QTest::addColumn<Files>("files");
    QTest::addColumn<QString>("closingBox"); // empty: the plan's completion

    const UnitFaults none;
    QTest::newRow("AP WPA") << accessPointWpa << none << Files{}
                            << Lines{"95/60 /local/ap_key.cfg", "95/60 /local/ap_ssid.cfg"}
                            << Files{{"/local/ap_key.cfg", "secret99"}, {"/local/ap_ssid.cfg", "Hall AP"}} << QString();
    QTest::newRow("AP open deletes the key")
        << planAccessPoint({"Hall AP", KeyType::Open, "ignored"}) << none << Files{{"/local/ap_key.cfg", "old key!"}}
        << Lines{"93/40 /local/ap_key.cfg", "95/60 /local/ap_ssid.cfg"} << Files{{"/local/ap_ssid.cfg", "Hall AP"}}
        << QString();
    QTest::newRow("station WEP")
        << planStation({"Net", KeyType::Wep, "wepkey12"}) << none << Files{}
        << Lines{"95/60 /local/sta_key.cfg", "95/60 /local/sta_keyT.cfg", "95/60 /local/sta_ssid.cfg"}
        << Files{{"/local/sta_key.cfg", "wepkey12"}, {"/local/sta_keyT.cfg", QByteArray(1, 1)}, {"/local/sta_ssid.cfg", "Net"}}
        << QString();
    QTest::newRow("static address")
        << planStaticAddress({true, "192.168.1.10", "255.255.255.0", "192.168.1.1"}) << none << Files{}
        << Lines{"95/60 /local/sta_ip.cfg"}
        << Files{{"/local/sta_ip.cfg", QByteArray::fromHex("c0a8010affffff00c0a80101")}} << QString();
    QTest::newRow("static address off") << planStaticAddress({}) << none << Files{{"/local/sta_ip.cfg", "x"}}
                                        << Lines{"93/40 /local/sta_ip.cfg"} << Files{} << QString();
    QTest::newRow("location") << planLocation("Pump room") << none << Files{} << Lines{"95/60 /local/locate.cfg"}
                              << Files{{"/local/locate.cfg", "Pump room"}} << QString();
    QTest::newRow("Modbus TCP: file, then 0xDC")
        << planModbusTcp("502", "30") << none << Files{} << Lines{"95/60 /local/mbport.cfg", "dc"}
        << Files{{"/local/mbport.cfg", QByteArray::fromHex("01f6001e000000000000")}} << QString();
    QTest::newRow("Modbus RTU on the SD card") << planModbusRtu({}) << none << Files{} << Lines{"90/32 RTU.CFG"}
                                               << Files{{"RTU.CFG", "1,115200,N,8,1"}} << QString();
    QTest::newRow("AP mode") << SetupResult{{}, {}, planWifiMode(true)} << none << Files{} << Lines{"30 02"}
                             << Files{} << QString();
    QTest::newRow("reset") << SetupResult{{}, {}, planResetToDefaults()} << none << Files{{"/local/locate.cfg", "x"}}
                           << Lines{"5e 01"} << Files{} << QString();
    QTest::newRow("reboot") << SetupResult{{}, {}, planReboot()} << none << Files{} << Lines{"2d"} << Files{}
                            << QString();

}

void SetupRunnerTest::applies()
{
    QFETCH(SetupResult, result);
    QFETCH(UnitFaults, faults);
    QFETCH(Files, preloaded);
    QFETCH(Lines, frames);
    QFETCH(Files, files);
    QFETCH(QString, closingBox);

    SetupRig rig;
    rig.timing.answerWaits = 20;
    for (auto it = preloaded.cbegin(); it != preloaded.cend(); ++it)
        rig.unit().setFile(FileArea::Flash, it.key(), it.value());
    rig.sim.setFaults(faults);
    if (result.plan.confirmation)
        rig.dialogs.expectMessageBox(result.plan.confirmation->text, "Confirm", Dialogs::YesNoQuestion, Dialogs::Yes);
    if (closingBox.isEmpty() && result.plan.completion)
        rig.dialogs.expectMessageBox(completion(result), "Information", Dialogs::Information);
    else if (!closingBox.isEmpty())
        rig.dialogs.expectMessageBox(closingBox, "Write failed", Dialogs::Error);

    SetupRunner runner(rig.session.transfer, rig.dialogs);
    const SetupRun run = runner.apply(result);

    QCOMPARE(run.outcome, closingBox.isEmpty() ? SetupOutcome::Done : SetupOutcome::Failed);
    QTRY_COMPARE(rig.frames(), frames);
    QTRY_COMPARE(storedFiles(rig.unit()), files);
}

void SetupRunnerTest::answerRule_data()
{
    QTest::addColumn<SetupResult>("result");
    QTest::addColumn<Unit>("unit");
    QTest::addColumn<SetupOutcome>("outcome");
    QTest::addColumn<QString>("closingBox"); // flags|caption|text, %1 the unit's address
    QTest::addColumn<Lines>("monitorLog");
    QTest::addColumn<Lines>("frames"); // not looked at for the mis-echoing unit

    const QString info = "64|Information|";
    const SetupResult apOpen = planAccessPoint({"Hall AP", KeyType::Open, ""});
    const SetupResult apMode{{}, {}, planWifiMode(true)};
    const SetupResult reset{{}, {}, planResetToDefaults()};
    const QString modeDone = info + "Wi-Fi Mode write complete,\n    . Reboot complete.";
    const QString notConfirmed = "\n    . The unit did not confirm %1: it may have restarted before it answered.";
    const QString keyNotHeld = "/local/ap_key.cfg: not deleted, refused by the unit (it may not have held the file)";

    QTest::newRow("refused delete of a key the unit lacks: done, one log line")
        << apOpen << Unit::Plain << SetupOutcome::Done << info + completion(apOpen)
        << Lines{"7", keyNotHeld, "AP_SSID =Hall AP"} << Lines{"93/40 /local/ap_key.cfg", "95/60 /local/ap_ssid.cfg"};
    QTest::newRow("refused delete of a static address the unit lacks")
        << planStaticAddress({}) << Unit::Plain << SetupOutcome::Done
        << info + "Station Static IP delete complete,\n    . Manual Reboot to take effect!"
        << Lines{"/local/sta_ip.cfg: not deleted, refused by the unit (it may not have held the file)"}
        << Lines{"93/40 /local/sta_ip.cfg"};
    QTest::newRow("unanswered 0x30: completion and one line")
        << apMode << Unit::Silent << SetupOutcome::Done << modeDone + notConfirmed.arg("Wi-Fi mode") << Lines{}
        << Lines{"30 02"};
    QTest::newRow("unanswered 0x5E") << reset << Unit::Silent << SetupOutcome::Done
                                     << info + "Reset default complete,\n    . Reboot complete."
                                            + notConfirmed.arg("Reset to defaults")
                                     << Lines{} << Lines{"5e 01"};
    QTest::newRow("unanswered flash file: a failure, no data and no 0xDC after it")
        << planModbusTcp("502", "30") << Unit::Silent << SetupOutcome::Failed
        << failureBox("/local/mbport.cfg: no answer from the unit") << Lines{} << Lines{"95/60 /local/mbport.cfg"};
    QTest::newRow("mis-echoed 0x30 is not confirmed")
        << apMode << Unit::MisEchoing << SetupOutcome::Done << modeDone + notConfirmed.arg("Wi-Fi mode") << Lines{}
        << Lines{};
    QTest::newRow("mis-echoed flash announcement: a failure at the first file")
        << accessPointWpa << Unit::MisEchoing << SetupOutcome::Failed
        << failureBox("/local/ap_key.cfg: the unit answered another request (94)") << Lines{"7", "8"} << Lines{};
    QTest::newRow("mis-echoed delete deletes nothing")
        << apOpen << Unit::MisEchoing << SetupOutcome::Failed
        << failureBox("/local/ap_key.cfg: the unit answered another request (92)") << Lines{"7"} << Lines{};
    QTest::newRow("refused announcement ends the apply before its data and the next file")
        << accessPointWpa << Unit::Refusing << SetupOutcome::Failed << failureBox("/local/ap_key.cfg: refused by the unit")
        << Lines{"7", "8"} << Lines{"95/60 /local/ap_key.cfg"};
    QTest::newRow("refused RTU write names RTU.CFG")
        << planModbusRtu({}) << Unit::Refusing << SetupOutcome::Failed << failureBox("RTU.CFG: refused by the unit")
        << Lines{} << Lines{"90/32 RTU.CFG"};
    QTest::newRow("unanswered RTU write is a failure")
        << planModbusRtu({}) << Unit::Silent << SetupOutcome::Failed << failureBox("RTU.CFG: no answer from the unit")
        << Lines{} << Lines{"90/32 RTU.CFG"};
    QTest::newRow("refused 0x30") << apMode << Unit::Refusing << SetupOutcome::Failed
                                  << failureBox("Wi-Fi mode: refused by the unit") << Lines{} << Lines{"30 02"};
    QTest::newRow("refused reset") << reset << Unit::Refusing << SetupOutcome::Failed
                                   << failureBox("Reset to defaults: refused by the unit") << Lines{} << Lines{"5e 01"};
    QTest::newRow("no unit for 0x30") << apMode << Unit::Absent << SetupOutcome::Failed
                                      << failureBox("Wi-Fi mode: the unit at %1 could not be reached") << Lines{}
                                      << Lines{};
    QTest::newRow("no unit: one box, no data, no later file, no later log line")
        << accessPointWpa << Unit::Absent << SetupOutcome::Failed
        << failureBox("/local/ap_key.cfg: the unit at %1 could not be reached") << Lines{"7", "8"} << Lines{};
    QTest::newRow("failed data connection ends the apply at that file")
        << accessPointWpa << Unit::RefusingData << SetupOutcome::Failed
        << "16|test_setup_runner|Data connection to %1 failed: Connection refused" << Lines{"7", "8"}
        << Lines{"95/60 /local/ap_key.cfg"};
}

void SetupRunnerTest::answerRule()
{
    QFETCH(SetupResult, result);
    QFETCH(Unit, unit);
    QFETCH(SetupOutcome, outcome);
    QFETCH(QString, closingBox);
    QFETCH(Lines, monitorLog);
    QFETCH(Lines, frames);

    UnitFaults faults;
    faults.negativeStatus = unit == Unit::Refusing;
    faults.noAnswer = unit == Unit::Silent;
    faults.refuseConnections = unit == Unit::Absent;
    faults.refuseDataConnection = unit == Unit::RefusingData;
    SetupRig rig(SimulatorOptions{.faults = faults});
    rig.timing.answerWaits = 20;
    std::unique_ptr<MisEchoingUnit> misEchoing;
    if (unit == Unit::MisEchoing) {
        rig.sim.stop();
        misEchoing = std::make_unique<MisEchoingUnit>(QHostAddress(rig.link.deviceAddress));
    }
    if (result.plan.confirmation)
        rig.dialogs.expectMessageBox(result.plan.confirmation->text, "Confirm", Dialogs::YesNoQuestion, Dialogs::Yes);
    const QStringList box = closingBox.arg(rig.link.deviceAddress).split('|');
    rig.dialogs.expectMessageBox(box[2], box[1], box[0].toInt());

    QStringList logged;
    SetupRunner runner(rig.session.transfer, rig.dialogs, {.monitor = [&logged](const QString &line) { logged << line; }});
    QCOMPARE(runner.apply(result).outcome, outcome);
    QCOMPARE(logged, monitorLog);
    if (unit != Unit::MisEchoing)
        QTRY_COMPARE(rig.frames(), frames);
}

void SetupRunnerTest::nothingSentWithoutYesOrLink_data()
{
    QTest::addColumn<SetupResult>("result");
    QTest::addColumn<int>("answer");
    QTest::addColumn<SetupOutcome>("outcome");
    QTest::newRow("No to the AP") << accessPointWpa << int(Dialogs::No) << SetupOutcome::Cancelled;
    QTest::newRow("no link for the AP") << accessPointWpa << int(Dialogs::Yes) << SetupOutcome::LinkCheckFailed;
    QTest::newRow("no link for the reboot: the command's own check")
        << SetupResult{{}, {}, planReboot()} << int(Dialogs::Yes) << SetupOutcome::LinkCheckFailed;
    QTest::newRow("no link for the firmware")
        << SetupResult{{}, {}, planFirmwareUpdate()} << int(Dialogs::Yes) << SetupOutcome::LinkCheckFailed;
}

void SetupRunnerTest::nothingSentWithoutYesOrLink()
{
    QFETCH(SetupResult, result);
    QFETCH(int, answer);
    QFETCH(SetupOutcome, outcome);

    SetupRig rig;
    int checks = 0;
    rig.link.linkCheck = [&checks] { return ++checks, false; };
    rig.dialogs.expectMessageBox(result.plan.confirmation->text, "Confirm", Dialogs::YesNoQuestion, answer);
    QCOMPARE(SetupRunner(rig.session.transfer, rig.dialogs).apply(result).outcome, outcome);
    QCOMPARE(checks, answer == Dialogs::Yes ? 1 : 0);
    QTest::qWait(50);
    QVERIFY(rig.unit().receivedFrames().isEmpty());
}

QTEST_MAIN(SetupRunnerTest)
#include "test_setup_runner.moc"

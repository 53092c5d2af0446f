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

#include <QDir>
#include <QTemporaryFile>
#include <QTimer>
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

enum class Unit { Plain, Refusing, Silent, MisEchoing, Absent, RefusingData, WrongSum, GoneBeforeCheck };
} // namespace
Q_DECLARE_METATYPE(Unit)
namespace {

// The second confirmation, once the image is chosen and read.
QString imageConfirmation(const QString &path, const QString &size, const QString &sum)
{
    return "Send this F/W image, execute?\n    . File: " + QDir::toNativeSeparators(path) + "\n    . Size: " + size
           + " bytes\n    . Sum: " + sum;
}

QByteArray image(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7);
    return bytes;
}
} // namespace

class SetupRunnerTest : public QObject {
    Q_OBJECT
private slots:
    void applies_data();
    void applies();
    void answerRule_data();
    void answerRule();
    void nothingSentWithoutYesOrLink_data();
    void nothingSentWithoutYesOrLink();
    void firmware_data();
    void firmware();
    void firmwareWithRealPauses();
    void firmwareImageRefused_data();
    void firmwareImageRefused();
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

void SetupRunnerTest::firmware_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<Unit>("unit");
    QTest::addColumn<SetupOutcome>("outcome");
    QTest::addColumn<QString>("box"); // flags|caption|text, %1 the unit's address; empty: none
    QTest::addColumn<QString>("statusLine");
    QTest::addColumn<QStringList>("frames"); // not looked at for the mis-echoing unit

    const QStringList recognised{"95/40 /sys/mcuimg.bin", "25 00 00 00 00"};
    const QString sum = "Send MCUImg CheckSum => 0247A470";
    const QString notConfirmed = "16|F/W Update|The unit did not confirm the F/W image: ";
    QTest::newRow("verified") << int(ModelZor06) << Unit::Plain << SetupOutcome::Done
                              << "0|F/W update Complete! Reboot to take effect|F/W update Complete! Reboot to take effect"
                              << "F/W update Complete! Reboot to take effect" << recognised;
    QTest::newRow("wrong sum") << int(ModelZor06) << Unit::WrongSum << SetupOutcome::Failed
                               << "16|Update F/W fail with Error! Please retry again.|Update F/W fail with Error! Please retry again."
                               << "Update F/W fail with Error! Please retry again." << recognised;
    QTest::newRow("refused check") << int(ModelZor06) << Unit::Refusing << SetupOutcome::Failed
                                   << "16|F/W Update|The unit refused the F/W image check." << sum << recognised;
    QTest::newRow("unanswered check") << int(ModelZor06) << Unit::Silent << SetupOutcome::Failed
                                      << notConfirmed + "no answer to the image check." << sum << recognised;
    QTest::newRow("mis-echoed check") << int(ModelZor06) << Unit::MisEchoing << SetupOutcome::Failed
                                      << notConfirmed + "its answer to the image check was not for that request."
                                      << sum << QStringList{};
    QTest::newRow("unrecognised model: on the status line, no box")
        << 0 << Unit::Plain << SetupOutcome::Unconfirmed << QString()
        << "F/W image sent, not confirmed: the model was not recognised"
        << QStringList{"90/40 mcuimg.bin", "26 00 00 00 00"};
    QTest::newRow("unrecognised model, unit gone before the check: a plain text")
        << 0 << Unit::GoneBeforeCheck << SetupOutcome::Failed
        << "16|F/W Update|The F/W image was sent, but the image check could not reach the unit at %1."
        << "Connect Timeout" << QStringList{"90/40 mcuimg.bin"};
}

void SetupRunnerTest::firmware()
{
    QFETCH(int, model);
    QFETCH(Unit, unit);
    QFETCH(SetupOutcome, outcome);
    QFETCH(QString, box);
    QFETCH(QString, statusLine);
    QFETCH(QStringList, frames);

    UnitFaults faults;
    faults.wrongFirmwareSum = unit == Unit::WrongSum;
    SetupRig rig(SimulatorOptions{.faults = faults});
    rig.timing.answerWaits = 20;
    rig.timing.firmwareCheckPauseMs = 300;
    rig.status.modelRecognised = model != 0;
    std::unique_ptr<MisEchoingUnit> misEchoing;
    if (unit == Unit::MisEchoing) {
        rig.sim.stop();
        misEchoing = std::make_unique<MisEchoingUnit>(QHostAddress(rig.link.deviceAddress));
    }
    // The image goes to a sound unit; the check meets the fault.
    UnitFaults atCheck;
    atCheck.negativeStatus = unit == Unit::Refusing;
    atCheck.noAnswer = unit == Unit::Silent;
    atCheck.refuseConnections = unit == Unit::GoneBeforeCheck;
    QTimer afterUpload;
    connect(&afterUpload, &QTimer::timeout, [&] {
        if (rig.unit().file(model ? FileArea::Flash : FileArea::Sd, model ? "/sys/mcuimg.bin" : "mcuimg.bin")) {
            afterUpload.stop();
            rig.sim.setFaults(atCheck);
        }
    });
    if (atCheck != UnitFaults{})
        afterUpload.start(5);
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(image(300000));
    file.flush();

    rig.dialogs.expectMessageBox("F/W Update, execute?", "Confirm", Dialogs::YesNoQuestion, Dialogs::Yes);
    rig.dialogs.expectOpenFile(file.fileName());
    rig.dialogs.expectMessageBox(imageConfirmation(file.fileName(), "300000", "0247A470"), "Confirm",
                                 Dialogs::YesNoQuestion, Dialogs::Yes);
    if (!box.isEmpty()) {
        const QStringList parts = box.arg(rig.link.deviceAddress).split('|');
        rig.dialogs.expectMessageBox(parts[2], parts[1], parts[0].toInt());
    }

    QCOMPARE(SetupRunner(rig.session.transfer, rig.dialogs).run(planFirmwareUpdate()).outcome, outcome);
    QCOMPARE(rig.view.status, statusLine);
    if (unit == Unit::MisEchoing)
        return;
    QTRY_COMPARE(rig.frames().size(), frames.size());
    QStringList seen = rig.frames();
    if (seen.size() > 1)
        seen.last() = seen.last().left(2) + " 00 00 00 00"; // the sum is the image's, checked by the unit
    QCOMPARE(seen, frames);
}

void SetupRunnerTest::firmwareWithRealPauses()
{
    SetupRig rig;
    rig.session.timing = Timing{};
    rig.status.modelRecognised = true;
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(image(2 * 1048576));
    file.flush();
    const QString verified = "F/W update Complete! Reboot to take effect";
    rig.dialogs.expectMessageBox("F/W Update, execute?", "Confirm", Dialogs::YesNoQuestion, Dialogs::Yes);
    rig.dialogs.expectOpenFile(file.fileName());
    rig.dialogs.expectMessageBox(imageConfirmation(file.fileName(), "2097152", "0FF00000"), "Confirm",
                                 Dialogs::YesNoQuestion, Dialogs::Yes);
    rig.dialogs.expectMessageBox(verified, verified, Dialogs::Plain);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(SetupRunner(rig.session.transfer, rig.dialogs).run(planFirmwareUpdate()).outcome, SetupOutcome::Done);
    QVERIFY2(clock.elapsed() >= 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(*rig.unit().file(FileArea::Flash, "/sys/mcuimg.bin"), image(2 * 1048576));
}

void SetupRunnerTest::firmwareImageRefused_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("box"); // %1 the image's path
    QTest::newRow("empty") << 0 << "The F/W image %1 is empty: nothing was sent.";
    QTest::newRow("above the limit") << 2 * 1048576 + 1
                                     << "The F/W image %1 has 2097153 bytes, more than the 2097152 a unit takes: "
                                        "nothing was sent.";
}

// Refused before anything is sent and before the image's own confirmation.
void SetupRunnerTest::firmwareImageRefused()
{
    QFETCH(int, size);
    QFETCH(QString, box);
    SetupRig rig;
    rig.status.modelRecognised = true;
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(QByteArray(size, 'F'));
    file.flush();
    rig.dialogs.expectMessageBox("F/W Update, execute?", "Confirm", Dialogs::YesNoQuestion, Dialogs::Yes);
    rig.dialogs.expectOpenFile(file.fileName());
    rig.dialogs.expectMessageBox(box.arg(QDir::toNativeSeparators(file.fileName())), "F/W Update", Dialogs::Error);
    QCOMPARE(SetupRunner(rig.session.transfer, rig.dialogs).run(planFirmwareUpdate()).outcome, SetupOutcome::Failed);
    QTest::qWait(50);
    QVERIFY(rig.unit().receivedFrames().isEmpty());
}

QTEST_MAIN(SetupRunnerTest)
#include "test_setup_runner.moc"

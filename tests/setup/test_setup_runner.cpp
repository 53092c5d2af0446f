// The setup runner against a simulated unit: files, frames and the boxes that close each run.
#include "LocationPlan.h"
#include "ModbusRtuPlan.h"
#include "ModbusTcpPlan.h"
#include "SetupRig.h"
#include "SetupRunner.h"
#include "StaticAddressPlan.h"
#include "UnitCommandPlans.h"
#include "WifiCredentialsPlans.h"

#include <QTemporaryFile>
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

QString failureBox(const QString &lines) { return "Not complete, the unit did not take:\n    . " + lines; }

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
    void nothingSentWithoutYesOrLink_data();
    void nothingSentWithoutYesOrLink();
    void firmware_data();
    void firmware();
    void firmwareWithRealPauses();
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

    UnitFaults refusing;
    refusing.negativeStatus = true;
    QTest::newRow("refused announcements name both files")
        << accessPointWpa << refusing << Files{} << Lines{"95/60 /local/ap_key.cfg", "95/60 /local/ap_ssid.cfg"}
        << Files{}
        << failureBox("/local/ap_key.cfg: refused by the unit\n    . /local/ap_ssid.cfg: refused by the unit");
    QTest::newRow("refused RTU write")
        << planModbusRtu({}) << refusing << Files{} << Lines{"90/32 RTU.CFG"} << Files{}
        << failureBox("RTU.CFG: refused by the unit");
    QTest::newRow("refused reset") << SetupResult{{}, {}, planResetToDefaults()} << refusing << Files{}
                                   << Lines{"5e 01"} << Files{} << failureBox("Command 0x5E: refused by the unit");
    UnitFaults silent;
    silent.noAnswer = true;
    QTest::newRow("silent unit: Modbus TCP command unanswered")
        << planModbusTcp("502", "30") << silent << Files{} << Lines{"95/60 /local/mbport.cfg", "dc"} << Files{}
        << failureBox("/local/mbport.cfg: no answer from the unit\n    . Command 0xDC: no answer from the unit");
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
    if (faults.noAnswer) // the flash data phase goes on after an unanswered announcement
        rig.unit().setFile(FileArea::Flash, "/local/mbport.cfg", QByteArray());
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
    if (!faults.noAnswer)
        QTRY_COMPARE(storedFiles(rig.unit()), files);
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
    QTest::addColumn<UnitFaults>("faults");
    QTest::addColumn<SetupOutcome>("outcome");
    QTest::addColumn<QString>("box"); // flags|caption|text
    QTest::addColumn<QStringList>("frames");

    const QStringList recognised{"95/40 /sys/mcuimg.bin", "25 00 00 00 00"};
    QTest::newRow("verified") << int(ModelZor06) << UnitFaults{} << SetupOutcome::Done
                              << "0|F/W update Complete! Reboot to take effect|F/W update Complete! Reboot to take effect"
                              << recognised;
    UnitFaults wrongSum;
    wrongSum.wrongFirmwareSum = true;
    QTest::newRow("wrong sum") << int(ModelZor06) << wrongSum << SetupOutcome::Failed
                               << "16|Update F/W fail with Error! Please retry again.|Update F/W fail with Error! Please retry again."
                               << recognised;
    QTest::newRow("unrecognised model: sent, not confirmed")
        << 0 << UnitFaults{} << SetupOutcome::Unconfirmed
        << "0|F/W Update|F/W image sent; the unit was not asked to confirm it."
        << QStringList{"90/40 mcuimg.bin", "26 00 00 00 00"};
}

void SetupRunnerTest::firmware()
{
    QFETCH(int, model);
    QFETCH(UnitFaults, faults);
    QFETCH(SetupOutcome, outcome);
    QFETCH(QString, box);
    QFETCH(QStringList, frames);

    SetupRig rig;
    rig.status.modelRecognised = model != 0;
    rig.sim.setFaults(faults);
    QTemporaryFile file;
    QVERIFY(file.open());
    const QByteArray bytes = image(300000);
    file.write(bytes);
    file.flush();

    rig.dialogs.expectMessageBox("F/W Update, execute?", "Confirm", Dialogs::YesNoQuestion, Dialogs::Yes);
    rig.dialogs.expectOpenFile(file.fileName());
    const QStringList parts = box.split('|');
    rig.dialogs.expectMessageBox(parts[2], parts[1], parts[0].toInt());

    QCOMPARE(SetupRunner(rig.session.transfer, rig.dialogs).run(planFirmwareUpdate()).outcome, outcome);
    QTRY_COMPARE(rig.frames().size(), frames.size());
    QStringList seen = rig.frames();
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
    rig.dialogs.expectMessageBox(verified, verified, Dialogs::Plain);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(SetupRunner(rig.session.transfer, rig.dialogs).run(planFirmwareUpdate()).outcome, SetupOutcome::Done);
    QVERIFY2(clock.elapsed() >= 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(*rig.unit().file(FileArea::Flash, "/sys/mcuimg.bin"), image(2 * 1048576));
}

QTEST_MAIN(SetupRunnerTest)
#include "test_setup_runner.moc"

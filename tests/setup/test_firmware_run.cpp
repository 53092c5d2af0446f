// The setup runner's firmware update against a simulated unit: the image is checked and
// confirmed before it goes out, and the unit's check answer decides the result.
#include "MisEchoingUnit.h"
#include "SetupRig.h"
#include "SetupRunner.h"
#include "UnitCommandPlans.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

namespace {
enum class Unit { Plain, Refusing, Silent, MisEchoing, WrongSum, GoneBeforeCheck };
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

class FirmwareRunTest : public QObject {
    Q_OBJECT
private slots:
    void firmware_data();
    void firmware();
    void firmwareWithRealPauses();
};

void FirmwareRunTest::firmware_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("model");
    QTest::addColumn<Unit>("unit");
    QTest::addColumn<SetupOutcome>("outcome");
    QTest::addColumn<QString>("box"); // flags|caption|text, %1 the unit's address, PATH the image's; empty: none
    QTest::addColumn<QString>("statusLine");
    QTest::addColumn<QStringList>("frames"); // not looked at for the mis-echoing unit

    const QStringList recognised{"95/40 /sys/mcuimg.bin", "25 00 00 00 00"};
    const QString sum = "Send MCUImg CheckSum => 0247A470";
    const QString notConfirmed = "16|F/W Update|The unit did not confirm the F/W image: ";
    QTest::newRow("verified") << 300000 << int(ModelZor06) << Unit::Plain << SetupOutcome::Done
                              << "0|F/W update Complete! Reboot to take effect|F/W update Complete! Reboot to take effect"
                              << "F/W update Complete! Reboot to take effect" << recognised;
    QTest::newRow("wrong sum") << 300000 << int(ModelZor06) << Unit::WrongSum << SetupOutcome::Failed
                               << "16|Update F/W fail with Error! Please retry again.|Update F/W fail with Error! Please retry again."
                               << "Update F/W fail with Error! Please retry again." << recognised;
    QTest::newRow("refused check") << 300000 << int(ModelZor06) << Unit::Refusing << SetupOutcome::Failed
                                   << "16|F/W Update|The unit refused the F/W image check." << sum << recognised;
    QTest::newRow("unanswered check") << 300000 << int(ModelZor06) << Unit::Silent << SetupOutcome::Failed
                                      << notConfirmed + "no answer to the image check." << sum << recognised;
    QTest::newRow("mis-echoed check") << 300000 << int(ModelZor06) << Unit::MisEchoing << SetupOutcome::Failed
                                      << notConfirmed + "its answer to the image check was not for that request."
                                      << sum << QStringList{};
    QTest::newRow("unrecognised model: on the status line, no box")
        << 300000 << 0 << Unit::Plain << SetupOutcome::Unconfirmed << QString()
        << "F/W image sent, not confirmed: the model was not recognised"
        << QStringList{"90/40 mcuimg.bin", "26 00 00 00 00"};
    QTest::newRow("unrecognised model, unit gone before the check: a plain text")
        << 300000 << 0 << Unit::GoneBeforeCheck << SetupOutcome::Failed
        << "16|F/W Update|The F/W image was sent, but the image check could not reach the unit at %1."
        << "Connect Timeout" << QStringList{"90/40 mcuimg.bin"};
    // Refused before anything is sent and before the image's own confirmation.
    QTest::newRow("empty image") << 0 << int(ModelZor06) << Unit::Plain << SetupOutcome::Failed
                                 << "16|F/W Update|The F/W image PATH is empty: nothing was sent."
                                 << "MCUImg FileLength => 0" << QStringList{};
    QTest::newRow("image above the limit")
        << 2 * 1048576 + 1 << int(ModelZor06) << Unit::Plain << SetupOutcome::Failed
        << "16|F/W Update|The F/W image PATH has 2097153 bytes, more than the 2097152 a unit takes: nothing was sent."
        << "File Lengths > Buffer Size, Abort!" << QStringList{};
}

void FirmwareRunTest::firmware()
{
    QFETCH(int, size);
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
    file.write(image(size));
    file.flush();

    rig.dialogs.expectMessageBox("F/W Update, execute?", "Confirm", Dialogs::YesNoQuestion, Dialogs::Yes);
    rig.dialogs.expectOpenFile(file.fileName());
    if (size == 300000)
        rig.dialogs.expectMessageBox(imageConfirmation(file.fileName(), "300000", "0247A470"), "Confirm",
                                     Dialogs::YesNoQuestion, Dialogs::Yes);
    if (!box.isEmpty()) {
        const QStringList parts =
            QString(box).replace("PATH", QDir::toNativeSeparators(file.fileName())).arg(rig.link.deviceAddress).split('|');
        rig.dialogs.expectMessageBox(parts[2], parts[1], parts[0].toInt());
    }

    QCOMPARE(SetupRunner(rig.session.transfer, rig.dialogs).run(planFirmwareUpdate()).outcome, outcome);
    QCOMPARE(rig.view.status, statusLine);
    if (unit == Unit::MisEchoing)
        return;
    if (frames.isEmpty())
        QTest::qWait(50);
    QTRY_COMPARE(rig.frames().size(), frames.size());
    QStringList seen = rig.frames();
    if (seen.size() > 1)
        seen.last() = seen.last().left(2) + " 00 00 00 00"; // the sum is the image's, checked by the unit
    QCOMPARE(seen, frames);
}

void FirmwareRunTest::firmwareWithRealPauses()
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

QTEST_MAIN(FirmwareRunTest)
#include "test_firmware_run.moc"

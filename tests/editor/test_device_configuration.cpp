// The editor's device side against a simulated unit: what goes to the unit, in which
// order, and what comes back.
#include "AudioListFile.h"
#include "ClipText.h"
#include "ConfigurationStepText.h"
#include "EditorRig.h"
#include "InputTestCode.h"
#include "MisEchoingUnit.h"

#include <QElapsedTimer>
#include <QFileInfo>

Q_DECLARE_METATYPE(UnitFaults)

namespace {
constexpr int writeCode = 90, readCode = 91, configurationWrittenCode = 69;

InputRows rowsPlaying(std::initializer_list<const char *> clips)
{
    InputRows rows;
    int i = 0;
    for (const char *clip : clips)
        rows[0].clipTexts[i++] = QString::fromLatin1(clip);
    rows[0].repeatText = "2";
    rows[0].alarmOutput = true;
    return rows;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class DeviceConfigurationTest : public QObject {
    Q_OBJECT
private slots:
    void projectWrite_data()
    {
        QTest::addColumn<QList<int>>("clips");
        QTest::addColumn<int>("absentClip");    // its local file is removed before the write
        QTest::addColumn<int>("oversizedClip"); // its local file is too large to send
        QTest::addColumn<QStringList>("uploaded");
        QTest::addColumn<bool>("configurationWritten");
        QTest::newRow("clips 1 2 5 in order") << QList<int>{5, 1, 2} << 0 << 0
                                              << QStringList{"plist.cfg", "m3fn.txt", "001.mp3", "002.mp3", "005.mp3"}
                                              << true;
        QTest::newRow("no clips") << QList<int>{} << 0 << 0 << QStringList{"plist.cfg", "m3fn.txt"} << true;
        QTest::newRow("missing clip sends nothing") << QList<int>{1, 2, 5} << 2 << 0 << QStringList{} << false;
        QTest::newRow("failed upload still ends with 69")
            << QList<int>{1, 2, 5} << 0 << 2 << QStringList{"plist.cfg", "m3fn.txt", "001.mp3", "005.mp3"} << true;
    }
    void projectWrite()
    {
        QFETCH(QList<int>, clips);
        QFETCH(int, absentClip);
        QFETCH(int, oversizedClip);
        QFETCH(QStringList, uploaded);
        QFETCH(bool, configurationWritten);
        EditorRig rig;
        for (int n : clips)
            rig.addClip(n);
        const QString activeDir = rig.store.directories().activeDir;
        if (absentClip)
            QVERIFY(QFile::remove(activeDir + clipFileName(absentClip)));
        if (oversizedClip)
            QVERIFY(QFile::resize(activeDir + clipFileName(oversizedClip), FileTransfer::BufferSize + 1));

        const DeviceWriteResult result = rig.device.writeDevice(rowsPlaying({"001", "002"}), 3);

        QTRY_COMPARE(rig.uploadedNames(), uploaded);
        QCOMPARE(rig.commandCodes().contains(configurationWrittenCode), configurationWritten);
        if (configurationWritten)
            QCOMPARE(rig.commandCodes().last(), configurationWrittenCode);
        QCOMPARE(result.ok(), !absentClip && !oversizedClip);
        QCOMPARE(result.missing, absentClip ? QStringList{activeDir + clipFileName(absentClip)} : QStringList{});
        QCOMPARE(result.refused, oversizedClip ? QStringList{activeDir + clipFileName(oversizedClip)} : QStringList{});
        QCOMPARE(result.written, uploaded);
        for (const ConfigurationStep &step : rig.steps)
            if (step.kind == ConfigurationStep::ClipRefused)
                QCOMPARE(step.reason, "File Size > Buffer Size 13MB !!");
        if (uploaded.isEmpty())
            return;
        QCOMPARE(rig.unit().file(FileArea::Sd, "plist.cfg").value_or(""), rig.store.alarmTable().image());
        QCOMPARE(rig.unit().file(FileArea::Sd, "m3fn.txt").value_or(""), fileBytes(activeDir + audioListFileName));
        QCOMPARE(rig.store.alarmTable().entry(0).clips, (std::array<quint8, 4>{1, 2, 0, 0}));
        QCOMPARE(rig.store.alarmTable().mode(), 3);
    }

    void writeThenReadGivesTheSameBytesWithRealPauses()
    {
        EditorRig rig(true);
        rig.addClip(1);
        rig.addClip(3);
        const EditorDirectories dirs = rig.store.directories();
        QVERIFY(rig.store.saveProject(rowsPlaying({"003", "001"}), 6).ok());
        const QByteArray table = fileBytes(dirs.projectDir + alarmTableFileName);
        const QByteArray list = fileBytes(dirs.projectDir + audioListFileName);
        QVERIFY(rig.device.writeDevice(rowsPlaying({"003", "001"}), 6).ok());

        const EditorOutcome read = rig.device.enterDeviceJob();
        QVERIFY2(read.ok(), qPrintable(read.error));
        QCOMPARE(rig.store.alarmTable().image(), table);
        QCOMPARE(rig.store.audioListImage(), list);
        QCOMPARE(fileBytes(dirs.tempDir + audioListFileName), list);
        QCOMPARE(read.applied->mode, 6);
        QCOMPARE(read.applied->rows[0].clipTexts, (std::array<QString, 4>{"003", "001", "None", "None"}));
        QVERIFY(read.log.contains("Header compare pass"));
        QVERIFY(read.log.contains(hexDumpLines(table, 32).first()));
    }

    void deviceJobUploadsOnlyClipsAddedSinceTheLastWrite()
    {
        EditorRig rig;
        for (int n = 1; n <= 8; ++n)
            rig.addClip(n);
        QVERIFY(rig.device.writeDevice({}, 0).ok());
        QVERIFY(rig.device.enterDeviceJob().ok());
        rig.unit().clearReceivedData();
        rig.addClip(9);
        const QString localClip = rig.store.directories().tempDir + "009.mp3";
        QVERIFY(QFileInfo::exists(localClip));

        QVERIFY(rig.device.writeDevice({}, 0).ok());
        QTRY_COMPARE(rig.uploadedNames(), (QStringList{"plist.cfg", "m3fn.txt", "009.mp3"}));
        QVERIFY(!QFileInfo::exists(localClip));
        QCOMPARE(parseAudioListBytes(rig.unit().file(FileArea::Sd, "m3fn.txt").value(), {}).list,
                 rig.store.audioList());

        rig.unit().clearReceivedData();
        QVERIFY(rig.device.writeDevice({}, 0).ok());
        QTRY_COMPARE(rig.uploadedNames(), (QStringList{"plist.cfg", "m3fn.txt"}));
    }

    void deleteOnTheUnitLeavesItsTableAndList()
    {
        EditorRig rig;
        rig.addClip(3);
        QVERIFY(rig.device.writeDevice(rowsPlaying({"003"}), 0).ok());
        QVERIFY(rig.device.enterDeviceJob().ok());
        const QByteArray table = rig.unit().file(FileArea::Sd, "plist.cfg").value();
        QVERIFY(rig.device.deleteClipOnUnit(3).acknowledged());
        QTRY_VERIFY(!rig.unit().file(FileArea::Sd, "003.mp3"));
        QCOMPARE(rig.unit().file(FileArea::Sd, "plist.cfg").value(), table);
    }

    void failedReadsCopyNothing_data()
    {
        QTest::addColumn<UnitFaults>("faults");
        QTest::addColumn<QByteArray>("unitTable"); // empty: the unit has none
        QTest::addColumn<TransferOutcome>("outcome");
        QTest::addColumn<bool>("listEmptied"); // the unit has no list: the scratch list is emptied
        QTest::addColumn<QString>("status");   // how status panel 0 begins
        UnitFaults none, stall, refuse, silent;
        stall.stallDataPhase = true;
        refuse.refuseConnections = true;
        silent.noAnswer = true;
        const QByteArray table(alarmTableSize, '\x11');
        QTest::newRow("refused read") << none << QByteArray() << TransferOutcome::Refused << true
                                      << "Read refused by the unit: plist.cfg";
        QTest::newRow("silent unit") << silent << table << TransferOutcome::Refused << false
                                     << "Read Error! : plist.cfg: no answer from the unit";
        QTest::newRow("timed-out read") << stall << table << TransferOutcome::TimedOut << false << "Read time-out: plist.cfg";
        QTest::newRow("no connection") << refuse << table << TransferOutcome::Failed << false
                                       << "Read Error! : plist.cfg: no connection";
        QTest::newRow("table too large") << none << QByteArray(alarmTableSize + 1, '\x11') << TransferOutcome::Done
                                         << false << "plist.cfg from the unit has 513 bytes";
    }
    void failedReadsCopyNothing()
    {
        QFETCH(UnitFaults, faults);
        QFETCH(QByteArray, unitTable);
        QFETCH(TransferOutcome, outcome);
        QFETCH(bool, listEmptied);
        EditorRig rig;
        rig.addClip(2);
        QVERIFY(rig.device.writeDevice(rowsPlaying({"002"}), 1).ok());
        QVERIFY(rig.device.enterDeviceJob().ok());
        const QByteArray table = rig.store.alarmTable().image();
        const QByteArray list = rig.store.audioListImage();
        if (listEmptied)
            rig.unit().removeFile(FileArea::Sd, "m3fn.txt");
        if (unitTable.isEmpty())
            rig.unit().removeFile(FileArea::Sd, "plist.cfg");
        else
            rig.unit().setFile(FileArea::Sd, "plist.cfg", unitTable);
        rig.sim.setFaults(faults);
        rig.steps.clear();

        const EditorOutcome read = rig.device.readAlarmTableFromDevice();
        QCOMPARE(rig.store.alarmTable().image(), table);
        QCOMPARE(read.applied->mode, 1);
        QCOMPARE(rig.steps.size(), 1);
        QCOMPARE(rig.steps[0].transfer.outcome, outcome);
        QFETCH(QString, status);
        QVERIFY2(configurationStepText(rig.steps[0]).status.startsWith(status),
                 qPrintable(configurationStepText(rig.steps[0]).status));

        rig.device.readAudioListFromDevice();
        QCOMPARE(rig.store.audioListImage(), listEmptied ? QByteArray() : list);
        QCOMPARE(rig.store.audioList().isPresent(2), !listEmptied);
    }

    void unreachableUnitStopsAtTheFirstFile()
    {
        EditorRig rig;
        rig.addClip(1);
        rig.timing.connectTimeoutMs = 200;
        UnitFaults refuse;
        refuse.refuseConnections = true;
        rig.sim.setFaults(refuse);
        const DeviceWriteResult result = rig.device.writeDevice({}, 0);
        QVERIFY(result.unitUnreachable());
        QVERIFY(!result.ok());
        QCOMPARE(result.refused, QStringList{"plist.cfg"});
        QCOMPARE(rig.stepNames(ConfigurationStep::SendingClip), QStringList{});
    }

    void unitThatStopsAnsweringEndsTheWrite_data()
    {
        QTest::addColumn<QString>("faultAt"); // the file from whose announcement on the unit misbehaves
        QTest::addColumn<UnitFaults>("faults");
        QTest::addColumn<bool>("onlyThatFile"); // the unit is well again after that file
        QTest::addColumn<QStringList>("uploaded");
        QTest::addColumn<QString>("box");
        UnitFaults silent, gone, refusing;
        silent.noAnswer = true;
        gone.refuseConnections = true;
        refusing.negativeStatus = true;
        QTest::newRow("silent from m3fn.txt") << "m3fn.txt" << silent << false << QStringList{"plist.cfg"}
                                              << "File Write Error! : m3fn.txt: no answer from the unit. The write stopped there.";
        QTest::newRow("silent from a clip") << "002.mp3" << silent << false << QStringList{"plist.cfg", "m3fn.txt", "001.mp3"}
                                            << "File Write Error! : 002.mp3: no answer from the unit. The write stopped there.";
        QTest::newRow("gone at a clip") << "002.mp3" << gone << false << QStringList{"plist.cfg", "m3fn.txt", "001.mp3"}
                                        << "File Write Error! : 002.mp3: no connection. The write stopped there.";
        QTest::newRow("table refused") << "plist.cfg" << refusing << true
                                       << QStringList{"m3fn.txt", "001.mp3", "002.mp3", "005.mp3"}
                                       << "File Write Error! : plist.cfg: refused by the unit";
        QTest::newRow("one clip refused") << "002.mp3" << refusing << true
                                          << QStringList{"plist.cfg", "m3fn.txt", "001.mp3", "005.mp3"}
                                          << "File Write Error! : Target error !!";
    }
    void unitThatStopsAnsweringEndsTheWrite()
    {
        QFETCH(QString, faultAt);
        QFETCH(UnitFaults, faults);
        QFETCH(bool, onlyThatFile);
        QFETCH(QStringList, uploaded);
        EditorRig rig;
        for (int n : {1, 2, 5})
            rig.addClip(n);
        rig.timing.connectTimeoutMs = 200;
        QStringList boxes;
        rig.device.onStep = [&](const ConfigurationStep &step) {
            if (QFileInfo(step.name).fileName() == faultAt
                && (step.kind == ConfigurationStep::WritingFile || step.kind == ConfigurationStep::SendingClip))
                rig.sim.setFaults(faults);
            if (onlyThatFile && (step.kind == ConfigurationStep::ClipRefused || step.kind == ConfigurationStep::FileRefused))
                rig.sim.setFaults({});
            if (const QString box = configurationStepText(step).error; !box.isEmpty())
                boxes << box;
        };
        QElapsedTimer clock;
        clock.start();
        const DeviceWriteResult result = rig.device.writeDevice({}, 0);
        QVERIFY(clock.elapsed() < 10000);
        rig.sim.setFaults({});

        QFETCH(QString, box);
        QCOMPARE(boxes, QStringList{box});
        QCOMPARE(result.written, uploaded);
        QCOMPARE(rig.commandCodes().contains(configurationWrittenCode), onlyThatFile);
        QCOMPARE(result.stoppedAt, onlyThatFile ? QString() : faultAt);
        QVERIFY(!result.ok());
    }

    // An answer to another request acknowledges nothing: no list is emptied, no write goes on.
    void misEchoedAnswersChangeNothing()
    {
        EditorRig rig;
        rig.addClip(2);
        QVERIFY(rig.device.writeDevice(rowsPlaying({"002"}), 1).ok());
        QVERIFY(rig.device.enterDeviceJob().ok());
        const QString scratchList = rig.store.directories().tempDir + audioListFileName;
        const QByteArray list = fileBytes(scratchList);
        const QHostAddress address(QStringLiteral("127.0.5.250"));
        MisEchoingUnit unit(address);
        rig.link.deviceAddress = address.toString();
        rig.device.readAudioListFromDevice();
        QCOMPARE(fileBytes(scratchList), list);
        rig.steps.clear();
        const DeviceWriteResult result = rig.device.writeDevice({}, 0);
        QCOMPARE(result.stoppedAt, "plist.cfg");
        QCOMPARE(configurationStepText(rig.steps.last()).error,
                 "File Write Error! : plist.cfg: the unit answered another request (91). The write stopped there.");
    }

    void inputTestCodes_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("code"); // -1: nothing is sent
        QTest::newRow("mode 0 DI1") << "DI1" << 0 << 1;
        QTest::newRow("mode 2 DI5") << "DI5" << 2 << 16;
        QTest::newRow("mode 3 DI6") << "DI6" << 3 << 32;
        QTest::newRow("mode 5 bI17") << "bI17" << 5 << 17;
        QTest::newRow("mode 5 bI6") << "bI6" << 5 << 6;
        QTest::newRow("mode 5 DI6") << "DI6" << 5 << 32;
        QTest::newRow("mode 7 bI31") << "bI31" << 7 << 31;
        QTest::newRow("mode 4 bI1") << "bI1" << 4 << 1;
        QTest::newRow("not an input") << "" << 0 << -1;
        QTest::newRow("not a number") << "DIx" << 4 << -1;
    }
    void inputTestCodes()
    {
        QFETCH(QString, input);
        QFETCH(int, mode);
        QFETCH(int, code);
        QCOMPARE(inputTestCode(input, mode).value_or(-1), code);
    }
};

QTEST_GUILESS_MAIN(DeviceConfigurationTest)
#include "test_device_configuration.moc"

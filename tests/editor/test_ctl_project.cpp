// zorctl's project commands as a black box, against a simulated unit.
#include "AudioListFile.h"
#include "ProjectStore.h"
#include "ScriptedDialogs.h"
#include "SimulatorThread.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "ZorCtlRun.h"

Q_DECLARE_METATYPE(UnitFaults)

namespace {

QString nextAddress()
{
    static int next = 100;
    return QStringLiteral("127.0.5.%1").arg(next++);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A project of clips 1, 2 and 5 with entry 0 playing 2 then 5, made by zorctl.
QString makeProject(const QTemporaryDir &folder)
{
    const QString project = folder.filePath("project");
    QFile clip(folder.filePath("tone.mp3"));
    if (!clip.open(QIODevice::WriteOnly) || clip.write(QByteArray(5000, 'T')) != 5000)
        qFatal("cannot write a clip");
    clip.close();
    const QList<QStringList> steps = {
        {"project", "new", project},
        {"project", "add-clip", project, "1", clip.fileName()},
        {"project", "add-clip", project, "2", clip.fileName()},
        {"project", "add-clip", project, "5", clip.fileName()},
        {"project", "mode", project, "4"},
        {"project", "input", project, "0", "--clips", "2,5", "--repeat", "3", "--alarm", "on"},
        {"project", "input", project, "31", "--clips", "1"},
    };
    for (const QStringList &step : steps)
        if (zorctl(step).exitCode != 0)
            qFatal("zorctl %s failed", qPrintable(step.join(' ')));
    return project;
}
} // namespace

class CtlProjectTest : public QObject {
    Q_OBJECT
private slots:
    void filesMatchTheWindowsSave()
    {
        QTemporaryDir folder;
        const QString project = makeProject(folder);

        ScriptedDialogs dialogs;
        ProjectStore store(dialogs, folder.path());
        store.directories().activeDir = folder.filePath("window") + QDir::separator();
        QVERIFY(QDir().mkpath(store.directories().activeDir));
        for (int n : {1, 2, 5})
            QVERIFY(store.addAudioFile(n, folder.filePath("tone.mp3")).ok());
        InputRows rows;
        rows[0] = {{"002", "005", "None", "None"}, "3", true};
        rows[31].clipTexts = {"001", "None", "None", "None"};
        QVERIFY(store.saveProject(rows, 4).ok());

        for (const QString &name : {alarmTableFileName, audioListFileName, QStringLiteral("005.mp3")})
            QCOMPARE(fileBytes(project + "/" + name), fileBytes(store.directories().activeDir + name));

        const ZorCtlRun shown = zorctl({"project", "show", project, "--json"});
        QCOMPARE(shown.exitCode, 0);
        QVERIFY(shown.out.contains(R"({"alarm":true,"clipCount":2,"clips":[2,5],"entry":0,"repeat":3})"));
        QVERIFY(shown.out.contains(R"("mode":4)"));

        QCOMPARE(zorctl({"project", "remove-clip", project, "5"}).exitCode, 0);
        QVERIFY(zorctl({"project", "show", project, "--json"}).out.contains(R"("clipCount":1,"clips":[2],"entry":0)"));
        QVERIFY(!QFile::exists(project + "/005.mp3"));
    }

    void writeThenReadBack()
    {
        QTemporaryDir folder;
        const QString project = makeProject(folder);
        SimulatorThread sim;
        const QString address = nextAddress();
        QVERIFY(sim.start(QHostAddress(address)));

        const ZorCtlRun written = zorctl({"--address", address, "project", "write", project});
        QCOMPARE(written.exitCode, 0);
        QVERIFY(written.err.contains("SendMP3File : "));
        QTRY_COMPARE(sim.unit().file(FileArea::Sd, "005.mp3").value_or(""), QByteArray(5000, 'T'));

        const QString copy = folder.filePath("copy");
        QCOMPARE(zorctl({"--address", address, "project", "read", copy}).exitCode, 0);
        for (const QString &name : {alarmTableFileName, audioListFileName})
            QCOMPARE(fileBytes(copy + "/" + name), fileBytes(project + "/" + name));
    }

    void failuresExitWithOne_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<UnitFaults>("faults");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("named");
        UnitFaults none, negative, stall, refuse;
        negative.negativeStatus = true;
        stall.stallDataPhase = true;
        refuse.refuseConnections = true;
        QTest::newRow("write: missing clip") << "write" << none << 1 << "File Not Exists! : ";
        QTest::newRow("write: refused") << "write" << negative << 1 << "the unit did not take plist.cfg, m3fn.txt";
        QTest::newRow("write: no unit") << "write" << refuse << 3 << "no connection";
        QTest::newRow("read: no files on the unit") << "read" << none << 1 << "Read refused by the unit: m3fn.txt";
        QTest::newRow("read: stalled") << "read" << stall << 1 << "Read time-out: m3fn.txt";
    }
    void failuresExitWithOne()
    {
        QFETCH(QString, command);
        QFETCH(UnitFaults, faults);
        QFETCH(int, exitCode);
        QFETCH(QString, named);
        QTemporaryDir folder;
        const QString project = makeProject(folder);
        const bool clipMissing = named.startsWith("File Not Exists");
        if (clipMissing)
            QFile::remove(project + "/002.mp3");
        const QByteArray table = fileBytes(project + "/plist.cfg");
        SimulatorThread sim;
        const QString address = nextAddress();
        QVERIFY(sim.start(QHostAddress(address), {.faults = faults}));
        if (command == "read" && faults.stallDataPhase)
            sim.unit().setFile(FileArea::Sd, "m3fn.txt", "x");

        const ZorCtlRun run = zorctl({"--address", address, "project", command, project});
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(named.toUtf8()), run.err.constData());
        QCOMPARE(fileBytes(project + "/plist.cfg"), table);
        if (clipMissing)
            QVERIFY(sim.unit().receivedFrames().isEmpty());
    }

    void unitCommandsPutTheirBytesOnTheWire_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("bytes"); // frame bytes 4 on
        QTest::newRow("play") << QStringList{"play", "12"} << QByteArray("\xE0\x0C", 2);
        QTest::newRow("stop") << QStringList{"stop"} << QByteArray("\x42\x03", 2);
        QTest::newRow("test-input") << QStringList{"test-input", "17"} << QByteArray("\x70\xFA\x01\x11", 4);
        QTest::newRow("test-stop") << QStringList{"test-stop"} << QByteArray("\x70\xFA\x00\x00", 4);
    }
    void unitCommandsPutTheirBytesOnTheWire()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, bytes);
        SimulatorThread sim;
        const QString address = nextAddress();
        QVERIFY(sim.start(QHostAddress(address)));
        QCOMPARE(zorctl(QStringList{"--address", address} + arguments).exitCode, 0);
        QCOMPARE(sim.unit().receivedFrames().size(), 1);
        QCOMPARE(sim.unit().receivedFrames()[0].mid(4, bytes.size()), bytes);
    }
};

QTEST_GUILESS_MAIN(CtlProjectTest)
#include "test_ctl_project.moc"

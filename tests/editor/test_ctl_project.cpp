// zorctl's project commands as a black box, against a simulated unit.
#include "AudioListFile.h"
#include "Mp3Fixture.h"
#include "ProjectStore.h"
#include "ToneWav.h"
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
    if (!clip.open(QIODevice::WriteOnly) || clip.write(mp3Content(5000, 'T')) != 5000)
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
            QVERIFY(store.addAudioFile(n, QDir::toNativeSeparators(folder.filePath("tone.mp3"))).ok()); // as the file dialog gives it
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
        QTRY_COMPARE(sim.unit().file(FileArea::Sd, "005.mp3").value_or(""), mp3Content(5000, 'T'));

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
        UnitFaults none, negative, stall, refuse, silent;
        negative.negativeStatus = true;
        silent.noAnswer = true;
        stall.stallDataPhase = true;
        refuse.refuseConnections = true;
        QTest::newRow("write: missing clip") << "write" << none << 1 << "File Not Exists! : ";
        QTest::newRow("write: refused") << "write" << negative << 1 << "the unit did not take plist.cfg, m3fn.txt";
        QTest::newRow("write: silent") << "write" << silent << 1 << "not confirmed: plist.cfg: no answer from the unit";
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

    // --check finds what a write would stop at, and sends nothing either way.
    void checkSendsNothing_data()
    {
        QTest::addColumn<QString>("spoil");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("named");
        QTest::newRow("would be written") << "" << 0 << "";
        QTest::newRow("missing clip") << "002.mp3" << 2 << "File Not Exists! : ";
        QTest::newRow("no project") << "plist.cfg" << 2 << "holds no project";
        QTest::newRow("damaged table") << "short table" << 2 << "plist.cfg";
    }
    void checkSendsNothing()
    {
        QFETCH(QString, spoil);
        QFETCH(QString, named);
        QTemporaryDir folder;
        const QString project = makeProject(folder);
        if (spoil == "short table") {
            QFile table(project + "/plist.cfg");
            QVERIFY(table.open(QIODevice::WriteOnly) && table.write(QByteArray(100, '\0')) == 100);
        } else if (!spoil.isEmpty()) {
            QVERIFY(QFile::remove(project + "/" + spoil));
        }
        SimulatorThread sim;
        static int next = 1;
        const QString address = QStringLiteral("127.41.5.%1").arg(next++);
        QVERIFY(sim.start(QHostAddress(address)));

        const ZorCtlRun run = zorctl({"--address", address, "project", "write", project, "--check"});
        QTEST(run.exitCode, "exitCode");
        QVERIFY2(run.err.contains(named.toUtf8()), run.err.constData());
        QVERIFY(sim.unit().receivedFrames().isEmpty());
    }

    // With --progress-lines a parent reads one line per file started: table, list, then each clip.
    void progressLinesFollowTheFiles()
    {
        QTemporaryDir folder;
        const QString project = makeProject(folder);
        SimulatorThread sim;
        QVERIFY(sim.start(QHostAddress("127.41.5.100")));
        const ZorCtlRun plain = zorctl({"--address", "127.41.5.100", "project", "write", project});
        QCOMPARE(plain.exitCode, 0);
        QVERIFY(!plain.err.contains("progress ")); // stderr is no terminal
        const ZorCtlRun run = zorctl({"--progress-lines", "--address", "127.41.5.100", "project", "write", project});
        QCOMPARE(run.exitCode, 0);
        QStringList progress;
        for (const QByteArray &line : run.err.split('\n'))
            if (line.startsWith("progress "))
                progress << QString::fromLatin1(line);
        QCOMPARE(progress, (QStringList{"progress 0 5", "progress 1 5", "progress 2 5", "progress 3 5", "progress 4 5"}));
    }

    // Commands that must refuse, keep a byte they do not own, or tell what a save drops.
    void projectCommandsKeepWhatTheyDoNotChange_data()
    {
        // "DIR": the project, "CRFILE": a clip named a<CR>b.mp3, "WAVFILE": a WAV file named fire.wav
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("prepare");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("out");
        QTest::addColumn<bool>("unchanged"); // both project files byte-identical
        QTest::addColumn<int>("mode");       // byte 8 afterwards; -1: the table is too short to have one

        QTest::newRow("new on a project") << QStringList{"project", "new", "DIR"} << "" << 2
                                          << "already holds a project" << "" << true << 4;
        QTest::newRow("new --force") << QStringList{"project", "new", "DIR", "--force"} << "" << 0 << "" << "" << false << 0;
        QTest::newRow("input with a gap") << QStringList{"project", "input", "DIR", "3", "--clips", "1,0,5"} << "" << 0
                                          << "entry 3: 005 is not kept" << "" << false << 4;
        QTest::newRow("remove-clip opens a gap") << QStringList{"project", "remove-clip", "DIR", "2"} << "" << 0
                                                 << "entry 0: 005 is not kept" << "" << false << 4;
        QTest::newRow("mode 9 kept") << QStringList{"project", "input", "DIR", "1", "--repeat", "2"} << "mode 9" << 0
                                     << "" << "" << false << 9;
        QTest::newRow("add-clip with a CR") << QStringList{"project", "add-clip", "DIR", "7", "CRFILE"} << "" << 1
                                            << "control character" << "" << true << 4;
        QTest::newRow("add-clip of a WAV file") << QStringList{"project", "add-clip", "DIR", "7", "WAVFILE"} << "" << 2
                                                << "fire.wav is not an MP3 file: it is a WAV file" << "" << true << 4;
        const QString damaged = "plist.cfg has 7 bytes, but an alarm table has 512: the table is damaged";
        QTest::newRow("show of a damaged table") << QStringList{"project", "show", "DIR"} << "short table" << 0 << damaged
                                                 << "mode: 0" << true << -1;
        QTest::newRow("write of a damaged table") << QStringList{"--address", "127.0.5.99", "project", "write", "DIR"}
                                                  << "short table" << 2 << damaged << "" << true << -1;
        QTest::newRow("a change saves a damaged table whole")
            << QStringList{"project", "input", "DIR", "0", "--repeat", "2"} << "short table" << 0 << damaged << "" << false << 0;
        QTest::newRow("show escapes a list line") << QStringList{"project", "show", "DIR"} << "escape line" << 0 << ""
                                                  << R"(clip 003: \x1b]0;owned\x07x (/m/\x1b]0;owned\x07x.mp3))" << true << 4;
        QTest::newRow("mode on a list too long to save") << QStringList{"project", "mode", "DIR", "6"} << "long list" << 1
                                                         << "larger than 65536 bytes" << "" << true << 4;
    }
    void projectCommandsKeepWhatTheyDoNotChange()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, prepare);
        QFETCH(int, exitCode);
        QFETCH(QString, err);
        QFETCH(QString, out);
        QFETCH(bool, unchanged);
        QFETCH(int, mode);
        QTemporaryDir folder;
        const QString project = makeProject(folder);
        const QString table = project + "/plist.cfg", list = project + "/m3fn.txt";
        if (prepare == "short table") {
            QFile file(table);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("5A3577A") == 7);
        }
        if (prepare == "mode 9") {
            QFile file(table);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(8) && file.putChar(9));
        }
        QByteArray lines = fileBytes(list);
        if (prepare == "escape line")
            lines.replace("\r\n\r\n\r\n", "\r\n/m/\x1b]0;owned\x07x.mp3\r\n\r\n");
        if (prepare == "long list")
            lines = QByteArray(65536 - 64, 'a').replace(0, 1, "/").append(QByteArray(64, '\n'));
        QFile listFile(list);
        QVERIFY(listFile.open(QIODevice::WriteOnly) && listFile.write(lines) == lines.size());
        listFile.close();
        const QString crFile = folder.filePath("a\rb.mp3");
        if (arguments.contains("CRFILE")) {
#ifdef Q_OS_WIN
            QSKIP("Windows file names cannot hold control characters");
#endif
            QFile cr(crFile);
            QVERIFY(cr.open(QIODevice::WriteOnly) && cr.write(mp3Content(100, 'x')) == 100);
        }
        const QString wavFile = folder.filePath("fire.wav");
        QFile wav(wavFile);
        QVERIFY(wav.open(QIODevice::WriteOnly) && wav.write(toneWav()) > 0);
        wav.close();
        const QByteArray before = fileBytes(table) + fileBytes(list);

        const ZorCtlRun run = zorctl(arguments.replaceInStrings("DIR", project).replaceInStrings("CRFILE", crFile)
                                         .replaceInStrings("WAVFILE", wavFile));
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(err.toUtf8()), run.err.constData());
        QVERIFY2(run.out.contains(out.toUtf8()), run.out.constData());
        QVERIFY(!run.out.contains('\x1b') && !run.err.contains('\x1b'));
        QCOMPARE(fileBytes(table) + fileBytes(list) == before, unchanged);
        if (mode >= 0)
            QCOMPARE(int(fileBytes(table).at(8)), mode);
        QCOMPARE(fileBytes(table).size(), mode >= 0 ? 512 : 7);
    }

    // The unit's table may be short and carry a mode the tool does not know; its list a CR
    // inside a line.
    void readKeepsWhatTheUnitHolds()
    {
        QTemporaryDir folder;
        SimulatorThread sim;
        const QString address = nextAddress();
        QVERIFY(sim.start(QHostAddress(address)));
        QByteArray table = QByteArray::fromHex("5A3577A5000000000900");
        sim.unit().setFile(FileArea::Sd, "plist.cfg", table);
        sim.unit().setFile(FileArea::Sd, "m3fn.txt", "\xEF\xBB\xBF/a\rb.mp3\r\n/c.mp3\r\n");

        const QString copy = folder.filePath("copy");
        const ZorCtlRun read = zorctl({"--address", address, "project", "read", copy});
        QCOMPARE(read.exitCode, 0);
        QVERIFY2(read.err.contains("plist.cfg has 10 bytes, fewer than the 512"), read.err.constData());
        QCOMPARE(zorctl({"project", "input", copy, "0", "--repeat", "2"}).exitCode, 0);
        QCOMPARE(int(fileBytes(copy + "/plist.cfg").at(8)), 9);
        const ZorCtlRun shown = zorctl({"project", "show", copy});
        QVERIFY2(shown.out.contains("clip 001: a\\rb (/a\\rb.mp3)\nclip 002: c (/c.mp3)"), shown.out.constData());
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

// The project pointer file and the input rows' layout.
#include "EditorModelsTest.h"

void EditorModelsTest::openEditorFollowsPointer_data()
{
    QTest::addColumn<QByteArray>("pointer"); // empty: no "PRJ.cfg"
    QTest::addColumn<bool>("opensProject");
    QTest::addColumn<int>("tableSize");

    QTest::newRow("no PRJ.cfg") << QByteArray() << false << 512;
    QTest::newRow("PRJ.cfg without a line") << QByteArray("\r\n") << false << 512;
    QTest::newRow("PRJ.cfg naming the project") << QByteArray("project") << true << 512;
    QTest::newRow("PRJ.cfg naming a refused project") << QByteArray("project") << true << 600;
}

// A refused project named by "PRJ.cfg" opens empty, and saving does not write over it.
void EditorModelsTest::openEditorFollowsPointer()
{
    QFETCH(QByteArray, pointer);
    QFETCH(bool, opensProject);
    QFETCH(int, tableSize);
    const bool refused = tableSize != 512;

    writeAll(project + "plist.cfg", savedFreshTable(2).leftJustified(tableSize, '\x05'));
    writeAll(project + "m3fn.txt", listFile(sixtyFourLines({{1, "one.mp3"}})));
    const QByteArray projectFiles = readAll(project + "plist.cfg") + readAll(project + "m3fn.txt");
    if (pointer == "project")
        writeAll(inBase("PRJ.cfg"), projectPointerBytes(project));
    else if (!pointer.isEmpty())
        writeAll(inBase("PRJ.cfg"), pointer);

    ScriptedDialogs dialogs;
    ProjectStore store(dialogs, basePath());
    const EditorOutcome outcome = store.openEditor();
    QCOMPARE(outcome.ok(), !refused);
    const QString work = withTrailingSeparator(inBase("work"));
    QCOMPARE(store.directories().activeDir, opensProject ? project : work);
    QVERIFY(QDir(work).exists());
    QVERIFY(QDir(store.directories().tempDir).exists());
    QCOMPARE(outcome.applied->mode, opensProject && !refused ? 2 : 0);
    QCOMPARE(store.audioList().isPresent(1), opensProject && !refused);
    QVERIFY(store.openEditor().log.isEmpty());
    QCOMPARE(store.saveProject({}, 0).ok(), !refused);
    if (refused)
        QCOMPARE(readAll(project + "plist.cfg") + readAll(project + "m3fn.txt"), projectFiles);
}

void EditorModelsTest::projectPointer_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("dir");

    const QString sep = QDir::separator();
    QTest::newRow("single-byte") << QByteArray("D:\\Alarm\\lobby\\\r\nsecond\r\n") << "D:\\Alarm\\lobby\\";
    QTest::newRow("Latin-1 letter") << QByteArray("/m\xFCsik/\r\n") << "/müsik/";
    QTest::newRow("UTF-8 mark") << QByteArray("\xEF\xBB\xBF/\xE9\x9F\xB3/\r\n") << "/音/";
    QTest::newRow("UTF-16 mark") << QByteArray("\xFF\xFE/\0a\0/\0\r\0\n\0", 12) << "/a/";
    QTest::newRow("no trailing separator") << QByteArray("/alarm/lobby") << "/alarm/lobby" + sep;
    QTest::newRow("no line") << QByteArray("\r\n") << "";
}

void EditorModelsTest::projectPointer()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, dir);
    QCOMPARE(parseProjectPointer(bytes), dir);
    if (!dir.isEmpty())
        QCOMPARE(parseProjectPointer(projectPointerBytes(dir)), dir);
}

void EditorModelsTest::pointerAsTheWindowsToolWritesIt_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QByteArray>("ansiFolder"); // the same name in code page 1252
    QTest::addColumn<QString>("clip");

    QTest::newRow("plain") << "lobby" << QByteArray("lobby") << "door bell.mp3";
    QTest::newRow("spaces") << "Alarm lobby" << QByteArray("Alarm lobby") << "door bell.mp3";
    QTest::newRow("accented folder and clip") << "Café" << QByteArray("Caf\xE9") << "Türglocke.mp3";
    QTest::newRow("clip outside the code page") << "lobby" << QByteArray("lobby") << "门铃 ☎.mp3";
}

// The folder in the PC's own form, with its trailing separator and CR LF (on Windows
// D:\Alarm\lobby\): the editor opens it, takes a clip from it, and choosing the same
// folder writes the file byte for byte as it was. The scratch folder is "temp" below.
void EditorModelsTest::pointerAsTheWindowsToolWritesIt()
{
    QFETCH(QString, folder);
    QFETCH(QByteArray, ansiFolder);
    QFETCH(QString, clip);

    const QString sep = QDir::separator();
    const QString base = QDir::toNativeSeparators(basePath());
    const QString dir = base + sep + folder + sep;
    QVERIFY(QDir().mkpath(dir));
    const QByteArray pointer = base.toLatin1() + sep.toLatin1() + ansiFolder + sep.toLatin1() + "\r\n";
    writeAll(inBase("PRJ.cfg"), pointer);
    const QByteArray content = mp3Content(64, 'c');
    writeAll(dir + clip, content);

    ScriptedDialogs dialogs;
    dialogs.expectOpenFile(dir + clip);
    dialogs.expectChooseFolder(base + sep + folder);
    ProjectStore store(dialogs, basePath()); // as QDir::currentPath() gives it
    QVERIFY(store.openEditor().ok());
    QCOMPARE(store.directories().tempDir, base + sep + "temp" + sep);
    QVERIFY(QFileInfo(store.directories().tempDir).isDir());
    QCOMPARE(store.directories().activeDir, dir);

    QVERIFY(store.addAudio(1).ok());
    QCOMPARE(readAll(dir + "001.mp3"), content);
    QCOMPARE(store.audioList().slot(1).shortName, QFileInfo(clip).completeBaseName());
    QVERIFY(store.saveProject({}, 0).ok());
    QCOMPARE(parseAudioListBytes(readAll(dir + "m3fn.txt"), "m3fn.txt").list.slot(1).sourcePath, dir + clip);

    QVERIFY(store.chooseProjectDir().ok());
    QCOMPARE(readAll(inBase("PRJ.cfg")), pointer);
}

void EditorModelsTest::inputLayout_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("visibleRows"); // rows 0 to n-1, plus row 31 when listed last
    QTest::addColumn<bool>("binaryGroup");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("row4Caption");
    QTest::addColumn<QStringList>("testInputsEnds");
    QTest::addColumn<int>("testInputCount");

    QTest::newRow("mode 0, six inputs") << 0 << 189 << 6 << false << "Mode 0-3, Digital Pin Input(DI1~DI6)" << "DI5"
                                        << QStringList{"DI1", "DI6"} << 6;
    QTest::newRow("mode 3, four inputs") << 3 << 190 << 4 << false << "Mode 0-3, Digital Pin Input(DI1~DI4)"
                                         << "DI5" << QStringList{"DI1", "DI4"} << 4;
    QTest::newRow("mode 2, no unit") << 2 << 0 << 4 << false << "Mode 0-3, Digital Pin Input(DI1~DI4)" << "DI5"
                                     << QStringList{"DI1", "DI4"} << 4;
    QTest::newRow("mode 5, six inputs") << 5 << 189 << 32 << true << "Mode 4-7, Binary Input(bI1~bI6))"
                                        << "bI5 (00101b)" << QStringList{"bI1", "DI6"} << 32;
    QTest::newRow("mode 5, four inputs") << 5 << 190 << 15 << true << "Mode 4-7, Binary Input(bI1~bI6))"
                                         << "bI5 (00101b)" << QStringList{"bI1", "bI15"} << 15;
}

void EditorModelsTest::inputLayout()
{
    QFETCH(int, mode);
    QFETCH(int, model);
    QFETCH(int, visibleRows);
    QFETCH(bool, binaryGroup);
    QFETCH(QString, caption);
    QFETCH(QString, row4Caption);
    QFETCH(QStringList, testInputsEnds);
    QFETCH(int, testInputCount);

    const InputLayout layout = applyInputLayout(mode, model);
    for (int r = 0; r < 32; ++r)
        QCOMPARE(layout.rowVisible[r], r < visibleRows);
    QCOMPARE(layout.binaryGroupVisible, binaryGroup);
    QCOMPARE(layout.firstGroupCaption, caption);
    QCOMPARE(layout.rowCaptions[4], row4Caption);
    QCOMPARE(layout.rowCaptions[16], "bI17 (10001b)");
    QCOMPARE(layout.rowCaptions[31], "DI6");
    QCOMPARE(layout.testInputs.size(), testInputCount);
    QCOMPARE((QStringList{layout.testInputs.first(), layout.testInputs.last()}), testInputsEnds);
}

// A name typed twice would tie two rows to one control.
void EditorModelsTest::rowControlNamesAreDistinct()
{
    QSet<QString> names;
    int expected = 0;
    for (int r = 0; r < 32; ++r) {
        const InputRowControls &c = inputRowControls[r];
        QCOMPARE(c.row, r);
        QCOMPARE(c.entry, r);
        names << c.panel << c.repeatEdit << c.alarmCheckBox;
        for (const char *selector : c.clipSelectors)
            names << selector;
        expected += 7;
    }
    QCOMPARE(names.size(), expected);
    QCOMPARE(inputRowControls[0].clipSelectors[0], "ComboBox9");
    QCOMPARE(inputRowControls[31].enclosingPanel, "Panel3");
}

#include "EditorModelsTest.h"

void EditorModelsTest::savedTableBytes_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<InputRow>("input");
    QTest::addColumn<QByteArray>("clips");
    QTest::addColumn<int>("clipCount");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<int>("alarm");

    QTest::newRow("clip after None dropped") << 0 << row({"003", "None", "007", "None"}, "2", true)
                                             << QByteArray::fromHex("03000000") << 1 << 2 << 1;
    QTest::newRow("no clips, repeat 0") << 1 << row({"None", "None", "None", "None"}, "0", false)
                                        << QByteArray::fromHex("00000000") << 1 << 1 << 0;
    QTest::newRow("four clips, repeat 300") << 2 << row({"001", "064", "010", "002"}, "300", false)
                                            << QByteArray::fromHex("0140 0A02") << 4 << 44 << 0;
    QTest::newRow("repeat 256") << 3 << row({"005", "006"}, "256", true)
                                << QByteArray::fromHex("05060000") << 2 << 1 << 1;
    QTest::newRow("non-numbers") << 4 << row({"012", "", "abc"}, "x", false)
                                 << QByteArray::fromHex("0C000000") << 1 << 1 << 0;
    QTest::newRow("out of range ends clips") << 5 << row({"002", "065", "003"}, "255", false)
                                             << QByteArray::fromHex("02000000") << 1 << 255 << 0;
    QTest::newRow("hidden binary row") << 20 << row({"009", "008", "007"}, "3", true)
                                       << QByteArray::fromHex("09080700") << 3 << 3 << 1;
    QTest::newRow("separate DI6 row") << 31 << row({"033"}, "1", true)
                                      << QByteArray::fromHex("21000000") << 1 << 1 << 1;
}

// The rows go through a loaded project into "plist.cfg"; bytes the editor does not own
// (4-7, 9-31, 224-255 and entries 32 to 63) must come back as they were loaded.
void EditorModelsTest::savedTableBytes()
{
    QFETCH(int, k);
    QFETCH(InputRow, input);
    QFETCH(QByteArray, clips);
    QFETCH(int, clipCount);
    QFETCH(int, repeat);
    QFETCH(int, alarm);

    QByteArray loaded = freshTable();
    const auto fill = [&](int from, int to, char value) {
        for (int i = from; i <= to; ++i)
            loaded[i] = value;
    };
    fill(4, 7, 0x11);
    fill(9, 31, 0x22);
    fill(224, 255, 0x33);
    fill(64, 95, 0x02);   // counts of entries 32 to 63
    fill(128, 159, 0x07); // repeats
    fill(192, 223, 0x01); // alarm outputs
    fill(384, 511, 0x3F); // clips
    writeAll(project + "plist.cfg", loaded);
    writeAll(project + "m3fn.txt", listFile(sixtyFourLines({})));

    ScriptedDialogs dialogs;
    ProjectStore store(dialogs, basePath());
    store.directories().activeDir = project;
    const EditorOutcome opened = store.loadProject();
    QVERIFY2(opened.ok(), qPrintable(opened.error));
    InputRows rows = opened.applied->rows;
    rows[k] = input;
    QVERIFY(store.saveProject(rows, 5).ok());

    QByteArray expected = loaded;
    expected[8] = 5;
    for (int e = 0; e < 32; ++e)
        expected[32 + e] = 1;
    expected.replace(256 + 4 * k, 4, clips);
    expected[32 + k] = char(clipCount);
    expected[96 + k] = char(repeat);
    expected[160 + k] = char(alarm);
    QCOMPARE(readAll(project + "plist.cfg").toHex(' '), expected.toHex(' '));
}

void EditorModelsTest::freshTableLog()
{
    ScriptedDialogs dialogs;
    ProjectStore store(dialogs, basePath());
    store.directories().activeDir = project;
    const EditorOutcome saved = store.saveProject(store.resetProject().applied->rows, 0);
    QVERIFY(saved.ok());
    QCOMPARE(readAll(project + "plist.cfg"), savedFreshTable(0));
    QCOMPARE(saved.log.count(QStringLiteral("Str2Int Err")), 0);
    QVERIFY(saved.log.contains("[0000]5A,35,77,A5,00,00,00,00,00,00,00,00,00,00,00,00,"));
    QVERIFY(saved.log.contains("[0060]01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,01,"));
}

void EditorModelsTest::listFileBytes()
{
    AudioList list;
    list.setSource(1, "C:\\Users\\op\\Music\\door bell.mp3");
    list.setSource(3, "/home/op/Müsik/sirene.mp3");
    QCOMPARE(audioListBytes(list),
             listFile(sixtyFourLines({{1, "C:\\Users\\op\\Music\\door bell.mp3"}, {3, "/home/op/Müsik/sirene.mp3"}})));
}

void EditorModelsTest::parseList_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("clip");
    QTest::addColumn<QString>("sourcePath");
    QTest::addColumn<QString>("shortName");
    QTest::addColumn<QStringList>("selectorItems");
    QTest::addColumn<bool>("refused");

    const QString windowsPath = "C:\\Users\\op\\Music\\door bell.mp3";
    QTest::newRow("Windows path") << listFile(sixtyFourLines({{2, windowsPath}})) << 2 << windowsPath
                                  << "door bell" << QStringList{"None", "002"} << false;
    QTest::newRow("one line, no BOM, LF") << QByteArray("/a/b/one.mp3\n") << 1 << "/a/b/one.mp3" << "one"
                                          << QStringList{"None", "001"} << false;
    QStringList sixtyThree = sixtyFourLines({{63, "D:\\x\\last.mp3"}}).mid(0, 63);
    QTest::newRow("63 lines") << listFile(sixtyThree) << 64 << "" << "" << QStringList{"None", "063"} << false;
    QTest::newRow("empty file") << QByteArray() << 1 << "" << "" << QStringList{"None"} << false;
    QStringList longer = sixtyFourLines({{64, "a.mp3"}}) << "extra.mp3";
    QTest::newRow("65th line ignored") << listFile(longer) << 64 << "a.mp3" << "a"
                                       << QStringList{"None", "064"} << false;
    QByteArray full = listFile(sixtyFourLines({{1, "x.mp3"}}));
    full.append(QByteArray(65536 - full.size(), ' '));
    QTest::newRow("exactly 64 KiB") << full << 1 << "x.mp3" << "x" << QStringList{"None", "001"} << false;
    QTest::newRow("64 KiB + 1") << full + ' ' << 1 << "" << "" << QStringList{"None"} << true;
}

void EditorModelsTest::parseList()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, clip);
    QFETCH(QString, sourcePath);
    QFETCH(QString, shortName);
    QFETCH(QStringList, selectorItems);
    QFETCH(bool, refused);

    const AudioListRead read = parseAudioListBytes(bytes, "m3fn.txt");
    QCOMPARE(!read.error.isEmpty(), refused);
    QCOMPARE(read.list.slot(clip).sourcePath, sourcePath);
    QCOMPARE(read.list.slot(clip).shortName, shortName);
    QCOMPARE(read.list.selectorItems(), selectorItems);
}

void EditorModelsTest::projectFiles_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QString>("fault"); // "no list" before loading; "list grows", "list is a folder" before saving
    QTest::addColumn<int>("saveMode");  // -1: the mode selector shows none
    QTest::addColumn<QString>("error"); // of the load, else of the save; empty: both succeed
    QTest::addColumn<QString>("clip2"); // its source path once loaded

    const QByteArray table = savedFreshTable(6);
    const QString two = "C:\\müsik\\zwei.mp3";
    const QString twoLines = "\r\n" + two + "\r\n";
    const auto encoded = [](QStringConverter::Encoding encoding, const QString &text) {
        QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
        return QByteArray(encoder(text));
    };
    const QString longPath = "/" + QString(65536 - 3 - 64 * 2 - 1, u'x');
    QTest::newRow("UTF-8 as written") << table << listFile(sixtyFourLines({{2, two}})) << "" << 6 << "" << two;
    QTest::newRow("UTF-16 LE mark") << table << encoded(QStringConverter::Utf16LE, twoLines) << "" << 6 << "" << two;
    QTest::newRow("UTF-16 BE mark") << table << encoded(QStringConverter::Utf16BE, twoLines) << "" << 6 << "" << two;
    QTest::newRow("Latin-1, no mark") << table << twoLines.toLatin1() << "" << 6 << "m3fn.txt is not UTF-8 text" << "";
    QTest::newRow("UTF-16, lone surrogate") << table << QByteArray("\xFF\xFE\x00\xD8\r\0", 6) << "" << 6
                                            << "m3fn.txt is not UTF-16LE text" << "";
    QTest::newRow("CR inside a line") << table << QByteArray("\xEF\xBB\xBF\r\n/a\rb.mp3\r\n/c.mp3\r\n") << "" << 6 << ""
                                      << "/a\rb.mp3";
    QTest::newRow("LF ends") << table << QByteArray("\n/two.mp3\n") << "" << 6 << "" << "/two.mp3";
    QTest::newRow("CR ends") << table << QByteArray("\r/two.mp3\r") << "" << 6 << "" << "/two.mp3";
    QTest::newRow("short table") << table.left(9) << listFile({}) << "" << -1 << "" << "";
    QTest::newRow("mode 9, selector shows none") << QByteArray(table).replace(8, 1, "\x09") << listFile({}) << "" << -1
                                                 << "" << "";
    QTest::newRow("mode 9 shown") << QByteArray(table).replace(8, 1, "\x09") << listFile({}) << "" << 9 << "" << "";
    QTest::newRow("table of 513 bytes") << table + '\x05' << listFile({}) << "" << 6
                                        << "plist.cfg is larger than 512 bytes" << "";
    QTest::newRow("table of 600 bytes, no list") << table + QByteArray(88, '\x05') << QByteArray() << "no list" << 6
                                                 << "plist.cfg is larger than 512 bytes" << "";
    QTest::newRow("list over 64 KiB") << table << listFile({}) + QByteArray(70000, ' ') << "" << 6
                                      << "m3fn.txt is larger than 65536 bytes" << "";
    QTest::newRow("fits, but not as written") << table << ("\n" + longPath.toUtf8() + "x" + QByteArray(63, '\n'))
                                                   << "" << 6 << "would, as this tool writes it, be larger" << "";
    QTest::newRow("64 KiB as written") << table << listFile(sixtyFourLines({{2, longPath}})) << "" << 6 << ""
                                       << longPath;
    QTest::newRow("list grows past the image") << table << listFile({}) << "list grows" << 6
                                               << "larger than 65536 bytes" << "";
    QTest::newRow("list is a folder") << table << listFile({}) << "list is a folder" << 6 << "Could not write" << "";
}

// What loads also saves and reads back the same; a refused project is never written
// over, and a failed save leaves both files byte-identical.
void EditorModelsTest::projectFiles()
{
    QFETCH(QByteArray, table);
    QFETCH(QByteArray, list);
    QFETCH(QString, fault);
    QFETCH(int, saveMode);
    QFETCH(QString, error);
    QFETCH(QString, clip2);

    const QString tablePath = project + "plist.cfg", listPath = project + "m3fn.txt", clipPath = project + "001.mp3";
    writeAll(tablePath, table);
    if (fault != "no list")
        writeAll(listPath, list);
    writeAll(clipPath, "clip");

    ScriptedDialogs dialogs;
    ProjectStore store(dialogs, basePath());
    store.directories().activeDir = project;
    const EditorOutcome loaded = store.loadProject();
    const bool refused = !loaded.ok();
    const QString loadError = fault.startsWith("list ") ? QString() : error;
    QVERIFY2(loaded.error.contains(loadError) && refused == !loadError.isEmpty(), qPrintable(loaded.error));
    QCOMPARE(store.audioList().slot(2).sourcePath, clip2);
    if (fault == "list grows")
        store.audioList().setSource(3, "/" + QString(70000, u'x'));
    if (fault == "list is a folder")
        QVERIFY(QFile::remove(listPath) && QDir().mkpath(listPath + "/kept"));
    const QByteArray before = readAll(tablePath) + readAll(listPath);

    const EditorOutcome saved = store.saveProject(loaded.applied->rows, saveMode);
    if (error.isEmpty()) {
        QVERIFY2(saved.ok(), qPrintable(saved.error));
        QCOMPARE(readAll(tablePath).at(8), saveMode < 0 ? table.at(8) : char(saveMode));
        QCOMPARE(parseAudioListBytes(readAll(listPath), "m3fn.txt").list, store.audioList());
        return;
    }
    QVERIFY2(saved.error.contains(refused ? "could not be opened" : error), qPrintable(saved.error));
    if (refused) {
        QVERIFY(!store.addAudioFile(4, clipPath).ok());
        QVERIFY(!store.deleteAudio(1).ok());
    }
    QCOMPARE(readAll(tablePath) + readAll(listPath), before);
    QCOMPARE(readAll(clipPath), "clip");
    QCOMPARE(QFileInfo(listPath).isDir(), fault == "list is a folder");
}

void EditorModelsTest::addAudio_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("error");

    QTest::newRow("small") << "door bell.mp3" << qint64(1000) << "";
    QTest::newRow("exactly 10 MiB") << "door bell.mp3" << qint64(10485760) << "";
    QTest::newRow("10 MiB + 1") << "door bell.mp3" << qint64(10485761) << "Error!! : File Size > then Buffer 10MB";
    QTest::newRow("CR in the name") << "door\rbell.mp3" << qint64(1000) << "control character";
    QTest::newRow("ESC in the name") << "door\x1b[2Jbell.mp3" << qint64(1000) << "control character";
}

void EditorModelsTest::addAudio()
{
    QFETCH(QString, name);
    QFETCH(qint64, size);
    QFETCH(QString, error);

#ifdef Q_OS_WIN
    if (std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c < u' '; }))
        QSKIP("Windows file names cannot hold control characters");
#endif
    const QString source = inBase(name);
    const QByteArray content = mp3Content(size, '\0');
    writeAll(source, content);
    writeAll(project + "012.mp3", "previous clip");

    ScriptedDialogs dialogs;
    dialogs.expectOpenFile(QDir::toNativeSeparators(source));
    ProjectStore store(dialogs, basePath());
    store.directories().activeDir = project;
    const EditorOutcome outcome = store.addAudio(12);
    QVERIFY2(outcome.error.contains(error) && outcome.ok() == error.isEmpty(), qPrintable(outcome.error));

    const bool added = error.isEmpty();
    QCOMPARE(store.audioList().slot(12).shortName, added ? "door bell" : "");
    QCOMPARE(readAll(project + "012.mp3"), added ? content : QByteArray("previous clip"));
    QCOMPARE(QFile::exists(project + "m3fn.txt"), added);
    if (added) {
        QCOMPARE(readAll(project + "m3fn.txt"), listFile(sixtyFourLines({{12, QDir::toNativeSeparators(source)}})));
        QCOMPARE(outcome.applied->rows[0].clipTexts[0], "None");
    }
}

void EditorModelsTest::deleteAudioClearsReferences()
{
    QMap<int, QString> clips;
    for (int n = 1; n <= 7; ++n) {
        clips[n] = QStringLiteral("C:\\clips\\%1.mp3").arg(n);
        writeAll(project + clipFileName(n), "mp3");
    }
    writeAll(project + "m3fn.txt", listFile(sixtyFourLines(clips)));
    QByteArray table = savedFreshTable(0);
    table.replace(256, 8, QByteArray::fromHex("0105030005050505"));
    writeAll(project + "plist.cfg", table);

    ScriptedDialogs dialogs;
    ProjectStore store(dialogs, basePath());
    store.directories().activeDir = project;
    QVERIFY(store.loadProject().ok());
    const EditorOutcome outcome = store.deleteAudio(5);
    QVERIFY(outcome.ok());

    QVERIFY(!QFile::exists(project + "005.mp3"));
    QVERIFY(QFile::exists(project + "006.mp3"));
    QCOMPARE(store.alarmTable().entry(0).clips, (std::array<quint8, 4>{1, 0, 3, 0}));
    QCOMPARE(store.alarmTable().entry(1).clips, (std::array<quint8, 4>{0, 0, 0, 0}));
    QCOMPARE(outcome.applied->rows[0].clipTexts, (std::array<QString, 4>{"001", "None", "003", "None"}));
    clips.remove(5);
    QCOMPARE(readAll(project + "m3fn.txt"), listFile(sixtyFourLines(clips)));

    QVERIFY(store.saveProject(outcome.applied->rows, 0).ok());
    QCOMPARE(store.alarmTable().entry(0), (AlarmEntry{{1, 0, 0, 0}, 1, 1, 0}));
}

void EditorModelsTest::chooseProjectDir_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<int>("tableSize");
    QTest::newRow("cancelled") << false << 512;
    QTest::newRow("confirmed") << true << 512;
    QTest::newRow("refused project") << true << 600;
}

// Cancelling, or a folder whose project is refused, keeps "PRJ.cfg", the folders and
// what is in memory, and nothing is written into the refused folder; confirming
// remembers the folder and opens its project.
void EditorModelsTest::chooseProjectDir()
{
    QFETCH(bool, confirmed);
    QFETCH(int, tableSize);
    const bool opens = confirmed && tableSize == 512;

    const QString other = inBase("other");
    QVERIFY(QDir().mkpath(other));
    const QString otherTable = other + QDir::separator() + "plist.cfg", otherList = other + QDir::separator() + "m3fn.txt";
    writeAll(otherTable, savedFreshTable(3).leftJustified(tableSize, '\x05'));
    writeAll(otherList, listFile(sixtyFourLines({{2, "two.mp3"}})));
    const QByteArray otherFiles = readAll(otherTable) + readAll(otherList);
    writeAll(inBase("PRJ.cfg"), "old pointer\r\n");

    ScriptedDialogs dialogs;
    dialogs.expectChooseFolder(confirmed ? other : QString());
    ProjectStore store(dialogs, basePath());
    store.directories().activeDir = store.directories().projectDir = project;
    store.audioList().setSource(9, "unsaved.mp3");

    const EditorOutcome outcome = store.chooseProjectDir();
    QCOMPARE(outcome.ok(), opens || !confirmed);
    QCOMPARE(outcome.applied.has_value(), opens);
    const QString expectedDir = opens ? other + QDir::separator() : project;
    QCOMPARE(store.directories().activeDir, expectedDir);
    QCOMPARE(store.directories().projectDir, expectedDir);
    QCOMPARE(readAll(inBase("PRJ.cfg")), opens ? expectedDir.toLatin1() + "\r\n" : QByteArray("old pointer\r\n"));
    QCOMPARE(store.audioList().isPresent(9), !opens);
    QCOMPARE(store.audioList().isPresent(2), opens);
    if (!opens) {
        QVERIFY(store.saveProject({}, 0).ok());
        QCOMPARE(readAll(otherTable) + readAll(otherList), otherFiles);
    }
}

QTEST_GUILESS_MAIN(EditorModelsTest)

#include "AudioListFile.h"
#include "InputRowLayout.h"
#include "ProjectPointerFile.h"
#include "ProjectStore.h"
#include "ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A new project's table: magic, mode 0, every repeat 1.
QByteArray freshTable()
{
    QByteArray image(512, '\0');
    image.replace(0, 4, QByteArray::fromHex("5A3577A5"));
    for (int k = 0; k < 64; ++k)
        image[96 + k] = 1;
    return image;
}

// A fresh table as saved: the mode, and each of the 32 rows' clip count 1.
QByteArray savedFreshTable(int mode)
{
    QByteArray image = freshTable();
    image[8] = char(mode);
    for (int k = 0; k < 32; ++k)
        image[32 + k] = 1;
    return image;
}

QByteArray listFile(const QStringList &lines)
{
    QByteArray bytes("\xEF\xBB\xBF");
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

QStringList sixtyFourLines(const QMap<int, QString> &clips)
{
    QStringList lines;
    for (int n = 1; n <= 64; ++n)
        lines.append(clips.value(n));
    return lines;
}

InputRow row(const QStringList &clips, const QString &repeat, bool alarm)
{
    InputRow r;
    for (int i = 0; i < 4; ++i)
        r.clipTexts[i] = clips.value(i);
    r.repeatText = repeat;
    r.alarmOutput = alarm;
    return r;
}

} // namespace

class EditorModelsTest : public QObject {
    Q_OBJECT

private slots:
    // Every test and data row starts in empty folders.
    void init()
    {
        base.emplace();
        QVERIFY(base->isValid());
        project = withTrailingSeparator(QDir::toNativeSeparators(base->filePath("project")));
        QVERIFY(QDir().mkpath(project));
    }

    void savedTableBytes_data();
    void savedTableBytes();
    void freshTableLog();
    void listFileBytes();
    void parseList_data();
    void parseList();
    void oversizedProjectFiles_data();
    void oversizedProjectFiles();
    void addAudio_data();
    void addAudio();
    void deleteAudioClearsReferences();
    void chooseProjectDir_data();
    void chooseProjectDir();
    void openEditorFollowsPointer_data();
    void openEditorFollowsPointer();
    void projectPointer_data();
    void projectPointer();
    void inputLayout_data();
    void inputLayout();
    void rowControlNamesAreDistinct();

private:
    QString basePath() const { return base->path(); }
    QString inBase(const QString &name) const { return QDir::toNativeSeparators(base->filePath(name)); }

    std::optional<QTemporaryDir> base;
    QString project;
};

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

void EditorModelsTest::oversizedProjectFiles_data()
{
    QTest::addColumn<int>("tableSize");
    QTest::addColumn<int>("listPadding");
    QTest::addColumn<QString>("error");

    QTest::newRow("table 513 bytes") << 513 << 0 << "plist.cfg is larger than 512 bytes";
    QTest::newRow("list over 64 KiB") << 512 << 70000 << "m3fn.txt is larger than 65536 bytes";
    QTest::newRow("short table") << 9 << 0 << "";
}

// A refused file opens as an empty project with the reason and stays on disk as it was;
// a short table replaces only the leading bytes.
void EditorModelsTest::oversizedProjectFiles()
{
    QFETCH(int, tableSize);
    QFETCH(int, listPadding);
    QFETCH(QString, error);

    QByteArray table = savedFreshTable(6).leftJustified(tableSize, '\x05', true);
    const QByteArray list = listFile(sixtyFourLines({{4, "four.mp3"}})) + QByteArray(listPadding, ' ');
    writeAll(project + "plist.cfg", table);
    writeAll(project + "m3fn.txt", list);

    ScriptedDialogs dialogs;
    ProjectStore store(dialogs, basePath());
    store.directories().activeDir = project;
    const EditorOutcome outcome = store.loadProject();
    QVERIFY2(outcome.error.contains(error), qPrintable(outcome.error));
    QCOMPARE(outcome.error.isEmpty(), error.isEmpty());
    QCOMPARE(outcome.applied->mode, error.isEmpty() ? 6 : 0);
    QCOMPARE(store.audioList().isPresent(4), error.isEmpty());
    QCOMPARE(store.alarmTable().image().mid(9), freshTable().mid(9));
    QCOMPARE(readAll(project + "plist.cfg"), table);
    QCOMPARE(readAll(project + "m3fn.txt"), list);
}

void EditorModelsTest::addAudio_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("error");

    QTest::newRow("small") << qint64(1000) << "";
    QTest::newRow("exactly 10 MiB") << qint64(10485760) << "";
    QTest::newRow("10 MiB + 1") << qint64(10485761) << "Error!! : File Size > then Buffer 10MB";
}

void EditorModelsTest::addAudio()
{
    QFETCH(qint64, size);
    QFETCH(QString, error);

    const QString source = inBase("door bell.mp3");
    QByteArray content(size, '\0');
    content[0] = 'I';
    writeAll(source, content);
    writeAll(project + "012.mp3", "previous clip");

    ScriptedDialogs dialogs;
    dialogs.expectOpenFile(QDir::toNativeSeparators(source));
    ProjectStore store(dialogs, basePath());
    store.directories().activeDir = project;
    const EditorOutcome outcome = store.addAudio(12);
    QCOMPARE(outcome.error, error);

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
    QTest::newRow("cancelled") << false;
    QTest::newRow("confirmed") << true;
}

// Cancelling keeps "PRJ.cfg", the folders and what is in memory; confirming remembers
// the folder and opens its project.
void EditorModelsTest::chooseProjectDir()
{
    QFETCH(bool, confirmed);

    const QString other = inBase("other");
    QVERIFY(QDir().mkpath(other));
    writeAll(other + QDir::separator() + "plist.cfg", savedFreshTable(3));
    writeAll(other + QDir::separator() + "m3fn.txt", listFile(sixtyFourLines({{2, "two.mp3"}})));
    writeAll(inBase("PRJ.cfg"), "old pointer\r\n");

    ScriptedDialogs dialogs;
    dialogs.expectChooseFolder(confirmed ? other : QString());
    ProjectStore store(dialogs, basePath());
    store.directories().activeDir = store.directories().projectDir = project;
    store.audioList().setSource(9, "unsaved.mp3");

    const EditorOutcome outcome = store.chooseProjectDir();
    QVERIFY(outcome.ok());
    QCOMPARE(outcome.applied.has_value(), confirmed);
    const QString expectedDir = confirmed ? other + QDir::separator() : project;
    QCOMPARE(store.directories().activeDir, expectedDir);
    QCOMPARE(store.directories().projectDir, expectedDir);
    QCOMPARE(readAll(inBase("PRJ.cfg")),
             confirmed ? expectedDir.toLatin1() + "\r\n" : QByteArray("old pointer\r\n"));
    QCOMPARE(store.audioList().isPresent(9), !confirmed);
    QCOMPARE(store.audioList().isPresent(2), confirmed);
}

void EditorModelsTest::openEditorFollowsPointer_data()
{
    QTest::addColumn<QByteArray>("pointer"); // empty: no "PRJ.cfg"
    QTest::addColumn<bool>("opensProject");

    QTest::newRow("no PRJ.cfg") << QByteArray() << false;
    QTest::newRow("PRJ.cfg without a line") << QByteArray("\r\n") << false;
    QTest::newRow("PRJ.cfg naming the project") << QByteArray("project") << true;
}

void EditorModelsTest::openEditorFollowsPointer()
{
    QFETCH(QByteArray, pointer);
    QFETCH(bool, opensProject);

    writeAll(project + "plist.cfg", savedFreshTable(2));
    writeAll(project + "m3fn.txt", listFile(sixtyFourLines({{1, "one.mp3"}})));
    if (pointer == "project")
        writeAll(inBase("PRJ.cfg"), projectPointerBytes(project));
    else if (!pointer.isEmpty())
        writeAll(inBase("PRJ.cfg"), pointer);

    ScriptedDialogs dialogs;
    ProjectStore store(dialogs, basePath());
    const EditorOutcome outcome = store.openEditor();
    QVERIFY(outcome.ok());
    const QString work = withTrailingSeparator(inBase("work"));
    QCOMPARE(store.directories().activeDir, opensProject ? project : work);
    QVERIFY(QDir(work).exists());
    QVERIFY(QDir(store.directories().tempDir).exists());
    QCOMPARE(outcome.applied->mode, opensProject ? 2 : 0);
    QCOMPARE(store.audioList().isPresent(1), opensProject);
    QVERIFY(store.openEditor().log.isEmpty());
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

QTEST_GUILESS_MAIN(EditorModelsTest)
#include "test_editor_models.moc"

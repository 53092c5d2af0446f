#pragma once

// The editor's widget-free models: table and list bytes, the project folder, the pointer file, the row layout.
#include "AudioListFile.h"
#include "InputRowLayout.h"
#include "Mp3Fixture.h"
#include "ProjectPointerFile.h"
#include "ProjectStore.h"
#include "ScriptedDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A new project's table: magic, mode 0, every repeat 1.
inline QByteArray freshTable()
{
    QByteArray image(512, '\0');
    image.replace(0, 4, QByteArray::fromHex("5A3577A5"));
    for (int k = 0; k < 64; ++k)
        image[96 + k] = 1;
    return image;
}

// A fresh table as saved: the mode, and each of the 32 rows' clip count 1.
inline QByteArray savedFreshTable(int mode)
{
    QByteArray image = freshTable();
    image[8] = char(mode);
    for (int k = 0; k < 32; ++k)
        image[32 + k] = 1;
    return image;
}

inline QByteArray listFile(const QStringList &lines)
{
    QByteArray bytes("\xEF\xBB\xBF");
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

inline QStringList sixtyFourLines(const QMap<int, QString> &clips)
{
    QStringList lines;
    for (int n = 1; n <= 64; ++n)
        lines.append(clips.value(n));
    return lines;
}

inline InputRow row(const QStringList &clips, const QString &repeat, bool alarm)
{
    InputRow r;
    for (int i = 0; i < 4; ++i)
        r.clipTexts[i] = clips.value(i);
    r.repeatText = repeat;
    r.alarmOutput = alarm;
    return r;
}

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
    void projectFiles_data();
    void projectFiles();
    void addAudio_data();
    void addAudio();
    void deleteAudioClearsReferences();
    void chooseProjectDir_data();
    void chooseProjectDir();
    void openEditorFollowsPointer_data();
    void openEditorFollowsPointer();
    void projectPointer_data();
    void projectPointer();
    void pointerAsTheWindowsToolWritesIt_data();
    void pointerAsTheWindowsToolWritesIt();
    void inputLayout_data();
    void inputLayout();
    void rowControlNamesAreDistinct();

private:
    QString basePath() const { return base->path(); }
    QString inBase(const QString &name) const { return QDir::toNativeSeparators(base->filePath(name)); }

    std::optional<QTemporaryDir> base;
    QString project;
};

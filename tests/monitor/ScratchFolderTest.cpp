#include "ScratchFolderTest.h"

#include "AudioEditorWindow.h"
#include "LinkDoubles.h"
#include "RecordingClipPlayer.h"
#include "ScratchFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

void writeFile(const QString &path, const QByteArray &content = "x")
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

void ScratchFolderTest::createdFolderCarriesTheMark()
{
    QTemporaryDir work;
    const QString scratch = ScratchFolder::pathIn(work.path());
    QVERIFY(scratch.endsWith(QDir::separator()));
    QCOMPARE(QDir::cleanPath(QDir::fromNativeSeparators(scratch)), work.filePath("temp"));

    QVERIFY(!ScratchFolder::isMarked(scratch));
    QVERIFY(ScratchFolder::create(scratch));
    QVERIFY(ScratchFolder::isMarked(scratch));
    QVERIFY(ScratchFolder::create(scratch)); // already ours
}

void ScratchFolderTest::foreignFolderIsNeitherTakenNorRemoved()
{
    QTemporaryDir work;
    const QString scratch = ScratchFolder::pathIn(work.path());
    QVERIFY(QDir().mkpath(scratch + "notes"));
    writeFile(scratch + "letter.txt");

    QVERIFY(!ScratchFolder::create(scratch));
    QVERIFY(!ScratchFolder::removeIfMarked(scratch));
    QVERIFY(QFile::exists(scratch + "letter.txt"));
    QVERIFY(QDir(scratch + "notes").exists());
}

void ScratchFolderTest::markedFolderIsRemovedWithAllContent()
{
    QTemporaryDir work;
    const QString scratch = ScratchFolder::pathIn(work.path());
    QVERIFY(ScratchFolder::create(scratch));
    writeFile(scratch + "m3fn.txt");
    writeFile(scratch + "009.mp3");
    QVERIFY(QDir().mkpath(scratch + "sub/deeper"));
    writeFile(scratch + "sub/a.mp3");
    writeFile(scratch + "sub/deeper/b.mp3");
    writeFile(scratch + "readonly.mp3");
    QVERIFY(QFile::setPermissions(scratch + "readonly.mp3", QFile::ReadOwner));

    QVERIFY(ScratchFolder::removeIfMarked(scratch));
    QVERIFY(!QFileInfo::exists(scratch));
    QVERIFY(QDir(work.path()).exists());
    QVERIFY(ScratchFolder::removeIfMarked(scratch)); // nothing left to remove
}

void ScratchFolderTest::removalDoesNotFollowLinks()
{
    QTemporaryDir work;
    QTemporaryDir elsewhere;
    writeFile(elsewhere.filePath("keep.txt"));
    const QString scratch = ScratchFolder::pathIn(work.path());
    QVERIFY(ScratchFolder::create(scratch));
    QVERIFY(QFile::link(elsewhere.path(), scratch + "linked-folder"));
    QVERIFY(QFile::link(elsewhere.filePath("keep.txt"), scratch + "linked-file"));

    QVERIFY(ScratchFolder::removeIfMarked(scratch));
    QVERIFY(!QFileInfo::exists(scratch));
    QVERIFY(QFile::exists(elsewhere.filePath("keep.txt")));
}

void ScratchFolderTest::linkNamedLikeTheFolderIsLeftAlone()
{
#ifdef Q_OS_WIN
    QSKIP("QFile::link makes a .lnk shortcut on Windows, which no folder look-up follows");
#endif
    QTemporaryDir work;
    QTemporaryDir elsewhere;
    const QString target = ScratchFolder::pathIn(elsewhere.path());
    QVERIFY(ScratchFolder::create(target));
    writeFile(target + "keep.mp3");
    QVERIFY(QFile::link(QDir::cleanPath(target), work.filePath("temp")));

    const QString scratch = ScratchFolder::pathIn(work.path());
    QVERIFY(!ScratchFolder::removeIfMarked(scratch));
    QVERIFY(QFile::exists(target + "keep.mp3"));
}

void ScratchFolderTest::audioEditorCreationRemovesOnlyAMarkedFolder()
{
    // The test runs in a folder of its own; the editor works in the current folder.
    const QString scratch = ScratchFolder::pathIn(QDir::currentPath());
    QVERIFY(ScratchFolder::create(scratch));
    LinkDoubles doubles;
    RecordingClipPlayer player;
    QVERIFY(QDir().mkpath(scratch + "sub"));
    QFile(scratch + "sub/001.mp3").open(QIODevice::WriteOnly);
    QFile(scratch + "m3fn.txt").open(QIODevice::WriteOnly);
    std::make_unique<AudioEditorWindow>(doubles.session, doubles.dialogs, player).reset();
    QVERIFY(!QFileInfo::exists(scratch));

    QVERIFY(QDir().mkpath(scratch));
    QFile(scratch + "mine.txt").open(QIODevice::WriteOnly);
    std::make_unique<AudioEditorWindow>(doubles.session, doubles.dialogs, player).reset();
    QVERIFY(QFile::exists(scratch + "mine.txt"));
    QVERIFY(QDir(scratch).removeRecursively());
}

QTEST_MAIN(ScratchFolderTest)

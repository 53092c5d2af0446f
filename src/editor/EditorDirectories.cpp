#include "EditorDirectories.h"

#include "ScratchFolder.h"

#include <QDir>

namespace {

bool endsWithSeparator(const QString &dir)
{
    return dir.endsWith(u'\\') || dir.endsWith(u'/');
}

// A name inside baseDir; a root folder ("/", "C:\") already ends with its separator.
QString inBaseDir(const QString &baseDir, const QString &name)
{
    return withTrailingSeparator(baseDir) + name;
}

} // namespace

QString withTrailingSeparator(const QString &dir)
{
    return endsWithSeparator(dir) ? dir : dir + QDir::separator();
}

EditorDirectories EditorDirectories::startingIn(const QString &currentDir)
{
    EditorDirectories dirs;
    dirs.baseDir = QDir::toNativeSeparators(currentDir);
    dirs.tempDir = ScratchFolder::pathIn(currentDir);
    dirs.projectDir = dirs.defaultProjectDir();
    dirs.activeDir = dirs.projectDir;
    return dirs;
}

QString EditorDirectories::defaultProjectDir() const
{
    return withTrailingSeparator(inBaseDir(baseDir, QStringLiteral("work")));
}

QString EditorDirectories::projectPointerPath() const
{
    return inBaseDir(baseDir, QStringLiteral("PRJ.cfg"));
}

#include "ScratchFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString MarkName = QStringLiteral(".zorwifi-scratch");

QString markPath(const QString &path)
{
    return QDir(path).filePath(MarkName);
}

// A read-only file would stop the removal on some systems: make it writable first.
bool removeFile(const QString &filePath)
{
    if (QFile::remove(filePath))
        return true;
    QFile::setPermissions(filePath, QFile::permissions(filePath) | QFile::WriteOwner | QFile::WriteUser);
    return QFile::remove(filePath);
}

} // namespace

namespace ScratchFolder {

QString pathIn(const QString &workingFolder)
{
    return QDir::toNativeSeparators(QDir(workingFolder).filePath(QStringLiteral("temp")) + QLatin1Char('/'));
}

bool isMarked(const QString &path)
{
    // Without its trailing separator, so that a link is seen as the link, not as its target.
    const QFileInfo folder(QDir::cleanPath(QDir::fromNativeSeparators(path)));
    // A link named like the scratch folder points at someone else's folder.
    return folder.isDir() && !folder.isSymLink() && QFileInfo(markPath(path)).isFile();
}

bool create(const QString &path)
{
    if (QFileInfo::exists(path))
        return isMarked(path);
    if (!QDir().mkpath(path))
        return false;
    QFile mark(markPath(path));
    return mark.open(QIODevice::WriteOnly) && isMarked(path);
}

bool removeIfMarked(const QString &path)
{
    if (!isMarked(path))
        return !QFileInfo::exists(path);
    QDir folder(path);
    bool emptied = true;
    const auto entries = folder.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (entry.fileName() == MarkName)
            continue;
        const bool removed = entry.isDir() && !entry.isSymLink() ? QDir(entry.filePath()).removeRecursively()
                                                                  : removeFile(entry.filePath());
        emptied = emptied && removed;
    }
    // The mark goes last: a folder that could not be emptied stays recognisable as ours.
    return emptied && removeFile(markPath(path)) && folder.rmdir(folder.absolutePath());
}

} // namespace ScratchFolder

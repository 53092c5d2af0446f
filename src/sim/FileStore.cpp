#include "FileStore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

namespace {

// One path component: printable Latin-1, nothing a file system would read as a path or device.
bool isValidComponent(QStringView component)
{
    if (component.isEmpty() || component == u"." || component == u"..")
        return false;
    return std::all_of(component.begin(), component.end(), [](QChar ch) {
        const char16_t code = ch.unicode();
        const bool printable = (code >= 0x20 && code < 0x7F) || (code >= 0xA0 && code <= 0xFF);
        return printable && !QStringView(u"/\\:*?\"<>|").contains(ch);
    });
}

} // namespace

FileStore::FileStore(const QString &folder)
    : m_folder(folder)
{
    if (!m_folder.isEmpty()) {
        QDir().mkpath(diskRoot(FileArea::Sd));
        QDir().mkpath(diskRoot(FileArea::Flash));
    }
}

bool FileStore::isValidName(FileArea area, const QString &name)
{
    if (area == FileArea::Sd)
        return isValidComponent(name);
    if (!name.startsWith(u'/'))
        return false;
    const auto components = QStringView(name).mid(1).split(u'/');
    return std::all_of(components.begin(), components.end(), isValidComponent);
}

QString FileStore::diskRoot(FileArea area) const
{
    return m_folder + (area == FileArea::Sd ? "/sd" : "/flash");
}

QHash<QString, QByteArray> &FileStore::memory(FileArea area)
{
    return area == FileArea::Sd ? m_sd : m_flash;
}

const QHash<QString, QByteArray> &FileStore::memory(FileArea area) const
{
    return area == FileArea::Sd ? m_sd : m_flash;
}

std::optional<QByteArray> FileStore::read(FileArea area, const QString &name) const
{
    if (!isValidName(area, name))
        return std::nullopt;
    if (m_folder.isEmpty()) {
        const auto found = memory(area).constFind(name);
        return found == memory(area).cend() ? std::nullopt : std::optional(*found);
    }
    const QString path = diskRoot(area) + '/' + name;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool FileStore::write(FileArea area, const QString &name, const QByteArray &content)
{
    if (!isValidName(area, name))
        return false;
    if (m_folder.isEmpty()) {
        memory(area).insert(name, content);
        return true;
    }
    const QString path = diskRoot(area) + '/' + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit();
}

bool FileStore::remove(FileArea area, const QString &name)
{
    if (!isValidName(area, name))
        return false;
    if (m_folder.isEmpty())
        return memory(area).remove(name);
    const QString path = diskRoot(area) + '/' + name;
    return QFileInfo(path).isFile() && QFile::remove(path);
}

void FileStore::removeFolder(FileArea area, const QString &prefix)
{
    if (m_folder.isEmpty()) {
        auto &files = memory(area);
        for (auto it = files.begin(); it != files.end();)
            it = it.key().startsWith(prefix) ? files.erase(it) : std::next(it);
        return;
    }
    QDir(diskRoot(area) + '/' + prefix).removeRecursively();
}

QStringList FileStore::names(FileArea area) const
{
    QStringList result;
    if (m_folder.isEmpty()) {
        result = memory(area).keys();
    } else {
        const QDir root(diskRoot(area));
        const auto depth = area == FileArea::Flash ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags;
        QDirIterator it(root.path(), QDir::Files | QDir::Hidden, depth);
        while (it.hasNext()) {
            const QString relative = root.relativeFilePath(it.next());
            result.append(area == FileArea::Flash ? '/' + relative : relative);
        }
    }
    result.sort();
    return result;
}

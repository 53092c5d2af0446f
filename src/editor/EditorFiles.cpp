#include "EditorFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <memory>
#include <optional>
#include <vector>

namespace {
QString writeError(const QString &path, const QString &reason)
{
    return QStringLiteral("Could not write %1: %2").arg(path, reason);
}
} // namespace

QString writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return {};
    return writeError(path, file.errorString());
}

QString replaceFilesTogether(const QList<FileContent> &files)
{
    std::vector<std::unique_ptr<QSaveFile>> written;
    std::vector<std::optional<QByteArray>> previous; // nothing: there was no file
    for (const FileContent &content : files) {
        auto file = std::make_unique<QSaveFile>(content.path);
        if (!file->open(QIODevice::WriteOnly) || file->write(content.bytes) != content.bytes.size())
            return writeError(content.path, file->errorString());
        written.push_back(std::move(file));
        QFile old(content.path);
        if (!old.exists()) {
            previous.emplace_back();
        } else if (QFileInfo(old).isFile() && old.open(QIODevice::ReadOnly)) {
            previous.emplace_back(old.readAll());
        } else {
            // What cannot be read could not be put back.
            return writeError(content.path, QStringLiteral("the file there cannot be read, so it is left as it is"));
        }
    }
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (written[i]->commit())
            continue;
        const QString error = writeError(files[qsizetype(i)].path, written[i]->errorString());
        for (std::size_t j = 0; j < i; ++j) {
            const QString &path = files[qsizetype(j)].path;
            if (previous[j])
                writeFileAtomically(path, *previous[j]);
            else
                QFile::remove(path);
        }
        return error;
    }
    return {};
}

FileRead readFileUpTo(const QString &path, qsizetype limit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("Could not read %1: %2").arg(path, file.errorString())};
    return {file.read(limit + 1), {}};
}

#include "EditorFiles.h"

#include <QFile>
#include <QSaveFile>

QString writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return {};
    return QStringLiteral("Could not write %1: %2").arg(path, file.errorString());
}

FileRead readFileUpTo(const QString &path, qsizetype limit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("Could not read %1: %2").arg(path, file.errorString())};
    return {file.read(limit + 1), {}};
}

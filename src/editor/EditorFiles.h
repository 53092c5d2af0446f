#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file through a temporary file in the same folder, so a failed write
// leaves the previous file in place. Returns the reason of a failure, or empty.
QString writeFileAtomically(const QString &path, const QByteArray &bytes);

struct FileRead {
    QByteArray bytes;
    QString error; // empty when read
};

// At most `limit` + 1 bytes of the file: enough for the format's reader to refuse an
// oversized file without the whole of it ever being held.
FileRead readFileUpTo(const QString &path, qsizetype limit);

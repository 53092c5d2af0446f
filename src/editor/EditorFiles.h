#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Replaces the file through a temporary file in the same folder, so a failed write
// leaves the previous file in place. Returns the reason of a failure, or empty.
QString writeFileAtomically(const QString &path, const QByteArray &bytes);

struct FileContent {
    QString path;
    QByteArray bytes;
};

// Replaces files that belong together, such as a project's two: all are written to
// temporary files first, and only when every one was written are they put in place. A
// replacement that still fails puts back those already replaced. Returns the reason of a
// failure, or empty.
QString replaceFilesTogether(const QList<FileContent> &files);

struct FileRead {
    QByteArray bytes;
    QString error; // empty when read
};

// At most `limit` + 1 bytes of the file: enough for the format's reader to refuse an
// oversized file without the whole of it ever being held.
FileRead readFileUpTo(const QString &path, qsizetype limit);

#pragma once

#include <QByteArray>
#include <QString>

// "PRJ.cfg" names the current project folder in one line ended by CR LF, in the PC's
// single-byte code page. A folder that code page cannot hold is written as UTF-8 with a
// byte-order mark instead, which every reader of the file honours.
// Only the first line is read; a longer start of the file cannot be a folder.
inline constexpr qsizetype projectPointerReadLimit = 64 * 1024;

QByteArray projectPointerBytes(const QString &projectDir);

// The folder named by the first line, with a trailing separator; empty when there is no
// line. A byte-order mark selects UTF-8 or UTF-16.
QString parseProjectPointer(const QByteArray &bytes);

#pragma once

#include <QByteArray>
#include <QString>

// How much of a file the check looks at: a frame must begin in the first 4 KiB, and the
// frame after it must be there to confirm it.
inline constexpr qsizetype mp3ProbeSize = 8 * 1024;

// The unit plays MP3 clips only. A file is taken when it starts with an ID3v2 tag, or when
// an MPEG audio frame begins within its first bytes and a frame of the same stream
// follows where that one ends (a lone pair of sync-like bytes is not enough).
bool looksLikeMp3(const QByteArray &head);

// Why the file whose first bytes these are cannot be a clip; empty when it can.
QString notMp3Reason(const QByteArray &head, const QString &path);

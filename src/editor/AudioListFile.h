#pragma once

#include "AudioList.h"

#include <QByteArray>
#include <QString>

// "m3fn.txt": UTF-8 with a byte-order mark, one line per clip 1 to 64, each ended by CR LF.
// The unit stores the same bytes.
inline const QString audioListFileName = QStringLiteral("m3fn.txt");

// The list image holds any list the tool writes: 64 source paths of up to 1 KiB of
// UTF-8 each on average. Longer lists are refused, never cut.
inline constexpr qsizetype audioListImageCapacity = 64 * 1024;

QByteArray audioListBytes(const AudioList &list);
// Whether the list, written out, fits the list image.
bool fitsAudioListImage(const AudioList &list);

struct AudioListRead {
    AudioList list;
    QString error; // empty when the bytes were taken
};

// Reads a list from a file's or the unit's bytes; `source` names them in the error text.
// UTF-8, or UTF-16/32 by its byte-order mark; other text is refused. A list taken here
// always fits the list image when written again. Lines missing at the end are empty
// slots; lines after the 64th are ignored.
AudioListRead parseAudioListBytes(const QByteArray &bytes, const QString &source);

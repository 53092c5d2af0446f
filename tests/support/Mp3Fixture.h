#pragma once

#include <QByteArray>

// Clip content the editor takes as MP3: an ID3v2 tag header, then `fill` up to `size`
// bytes (at least 10).
inline QByteArray mp3Content(qsizetype size, char fill)
{
    QByteArray bytes(size, fill);
    bytes.replace(0, 10, QByteArray("ID3\x04\0\0\0\0\0\0", 10));
    return bytes;
}

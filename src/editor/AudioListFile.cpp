#include "AudioListFile.h"

#include <QRegularExpression>

namespace {
const QByteArray utf8ByteOrderMark("\xEF\xBB\xBF");
}

QByteArray audioListBytes(const AudioList &list)
{
    QByteArray bytes = utf8ByteOrderMark;
    for (const QString &path : list.sourcePaths())
        bytes += path.toUtf8() + "\r\n";
    return bytes;
}

bool fitsAudioListImage(const AudioList &list)
{
    return audioListBytes(list).size() <= audioListImageCapacity;
}

AudioListRead parseAudioListBytes(const QByteArray &bytes, const QString &source)
{
    AudioListRead read;
    if (bytes.size() > audioListImageCapacity) {
        read.error = QStringLiteral("%1 is larger than %2 bytes, the most an audio list may hold. "
                                    "It was not loaded.")
                         .arg(source)
                         .arg(audioListImageCapacity);
        return read;
    }

    QByteArrayView text(bytes);
    if (text.startsWith(utf8ByteOrderMark))
        text = text.sliced(utf8ByteOrderMark.size());
    // Any of CR LF, LF or CR ends a line, as in lists edited by hand.
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = QString::fromUtf8(text).split(lineEnd);
    for (int n = 1; n <= maxClipNumber && n <= lines.size(); ++n)
        read.list.setSource(n, lines[n - 1]);
    return read;
}

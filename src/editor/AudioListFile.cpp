#include "AudioListFile.h"

#include <QStringDecoder>

namespace {
const QByteArray utf8ByteOrderMark("\xEF\xBB\xBF");

QString tooLarge(const QString &source, const QString &what)
{
    return QStringLiteral("%1 %2 larger than %3 bytes, the most an audio list may hold. It was not loaded.")
        .arg(source, what)
        .arg(audioListImageCapacity);
}

// An LF ends a line, with the CR before it; a CR elsewhere belongs to the line, as the unit
// may store one inside a path. Only a file without any LF is taken as ended by CRs.
QStringList splitLines(const QString &text)
{
    if (!text.contains(u'\n'))
        return text.split(u'\r');
    QStringList lines = text.split(u'\n');
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return lines;
}
} // namespace

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
        read.error = tooLarge(source, QStringLiteral("is"));
        return read;
    }

    // A byte-order mark selects its encoding (and is dropped); without one only UTF-8 is taken,
    // so that a list in another code page is never rewritten garbled.
    const auto encoding = QStringConverter::encodingForData(bytes).value_or(QStringConverter::Utf8);
    QStringDecoder decoder(encoding);
    const QString text = decoder(bytes);
    // A lone surrogate would be written back as a replacement character.
    if (decoder.hasError() || !text.isValidUtf16()) {
        read.error = QStringLiteral("%1 is not %2 text; it was not loaded and is left as it is. "
                                    "Save it as UTF-8 and open it again.")
                         .arg(source, encoding == QStringConverter::Utf8 ? QStringLiteral("UTF-8")
                                                                         : QString::fromLatin1(decoder.name()));
        return read;
    }

    const QStringList lines = splitLines(text);
    for (int n = 1; n <= maxClipNumber && n <= lines.size(); ++n)
        read.list.setSource(n, lines[n - 1]);
    // Whatever is taken must save again: its own line ends or a UTF-16 text may grow when written.
    if (!fitsAudioListImage(read.list)) {
        read.list.clearAll();
        read.error = tooLarge(source, QStringLiteral("would, as this tool writes it, be"));
    }
    return read;
}

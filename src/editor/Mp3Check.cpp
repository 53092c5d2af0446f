#include "Mp3Check.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

constexpr qsizetype frameSearchLimit = 4 * 1024;
constexpr int headerSize = 4;

struct FrameHeader {
    int version = 0; // 0: MPEG 2.5, 2: MPEG 2, 3: MPEG 1
    int layer = 0;   // 1: layer III, 2: layer II, 3: layer I
    int sampleRateIndex = 0;
    qsizetype length = 0;
};

// kbit/s by bit-rate index 1 to 14.
constexpr std::array<std::array<int, 14>, 5> bitRates{{
    {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}, // MPEG 1, layer I
    {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},    // MPEG 1, layer II
    {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},     // MPEG 1, layer III
    {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},    // MPEG 2 and 2.5, layer I
    {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},         // MPEG 2 and 2.5, layers II and III
}};
constexpr std::array<int, 3> mpeg1SampleRates{44100, 48000, 32000};

quint8 byteAt(const QByteArray &bytes, qsizetype at)
{
    return quint8(bytes[at]);
}

// A header whose reserved or forbidden values are all clear. Free-format streams (bit-rate
// index 0) give no frame length to confirm them with, so they are not taken.
std::optional<FrameHeader> frameHeaderAt(const QByteArray &bytes, qsizetype at)
{
    if (at + headerSize > bytes.size())
        return std::nullopt;
    const quint8 b1 = byteAt(bytes, at + 1), b2 = byteAt(bytes, at + 2), b3 = byteAt(bytes, at + 3);
    if (byteAt(bytes, at) != 0xFF || (b1 & 0xE0) != 0xE0)
        return std::nullopt;
    FrameHeader header;
    header.version = (b1 >> 3) & 3;
    header.layer = (b1 >> 1) & 3;
    const int bitRateIndex = b2 >> 4;
    header.sampleRateIndex = (b2 >> 2) & 3;
    const int padding = (b2 >> 1) & 1;
    if (header.version == 1 || header.layer == 0 || bitRateIndex == 0 || bitRateIndex == 15
        || header.sampleRateIndex == 3 || (b3 & 3) == 2)
        return std::nullopt;

    const bool mpeg1 = header.version == 3;
    const int table = mpeg1 ? 3 - header.layer : (header.layer == 3 ? 3 : 4);
    const qint64 bitRate = qint64(bitRates[table][bitRateIndex - 1]) * 1000;
    const int divisor = mpeg1 ? 1 : (header.version == 2 ? 2 : 4);
    const qint64 sampleRate = mpeg1SampleRates[header.sampleRateIndex] / divisor;
    if (header.layer == 3)
        header.length = (12 * bitRate / sampleRate + padding) * 4;
    else if (header.layer == 1 && !mpeg1)
        header.length = 72 * bitRate / sampleRate + padding;
    else
        header.length = 144 * bitRate / sampleRate + padding;
    return header;
}

bool startsWithId3Tag(const QByteArray &bytes)
{
    // "ID3", major and minor version below FF, flags, four size bytes of seven bits each.
    if (bytes.size() < 10 || !bytes.startsWith("ID3") || byteAt(bytes, 3) == 0xFF || byteAt(bytes, 4) == 0xFF)
        return false;
    for (qsizetype i = 6; i < 10; ++i)
        if (byteAt(bytes, i) >= 0x80)
            return false;
    return true;
}

bool confirmedFrameAt(const QByteArray &bytes, qsizetype at)
{
    const std::optional<FrameHeader> first = frameHeaderAt(bytes, at);
    if (!first)
        return false;
    const qsizetype next = at + first->length;
    if (next > bytes.size())
        return false; // the frame is cut off, or the look ended inside it
    if (next + headerSize > bytes.size())
        return next == bytes.size(); // a one-frame file
    if (bytes.mid(next, 3) == "TAG")
        return true; // the ID3v1 tag after the last frame
    const std::optional<FrameHeader> second = frameHeaderAt(bytes, next);
    return second && second->version == first->version && second->layer == first->layer
        && second->sampleRateIndex == first->sampleRateIndex;
}

} // namespace

bool looksLikeMp3(const QByteArray &head)
{
    if (startsWithId3Tag(head))
        return true;
    const qsizetype last = std::min(head.size(), frameSearchLimit);
    for (qsizetype at = 0; at < last; ++at)
        if (byteAt(head, at) == 0xFF && confirmedFrameAt(head, at))
            return true;
    return false;
}

QString notMp3Reason(const QByteArray &head, const QString &path)
{
    if (looksLikeMp3(head))
        return {};
    QString what;
    if (head.isEmpty())
        what = QStringLiteral("it is empty");
    else if (head.startsWith("RIFF") && head.mid(8, 4) == "WAVE")
        what = QStringLiteral("it is a WAV file");
    else
        what = QStringLiteral("it starts with neither an ID3 tag nor an MPEG audio frame");
    return QStringLiteral("%1 is not an MP3 file: %2. The unit plays MP3 clips only.").arg(path, what);
}

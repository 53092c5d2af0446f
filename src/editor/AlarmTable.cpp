#include "AlarmTable.h"

#include "ClipText.h"

namespace {

constexpr std::array<quint8, 4> frameMagic{0x5A, 0x35, 0x77, 0xA5};

// A missing conversion is logged and counts as 0.
int parsedOrZero(const QString &text, QStringList &log)
{
    const std::optional<int> value = parseClipText(text);
    if (!value) {
        log.append(QStringLiteral("Str2Int Err"));
        return 0;
    }
    return *value;
}

} // namespace

AlarmTable::AlarmTable()
{
    reset();
}

void AlarmTable::reset()
{
    image_ = QByteArray(alarmTableSize, '\0');
    for (int i = 0; i < int(frameMagic.size()); ++i)
        setByte(AlarmTableOffset::magic + i, frameMagic[i]);
    for (int k = 0; k < alarmEntryCount; ++k)
        setByte(AlarmTableOffset::repeatCount + k, 1);
}

bool AlarmTable::hasMagic() const
{
    for (int i = 0; i < int(frameMagic.size()); ++i) {
        if (byteAt(AlarmTableOffset::magic + i) != frameMagic[i])
            return false;
    }
    return true;
}

int AlarmTable::mode() const
{
    return byteAt(AlarmTableOffset::mode);
}

AlarmEntry AlarmTable::entry(int k) const
{
    AlarmEntry e;
    for (int i = 0; i < clipsPerEntry; ++i)
        e.clips[i] = byteAt(AlarmTableOffset::clips + clipsPerEntry * k + i);
    e.clipCount = byteAt(AlarmTableOffset::clipCount + k);
    e.repeatCount = byteAt(AlarmTableOffset::repeatCount + k);
    e.alarmOutput = byteAt(AlarmTableOffset::alarmOutput + k);
    return e;
}

void AlarmTable::storeEntry(int k, const InputRow &row, QStringList &log)
{
    const int clipsAt = AlarmTableOffset::clips + clipsPerEntry * k;
    int stored = 0;
    for (int i = 0; i < clipsPerEntry; ++i)
        setByte(clipsAt + i, 0);
    // The unit plays clips up to the first empty one, so nothing is stored after a gap.
    for (const QString &text : row.clipTexts) {
        const int clip = parsedOrZero(text, log);
        if (clip < 1 || clip > maxClipNumber)
            break;
        setByte(clipsAt + stored++, clip);
    }
    setByte(AlarmTableOffset::clipCount + k, stored == 0 ? 1 : stored);

    const int repeat = parsedOrZero(row.repeatText, log) & 0xFF;
    setByte(AlarmTableOffset::repeatCount + k, repeat == 0 ? 1 : repeat);
    setByte(AlarmTableOffset::alarmOutput + k, row.alarmOutput ? 1 : 0);
}

InputRow AlarmTable::loadEntry(int k, QStringList &log) const
{
    const AlarmEntry e = entry(k);
    InputRow row;
    for (int i = 0; i < clipsPerEntry; ++i) {
        row.clipTexts[i] = clipText(e.clips[i]);
        log.append(QStringLiteral("RB_Str[%1] : ").arg(i) + row.clipTexts[i]);
    }
    row.repeatText = QString::number(e.repeatCount == 0 ? 1 : e.repeatCount);
    row.alarmOutput = e.alarmOutput == 1;
    return row;
}

QStringList AlarmTable::buildAlarmTable(const InputRows &rows, int alarmMode)
{
    QStringList log;
    for (int i = 0; i < int(frameMagic.size()); ++i)
        setByte(AlarmTableOffset::magic + i, frameMagic[i]);
    if (alarmMode >= 0 && alarmMode <= 0xFF)
        setByte(AlarmTableOffset::mode, alarmMode);
    for (int k = 0; k < inputRowCount; ++k)
        storeEntry(k, rows[k], log);
    log += hexDumpLines(image_, alarmTableSize / 16);
    return log;
}

AppliedTable AlarmTable::applyAlarmTable(const QStringList &selectorItems, QStringList &log) const
{
    log.append(hasMagic() ? QStringLiteral("Header compare pass") : QStringLiteral("Header compare Err"));
    AppliedTable applied;
    applied.mode = mode();
    for (int k = 0; k < inputRowCount; ++k) {
        InputRow row = loadEntry(k, log);
        for (QString &text : row.clipTexts) {
            if (!selectorItems.contains(text))
                text.clear();
        }
        applied.rows[k] = row;
    }
    return applied;
}

void AlarmTable::clearClipReferences(int clipNumber)
{
    for (int offset = AlarmTableOffset::clips; offset < alarmTableSize; ++offset) {
        if (byteAt(offset) == clipNumber)
            setByte(offset, 0);
    }
}

QString AlarmTable::replaceLeadingBytes(const QByteArray &bytes, const QString &source)
{
    if (bytes.size() > alarmTableSize) {
        return QStringLiteral("%1 is larger than %2 bytes, the size of an alarm table. It was not loaded.")
            .arg(source)
            .arg(alarmTableSize);
    }
    image_.replace(0, bytes.size(), bytes);
    return {};
}

QList<int> clipsAfterGap(const InputRow &row)
{
    QList<int> dropped;
    bool gap = false;
    for (const QString &text : row.clipTexts) {
        const int clip = parseClipText(text).value_or(0);
        if (clip < 1 || clip > maxClipNumber)
            gap = true;
        else if (gap)
            dropped.append(clip);
    }
    return dropped;
}

QStringList hexDumpLines(const QByteArray &bytes, int maxLines)
{
    QStringList lines;
    for (qsizetype start = 0; start < bytes.size() && lines.size() < maxLines; start += 16) {
        QString line = QStringLiteral("[%1]").arg(start, 4, 16, QChar(u'0')).toUpper();
        for (const char byte : bytes.mid(start, 16))
            line += QStringLiteral("%1,").arg(quint8(byte), 2, 16, QChar(u'0')).toUpper();
        lines.append(line);
    }
    return lines;
}

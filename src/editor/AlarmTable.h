#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

// "plist.cfg": the 512-byte alarm table image, stored unchanged on the PC and the unit.
inline const QString alarmTableFileName = QStringLiteral("plist.cfg");
inline constexpr int alarmTableSize = 512;
inline constexpr int alarmEntryCount = 64;
// The editor edits entries 0 to 31, one per input row; the others are kept as loaded.
inline constexpr int inputRowCount = 32;
inline constexpr int clipsPerEntry = 4;

// Offsets of the image. Entry k's fields sit at clipCount + k, repeatCount + k,
// alarmOutput + k and clips + 4k (four clip numbers in play order).
namespace AlarmTableOffset {
inline constexpr int magic = 0;
inline constexpr int mode = 8;
inline constexpr int clipCount = 32;
inline constexpr int repeatCount = 96;
inline constexpr int alarmOutput = 160;
inline constexpr int clips = 256;
}

// One input row as the window shows it: selector texts ("None", "007", or empty when the
// selector shows nothing), the repeat text and the alarm output box.
struct InputRow {
    std::array<QString, clipsPerEntry> clipTexts;
    QString repeatText = QStringLiteral("1");
    bool alarmOutput = false;
    friend bool operator==(const InputRow &, const InputRow &) = default;
};
using InputRows = std::array<InputRow, inputRowCount>;

struct AlarmEntry {
    std::array<quint8, clipsPerEntry> clips{};
    quint8 clipCount = 0;
    quint8 repeatCount = 0;
    quint8 alarmOutput = 0;
    friend bool operator==(const AlarmEntry &, const AlarmEntry &) = default;
};

// What the window shows after the table was applied.
struct AppliedTable {
    int mode = 0;
    InputRows rows;
};

class AlarmTable {
public:
    // A fresh table: magic, mode 0, every repeat count 1, no clips.
    AlarmTable();
    void reset();

    const QByteArray &image() const { return image_; }
    bool hasMagic() const;
    int mode() const;
    AlarmEntry entry(int k) const;

    // Row texts into entry k. Clips stop at the first text that is "None", not a clip
    // number or out of range; a repeat that is 0 in its low eight bits is stored as 1.
    // Texts that are not numbers log "Str2Int Err".
    void storeEntry(int k, const InputRow &row, QStringList &log);
    InputRow loadEntry(int k, QStringList &log) const;

    // Magic, mode and the 32 rows into the image; other bytes keep their content. A mode
    // outside 0 to 255 (a selector showing none) keeps the mode byte as it was loaded.
    // Returns the editor log: any conversion errors, then the image as 32 hex lines.
    QStringList buildAlarmTable(const InputRows &rows, int alarmMode);
    // The rows to show for the image. A clip missing from `selectorItems` shows empty.
    AppliedTable applyAlarmTable(const QStringList &selectorItems, QStringList &log) const;

    // Every use of the clip becomes 0; the next build closes the gap.
    void clearClipReferences(int clipNumber);

    // Bytes read from "plist.cfg" or the unit replace the start of the image. More than
    // the image holds is refused with the returned text (empty when taken).
    QString replaceLeadingBytes(const QByteArray &bytes, const QString &source);

private:
    quint8 byteAt(int offset) const { return quint8(image_[offset]); }
    void setByte(int offset, int value) { image_[offset] = char(quint8(value)); }

    QByteArray image_;
};

// The clips of a row that a build leaves out because they follow an empty place.
QList<int> clipsAfterGap(const InputRow &row);

// "[0010]5A,35,77,A5,...," lines of 16 bytes, at most `maxLines`.
QStringList hexDumpLines(const QByteArray &bytes, int maxLines);

#pragma once

#include "ClipText.h"

#include <QString>
#include <QStringList>

#include <array>

// One clip slot: where the clip came from on the PC and the name shown for it.
struct AudioSlot {
    QString sourcePath;
    QString shortName;
    friend bool operator==(const AudioSlot &, const AudioSlot &) = default;
};

// The numbered clip list: slot n is clip n (1 to 64); slot 0 is never used.
// Numbers are never reassigned, so deleting a clip leaves a gap.
class AudioList {
public:
    static constexpr int slotCount = maxClipNumber + 1;

    const AudioSlot &slot(int clipNumber) const { return slots_.at(clipNumber); }
    bool isPresent(int clipNumber) const { return !slots_.at(clipNumber).shortName.isEmpty(); }

    // Fills the slot from a source path; an empty path empties it.
    void setSource(int clipNumber, const QString &sourcePath);
    void clear(int clipNumber) { slots_.at(clipNumber) = {}; }
    void clearAll() { slots_.fill({}); }

    // The source paths of clips 1 to 64, one per clip, empty for a gap.
    QStringList sourcePaths() const;
    // What every clip selector offers: "None", then the present clips in ascending order.
    QStringList selectorItems() const;

    friend bool operator==(const AudioList &, const AudioList &) = default;

private:
    std::array<AudioSlot, slotCount> slots_;
};

// A line of "m3fn.txt" cannot carry a control character (CR, LF, ESC, DEL, C1 codes).
bool holdsControlCharacter(const QString &text);

// The file name without folder and extension. Lists may come from another PC, so both
// '\' and '/' end a folder.
QString shortNameOf(const QString &sourcePath);

#pragma once

#include "AlarmTable.h"

#include <QString>
#include <QStringList>

#include <array>

// The controls of one input row, by objectName. Row k edits alarm entry k.
struct InputRowControls {
    int row;
    int entry;
    const char *panel;
    // Only the last row's panel sits inside another panel of the binary group.
    const char *enclosingPanel;
    std::array<const char *, clipsPerEntry> clipSelectors; // #1 to #4
    const char *repeatEdit;
    const char *alarmCheckBox;
};

extern const std::array<InputRowControls, inputRowCount> inputRowControls;

// The mode selector offers "0" to "7".
inline constexpr int offeredModes = 8;

// Rows 0 to 5 sit in the first group box, the others in the binary group box.
inline constexpr int firstGroupRowCount = 6;

// Unit models as the device information reports them; anything else has four inputs.
inline constexpr int sixInputModelCode = 189;
inline constexpr int fourInputModelCode = 190;

// What the window shows of the rows for a mode and unit model. Hidden rows still take
// part in building and applying the table.
struct InputLayout {
    QString firstGroupCaption;
    bool binaryGroupVisible = false;
    std::array<bool, inputRowCount> rowVisible{};
    std::array<QString, inputRowCount> rowCaptions;
    // The items of the input test's selector; the first one is selected.
    QStringList testInputs;
};

InputLayout applyInputLayout(int mode, int modelCode);

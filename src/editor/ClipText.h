#pragma once

#include <QString>

#include <optional>

// Clip numbers as the editor shows and stores them: 1 to 64, three digits, 0 = no clip.
inline constexpr int maxClipNumber = 64;

// "None" for 0, otherwise the three-digit number ("007").
QString clipText(int clipNumber);
// The clip's file name in a project and on the unit ("007.mp3").
QString clipFileName(int clipNumber);
// "None" gives 0; decimal text gives its value; anything else gives nothing.
std::optional<int> parseClipText(const QString &text);

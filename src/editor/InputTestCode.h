#pragma once

#include <QString>

#include <optional>

// The code the unit's input test takes for an input of the test selector ("DI3", "bI17")
// in the given alarm mode. Nothing for a text that names no input.
std::optional<int> inputTestCode(const QString &inputText, int alarmMode);

#pragma once

#include <QString>

// True for a non-empty text of '0' to '9' only: no sign, no blanks.
bool isDecimalDigits(const QString &text);

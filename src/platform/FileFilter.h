#pragma once

#include <QString>

// File dialogs are asked for in the unit tool's notation: filters as "name|pattern|name|pattern"
// and a default extension such as "*.bin". These give Qt's forms.
QString qtNameFilters(const QString &filter); // "bin|*.bin" -> "bin (*.bin)", several joined by ";;"
QString qtDefaultSuffix(const QString &defaultExtension); // "*.bin" -> "bin"

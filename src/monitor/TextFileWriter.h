#pragma once

#include <QString>

// Writes `text` as UTF-8 with the platform's line ends, replacing the file only once all of
// it is written. Returns the reason when it could not, else an empty text.
QString writeTextFile(const QString &path, const QString &text);

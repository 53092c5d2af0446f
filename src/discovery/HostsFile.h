#pragma once

#include <QString>
#include <QStringList>

// A dotted IPv4 address as the link takes it: four decimal parts, nothing else.
bool isDottedAddress(const QString &text);

// Appends the addresses of a hosts file (one a line, blank lines and # comments allowed);
// false with `error` at the first line that is no address, or when the file cannot be read.
bool readHostsFile(const QString &path, QStringList &addresses, QString &error);

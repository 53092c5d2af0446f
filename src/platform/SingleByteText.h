#pragma once

#include <QByteArray>
#include <QString>

// The unit takes one byte per character: the PC's code page on Windows,
// elsewhere Latin-1 with '?' for what Latin-1 cannot hold.
QByteArray toSingleByte(const QString &text);
QString fromSingleByte(const QByteArray &bytes);

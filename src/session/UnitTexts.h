#pragma once

#include "DeviceStatus.h"
#include "LinkOutcome.h"

#include <QString>
#include <QStringList>

// The words the tool uses for what the unit reported, shared by the monitor window and zorctl.
namespace UnitTexts {

inline const QString ConnectTimeout = QStringLiteral("Connect Timeout");

// The status-line text of an exchange; empty when it leaves the status line alone.
QString statusLine(const ExchangeResult &result, const DeviceStatus &status);
// The firmware check's verdict, also the caption and text of its box.
QString firmwareCheck(bool match);

QString hex2(std::uint8_t value);
QString modelName(const DeviceStatus &status); // "Unknow Device??" for an unknown model
QString mac(const DeviceStatus &status);       // "AA:BB:CC:01:02:03"
QString sd(const DeviceStatus &status);        // "SD Free:3.05/(7.45)GB" or "SD : N/A"
QString firmware(const DeviceStatus &status);  // "FW: V01.20"
QString rssi(const DeviceStatus &status);      // "RSSI: -60dBm"

// Text from the unit or a project file, safe to print or show: control characters, line and
// paragraph separators and direction overrides become escapes ("\x1b", "\r", "\u202e"), so such
// text can neither drive a terminal nor fake or reorder lines.
QString visibleText(const QString &text);

// Where a transfer step is told: the status line, the log, or both.
struct NoteText {
    QString statusLine;
    QStringList logLines;
};
NoteText transferNote(const TransferNote &note);

} // namespace UnitTexts

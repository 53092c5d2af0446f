#pragma once

#include "SetupPlan.h"

// The serial settings as shown in the group; the texts go into the record as they stand.
struct ModbusRtuInput {
    QString deviceId = "1";
    QString baudRate = "115200";
    QString parity = "None";
    QString dataBits = "8";
    QString stopBits = "1";
};

// The "RTU.CFG" record for the SD card, with the build log for the setup window.
// The caller checks first that the unit reports an SD card.
SetupResult planModbusRtu(const ModbusRtuInput &input);

// The group's SD indicator: blanks with a card, a warning without.
QString sdIndicatorText(bool sdPresent);

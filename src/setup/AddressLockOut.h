#pragma once

#include "DottedAddress.h"

#include <QStringList>

// A static address, its mask and gateway, with the texts they were typed as.
struct StaticAddress {
    QString ipText, maskText, gatewayText;
    AddressBytes ip, mask, gateway;
};

// Why the unit may become unreachable with this address, one line per fault, each
// naming the address at fault. Empty when the settings look sound.
QStringList lockOutWarnings(const StaticAddress &address);

#pragma once

#include "SetupPlan.h"

struct StaticAddressInput {
    bool enabled = false; // "Static IP" ticked; when not, the addresses are not looked at
    QString ip;
    QString mask = "255.255.255.0";
    QString gateway;
};

// Writes the 12 bytes IP, mask, gateway, or deletes them when static addressing is off.
// An address that would lock the user out adds warning lines to the confirmation.
SetupResult planStaticAddress(const StaticAddressInput &input);

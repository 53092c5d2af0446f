#pragma once

#include "SetupPlan.h"

#include <cstdint>

// Key type codes as the unit stores them.
enum class KeyType : std::uint8_t { Open = 0, Wep = 1, Wpa = 2 };

struct WifiCredentials {
    QString ssid;
    KeyType keyType = KeyType::Wpa;
    QString key; // ignored for an open network
};

// A key type code as the unit reports it, by name ("OPEN", "WEP", "WPA/WPA2"). The unit's own
// access point offers no WEP: any keyed type there is WPA/WPA2.
QString keyTypeName(std::uint8_t code, bool accessPoint);

// The unit's own access point. It offers no WEP: any keyed type is WPA/WPA2.
SetupResult planAccessPoint(const WifiCredentials &credentials);
// The network the unit joins as a station.
SetupResult planStation(const WifiCredentials &credentials);

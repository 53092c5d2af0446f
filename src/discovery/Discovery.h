#pragma once

#include "AdapterSource.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

class DeviceLink;

// Decides from the PC's own Wi-Fi adapters whether the unit can be reached,
// and takes a typed unit address. Never sends anything to the unit.
class Discovery {
public:
    static constexpr int MaxRecords = 20;
    static constexpr int MaxStoredMatches = 3;

    Discovery(DeviceLink &link, AdapterSource &source);

    // First three octets of the unit's address and a final ".".
    QString subnetPrefix;
    // The PC's address on the unit's network, from the last successful check.
    QString localAddress;

    // Rebuilt by each scan.
    QList<AdapterRecord> adapterList;
    QList<WifiInterfaceRecord> wifiInterfaceList;
    QStringList matches; // at most MaxStoredMatches
    int matchCount = 0;

    std::uint8_t ScanAdapters();
    // False means the failure is already reported in the monitor window.
    bool CheckLink();
    // Makes the typed entry the unit's address. Throws std::invalid_argument with a
    // conversion-error text when one of the first four parts is not an integer.
    void ApplyStaticIp(const QString &entry);

private:
    DeviceLink &link_;
    AdapterSource &source_;
};

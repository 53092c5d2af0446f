#pragma once

#include "AdapterSource.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

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

    // The match count, held at 255 should it ever exceed a byte.
    std::uint8_t ScanAdapters();
    // False means the failure is already reported in the monitor window.
    bool CheckLink();
    // Makes the typed entry the unit's address. Throws std::invalid_argument with a
    // conversion-error text when one of the first four parts is not an integer, and
    // refuses entries of more than four parts the same way.
    void ApplyStaticIp(const QString &entry);

private:
    // Runs one adapter query; an error inside it is shown and the scan goes on.
    void runGuarded(const std::function<void()> &query);
    void countMatches();

    DeviceLink &link_;
    AdapterSource &source_;
};

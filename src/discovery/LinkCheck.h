#pragma once

#include "AdapterSource.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

struct DeviceStatus;
class DeviceLink;

// What the link check tells the monitor window.
class LinkCheckEvents {
public:
    virtual ~LinkCheckEvents() = default;
    // matchCount 1 is a pass; 0 means no adapter on the unit's network, more means several.
    virtual void linkChecked(int matchCount) = 0;
    virtual void adapterQueryFailed(const QString &error) = 0;
    // The system query behind the lists differs from the last scan's (or this is the first).
    virtual void adapterSourceChanged(const QString &sourceName) = 0;
};

// Decides from the PC's own Wi-Fi adapters whether the unit can be reached,
// and takes a typed unit address. Never sends anything to the unit.
class LinkCheck {
public:
    static constexpr int MaxRecords = 20;
    static constexpr int MaxStoredMatches = 3;

    LinkCheck(DeviceLink &link, AdapterSource &source);

    // First three octets of the unit's address and a final ".".
    QString subnetPrefix;
    // The PC's address on the unit's network, from the last successful check.
    QString localAddress;

    // Rebuilt by each scan.
    QList<AdapterRecord> adapterList;
    QList<WifiInterfaceRecord> wifiInterfaceList;
    QStringList matches; // at most MaxStoredMatches
    int matchCount = 0;

    LinkCheckEvents *events = nullptr;

    // The match count, held at 255 should it ever exceed a byte.
    std::uint8_t ScanAdapters();
    // False means the failure has been reported to the events.
    bool CheckLink();

    // The addresses of the PC's connected Wi-Fi adapters, asked afresh; the tables are left alone.
    QStringList connectedWifiAddresses();

    // Makes a typed entry the unit's address and its first three parts the subnet prefix.
    // Empty on success, else why the entry is not an address; nothing changes then.
    QString ApplyStaticIp(const QString &entry);

private:
    // Every connected Wi-Fi adapter with an address, whatever its subnet.
    QStringList joinedWifiAddresses(const QList<AdapterRecord> &adapters, const QList<WifiInterfaceRecord> &wifi) const;
    // Runs one adapter query; an error inside it is reported and the scan goes on.
    void runGuarded(const std::function<void()> &query);
    void countMatches();

    DeviceLink &link_;
    AdapterSource &source_;
    QString lastSourceName_;
};

// Whether one of the Wi-Fi addresses shares the first three parts of `address`, the test the
// link check makes.
bool onWifiSubnet(const QString &address, const QStringList &wifiAddresses);

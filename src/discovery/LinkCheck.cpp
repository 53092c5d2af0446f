#include "LinkCheck.h"

#include "DeviceLink.h"

#include <algorithm>
#include <exception>
#include <limits>

namespace {

template <typename Record>
QList<Record> firstRecords(const QList<Record> &records)
{
    return records.first(std::min<qsizetype>(records.size(), LinkCheck::MaxRecords));
}

} // namespace

LinkCheck::LinkCheck(DeviceLink &link, AdapterSource &source)
    : subnetPrefix(DefaultSubnetPrefix), link_(link), source_(source)
{
}

void LinkCheck::runGuarded(const std::function<void()> &query)
{
    try {
        query();
    } catch (const std::exception &error) {
        if (events)
            events->adapterQueryFailed(QString::fromUtf8(error.what()));
    }
}

std::uint8_t LinkCheck::ScanAdapters()
{
    adapterList.clear();
    wifiInterfaceList.clear();
    runGuarded([this] { adapterList = firstRecords(source_.adapters()); });
    runGuarded([this] { wifiInterfaceList = firstRecords(source_.wifiInterfaces()); });
    const QString sourceName = source_.sourceName();
    if (sourceName != lastSourceName_) {
        lastSourceName_ = sourceName;
        if (events && !sourceName.isEmpty())
            events->adapterSourceChanged(sourceName);
    }
    countMatches();
    // A wrapped byte count could turn many matches into "none".
    return static_cast<std::uint8_t>(std::min(matchCount, int(std::numeric_limits<std::uint8_t>::max())));
}

QStringList LinkCheck::joinedWifiAddresses(const QList<AdapterRecord> &adapters, const QList<WifiInterfaceRecord> &wifi) const
{
    QStringList joined;
    for (const WifiInterfaceRecord &interface : wifi) {
        if (!interface.connected)
            continue;
        for (const AdapterRecord &adapter : adapters) {
            if (adapter.adapterName == interface.interfaceGuid && !adapter.ipv4.isEmpty())
                joined.append(adapter.ipv4);
        }
    }
    return joined;
}

void LinkCheck::countMatches()
{
    matches.clear();
    matchCount = 0;
    for (const QString &address : joinedWifiAddresses(adapterList, wifiInterfaceList)) {
        if (!address.startsWith(subnetPrefix))
            continue;
        ++matchCount;
        if (matches.size() < MaxStoredMatches)
            matches.append(address);
    }
}

QStringList LinkCheck::connectedWifiAddresses()
{
    QList<AdapterRecord> adapters;
    QList<WifiInterfaceRecord> wifi;
    runGuarded([&] { adapters = firstRecords(source_.adapters()); });
    runGuarded([&] { wifi = firstRecords(source_.wifiInterfaces()); });
    return joinedWifiAddresses(adapters, wifi);
}

bool onWifiSubnet(const QString &address, const QStringList &wifiAddresses)
{
    const QString prefix = address.section(u'.', 0, 2) + u'.';
    for (const QString &wifi : wifiAddresses) {
        if (wifi.startsWith(prefix))
            return true;
    }
    return false;
}

bool LinkCheck::CheckLink()
{
    const std::uint8_t count = ScanAdapters();
    if (count == 1) {
        localAddress = matches.first();
    } else {
        if (count == 0)
            link_.status().clearLiveState();
        link_.status().linked = false;
    }
    if (events)
        events->linkChecked(count);
    return count == 1;
}

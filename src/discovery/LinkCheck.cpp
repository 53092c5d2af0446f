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

void LinkCheck::countMatches()
{
    matches.clear();
    matchCount = 0;
    for (const WifiInterfaceRecord &wifi : std::as_const(wifiInterfaceList)) {
        if (!wifi.connected)
            continue;
        for (const AdapterRecord &adapter : std::as_const(adapterList)) {
            if (adapter.adapterName != wifi.interfaceGuid || !adapter.ipv4.startsWith(subnetPrefix))
                continue;
            ++matchCount;
            if (matches.size() < MaxStoredMatches)
                matches.append(adapter.ipv4);
        }
    }
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

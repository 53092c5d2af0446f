#include "Discovery.h"

#include "DeviceLink.h"
#include "Dialogs.h"
#include "MonitorDisplay.h"

#include <QColor>
#include <algorithm>
#include <exception>
#include <limits>

namespace {

template <typename Record>
QList<Record> firstRecords(const QList<Record> &records)
{
    return records.first(std::min<qsizetype>(records.size(), Discovery::MaxRecords));
}

} // namespace

Discovery::Discovery(DeviceLink &link, AdapterSource &source)
    : subnetPrefix(DefaultSubnetPrefix), link_(link), source_(source)
{
}

void Discovery::runGuarded(const std::function<void()> &query)
{
    try {
        query();
    } catch (const std::exception &error) {
        link_.dialogs().messageBox("Adapters: " + QString::fromUtf8(error.what()),
                                   "Error", Dialogs::Error);
    }
}

std::uint8_t Discovery::ScanAdapters()
{
    adapterList.clear();
    wifiInterfaceList.clear();
    runGuarded([this] { adapterList = firstRecords(source_.adapters()); });
    runGuarded([this] { wifiInterfaceList = firstRecords(source_.wifiInterfaces()); });
    countMatches();
    // A wrapped byte count could turn many matches into "none".
    return static_cast<std::uint8_t>(std::min(matchCount, int(std::numeric_limits<std::uint8_t>::max())));
}

void Discovery::countMatches()
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

bool Discovery::CheckLink()
{
    MonitorView &view = link_.view();
    const std::uint8_t count = ScanAdapters();
    if (count == 1) {
        localAddress = matches.first();
        view.appendLog("Local IP:" + localAddress);
        view.setAddressText("IP: " + link_.deviceAddress);
        return true;
    }

    QString message;
    if (count == 0) {
        resetDisplay(link_.status(), view);
        message = "Device not found!!";
    } else {
        message = "Same multiple IP found!!";
    }
    view.setModelText(message);
    view.setModelColor(QColor(255, 0, 0));
    view.setLocationText(QString());
    link_.status().linked = false;
    return false;
}

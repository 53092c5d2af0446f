#include "WindowsAdapterRecords.h"

#include <QString>

namespace WindowsAdapterRecords {

namespace {

QString hex(std::uint64_t value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

// Dotted text of an IPv4 address; anything else has no place on the unit's subnet.
QString dottedIpv4(const SystemAdapter &adapter)
{
    if (adapter.firstUnicastFamily != FamilyIpv4 || adapter.firstUnicastAddress.size() != 4)
        return {};
    const QByteArray &a = adapter.firstUnicastAddress;
    return QStringLiteral("%1.%2.%3.%4")
        .arg(std::uint8_t(a[0]))
        .arg(std::uint8_t(a[1]))
        .arg(std::uint8_t(a[2]))
        .arg(std::uint8_t(a[3]));
}

} // namespace

QString guidText(const Guid &guid)
{
    QString text = u'{' + hex(guid.data1, 8) + u'-' + hex(guid.data2, 4) + u'-' + hex(guid.data3, 4) + u'-';
    for (int i = 0; i < 8; ++i) {
        if (i == 2)
            text += u'-';
        text += hex(guid.data4[i], 2);
    }
    return text + u'}';
}

QList<AdapterRecord> adapterRecords(const QList<SystemAdapter> &adapters)
{
    QList<AdapterRecord> records;
    for (const SystemAdapter &adapter : adapters)
        records.append({QString::fromLatin1(adapter.adapterName), dottedIpv4(adapter)});
    return records;
}

QList<WifiInterfaceRecord> wifiInterfaceRecords(const QList<SystemWlanInterface> &interfaces)
{
    QList<WifiInterfaceRecord> records;
    for (const SystemWlanInterface &wlan : interfaces)
        records.append({guidText(wlan.guid), wlan.state == WlanStateConnected});
    return records;
}

} // namespace WindowsAdapterRecords

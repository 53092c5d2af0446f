#include "QtAdapterSource.h"

#include <QAbstractSocket>
#include <QNetworkInterface>

namespace {

// The first IPv4 address, or empty: an adapter without one can never be on the unit's subnet.
QString firstIpv4(const QNetworkInterface &networkInterface)
{
    const QList<QNetworkAddressEntry> entries = networkInterface.addressEntries();
    for (const QNetworkAddressEntry &entry : entries) {
        if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
            return entry.ip().toString();
    }
    return {};
}

} // namespace

QList<AdapterRecord> QtAdapterSource::adapters()
{
    QList<AdapterRecord> records;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &networkInterface : interfaces)
        records.append({networkInterface.name(), firstIpv4(networkInterface)});
    return records;
}

QList<WifiInterfaceRecord> QtAdapterSource::wifiInterfaces()
{
    QList<WifiInterfaceRecord> records;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &networkInterface : interfaces) {
        if (!isWifi(networkInterface))
            continue;
        const auto flags = networkInterface.flags();
        records.append({networkInterface.name(),
                        flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning)});
    }
    return records;
}

QString QtAdapterSource::sourceName() const
{
    return QStringLiteral("Qt network interfaces");
}

bool QtAdapterSource::isWifi(const QNetworkInterface &networkInterface) const
{
    return networkInterface.type() == QNetworkInterface::Wifi;
}

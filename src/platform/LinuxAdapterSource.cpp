#include "LinuxAdapterSource.h"

#include <QFileInfo>
#include <QNetworkInterface>

LinuxAdapterSource::LinuxAdapterSource(const QString &netClassFolder) : netClassFolder_(netClassFolder) {}

QString LinuxAdapterSource::sourceName() const
{
    return QStringLiteral("Qt network interfaces, wireless marks from sysfs");
}

bool LinuxAdapterSource::isWifi(const QNetworkInterface &networkInterface) const
{
    if (QtAdapterSource::isWifi(networkInterface))
        return true;
    const QString folder = netClassFolder_ + networkInterface.name();
    return QFileInfo::exists(folder + "/wireless") || QFileInfo::exists(folder + "/phy80211");
}

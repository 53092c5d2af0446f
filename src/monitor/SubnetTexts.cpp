#include "SubnetTexts.h"

#include "LinkCheck.h"

namespace SubnetTexts {

QString notOnWifiSubnet(const QString &address, const QStringList &wifiAddresses)
{
    const QString rule = QStringLiteral("The tool reaches a unit only through a connected Wi-Fi adapter on the unit's subnet (%1.x).")
                             .arg(address.section(u'.', 0, 2));
    if (wifiAddresses.isEmpty())
        return QStringLiteral("No Wi-Fi adapter of this PC is connected, so %1 cannot be reached. ").arg(address) + rule;
    const QString adapters = wifiAddresses.size() == 1 ? QStringLiteral("this PC's Wi-Fi adapter (%1)")
                                                       : QStringLiteral("any of this PC's Wi-Fi adapters (%1)");
    return QStringLiteral("%1 is not on the subnet of %2. ").arg(address, adapters.arg(wifiAddresses.join(QStringLiteral(", "))))
           + rule + QStringLiteral(" Join the unit's network over Wi-Fi first.");
}

QString rowNote(const QString &address, const QStringList &wifiAddresses)
{
    if (onWifiSubnet(address, wifiAddresses))
        return {};
    if (wifiAddresses.isEmpty())
        return QStringLiteral("no Wi-Fi adapter connected");
    return QStringLiteral("not on the Wi-Fi subnet (Wi-Fi: %1)").arg(wifiAddresses.join(QStringLiteral(", ")));
}

} // namespace SubnetTexts

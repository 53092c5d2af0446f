#pragma once

#include <QString>
#include <QStringList>

// Why a unit cannot be reached from this PC: the link check passes only through a connected
// Wi-Fi adapter on the unit's subnet.
namespace SubnetTexts {

// For a box, once a typed address failed the check.
QString notOnWifiSubnet(const QString &address, const QStringList &wifiAddresses);
// For a row of the Units window; empty when a Wi-Fi adapter is on the unit's subnet.
QString rowNote(const QString &address, const QStringList &wifiAddresses);

} // namespace SubnetTexts

#pragma once

#include "AdapterSource.h"

class QNetworkInterface;

// The PC's interfaces as Qt reports them. Interface names stand for the adapter
// name and the Wi-Fi interface identity alike, so the join matches by name.
class QtAdapterSource : public AdapterSource {
public:
    // The folder whose per-interface entries mark wireless interfaces on Linux.
    explicit QtAdapterSource(const QString &linuxNetClassFolder = "/sys/class/net/");

    QList<AdapterRecord> adapters() override;
    QList<WifiInterfaceRecord> wifiInterfaces() override;

private:
    bool isWifi(const QNetworkInterface &networkInterface) const;

    QString linuxNetClassFolder_;
};

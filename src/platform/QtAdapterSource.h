#pragma once

#include "AdapterSource.h"

class QNetworkInterface;

// The PC's interfaces as Qt reports them. Interface names stand for the adapter
// name and the Wi-Fi interface identity alike, so the join matches by name.
class QtAdapterSource : public AdapterSource {
public:
    QList<AdapterRecord> adapters() override;
    QList<WifiInterfaceRecord> wifiInterfaces() override;
    QString sourceName() const override;

protected:
    virtual bool isWifi(const QNetworkInterface &networkInterface) const;
};

#pragma once

#include "QtAdapterSource.h"

// The adapter list from the IP helper and the Wi-Fi interfaces from the WLAN service,
// joined by the adapter's GUID name. A PC without the WLAN service (a server edition
// without its library, a stopped service) falls back to Qt's interface list, whose names join among themselves.
class WindowsAdapterSource : public AdapterSource {
public:
    // Throws std::runtime_error with the system's text for an adapter query error
    // other than "no data".
    QList<AdapterRecord> adapters() override;
    QList<WifiInterfaceRecord> wifiInterfaces() override;
    QString sourceName() const override;

private:
    bool wlanService_ = true; // as the last query found it
    QtAdapterSource fallback_;
};

#pragma once

#include <QList>
#include <QString>

struct AdapterRecord {
    QString adapterName;
    QString ipv4; // empty when the first address is not IPv4
};

struct WifiInterfaceRecord {
    QString interfaceGuid; // joined with AdapterRecord::adapterName by exact text
    bool connected = false;
};

// The PC's network adapters and its Wi-Fi interfaces, as the link check joins them.
// Either query may throw std::exception; the scan reports it and goes on.
class AdapterSource {
public:
    virtual ~AdapterSource() = default;
    virtual QList<AdapterRecord> adapters() = 0;
    virtual QList<WifiInterfaceRecord> wifiInterfaces() = 0;
    // Which system query served the last lists, for the log; empty when none did.
    virtual QString sourceName() const = 0;
};

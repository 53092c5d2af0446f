#pragma once

#include "AdapterSource.h"

// Adapters and Wi-Fi interfaces given in advance, for the demo and tests.
class FixedAdapterSource : public AdapterSource {
public:
    FixedAdapterSource() = default;
    FixedAdapterSource(QList<AdapterRecord> adapters, QList<WifiInterfaceRecord> wifiInterfaces);

    QList<AdapterRecord> adapterRecords;
    QList<WifiInterfaceRecord> wifiRecords;
    // When not empty, the query throws std::runtime_error with this text.
    QString adapterQueryError;
    QString wifiQueryError;
    // Empty: a list given in advance names no system query.
    QString name;

    QList<AdapterRecord> adapters() override;
    QList<WifiInterfaceRecord> wifiInterfaces() override;
    QString sourceName() const override;
};

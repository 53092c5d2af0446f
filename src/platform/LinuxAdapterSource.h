#pragma once

#include "QtAdapterSource.h"

// Qt reports most Linux Wi-Fi cards as Ethernet; the kernel marks them in sysfs.
class LinuxAdapterSource : public QtAdapterSource {
public:
    // The folder whose per-interface entries mark wireless interfaces.
    explicit LinuxAdapterSource(const QString &netClassFolder = QStringLiteral("/sys/class/net/"));

    QString sourceName() const override;

protected:
    bool isWifi(const QNetworkInterface &networkInterface) const override;

private:
    QString netClassFolder_;
};

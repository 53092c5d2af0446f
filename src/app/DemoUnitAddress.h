#pragma once

#include <QString>
#include <optional>

// Where the demo finds its unit, and the simulated Wi-Fi adapter that puts the PC on its subnet.
struct DemoUnitAddress {
    QString unit;           // e.g. 127.0.0.5
    QString subnetPrefix;   // e.g. 127.0.0.
    QString adapterAddress; // e.g. 127.0.0.100
};

// Nothing for text that is not a dotted IPv4 loopback address: the demo never leaves the PC.
std::optional<DemoUnitAddress> demoUnitAddress(const QString &text);

#pragma once

#include "DeviceStatus.h"

#include <QString>

// One scrape's look at a unit: a device-information and a status exchange, as the monitor
// window's first poll makes them.
struct ProbeReport {
    bool success = false; // both answered and decoded for this address
    double seconds = 0;
    DeviceStatus status;  // meaningful only on success
};

// Blocks the calling thread for at most about `budgetMs`, running its event loop in the
// link's waits: call it from a thread of its own. `address` must be a checked dotted IPv4.
ProbeReport probeUnit(const QString &address, int budgetMs);

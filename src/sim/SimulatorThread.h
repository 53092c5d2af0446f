#pragma once

#include "SimulatedUnit.h"
#include "UnitFaults.h"

#include <QHostAddress>
#include <QString>
#include <QThread>
#include <memory>

class UnitSimulator;

struct SimulatorOptions {
    std::uint8_t model = ModelZor06;
    QString storageFolder;  // empty: SD card and flash in memory
    int liveIntervalMs = 0; // 0: inputs and RSSI change only when told to
    UnitFaults faults;
};

// A simulated unit served from a thread of its own, so that a client on the calling
// thread may block in its socket waits. Its SimulatedUnit is thread-safe.
class SimulatorThread {
public:
    SimulatorThread();
    ~SimulatorThread();
    SimulatorThread(const SimulatorThread &) = delete;
    SimulatorThread &operator=(const SimulatorThread &) = delete;

    // Returns once the unit listens on address:DevicePort (or refuses, when told to); false with errorString().
    bool start(const QHostAddress &address, const SimulatorOptions &options = {});
    void stop();
    bool isRunning() const;
    QString errorString() const;

    // Valid from start() until the next start(); kept after stop() for inspection.
    SimulatedUnit &unit();
    // Returns once listening follows the new faults.
    void setFaults(const UnitFaults &faults);

private:
    QThread m_thread;
    std::unique_ptr<SimulatedUnit> m_unit;
    UnitSimulator *m_simulator = nullptr;
    QString m_error;
};

#pragma once

#include "FileTransfer.h"
#include "LinkDoubles.h"
#include "ProgressGauge.h"
#include "SimulatorThread.h"

#include <QTest>

Q_DECLARE_METATYPE(UnitFaults)

// Gauge calls as the transfer makes them.
struct RecordingGauge : ProgressGauge {
    int maximum = -1;
    QList<int> progress;
    void startProgress(int max) override
    {
        maximum = max;
        progress.clear();
    }
    void setProgress(int value) override { progress << value; }
};

// A device link talking to a simulated unit of its own on a loopback address.
struct LinkRig : LinkDoubles {
    FileTransfer transfer{link};
    RecordingGauge sdGauge;
    RecordingGauge flashGauge;
    SimulatorThread sim;

    explicit LinkRig(const SimulatorOptions &options = {})
    {
        // Each test executable has a subnet of its own, so they may run side by side.
        static int next = 10;
        const QHostAddress address(QStringLiteral("127.0.%1.%2").arg(LINK_RIG_SUBNET).arg(next++));
        link.deviceAddress = address.toString();
        transfer.sdGauge = &sdGauge;
        transfer.flashGauge = &flashGauge;
        if (!sim.start(address, options))
            qFatal("simulator: %s", qPrintable(sim.errorString()));
    }
    SimulatedUnit &unit() { return sim.unit(); }
    QByteArray lastFrame() { return unit().receivedFrames().value(unit().receivedFrames().size() - 1); }
    void withFaults(const std::function<void(UnitFaults &)> &change)
    {
        UnitFaults faults = unit().faults();
        change(faults);
        sim.setFaults(faults);
    }
};

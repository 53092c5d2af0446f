#pragma once

#include "LinkDoubles.h"
#include "CommandHandler.h"
#include "SimulatorThread.h"

#include <QStringList>

// A unit session talking to a simulated unit of its own on 127.0.4.x, with short pauses.
struct SetupRig : LinkDoubles {
    SimulatorThread sim;

    explicit SetupRig(const SimulatorOptions &options = {}, int firstHost = 10)
    {
        static int next = 0;
        const QHostAddress address(QStringLiteral("127.0.4.%1").arg(firstHost + next++));
        link.deviceAddress = address.toString();
        for (int *pause : {&timing.sdWritePauseMs, &timing.flashWritePauseMs, &timing.firmwarePauseMs,
                           &timing.firmwareSdPauseMs, &timing.firmwareCheckPauseMs, &timing.configFilePauseMs,
                           &timing.modbusCommandPauseMs, &timing.sdCheckDelayMs})
            *pause = 10;
        if (!sim.start(address, options))
            qFatal("simulator: %s", qPrintable(sim.errorString()));
    }

    SimulatedUnit &unit() { return sim.unit(); }

    // Requests on the command channel, data phases left out: short frames whole,
    // announcements as code, length and name.
    QStringList frames()
    {
        QStringList described;
        for (const QByteArray &frame : sim.unit().receivedFrames()) {
            if (!isRequestFrame(frame))
                continue;
            if (frame.size() <= 16)
                described << QString::fromLatin1(frame.mid(4).toHex(' '));
            else
                described << QStringLiteral("%1/%2 %3")
                                 .arg(std::uint8_t(frame[4]))
                                 .arg(frame.size())
                                 .arg(QString::fromLatin1(frame.mid(17, std::uint8_t(frame[16]))));
        }
        return described;
    }
};

#pragma once

#include "DeviceConfiguration.h"
#include "LinkDoubles.h"
#include "Mp3Fixture.h"
#include "ProjectStore.h"
#include "SimulatorThread.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// A project store and the device side of the editor, talking to a simulated unit of
// their own on a loopback address. Pauses are short unless a test asks for the real ones.
struct EditorRig : LinkDoubles {
    QTemporaryDir folder;
    SimulatorThread sim;
    ProjectStore store{dialogs, folder.path()};
    DeviceConfiguration device{store, session.transfer};
    QList<ConfigurationStep> steps;

    explicit EditorRig(bool realPauses = false, const SimulatorOptions &options = {})
    {
        static int next = 10;
        const QHostAddress address(QStringLiteral("127.0.5.%1").arg(next++));
        link.deviceAddress = address.toString();
        if (!realPauses) {
            timing.sdWritePauseMs = 20;
            timing.readPauseMs = 20;
            timing.jobSwitchPauseMs = 0;
            timing.readDataWaits = 50;
        }
        if (!sim.start(address, options))
            qFatal("simulator: %s", qPrintable(sim.errorString()));
        device.onStep = [this](const ConfigurationStep &step) { steps.append(step); };
        store.openEditor();
    }

    SimulatedUnit &unit() { return sim.unit(); }
    QString sourceFile(const QString &name, const QByteArray &content)
    {
        QDir(folder.path()).mkpath("sources");
        const QString path = folder.path() + "/sources/" + name;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    // Clip n from a source file of its own, with content that tells the clips apart.
    void addClip(int n, qsizetype size = 3000)
    {
        const EditorOutcome added = store.addAudioFile(n, sourceFile(QStringLiteral("tone%1.mp3").arg(n),
                                                                       mp3Content(size, char('A' + n))));
        QVERIFY2(added.ok(), qPrintable(added.error));
    }
    QStringList uploadedNames()
    {
        QStringList names;
        for (const ReceivedData &data : unit().receivedData())
            names << data.name;
        return names;
    }
    QList<int> commandCodes()
    {
        QList<int> codes;
        for (const QByteArray &frame : unit().receivedFrames())
            codes << quint8(frame.at(4));
        return codes;
    }
    QStringList stepNames(ConfigurationStep::Kind kind) const
    {
        QStringList names;
        for (const ConfigurationStep &step : steps)
            if (step.kind == kind)
                names << step.name;
        return names;
    }
};

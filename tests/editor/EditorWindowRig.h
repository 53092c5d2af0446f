#pragma once

#include "AudioEditorWindow.h"
#include "LinkDoubles.h"
#include "Mp3Fixture.h"
#include "RecordingClipPlayer.h"
#include "SimulatorThread.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Each test binary that uses the rig gives its units a loopback subnet of their own ("127.0.N.").
extern const char *const windowRigSubnet;

// The audio editor window in a working folder of its own, its unit simulated on a loopback address.
struct WindowRig : LinkDoubles {
    QTemporaryDir folder;
    RecordingClipPlayer player;
    SimulatorThread sim;
    std::unique_ptr<AudioEditorWindow> window;

    explicit WindowRig(std::uint8_t model = ModelZor06)
    {
        static int next = 200;
        const QHostAddress address(QString::fromLatin1(windowRigSubnet) + QString::number(next++));
        link.deviceAddress = address.toString();
        timing.sdWritePauseMs = timing.readPauseMs = 20;
        timing.jobSwitchPauseMs = 0;
        if (!sim.start(address, {.model = model}))
            qFatal("simulator: %s", qPrintable(sim.errorString()));
        link.requestDeviceInformation();
        QDir::setCurrent(folder.path());
        open();
    }
    void open()
    {
        window = std::make_unique<AudioEditorWindow>(session, dialogs, player);
        window->show();
    }
    template <typename T> T *control(const char *name) const
    {
        T *found = window->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    void click(const char *name) { control<QAbstractButton>(name)->click(); }
    QString sourceClip(const QString &name)
    {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(mp3Content(2000, 'M')) != 2000)
            qFatal("cannot write a clip");
        return file.fileName();
    }
    void addClip(int n, const QString &source)
    {
        dialogs.expectOpenFile(source);
        auto *grid = control<QTableWidget>("StringGrid1");
        emit grid->cellDoubleClicked(n - 1, 1);
    }
    QString statusText() const { return statusLabel()->text(); }
    QLabel *statusLabel() const { return window->findChild<QStatusBar *>("StatusBar1")->findChild<QLabel *>(); }
    // Only a project changed since it was opened or saved is offered for saving.
    void enterDeviceJob(bool projectChanged)
    {
        if (projectChanged)
            dialogs.expectMessageBox("Save project before leave?", "Project Save", Dialogs::YesNoWarning, Dialogs::No);
        click("RadioButton4");
    }
    QString workDir() const { return QDir::toNativeSeparators(folder.path() + "/work/"); }
};

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}


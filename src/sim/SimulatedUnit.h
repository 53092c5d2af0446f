#pragma once

#include "CommandHandler.h"
#include "FileStore.h"
#include "UnitFaults.h"
#include "UnitState.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

// What one data connection of an upload brought.
struct ReceivedData {
    FileArea area = FileArea::Sd;
    QString name;
    quint32 announcedLength = 0;
    std::optional<quint32> announcedSum;
    QByteArray bytes;    // as received, at most the announced length
    bool stored = false; // complete, and written to the file system
};

// The simulated unit: state, files, faults and what it received. Shared between the
// server's thread and the test or demo thread, so every member function is thread-safe.
class SimulatedUnit : public QObject {
    Q_OBJECT

public:
    // What is kept of the traffic: the latest frames and uploads (the newest upload always).
    static constexpr qsizetype KeptFrames = 10000;
    static constexpr qsizetype KeptUploads = 64;
    static constexpr qsizetype KeptUploadBytes = 32 * 1024 * 1024;

    // Settings come from the flash, as when a unit is switched on; storageFolder empty: files in memory.
    explicit SimulatedUnit(const QHostAddress &address, std::uint8_t model = ModelZor06,
                           const QString &storageFolder = {});

    QHostAddress address() const { return m_address; }

    UnitState state() const;
    void updateState(const std::function<void(UnitState &)> &change);
    void restart();

    std::optional<QByteArray> file(FileArea area, const QString &name) const;
    bool setFile(FileArea area, const QString &name, const QByteArray &content);
    bool removeFile(FileArea area, const QString &name);
    QStringList fileNames(FileArea area) const;

    UnitFaults faults() const;
    // The server starts or stops listening in its own thread after faultsChanged.
    void setFaults(const UnitFaults &faults);

    // The command-channel requests as received, in order.
    QList<QByteArray> receivedFrames() const;
    void clearReceivedFrames();
    QList<ReceivedData> receivedData() const;
    void clearReceivedData();

    // Used by the server.
    CommandOutcome handleFrame(const QByteArray &frame);
    void finishUpload(const DataPhase &phase, const QByteArray &bytes);

signals:
    void faultsChanged();

private:
    const QHostAddress m_address;
    mutable QMutex m_mutex;
    FileStore m_files;
    UnitState m_state;
    UnitFaults m_faults;
    QList<QByteArray> m_frames;
    QList<ReceivedData> m_data;
};

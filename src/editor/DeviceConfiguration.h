#pragma once

#include "AlarmTable.h"
#include "EditorOutcome.h"
#include "LinkOutcome.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class FileTransfer;
class ProjectStore;

// The editor works on a project on the PC or directly on the unit's configuration.
enum class EditorJob { Project, Device };

// One step of a write or read worth telling the user about, as it happens.
struct ConfigurationStep {
    enum Kind {
        WritingFile,  // name: "plist.cfg" or "m3fn.txt"
        FileRefused,  // name, transfer: the unit did not take a configuration file
        SendingClip,  // name: the clip's path
        ClipWritten,  // name: the clip's path
        ClipRefused,  // name: the clip's path; reason: the transfer's error text
        ClipMissing,  // name: the clip's path
        WriteStopped, // name: the file the unit stopped at; transfer: why. Nothing later is sent.
        ReadFailed,   // name, transfer: refused, timed out or failed; nothing was copied
        ReadRejected, // name; reason: why the received bytes were not taken
    };
    Kind kind;
    QString name;
    QString reason;
    TransferResult transfer;
};

struct DeviceWriteResult {
    QStringList log;
    QString error;       // the table is damaged or the PC's list file could not be read: nothing was sent
    QStringList missing; // clip files that were not there
    QStringList written; // names on the unit, in write order
    QStringList refused; // files the unit did not take, in write order (clips by their path)
    QString stoppedAt;   // the file at which an unreachable or silent unit ended the write
    ExchangeResult stoppedBy; // that file's announcement
    ExchangeResult configurationWritten; // command 69, when it went out

    bool unitUnreachable() const { return !stoppedAt.isEmpty() && stoppedBy.verdict() == AnswerVerdict::Unreached; }
    bool ok() const
    {
        return error.isEmpty() && missing.isEmpty() && refused.isEmpty() && !configurationWritten.failed();
    }
};

struct DeviceFileRead {
    QByteArray bytes;
    TransferResult transfer;
    QString rejected; // why bytes that arrived were not taken

    bool ok() const { return transfer.ok() && rejected.isEmpty(); }
};

// Moves the alarm table, the audio list and the clips between the editor's files and the
// unit's SD card. Widget-free: the window and zorctl show the steps and outcomes.
class DeviceConfiguration {
public:
    DeviceConfiguration(ProjectStore &store, FileTransfer &transfer);

    EditorJob job() const { return job_; }
    std::function<void(const ConfigurationStep &)> onStep;

    // activeDir becomes the project folder and the project is loaded from it.
    EditorOutcome enterProjectJob();
    // activeDir becomes the scratch folder; the unit's list and table are read into it.
    EditorOutcome enterDeviceJob();

    // "plist.cfg" built from the rows, "m3fn.txt", the clips, then command 69.
    // In the project job every clip file is checked first: a missing one stops the write
    // before anything is sent. In the device job only clips waiting in the scratch folder
    // go, each removed there once the unit took it. A damaged table sends nothing.
    DeviceWriteResult writeDevice(const InputRows &rows, int alarmMode);
    // What writeDevice checks before it sends anything; sends nothing. ok() when the write would go.
    DeviceWriteResult checkWrite(const InputRows &rows, int alarmMode);

    EditorOutcome readDevice();
    EditorOutcome readAudioListFromDevice();
    EditorOutcome readAlarmTableFromDevice();
    // The unit's copy of the clip; its table and list follow with the next write.
    ExchangeResult deleteClipOnUnit(int clipNumber);

    // One file of the unit, refused when it cannot be what the editor reads.
    DeviceFileRead readDeviceFile(const QString &name, qsizetype limit);

private:
    void report(const ConfigurationStep &step) const;
    bool writeConfigurationFile(const QString &name, const QByteArray &bytes, DeviceWriteResult &result);
    bool writeClip(const QString &path, DeviceWriteResult &result);
    // True when the write goes on after this file.
    bool failedFile(const QString &name, const TransferResult &written, DeviceWriteResult &result);

    ProjectStore &store_;
    FileTransfer &transfer_;
    EditorJob job_ = EditorJob::Project;
};

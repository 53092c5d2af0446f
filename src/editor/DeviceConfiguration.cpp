#include "DeviceConfiguration.h"

#include "AudioListFile.h"
#include "ClipText.h"
#include "DeviceLink.h"
#include "EditorFiles.h"
#include "FileTransfer.h"
#include "ProjectStore.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {
constexpr int maxHexLines = 256;

// A unit that refused one file may take the next; one that is gone or silent will not.
bool unitStopped(const TransferResult &result)
{
    if (result.outcome == TransferOutcome::FileError)
        return false;
    return result.outcome == TransferOutcome::Failed || result.announcement.verdict() != AnswerVerdict::Refused;
}
} // namespace

DeviceConfiguration::DeviceConfiguration(ProjectStore &store, FileTransfer &transfer)
    : store_(store)
    , transfer_(transfer)
{
}

void DeviceConfiguration::report(const ConfigurationStep &step) const
{
    if (onStep)
        onStep(step);
}

EditorOutcome DeviceConfiguration::enterProjectJob()
{
    job_ = EditorJob::Project;
    EditorDirectories &dirs = store_.directories();
    dirs.activeDir = dirs.projectDir;
    return store_.loadProject();
}

EditorOutcome DeviceConfiguration::enterDeviceJob()
{
    job_ = EditorJob::Device;
    EditorDirectories &dirs = store_.directories();
    dirs.activeDir = dirs.tempDir;
    EditorOutcome outcome = readAudioListFromDevice();
    transfer_.link().pause(transfer_.link().timing().jobSwitchPauseMs);
    outcome.append(readAlarmTableFromDevice());
    return outcome;
}

EditorOutcome DeviceConfiguration::readDevice()
{
    EditorOutcome outcome = readAudioListFromDevice();
    outcome.append(readAlarmTableFromDevice());
    return outcome;
}

DeviceFileRead DeviceConfiguration::readDeviceFile(const QString &name, qsizetype limit)
{
    DeviceFileRead read;
    read.transfer = transfer_.ReadSdFile(name.toLatin1());
    if (!read.transfer.ok()) {
        report({.kind = ConfigurationStep::ReadFailed, .name = name, .transfer = read.transfer});
        return read;
    }
    if (read.transfer.bytes > limit) {
        read.rejected = QStringLiteral("%1 from the unit has %2 bytes, more than the %3 the editor takes. "
                                       "Nothing of it was taken.")
                            .arg(name)
                            .arg(read.transfer.bytes)
                            .arg(limit);
        report({.kind = ConfigurationStep::ReadRejected, .name = name, .reason = read.rejected,
                .transfer = read.transfer});
        return read;
    }
    read.bytes = QByteArray(reinterpret_cast<const char *>(transfer_.ReceiveBuffer.get()), qsizetype(read.transfer.bytes));
    return read;
}

EditorOutcome DeviceConfiguration::readAudioListFromDevice()
{
    EditorOutcome outcome;
    const DeviceFileRead read = readDeviceFile(audioListFileName, audioListImageCapacity);
    // A unit that refuses the list has none; a silent or garbled one, or a read that broke
    // off, leaves the last list read.
    const bool noList = read.transfer.announcement.verdict() == AnswerVerdict::Refused;
    if (read.ok() || noList) {
        outcome.log = hexDumpLines(read.bytes, maxHexLines);
        outcome.error = writeFileAtomically(store_.directories().tempDir + audioListFileName, read.bytes);
    }
    outcome.append(store_.loadAudioListImage());
    outcome.append(store_.reapplyAlarmTable());
    return outcome;
}

EditorOutcome DeviceConfiguration::readAlarmTableFromDevice()
{
    const DeviceFileRead read = readDeviceFile(alarmTableFileName, alarmTableSize);
    if (read.ok())
        store_.alarmTable().replaceLeadingBytes(read.bytes, alarmTableFileName);
    if (read.ok() && read.bytes.size() == alarmTableSize)
        store_.takeWholeTable();
    EditorOutcome outcome = store_.reapplyAlarmTable();
    if (read.ok())
        outcome.log.append(hexDumpLines(read.bytes, maxHexLines));
    return outcome;
}

ExchangeResult DeviceConfiguration::deleteClipOnUnit(int clipNumber)
{
    return transfer_.DeleteSdClip(clipFileName(clipNumber).toLatin1());
}

bool DeviceConfiguration::failedFile(const QString &name, const TransferResult &written, DeviceWriteResult &result)
{
    result.refused.append(name);
    if (!unitStopped(written))
        return true;
    const QString unitName = QFileInfo(name).fileName();
    result.stoppedAt = unitName;
    result.stoppedBy = written.announcement;
    report({.kind = ConfigurationStep::WriteStopped, .name = unitName, .transfer = written});
    return false;
}

bool DeviceConfiguration::writeConfigurationFile(const QString &name, const QByteArray &bytes, DeviceWriteResult &result)
{
    report({.kind = ConfigurationStep::WritingFile, .name = name});
    std::copy_n(bytes.constData(), bytes.size(), reinterpret_cast<char *>(transfer_.TransferBuffer.get()));
    const TransferResult written = transfer_.WriteBufferToSd(name.toLatin1(), std::uint32_t(bytes.size()));
    if (written.ok()) {
        result.written.append(name);
        return true;
    }
    if (!unitStopped(written))
        report({.kind = ConfigurationStep::FileRefused, .name = name, .reason = written.error, .transfer = written});
    return failedFile(name, written, result);
}

bool DeviceConfiguration::writeClip(const QString &path, DeviceWriteResult &result)
{
    report({.kind = ConfigurationStep::SendingClip, .name = path});
    const TransferResult written = transfer_.WriteFileToSd(path);
    if (written.ok()) {
        if (job_ == EditorJob::Device)
            QFile::remove(path);
        result.written.append(QFileInfo(path).fileName());
        report({.kind = ConfigurationStep::ClipWritten, .name = path});
        return true;
    }
    if (!unitStopped(written))
        report({.kind = ConfigurationStep::ClipRefused, .name = path, .reason = transfer_.lastTransferError,
                .transfer = written});
    return failedFile(path, written, result);
}

DeviceWriteResult DeviceConfiguration::checkWrite(const InputRows &rows, int alarmMode)
{
    DeviceWriteResult result;
    // A table built on a damaged one would replace the unit's with whatever could be read.
    if (!store_.tableDamage().isEmpty()) {
        result.error = store_.tableDamage();
        return result;
    }
    result.log = store_.alarmTable().buildAlarmTable(rows, alarmMode);
    // The list is read again from its file, which is what goes to the unit.
    const EditorOutcome listLoaded = store_.loadAudioListImage();
    result.log.append(listLoaded.log);
    if (!listLoaded.ok()) {
        result.error = listLoaded.error;
        return result;
    }
    const AudioList &list = store_.audioList();
    const QString activeDir = store_.directories().activeDir;
    if (job_ == EditorJob::Project) {
        // A table naming clips the unit never gets is worse than no write at all.
        for (int n = 1; n <= maxClipNumber; ++n) {
            const QString path = activeDir + clipFileName(n);
            if (list.isPresent(n) && !QFileInfo::exists(path)) {
                result.missing.append(path);
                report({.kind = ConfigurationStep::ClipMissing, .name = path});
                return result;
            }
        }
    }
    return result;
}

DeviceWriteResult DeviceConfiguration::writeDevice(const InputRows &rows, int alarmMode)
{
    DeviceWriteResult result = checkWrite(rows, alarmMode);
    if (!result.error.isEmpty() || !result.missing.isEmpty())
        return result;
    const AudioList &list = store_.audioList();
    const QString activeDir = store_.directories().activeDir;
    if (!writeConfigurationFile(alarmTableFileName, store_.alarmTable().image(), result)
        || !writeConfigurationFile(audioListFileName, store_.audioListImage(), result))
        return result;

    for (int n = 1; n <= maxClipNumber; ++n) {
        const QString path = activeDir + clipFileName(n);
        // In the device job a clip without a file here is already on the unit.
        if (list.isPresent(n) && QFileInfo::exists(path) && !writeClip(path, result))
            return result;
    }
    result.configurationWritten = transfer_.link().configurationWritten();
    return result;
}

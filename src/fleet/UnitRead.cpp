#include "UnitRead.h"

#include "DeviceLink.h"
#include "FileTransfer.h"
#include "AudioListFile.h"
#include "ClipText.h"
#include "RequestTexts.h"

UnitFault faultOf(const ExchangeResult &result, const QString &address)
{
    if (!result.failed())
        return {};
    switch (result.verdict()) {
    case AnswerVerdict::NotConfirmed:
        return {UnitFailure::NotConfirmed, RequestTexts::failureLine(result, address)};
    case AnswerVerdict::Refused:
        return {UnitFailure::Refused, RequestTexts::failureLine(result) + QStringLiteral(" (status %1)").arg(result.status)};
    case AnswerVerdict::Unreached:
    case AnswerVerdict::Acknowledged:
        break;
    }
    if (result.outcome == ExchangeOutcome::NoConnection)
        return {UnitFailure::NoConnection, "no connection to " + address};
    return {UnitFailure::NoUsableAnswer, RequestTexts::failureLine(result, address)};
}

bool absentOnUnit(const TransferResult &read)
{
    return read.outcome == TransferOutcome::Refused && read.announcement.verdict() == AnswerVerdict::Refused;
}

UnitFault readFault(const QString &name, const TransferResult &read)
{
    const bool unreached = read.announcement.verdict() == AnswerVerdict::Unreached;
    return {unreached ? UnitFailure::NoConnection : UnitFailure::NoUsableAnswer,
            "cannot read " + name + " from the unit (" + read.error + ")"};
}

UnitFault deviceInformationFault(DeviceLink &link)
{
    const ExchangeResult information = link.requestDeviceInformation();
    if (const UnitFault fault = faultOf(information, link.deviceAddress); fault.failed())
        return fault;
    if (information.decoded == Decoded::DeviceOtherAddress)
        return {UnitFailure::NoUsableAnswer,
                "the unit at " + link.deviceAddress + " answers as " + dottedAddress(link.status().reportedAddress)};
    return {};
}

UnitRead readUnit(DeviceLink &link, FileTransfer &transfer)
{
    UnitRead read;
    if ((read.fault = deviceInformationFault(link)).failed())
        return read;
    read.backup = backupOf(link.status(), link.deviceAddress);
    for (const QString &name : BackupSdFiles) {
        if (name != BackupSdFiles.first())
            link.pause(link.timing().jobSwitchPauseMs);
        const TransferResult file = transfer.ReadSdFile(name.toLatin1());
        if (absentOnUnit(file)) {
            read.backup.files.append({name, std::nullopt});
            continue;
        }
        if (!file.ok()) {
            read.fault = readFault(name, file);
            return read;
        }
        read.backup.files.append({name, QByteArray(reinterpret_cast<const char *>(transfer.ReceiveBuffer.get()), file.bytes)});
    }
    return read;
}

UnitFault readClips(DeviceLink &link, FileTransfer &transfer, UnitBackup &backup,
                    const std::function<QString(int number, const QByteArray &bytes)> &keep, QStringList &missing)
{
    backup.withClips = true;
    const std::optional<QByteArray> listBytes = backup.file(audioListFileName);
    if (!listBytes)
        return {}; // no list, no clips
    const AudioListRead list = parseAudioListBytes(*listBytes, audioListFileName);
    if (!list.error.isEmpty())
        return {UnitFailure::NoUsableAnswer, list.error};
    for (int n = 1; n <= maxClipNumber; ++n) {
        if (!list.list.isPresent(n))
            continue;
        link.pause(link.timing().jobSwitchPauseMs);
        const QString name = clipFileName(n);
        const TransferResult read = transfer.ReadSdFile(name.toLatin1());
        if (absentOnUnit(read)) {
            missing << name;
            backup.clips.append({n, false});
            continue;
        }
        if (!read.ok())
            return readFault(name, read);
        const QByteArray bytes(reinterpret_cast<const char *>(transfer.ReceiveBuffer.get()), read.bytes);
        if (const QString error = keep ? keep(n, bytes) : QString(); !error.isEmpty())
            return {UnitFailure::NoUsableAnswer, error};
        backup.clips.append({n, true, bytes.size(),
                             quint32(byteSum(reinterpret_cast<const std::uint8_t *>(bytes.constData()), bytes.size()))});
    }
    return {};
}

UnitRead readUnitToCompare(DeviceLink &link, FileTransfer &transfer, const UnitBackup &profile)
{
    UnitRead read = readUnit(link, transfer);
    if (!read.fault.failed() && profile.withClips && profile.holds(BackupPart::Alarm)) {
        QStringList missing; // compared as clips the unit lacks
        read.fault = readClips(link, transfer, read.backup, {}, missing);
    }
    return read;
}

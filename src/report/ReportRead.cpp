#include "ReportRead.h"

#include "AlarmTable.h"
#include "AudioListFile.h"
#include "DeviceLink.h"
#include "FileTransfer.h"
#include "UnitRead.h"

namespace {

QString failureText(const UnitFault &fault)
{
    const bool silent = fault.kind == UnitFailure::NoConnection || fault.kind == UnitFailure::NotConfirmed;
    return (silent ? QStringLiteral("did not answer: ") : QStringLiteral("not read: ")) + fault.text;
}

// Only a whole clip tells its size: each is read and dropped.
void readClipSizes(UnitReport &report, DeviceLink &link, FileTransfer &transfer)
{
    const AudioListRead list = parseAudioListBytes(report.audioList.value_or(QByteArray()), audioListFileName);
    report.clipSizesRead = true;
    for (int n = 1; n <= maxClipNumber; ++n) {
        if (!list.list.isPresent(n))
            continue;
        link.pause(link.timing().jobSwitchPauseMs);
        const QString name = clipFileName(n);
        const TransferResult read = transfer.ReadSdFile(name.toLatin1());
        if (absentOnUnit(read))
            continue;
        if (!read.ok()) {
            report.clipSizesFault = failureText(readFault(name, read)) + "; the clips after it were not read";
            return;
        }
        report.clipSizes.insert(n, read.bytes);
    }
}

} // namespace

UnitReport readReport(DeviceLink &link, FileTransfer &transfer, bool withClipSizes, UnitFault *fault)
{
    const UnitRead read = readUnit(link, transfer);
    if (fault)
        *fault = read.fault;
    UnitReport report;
    report.address = link.deviceAddress;
    report.status = link.status();
    if (read.fault.failed()) {
        report.failure = failureText(read.fault);
        return report;
    }
    report.alarmTable = read.backup.file(alarmTableFileName);
    report.audioList = read.backup.file(audioListFileName);
    report.rtuConfig = read.backup.file(QStringLiteral("RTU.CFG"));
    if (withClipSizes && report.audioList)
        readClipSizes(report, link, transfer);
    return report;
}

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
void readClipSizes(UnitReport &report, DeviceLink &link, FileTransfer &transfer, UnitBackup backup)
{
    report.clipSizesRead = true;
    QStringList missing; // a clip the unit would not send has no size to show
    const UnitFault fault = readClips(link, transfer, backup, {}, missing);
    for (const BackupClip &clip : backup.clips)
        if (clip.saved)
            report.clipSizes.insert(clip.number, clip.size);
    if (fault.failed())
        report.clipSizesFault = failureText(fault) + "; the clips after it were not read";
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
        readClipSizes(report, link, transfer, read.backup);
    return report;
}

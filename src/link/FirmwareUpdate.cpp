#include "FirmwareUpdate.h"

#include "DeviceLink.h"
#include "FileTransfer.h"
#include "LinkEvents.h"
#include "ProgressGauge.h"

#include <QFile>
#include <QScopeGuard>
#include <algorithm>

namespace {
constexpr qint64 MaxImageSize = 2 * 1048576;
}

FirmwareResult UpdateFirmware(FileTransfer &transfer, const QString &path)
{
    DeviceLink &link = transfer.link();
    auto note = [&link](const TransferNote &note) {
        if (link.events)
            link.events->transferNote(note);
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {FirmwareOutcome::FileError, "Cannot open " + path + ": " + file.errorString()};
    const qint64 size = file.size();
    note({.kind = TransferNote::FirmwareLength, .value = size});
    if (size > MaxImageSize) {
        note({.kind = TransferNote::FirmwareTooLarge});
        return {FirmwareOutcome::TooLarge, {}};
    }
    if (file.read(reinterpret_cast<char *>(transfer.TransferBuffer.get()), size) != size)
        return {FirmwareOutcome::FileError, "Cannot read " + path + ": " + file.errorString()};
    file.close();

    link.firmwareImageSum = byteSum(transfer.TransferBuffer.get(), std::size_t(size));
    const auto sum = std::uint32_t(link.firmwareImageSum);
    note({.kind = TransferNote::FirmwareSum, .value = sum});

    const bool recognised = link.status().modelRecognised;
    {
        const bool outer = link.transferActive;
        link.transferActive = true;
        const auto release = qScopeGuard([&link, outer] { link.transferActive = outer; });
        link.announceFirmware(recognised ? "/sys/mcuimg.bin" : "mcuimg.bin", std::uint32_t(size), sum, recognised);
        ProgressGauge *gauge = transfer.flashGauge;
        // Images under one chunk would give a negative maximum: the gauge then simply reads full.
        if (gauge)
            gauge->startProgress(int(std::max<qint64>(size - FileTransfer::ChunkSize, 0)));
        const Timing &timing = link.timing();
        const QString error = transfer.sendData(std::uint32_t(size),
                                                recognised ? timing.firmwarePauseMs : timing.firmwareSdPauseMs, gauge,
                                                FileTransfer::Progress::ChunkStart, true);
        if (!error.isEmpty())
            return {FirmwareOutcome::Failed, error};
        link.pause(timing.firmwareCheckPauseMs);
    }
    const ExchangeResult check = link.checkFirmwareImage(sum, recognised);
    switch (check.verdict()) {
    case AnswerVerdict::Unreached:
        return {FirmwareOutcome::Unreached, check.error, check};
    case AnswerVerdict::Refused:
        return {FirmwareOutcome::Refused, {}, check};
    case AnswerVerdict::NotConfirmed:
        if (!recognised) { // a send-only request: nothing to confirm
            note({.kind = TransferNote::FirmwareUnconfirmed});
            return {FirmwareOutcome::Unconfirmed, {}, check};
        }
        return {FirmwareOutcome::NotConfirmed, {}, check};
    case AnswerVerdict::Acknowledged:
        break;
    }
    switch (check.decoded) {
    case Decoded::FirmwareMatch:
        return {FirmwareOutcome::Verified, {}, check};
    case Decoded::FirmwareMismatch:
        return {FirmwareOutcome::Mismatch, {}, check};
    default:
        return {FirmwareOutcome::NotConfirmed, {}, check};
    }
}

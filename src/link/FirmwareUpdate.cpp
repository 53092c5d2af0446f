#include "FirmwareUpdate.h"

#include "DeviceLink.h"
#include "FileTransfer.h"
#include "LinkEvents.h"
#include "ProgressGauge.h"

#include <QFile>
#include <QScopeGuard>
#include <algorithm>

namespace {
void noteTo(DeviceLink &link, const TransferNote &note)
{
    if (link.events)
        link.events->transferNote(note);
}
} // namespace

std::optional<FirmwareOutcome> firmwareSizeRefusal(qint64 size)
{
    if (size == 0)
        return FirmwareOutcome::Empty;
    if (size > MaxFirmwareImageSize)
        return FirmwareOutcome::TooLarge;
    return std::nullopt;
}

FirmwareImage LoadFirmwareImage(FileTransfer &transfer, const QString &path)
{
    DeviceLink &link = transfer.link();
    FirmwareImage image{.path = path};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        image.refusal = FirmwareOutcome::FileError;
        image.error = "Cannot open " + path + ": " + file.errorString();
        return image;
    }
    image.size = file.size();
    noteTo(link, {.kind = TransferNote::FirmwareLength, .value = image.size});
    if (const auto refusal = firmwareSizeRefusal(image.size)) {
        if (*refusal == FirmwareOutcome::TooLarge)
            noteTo(link, {.kind = TransferNote::FirmwareTooLarge});
        image.refusal = *refusal;
        return image;
    }
    if (file.read(reinterpret_cast<char *>(transfer.TransferBuffer.get()), image.size) != image.size) {
        image.refusal = FirmwareOutcome::FileError;
        image.error = "Cannot read " + path + ": " + file.errorString();
        return image;
    }
    image.sum = byteSum(transfer.TransferBuffer.get(), std::size_t(image.size));
    noteTo(link, {.kind = TransferNote::FirmwareSum, .value = qint64(std::uint32_t(image.sum))});
    image.loaded = true;
    return image;
}

FirmwareResult SendFirmwareImage(FileTransfer &transfer, const FirmwareImage &image)
{
    if (!image.ready())
        return {image.refusal, image.error};
    DeviceLink &link = transfer.link();
    link.firmwareImageSum = image.sum;
    const auto sum = std::uint32_t(image.sum);
    const qint64 size = image.size;

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
            noteTo(link, {.kind = TransferNote::FirmwareUnconfirmed});
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

#include "FirmwareUpdate.h"

#include "DeviceLink.h"
#include "Dialogs.h"
#include "FileTransfer.h"
#include "MonitorView.h"
#include "ProgressGauge.h"

#include <QFile>
#include <QScopeGuard>
#include <algorithm>

namespace {
constexpr qint64 MaxImageSize = 2 * 1048576;
}

void UpdateFirmware(FileTransfer &transfer)
{
    DeviceLink &link = transfer.link();
    MonitorView &view = link.view();
    const QString path = link.dialogs().openFile("*.bin", "bin|*.bin");
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(("Cannot open " + path + ": " + file.errorString()).toStdString());
    const qint64 size = file.size();
    view.setStatusLine("MCUImg FileLength => " + QString::number(size));
    if (size > MaxImageSize) {
        view.setStatusLine("File Lengths > Buffer Size, Abort!");
        return;
    }
    if (file.read(reinterpret_cast<char *>(transfer.TransferBuffer.get()), size) != size)
        throw std::runtime_error(("Cannot read " + path + ": " + file.errorString()).toStdString());
    file.close();

    link.firmwareImageSum = byteSum(transfer.TransferBuffer.get(), std::size_t(size));
    const auto sum = std::uint32_t(link.firmwareImageSum);
    view.setStatusLine("Send MCUImg CheckSum => " + QStringLiteral("%1").arg(sum, 8, 16, QLatin1Char('0')).toUpper());

    const bool recognised = link.status().modelRecognised;
    const bool outer = link.transferActive;
    link.transferActive = true;
    const auto release = qScopeGuard([&link, outer] { link.transferActive = outer; });
    link.announceFirmware(recognised ? "/sys/mcuimg.bin" : "mcuimg.bin", std::uint32_t(size), sum, recognised);
    ProgressGauge *gauge = transfer.flashGauge;
    // Images under one chunk would give a negative maximum: the gauge then simply reads full.
    if (gauge)
        gauge->startProgress(int(std::max<qint64>(size - FileTransfer::ChunkSize, 0)));
    const Timing &timing = link.timing();
    transfer.sendData(std::uint32_t(size), recognised ? timing.firmwarePauseMs : timing.firmwareSdPauseMs, gauge,
                      FileTransfer::Progress::ChunkStart, true);
    link.pause(timing.firmwareCheckPauseMs);
    link.transferActive = outer;
    link.checkFirmwareImage(sum, recognised);
}

#pragma once

#include "LinkOutcome.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

class DeviceLink;
class ProgressGauge;

// Whole files between the PC and the unit's SD card and serial flash:
// an announcement on the command channel, then the raw contents on a second connection.
class FileTransfer {
public:
    static constexpr std::uint32_t BufferSize = 10 * 1048576;
    static constexpr std::uint32_t ChunkSize = 1024;

    explicit FileTransfer(DeviceLink &link);

    DeviceLink &link() { return link_; }

    // Allocated once and left untouched until a transfer needs them.
    const std::unique_ptr<std::uint8_t[]> TransferBuffer;
    const std::unique_ptr<std::uint8_t[]> ReceiveBuffer;
    QString lastTransferError;
    ProgressGauge *sdGauge = nullptr;    // the audio editor's
    ProgressGauge *flashGauge = nullptr; // the setup window's

    TransferResult WriteBufferToSd(const QByteArray &name, std::uint32_t length);
    // Refusals and PC-side failures also leave their text in lastTransferError.
    TransferResult WriteFileToSd(const QString &path);
    // The contents follow only an acknowledged announcement; a refused, unanswered or garbled one
    // makes the result Refused, one that reached no unit Failed.
    TransferResult WriteBufferToFlash(const QString &name, std::uint32_t length);
    // Done with exactly the announced length; Refused when the unit did not accept; TimedOut when the
    // data stopped or trickled past the read's deadline; Failed when the unit closed early, the
    // connection failed or the announced length exceeds ReceiveBuffer.
    TransferResult ReadSdFile(const QByteArray &name);
    ExchangeResult DeleteFlashFile(const QString &name);
    ExchangeResult DeleteSdClip(const QByteArray &name);

    // The name a file is announced under: 8.3-style when its base name is longer than 8.
    static QByteArray announcedName(const QString &fileName);

    enum class Progress { ChunkEnd, ChunkStart };
    // Sends `length` bytes of TransferBuffer on a data connection after `pauseMs`.
    // Empty on success, else why the data could not be sent.
    QString sendData(std::uint32_t length, int pauseMs, ProgressGauge *gauge, Progress progress, bool repaint);

private:
    void note(const TransferNote &note) const;

    DeviceLink &link_;
};

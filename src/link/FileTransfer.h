#pragma once

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

    void WriteBufferToSd(const QByteArray &name, std::uint32_t length);
    bool WriteFileToSd(const QString &path);
    void WriteBufferToFlash(const QString &name, std::uint32_t length);
    // Bytes received, 0 when the unit refused, -1 when the data stopped coming.
    std::int32_t ReadSdFile(const QByteArray &name);
    void DeleteFlashFile(const QString &name);
    void DeleteSdClip(const QByteArray &name);

    // The name a file is announced under: 8.3-style when its base name is longer than 8.
    static QByteArray announcedName(const QString &fileName);

    enum class Progress { ChunkEnd, ChunkStart };
    // Sends `length` bytes of TransferBuffer on a data connection after `pauseMs`.
    // Throws std::runtime_error when the connection cannot be opened or a write fails.
    void sendData(std::uint32_t length, int pauseMs, ProgressGauge *gauge, Progress progress, bool repaint);

private:
    DeviceLink &link_;
};

// Low byte of each character, as the unit's names are sent.
QByteArray lowBytes(const QString &text);

#pragma once

#include "Commands.h"
#include "DeviceStatus.h"
#include "Timing.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class Dialogs;

class MonitorView;
class QTcpSocket;

inline constexpr char ConnectTimeoutText[] = "Connect Timeout";
inline constexpr char InvalidHeaderText[] = "InValid Header package!";

// The one-slot queue the monitor window's poll timer empties.
struct PendingCommand {
    std::uint8_t code = 0; // 0 = empty
    std::array<std::uint8_t, 4> parameters{}; // P1..P4, kept between requests
};

// The command channel: one short TCP exchange per request, one at a time.
class DeviceLink {
public:
    static constexpr std::size_t RequestSize = 1024;
    static constexpr std::size_t AnswerSize = 4096;
    static constexpr std::size_t ClearedAnswerBytes = 250;
    static constexpr quint16 port = DevicePort;

    DeviceLink(DeviceStatus &status, MonitorView &view, Dialogs &dialogs, const Timing &timing);

    QString deviceAddress = QString(DefaultSubnetPrefix) + "1";
    bool busy = false;
    std::uint8_t expectedCode = 0;
    // Persists between requests: a request rewrites only the bytes it sets.
    std::array<std::uint8_t, RequestSize> request{};
    std::array<std::uint8_t, AnswerSize> answer{};
    std::uint32_t answerLength = 0;
    PendingCommand pending;
    // Byte sum of the last firmware image sent; the unit's check answer is compared with it.
    std::uint64_t firmwareImageSum = 0;
    // An announcement and its data phase belong together: nothing else may reach the unit between them.
    bool transferActive = false;
    // The link check run before the requests that need it; unset means the address is given.
    std::function<bool()> linkCheck;

    DeviceStatus &status() { return status_; }
    MonitorView &view() { return view_; }
    Dialogs &dialogs() { return dialogs_; }
    const Timing &timing() const { return timing_; }

    void SendCommand(std::uint8_t size);
    void SendCommandNoReply(std::uint8_t size);
    void DispatchAnswer(std::uint32_t length);

    // Queued requests: they only fill the slot; the poll timer sends them.
    void queueLocator();
    bool queueDeviceInformation(); // after a link check; false when the check failed
    void queueRelay(std::uint8_t output, std::uint8_t state);
    void queueVolumeArming(std::uint8_t volume, std::uint8_t armed, bool forArming);
    // The poll timer's send of the slot: a 9-byte exchange, then the slot is emptied.
    void sendPending();

    // Exchanges and send-only requests, one per command.
    void requestDeviceInformation(); // exchange of 7 bytes
    void pollStatus();
    void checkFirmwareImage(std::uint32_t sum, bool modelRecognised);
    void restartUnit();            // after a link check
    void setWifiMode(std::uint8_t mode); // after a link check
    void setWebKey(const QByteArray &key); // after a link check
    void stopPlayback();
    void configurationWritten();
    void resetConfiguration();     // after a link check
    void channelTest(bool start, std::uint8_t inputCode);
    void modbusSettingsWritten();  // after a link check
    void playClip(std::uint8_t clipNumber);
    // File announcements; the name bytes go into byte 16 and on, cut by the frame size.
    void announceSdWrite(const QByteArray &name, std::uint32_t length);
    void announceSdWriteWithSum(const QByteArray &name, std::uint32_t length, std::uint32_t sum);
    void announceSdRead(const QByteArray &name);
    void announceFlashWrite(const QByteArray &name, std::uint32_t length, std::uint32_t sum);
    void announceFirmware(const QByteArray &name, std::uint32_t length, std::uint32_t sum, bool toFlash);
    void requestFlashFileDelete(const QByteArray &name);
    void requestSdClipDelete(const QByteArray &name);

    // The unit's own address as its device information answer reports it.
    QString reportedAddress() const;

    // Helpers shared with the file transfer.
    void clearRequest(std::size_t count);
    void putName(const QByteArray &name);
    void putBigEndian32(std::size_t offset, std::uint32_t value);
    std::uint32_t answerBigEndian32(std::size_t offset) const;
    // Connects a socket to the unit, keeping the message loop running. False after the time-out.
    bool connectToUnit(QTcpSocket &socket) const;
    // Waits in slices until data is there; false after `waits` empty slices.
    bool waitForData(QTcpSocket &socket, int waits) const;
    // Blocks for a fixed pause with the window kept painted.
    void pause(int milliseconds) const;

private:
    bool passLinkCheck() const { return !linkCheck || linkCheck(); }
    void beginRequest(std::uint8_t code, std::uint8_t expected);
    // Connects and writes the frame; false (with "Connect Timeout" shown) when the unit is not reached.
    bool writeRequest(QTcpSocket &socket, std::uint8_t size);
    void decodeStatusAnswer();
    void decodeDeviceInformation();
    void showFirmwareCheckResult();
    void showRssi(std::uint16_t raw);

    DeviceStatus &status_;
    MonitorView &view_;
    Dialogs &dialogs_;
    const Timing &timing_;
};

// "a.b.c.d", first octet first.
QString dottedAddress(const std::array<std::uint8_t, 4> &octets);

// Sum of all bytes, each 0..255.
std::uint64_t byteSum(const std::uint8_t *data, std::size_t length);

#pragma once

#include "DataPhaseRead.h"
#include "DeviceStatus.h"
#include "LinkOutcome.h"
#include "Protocol.h"
#include "Timing.h"

#include <QEventLoop>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class LinkEvents;
class QTcpSocket;

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

    DeviceLink(DeviceStatus &status, const Timing &timing);

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
    // Told of every exchange and transfer step; may stay unset.
    LinkEvents *events = nullptr;

    DeviceStatus &status() { return status_; }
    const Timing &timing() const { return timing_; }

    // Sends request bytes 0..size-1 with `code` in byte 4 and waits for one answer.
    // A refused (busy) request leaves expectedCode and byte 4 as they were.
    ExchangeResult SendCommand(Command code, std::uint8_t expected, std::uint8_t size);
    ExchangeResult SendCommandNoReply(Command code, std::uint8_t expected, std::uint8_t size);
    struct Dispatch {
        Decoded decoded = Decoded::Nothing;
        bool rssiReported = false;
    };
    Dispatch DispatchAnswer(std::uint32_t length);

    // Queued requests: they only fill the slot; the poll timer sends them.
    void queueLocator();
    bool queueDeviceInformation(); // after a link check; false when the check failed
    void queueRelay(std::uint8_t output, std::uint8_t state);
    void queueVolumeArming(std::uint8_t volume, std::uint8_t armed, bool forArming);
    // The poll timer's send of the slot: a 9-byte exchange, then the slot is emptied.
    ExchangeResult sendPending();

    // Exchanges and send-only requests, one per command.
    ExchangeResult requestDeviceInformation(); // exchange of 7 bytes
    ExchangeResult pollStatus();
    ExchangeResult checkFirmwareImage(std::uint32_t sum, bool modelRecognised);
    ExchangeResult restartUnit();                   // after a link check
    ExchangeResult setWifiMode(std::uint8_t mode);  // after a link check
    ExchangeResult setWebKey(const QByteArray &key); // after a link check
    ExchangeResult stopPlayback();
    ExchangeResult configurationWritten();
    ExchangeResult resetConfiguration();            // after a link check
    ExchangeResult channelTest(bool start, std::uint8_t inputCode);
    ExchangeResult modbusSettingsWritten();         // after a link check
    ExchangeResult playClip(std::uint8_t clipNumber);

    // File announcements; the name bytes go into byte 16 and on, cut by the frame size.
    ExchangeResult announceSdWrite(const QByteArray &name, std::uint32_t length);
    ExchangeResult announceSdWriteWithSum(const QByteArray &name, std::uint32_t length, std::uint32_t sum);
    ExchangeResult announceSdRead(const QByteArray &name);
    ExchangeResult announceFlashWrite(const QByteArray &name, std::uint32_t length, std::uint32_t sum);
    ExchangeResult announceFirmware(const QByteArray &name, std::uint32_t length, std::uint32_t sum, bool toFlash);
    ExchangeResult requestFlashFileDelete(const QByteArray &name);
    ExchangeResult requestSdClipDelete(const QByteArray &name);

    // Helpers shared with the file transfer.
    void clearRequest(std::size_t count);
    void putName(const QByteArray &name);
    void putBigEndian32(std::size_t offset, std::uint32_t value);
    std::uint32_t answerBigEndian32(std::size_t offset) const;
    // Connects a socket to the unit, keeping the message loop running. False after the time-out.
    bool connectToUnit(QTcpSocket &socket) const { return tryConnect(socket) == ConnectFailure::None; }
    // The same, telling why it could not.
    ConnectFailure tryConnect(QTcpSocket &socket) const;
    // Waits in slices until data is there; false after `waits` empty slices or when the
    // unit closed. A socket failure sets `error`.
    bool waitForData(QTcpSocket &socket, int waits, QString &error) const;
    // One look at the socket, and one slice's wait when it holds nothing. A socket failure sets `error`.
    DataSource::Wait waitOneSlice(QTcpSocket &socket, QString &error) const;
    // Blocks for a fixed pause with the windows kept painted but deaf to the user.
    void pause(int milliseconds) const;
    // Lets the windows paint; during a transfer no click or key gets through.
    void keepResponsive() const;

private:
    bool passLinkCheck() const { return !linkCheck || linkCheck(); }
    ExchangeResult linkCheckFailed(Command code);
    QEventLoop::ProcessEventsFlags eventFlags() const;
    // Connects and writes the frame; the result tells why not when it could not.
    bool writeRequest(QTcpSocket &socket, std::uint8_t size, ExchangeResult &result);
    ExchangeResult report(const ExchangeResult &result);
    bool decodeStatusAnswer();
    Decoded decodeDeviceInformation(bool &rssiReported, bool whole);
    Decoded checkFirmwareSum();
    bool takeRssi(std::uint16_t raw);

    DeviceStatus &status_;
    const Timing &timing_;
};

// "a.b.c.d", first octet first.
QString dottedAddress(const std::array<std::uint8_t, 4> &octets);
// Sum of all bytes, each 0..255.
std::uint64_t byteSum(const std::uint8_t *data, std::size_t length);

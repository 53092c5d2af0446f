// One small operation per command of the unit's command table.
#include "DeviceLink.h"

#include "LinkEvents.h"

#include <algorithm>

// Queued requests -----------------------------------------------------------

void DeviceLink::queueLocator()
{
    // Sent with P1..P4 as they stand.
    expectedCode = request[4] = codeOf(Command::Locator);
    pending.code = codeOf(Command::Locator);
}

bool DeviceLink::queueDeviceInformation()
{
    if (!passLinkCheck())
        return false;
    expectedCode = request[4] = codeOf(Command::DeviceInformation);
    pending.parameters[0] = pending.parameters[1] = 0;
    request[5] = request[6] = 0;
    pending.code = codeOf(Command::DeviceInformation);
    return true;
}

void DeviceLink::queueRelay(std::uint8_t output, std::uint8_t state)
{
    // P3 and P4 keep what the last volume or arming request left.
    expectedCode = request[4] = codeOf(Command::Relay);
    pending.parameters[0] = request[5] = output;
    pending.parameters[1] = request[6] = state;
    pending.code = codeOf(Command::Relay);
}

void DeviceLink::queueVolumeArming(std::uint8_t volume, std::uint8_t armed, bool forArming)
{
    volume = std::min<std::uint8_t>(volume, VolumeAttenuation.size() - 1);
    pending.parameters = {VolumeAttenuation[volume], volume, armed, std::uint8_t(forArming ? 1 : 0)};
    pending.code = codeOf(Command::VolumeArming);
}

ExchangeResult DeviceLink::sendPending()
{
    const std::uint8_t code = pending.code;
    std::copy(pending.parameters.begin(), pending.parameters.end(), request.begin() + 5);
    pending.code = 0; // emptied even when the send is refused
    return SendCommand(Command(code), code, 9);
}

// Exchanges and send-only requests -----------------------------------------

ExchangeResult DeviceLink::requestDeviceInformation()
{
    request[5] = request[6] = 0;
    return SendCommand(Command::DeviceInformation, codeOf(Command::DeviceInformation), 7);
}

ExchangeResult DeviceLink::pollStatus()
{
    return SendCommand(Command::StatusPoll, codeOf(Command::StatusPoll), 5);
}

ExchangeResult DeviceLink::checkFirmwareImage(std::uint32_t sum, bool modelRecognised)
{
    putBigEndian32(5, sum);
    if (modelRecognised)
        return SendCommand(Command::FirmwareCheck, codeOf(Command::FirmwareCheck), 9);
    return SendCommandNoReply(Command::FirmwareCheckUnrecognised, codeOf(Command::FirmwareCheckUnrecognised), 9);
}

ExchangeResult DeviceLink::restartUnit()
{
    if (!passLinkCheck())
        return linkCheckFailed(Command::Restart);
    return SendCommandNoReply(Command::Restart, codeOf(Command::Restart), 5);
}

ExchangeResult DeviceLink::setWifiMode(std::uint8_t mode)
{
    if (!passLinkCheck())
        return linkCheckFailed(Command::WifiMode);
    request[5] = mode;
    return SendCommand(Command::WifiMode, codeOf(Command::WifiMode), 6);
}

ExchangeResult DeviceLink::setWebKey(const QByteArray &key)
{
    if (!passLinkCheck())
        return linkCheckFailed(Command::WebKey);
    // The frame size is one byte: n + 6 must stay below 256.
    const int n = std::min<qsizetype>(key.size(), 249);
    request[5] = std::uint8_t(n);
    std::copy_n(key.constData(), n, reinterpret_cast<char *>(request.data()) + 6);
    return SendCommand(Command::WebKey, codeOf(Command::WebKey), std::uint8_t(n + 6));
}

ExchangeResult DeviceLink::stopPlayback()
{
    request[5] = 3;
    return SendCommand(Command::StopPlayback, codeOf(Command::StopPlayback), 6);
}

ExchangeResult DeviceLink::configurationWritten()
{
    request[5] = 0;
    return SendCommand(Command::ConfigurationWritten, codeOf(Command::ConfigurationWritten), 6);
}

ExchangeResult DeviceLink::resetConfiguration()
{
    if (!passLinkCheck())
        return linkCheckFailed(Command::ResetConfiguration);
    request[5] = 1;
    return SendCommand(Command::ResetConfiguration, codeOf(Command::ResetConfiguration), 6);
}

ExchangeResult DeviceLink::channelTest(bool start, std::uint8_t inputCode)
{
    request[5] = 250;
    request[6] = start ? 1 : 0;
    request[7] = start ? inputCode : 0;
    return SendCommand(Command::ChannelTest, 0, 8);
}

ExchangeResult DeviceLink::modbusSettingsWritten()
{
    if (!passLinkCheck())
        return linkCheckFailed(Command::ModbusTcpWritten);
    return SendCommand(Command::ModbusTcpWritten, codeOf(Command::ModbusTcpWritten), 5);
}

ExchangeResult DeviceLink::playClip(std::uint8_t clipNumber)
{
    request[5] = clipNumber;
    return SendCommand(Command::PlayClip, codeOf(Command::PlayClip), 6);
}

// File announcements -------------------------------------------------------

ExchangeResult DeviceLink::announceSdWrite(const QByteArray &name, std::uint32_t length)
{
    clearRequest(32);
    putBigEndian32(5, length);
    putName(name);
    status_.fileWriteAccepted = false;
    return SendCommand(Command::WriteSdFile, codeOf(Command::WriteSdFile), 32);
}

ExchangeResult DeviceLink::announceSdWriteWithSum(const QByteArray &name, std::uint32_t length, std::uint32_t sum)
{
    clearRequest(60);
    putBigEndian32(5, length);
    putBigEndian32(9, sum);
    putName(name);
    status_.fileWriteAccepted = false;
    return SendCommand(Command::WriteSdFile, codeOf(Command::WriteSdFile), 40);
}

ExchangeResult DeviceLink::announceSdRead(const QByteArray &name)
{
    clearRequest(32);
    putName(name);
    status_.fileReadAccepted = false;
    return SendCommand(Command::ReadSdFile, codeOf(Command::ReadSdFile), 32);
}

ExchangeResult DeviceLink::announceFlashWrite(const QByteArray &name, std::uint32_t length, std::uint32_t sum)
{
    clearRequest(60);
    putBigEndian32(5, length);
    putBigEndian32(9, sum);
    putName(name);
    return SendCommand(Command::WriteFlashFile, 0, 60);
}

ExchangeResult DeviceLink::announceFirmware(const QByteArray &name, std::uint32_t length, std::uint32_t sum, bool toFlash)
{
    clearRequest(40);
    putBigEndian32(5, length);
    putBigEndian32(9, sum);
    putName(name);
    return SendCommandNoReply(toFlash ? Command::WriteFlashFile : Command::WriteSdFile, 0, 40);
}

ExchangeResult DeviceLink::requestFlashFileDelete(const QByteArray &name)
{
    // Not cleared: bytes 5 to 15 keep what earlier requests left there.
    putName(name);
    return SendCommand(Command::DeleteFlashFile, codeOf(Command::DeleteFlashFile), 40);
}

ExchangeResult DeviceLink::requestSdClipDelete(const QByteArray &name)
{
    // The frame size is one byte: n + 21 must stay below 256.
    const QByteArray clipped = name.left(234);
    clearRequest(32);
    putName(clipped);
    request[4] = codeOf(Command::DeleteSdClip);
    const int size = int(clipped.size()) + 21;
    if (events)
        events->transferNote({.kind = TransferNote::ClipDeleteFrame,
                              .bytes = QByteArray(reinterpret_cast<const char *>(request.data()) + 4, size - 4)});
    return SendCommand(Command::DeleteSdClip, codeOf(Command::DeleteSdClip), std::uint8_t(size));
}

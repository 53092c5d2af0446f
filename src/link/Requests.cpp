// One small operation per command of the unit's command table.
#include "DeviceLink.h"

#include "MonitorView.h"

#include <algorithm>

void DeviceLink::beginRequest(std::uint8_t code, std::uint8_t expected)
{
    expectedCode = expected;
    request[4] = code;
}

// Queued requests -----------------------------------------------------------

void DeviceLink::queueLocator()
{
    // Sent with P1..P4 as they stand.
    beginRequest(Command::Locator, Command::Locator);
    pending.code = Command::Locator;
}

bool DeviceLink::queueDeviceInformation()
{
    if (!passLinkCheck())
        return false;
    beginRequest(Command::DeviceInformation, Command::DeviceInformation);
    pending.parameters[0] = pending.parameters[1] = 0;
    request[5] = request[6] = 0;
    pending.code = Command::DeviceInformation;
    return true;
}

void DeviceLink::queueRelay(std::uint8_t output, std::uint8_t state)
{
    // P3 and P4 keep what the last volume or arming request left.
    beginRequest(Command::Relay, Command::Relay);
    pending.parameters[0] = request[5] = output;
    pending.parameters[1] = request[6] = state;
    pending.code = Command::Relay;
}

void DeviceLink::queueVolumeArming(std::uint8_t volume, std::uint8_t armed, bool forArming)
{
    volume = std::min<std::uint8_t>(volume, VolumeAttenuation.size() - 1);
    pending.parameters = {VolumeAttenuation[volume], volume, armed, std::uint8_t(forArming ? 1 : 0)};
    pending.code = Command::VolumeArming;
}

void DeviceLink::sendPending()
{
    beginRequest(pending.code, pending.code);
    std::copy(pending.parameters.begin(), pending.parameters.end(), request.begin() + 5);
    SendCommand(9);
    pending.code = 0; // emptied even when the send was refused
}

// Exchanges and send-only requests -----------------------------------------

void DeviceLink::requestDeviceInformation()
{
    beginRequest(Command::DeviceInformation, Command::DeviceInformation);
    request[5] = request[6] = 0;
    SendCommand(7);
}

void DeviceLink::pollStatus()
{
    beginRequest(Command::StatusPoll, Command::StatusPoll);
    SendCommand(5);
}

void DeviceLink::checkFirmwareImage(std::uint32_t sum, bool modelRecognised)
{
    if (modelRecognised) {
        beginRequest(Command::FirmwareCheck, Command::FirmwareCheck);
        putBigEndian32(5, sum);
        SendCommand(9);
    } else {
        beginRequest(Command::FirmwareCheckUnrecognised, Command::FirmwareCheckUnrecognised);
        putBigEndian32(5, sum);
        SendCommandNoReply(9);
    }
}

void DeviceLink::restartUnit()
{
    if (!passLinkCheck())
        return;
    beginRequest(Command::Restart, Command::Restart);
    SendCommandNoReply(5);
}

void DeviceLink::setWifiMode(std::uint8_t mode)
{
    if (!passLinkCheck())
        return;
    beginRequest(Command::WifiMode, Command::WifiMode);
    request[5] = mode;
    SendCommand(6);
}

void DeviceLink::setWebKey(const QByteArray &key)
{
    if (!passLinkCheck())
        return;
    // The frame size is one byte: n + 6 must stay below 256.
    const int n = std::min<qsizetype>(key.size(), 249);
    beginRequest(Command::WebKey, Command::WebKey);
    request[5] = std::uint8_t(n);
    std::copy_n(key.constData(), n, reinterpret_cast<char *>(request.data()) + 6);
    SendCommand(std::uint8_t(n + 6));
}

void DeviceLink::stopPlayback()
{
    beginRequest(Command::StopPlayback, Command::StopPlayback);
    request[5] = 3;
    SendCommand(6);
}

void DeviceLink::configurationWritten()
{
    beginRequest(Command::ConfigurationWritten, Command::ConfigurationWritten);
    request[5] = 0;
    SendCommand(6);
}

void DeviceLink::resetConfiguration()
{
    if (!passLinkCheck())
        return;
    beginRequest(Command::ResetConfiguration, Command::ResetConfiguration);
    request[5] = 1;
    SendCommand(6);
}

void DeviceLink::channelTest(bool start, std::uint8_t inputCode)
{
    beginRequest(Command::ChannelTest, 0);
    request[5] = 250;
    request[6] = start ? 1 : 0;
    request[7] = start ? inputCode : 0;
    SendCommand(8);
}

void DeviceLink::modbusSettingsWritten()
{
    if (!passLinkCheck())
        return;
    beginRequest(Command::ModbusTcpWritten, Command::ModbusTcpWritten);
    SendCommand(5);
}

void DeviceLink::playClip(std::uint8_t clipNumber)
{
    beginRequest(Command::PlayClip, Command::PlayClip);
    request[5] = clipNumber;
    SendCommand(6);
}

// File announcements -------------------------------------------------------

void DeviceLink::announceSdWrite(const QByteArray &name, std::uint32_t length)
{
    clearRequest(32);
    putBigEndian32(5, length);
    putName(name);
    beginRequest(Command::WriteSdFile, Command::WriteSdFile);
    status_.fileWriteAccepted = false;
    SendCommand(32);
}

void DeviceLink::announceSdWriteWithSum(const QByteArray &name, std::uint32_t length, std::uint32_t sum)
{
    clearRequest(60);
    putBigEndian32(5, length);
    putBigEndian32(9, sum);
    putName(name);
    beginRequest(Command::WriteSdFile, Command::WriteSdFile);
    status_.fileWriteAccepted = false;
    SendCommand(40);
}

void DeviceLink::announceSdRead(const QByteArray &name)
{
    clearRequest(32);
    putName(name);
    beginRequest(Command::ReadSdFile, Command::ReadSdFile);
    status_.fileReadAccepted = false;
    SendCommand(32);
}

void DeviceLink::announceFlashWrite(const QByteArray &name, std::uint32_t length, std::uint32_t sum)
{
    clearRequest(60);
    putBigEndian32(5, length);
    putBigEndian32(9, sum);
    putName(name);
    beginRequest(Command::WriteFlashFile, 0);
    SendCommand(60);
}

void DeviceLink::announceFirmware(const QByteArray &name, std::uint32_t length, std::uint32_t sum, bool toFlash)
{
    clearRequest(40);
    putBigEndian32(5, length);
    putBigEndian32(9, sum);
    putName(name);
    beginRequest(toFlash ? Command::WriteFlashFile : Command::WriteSdFile, 0);
    SendCommandNoReply(40);
}

void DeviceLink::requestFlashFileDelete(const QByteArray &name)
{
    // Not cleared: bytes 5 to 15 keep what earlier requests left there.
    putName(name);
    beginRequest(Command::DeleteFlashFile, Command::DeleteFlashFile);
    SendCommand(40);
}

void DeviceLink::requestSdClipDelete(const QByteArray &name)
{
    // The frame size is one byte: n + 21 must stay below 256.
    const QByteArray clipped = name.left(234);
    clearRequest(32);
    putName(clipped);
    beginRequest(Command::DeleteSdClip, Command::DeleteSdClip);
    const int size = int(clipped.size()) + 21;
    for (int i = 4; i < size; ++i)
        view_.appendLog(QStringLiteral("%1 : %2").arg(i - 4).arg(request[i], 2, 16, QLatin1Char('0')).toUpper());
    SendCommand(std::uint8_t(size));
}

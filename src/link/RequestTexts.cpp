#include "RequestTexts.h"

#include <utility>

namespace RequestTexts {

QString actionName(std::uint8_t code)
{
    static const std::pair<Command, const char *> names[] = {
        {Command::Locator, "Find me"},
        {Command::DeviceInformation, "Device information"},
        {Command::FirmwareCheck, "F/W image check"},
        {Command::FirmwareCheckUnrecognised, "F/W image check"},
        {Command::Restart, "Reboot"},
        {Command::WifiMode, "Wi-Fi mode"},
        {Command::WebKey, "WEB key"},
        {Command::VolumeArming, "Volume and arming"},
        {Command::StopPlayback, "Stop playback"},
        {Command::ConfigurationWritten, "Configuration written"},
        {Command::WriteSdFile, "SD card file write"},
        {Command::ReadSdFile, "SD card file read"},
        {Command::DeleteFlashFile, "Flash file delete"},
        {Command::ResetConfiguration, "Reset to defaults"},
        {Command::WriteFlashFile, "Flash file write"},
        {Command::ChannelTest, "Channel test"},
        {Command::DeleteSdClip, "Clip delete"},
        {Command::Relay, "Relay"},
        {Command::StatusPoll, "Status poll"},
        {Command::ModbusTcpWritten, "Modbus TCP settings"},
        {Command::PlayClip, "Play clip"},
    };
    for (const auto &[command, name] : names)
        if (codeOf(command) == code)
            return QString::fromLatin1(name);
    return QStringLiteral("Request %1").arg(code);
}

QString failure(const ExchangeResult &result, const QString &address)
{
    switch (result.outcome) {
    case ExchangeOutcome::NoConnection:
        return address.isEmpty() ? QStringLiteral("no connection") : "the unit at " + address + " could not be reached";
    case ExchangeOutcome::Busy:
        return QStringLiteral("another request was under way, nothing was sent");
    case ExchangeOutcome::LinkCheckFailed:
        return QStringLiteral("the link check failed, nothing was sent");
    case ExchangeOutcome::SocketError:
        return result.error.isEmpty() ? QStringLiteral("the connection failed") : result.error;
    case ExchangeOutcome::NoAnswer:
        return QStringLiteral("no answer from the unit");
    case ExchangeOutcome::Sent:
        return QStringLiteral("sent, not answered");
    case ExchangeOutcome::Answered:
        break;
    }
    if (result.decoded == Decoded::InvalidHeader)
        return QStringLiteral("the unit's answer was not understood");
    if (result.decoded == Decoded::Incomplete)
        return QStringLiteral("the unit's answer was cut short");
    if (result.echo != codeOf(result.command))
        return QStringLiteral("the unit answered another request (%1)").arg(result.echo);
    return result.status == AckStatus ? QString() : QStringLiteral("refused by the unit");
}

} // namespace RequestTexts

#include "UnitTexts.h"

namespace UnitTexts {
namespace {
// "3.05": whole part, then hundredths with a leading zero below 10.
QString sdAmount(const std::array<std::uint8_t, 2> &amount)
{
    return QString::number(amount[0]) + "." + (amount[1] < 10 ? "0" : "") + QString::number(amount[1]);
}
} // namespace

QString hex2(std::uint8_t value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

QString firmwareCheck(bool match)
{
    return match ? QStringLiteral("F/W update Complete! Reboot to take effect")
                 : QStringLiteral("Update F/W fail with Error! Please retry again.");
}

QString statusLine(const ExchangeResult &result, const DeviceStatus &status)
{
    if (result.outcome == ExchangeOutcome::NoConnection)
        return ConnectTimeout;
    switch (result.decoded) {
    case Decoded::InvalidHeader:
        return QStringLiteral("InValid Header package!");
    case Decoded::LocatorDone:
        return QStringLiteral("Set Locator done!");
    case Decoded::DeviceLinked:
    case Decoded::DeviceOtherAddress:
        return QStringLiteral("Get Device Linked!!");
    case Decoded::FirmwareMatch:
    case Decoded::FirmwareMismatch:
        return firmwareCheck(result.decoded == Decoded::FirmwareMatch);
    case Decoded::FlashFileDeleted:
        return QStringLiteral("Kill file in Flash Done!");
    case Decoded::ConfigurationReset:
        return QStringLiteral("Flash Config been kill!");
    case Decoded::RelaySet:
        return "Set DO Done! DI:" + hex2(status.inputBits);
    default:
        return {};
    }
}

QString modelName(const DeviceStatus &status)
{
    switch (status.modelCode) {
    case ModelZor06:
        return QStringLiteral("ZOR-06-WF");
    case ModelZor04Rtu:
        return QStringLiteral("ZOR-04-RTU-WF");
    default:
        return QStringLiteral("Unknow Device??");
    }
}

QString mac(const DeviceStatus &status)
{
    QStringList octets;
    for (std::uint8_t octet : status.mac)
        octets << hex2(octet);
    return octets.join(':');
}

QString sd(const DeviceStatus &status)
{
    if (!status.sdPresent)
        return QStringLiteral("SD : N/A");
    return "SD Free:" + sdAmount(status.sdFree) + "/(" + sdAmount(status.sdTotal) + ")GB";
}

QString firmware(const DeviceStatus &status)
{
    return "FW: V" + hex2(status.firmwareVersion[0]) + "." + hex2(status.firmwareVersion[1]);
}

QString visibleText(const QString &text)
{
    QString visible;
    visible.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const bool direction = (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
        if (u == '\r')
            visible += QStringLiteral("\\r");
        else if (u == '\n')
            visible += QStringLiteral("\\n");
        else if (u == '\t')
            visible += QStringLiteral("\\t");
        else if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            visible += QStringLiteral("\\x%1").arg(unsigned(u), 2, 16, QLatin1Char('0'));
        else if (direction || u == 0x2028 || u == 0x2029)
            visible += QStringLiteral("\\u%1").arg(unsigned(u), 4, 16, QLatin1Char('0'));
        else
            visible += c;
    }
    return visible;
}

QString rssi(const DeviceStatus &status)
{
    return "RSSI: " + QString::number(status.rssi) + "dBm";
}

NoteText transferNote(const TransferNote &note)
{
    const QString value = QString::number(note.value);
    switch (note.kind) {
    case TransferNote::SdFileLength:
        return {"Send FileLength => " + value, {}};
    case TransferNote::SdFileName:
        return {note.name, {note.name}};
    case TransferNote::SdBufferRefused:
        return {{}, {"Send Buffer to SD[" + note.name + "]Fail!!!"}};
    case TransferNote::SdTransferLength:
        return {{}, {"Transfer Length => " + value}};
    case TransferNote::FlashFileName:
        return {"Send FileName: " + note.name, {}};
    case TransferNote::FlashTransferLength:
        return {"Transfer Length => " + value, {}};
    case TransferNote::ReadLength:
        return {{}, {"Read SD to Buffer Len:" + value}};
    case TransferNote::ReadTimeout:
        return {{}, {QStringLiteral("Wait RX Timeout!")}};
    case TransferNote::ReadTooLong:
        return {{}, {"Read SD: the announced length " + value + " is more than the receive buffer holds; nothing read"}};
    case TransferNote::ReadExcess:
        return {{}, {"Read SD: " + value + " bytes beyond the announced length dropped"}};
    case TransferNote::ReadShort:
        return {{}, {"Read SD: the data connection closed after " + value + " bytes"}};
    case TransferNote::FlashFileDelete:
        return {"Del File: " + note.name, {}};
    case TransferNote::ClipDelete:
        return {{}, {note.name}};
    case TransferNote::ClipDeleteFrame: {
        QStringList lines;
        for (qsizetype i = 0; i < note.bytes.size(); ++i)
            lines << QString::number(i) + " : " + hex2(std::uint8_t(note.bytes[i]));
        return {{}, lines};
    }
    case TransferNote::FirmwareLength:
        return {"MCUImg FileLength => " + value, {}};
    case TransferNote::FirmwareTooLarge:
        return {QStringLiteral("File Lengths > Buffer Size, Abort!"), {}};
    case TransferNote::FirmwareSum:
        return {"Send MCUImg CheckSum => "
                    + QStringLiteral("%1").arg(std::uint32_t(note.value), 8, 16, QLatin1Char('0')).toUpper(),
                {}};
    case TransferNote::FirmwareUnconfirmed:
        return {QStringLiteral("F/W image sent, not confirmed: the model was not recognised"), {}};
    }
    return {};
}

} // namespace UnitTexts

// Interprets the answer SendCommand has just read, keyed by the code the tool expects.
#include "DeviceLink.h"

#include "Dialogs.h"
#include "MonitorDisplay.h"
#include "MonitorView.h"
#include "SingleByteText.h"

#include <QColor>
#include <QStringList>
#include <algorithm>

namespace {
QString hex2(std::uint8_t value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

// Bytes from `offset` up to the first zero, at most `maxLength`.
QByteArray zeroTerminated(const std::array<std::uint8_t, DeviceLink::AnswerSize> &answer,
                          std::size_t offset, std::size_t maxLength)
{
    const auto *begin = answer.data() + offset;
    const auto *end = std::find(begin, begin + maxLength, std::uint8_t{0});
    return QByteArray(reinterpret_cast<const char *>(begin), end - begin);
}

// "3.05": whole part, then hundredths with a leading zero below 10.
QString sdAmount(std::uint8_t whole, std::uint8_t hundredths)
{
    return QString::number(whole) + "." + (hundredths < 10 ? "0" : "") + QString::number(hundredths);
}
} // namespace

void DeviceLink::DispatchAnswer(std::uint32_t length)
{
    if (length == 0)
        return;
    if (!std::equal(FrameMagic.begin(), FrameMagic.end(), answer.begin())) {
        view_.setStatusLine(InvalidHeaderText);
        return;
    }
    const std::uint8_t echo = answer[4];
    const bool ack = answer[5] == AckStatus;

    if (expectedCode == 0) {
        if (echo == Command::StatusPoll && ack)
            decodeStatusAnswer();
        return;
    }

    switch (expectedCode) {
    case Command::Locator:
        if (ack) {
            expectedCode = 0;
            view_.setStatusLine("Set Locator done!");
        } else {
            queueLocator();
        }
        break;
    case Command::DeviceInformation:
        if (ack)
            decodeDeviceInformation();
        else
            queueDeviceInformation();
        break;
    case Command::FirmwareCheck:
        if (echo == Command::FirmwareCheck && ack)
            showFirmwareCheckResult();
        expectedCode = 0;
        break;
    case Command::WriteSdFile:
        status_.fileWriteAccepted = echo == Command::WriteSdFile && ack;
        if (status_.fileWriteAccepted)
            expectedCode = 0;
        break;
    case Command::ReadSdFile:
        status_.fileReadAccepted = echo == Command::ReadSdFile && ack;
        if (status_.fileReadAccepted)
            expectedCode = 0;
        break;
    case Command::DeleteFlashFile:
        if (ack) {
            expectedCode = 0;
            view_.setStatusLine("Kill file in Flash Done!");
        }
        break;
    case Command::ResetConfiguration:
        if (ack) {
            expectedCode = 0;
            view_.setStatusLine("Flash Config been kill!");
        }
        break;
    case Command::Relay:
        if (ack) {
            status_.relayBits = answer[6];
            status_.inputBits = answer[7];
            refreshRelayAndInputs(status_, view_);
            expectedCode = 0;
            view_.setStatusLine("Set DO Done! DI:" + hex2(status_.inputBits));
        }
        break;
    case Command::StatusPoll:
        if (ack)
            decodeStatusAnswer();
        break;
    default:
        break; // not interpreted: the poll loop drops expectedCode
    }
}

QString DeviceLink::reportedAddress() const
{
    return dottedAddress({answer[7], answer[8], answer[9], answer[10]});
}

void DeviceLink::showRssi(std::uint16_t raw)
{
    if (raw == 0)
        return;
    status_.rssi = int(raw) - 65536;
    view_.setRssiText("RSSI: " + QString::number(status_.rssi) + "dBm");
}

void DeviceLink::decodeStatusAnswer()
{
    status_.relayBits = answer[6];
    status_.inputBits = answer[7];
    showRssi(std::uint16_t(answer[8] << 8 | answer[9]));
    status_.volume = answer[11];
    view_.showVolume(status_.volume);
    status_.armed = answer[12];
    refreshArmButtons(status_, view_);
    refreshRelayAndInputs(status_, view_);
    expectedCode = 0;
}

void DeviceLink::decodeDeviceInformation()
{
    expectedCode = 0;
    view_.setModelColor(QColor(0, 0, 128));
    view_.setStatusLine("Get Device Linked!!");

    status_.modelRecognised = false;
    status_.modelCode = 0;
    QString model = "Unknow Device??";
    const std::uint8_t reported = answer[6];
    if (reported == ModelZor06 || reported == ModelZor04Rtu) {
        model = reported == ModelZor06 ? "ZOR-06-WF" : "ZOR-04-RTU-WF";
        view_.enableForModel(reported);
        status_.relayMask = 1;
        status_.inputMask = reported == ModelZor06 ? 0x3F : 0x0F;
        status_.modelRecognised = true;
        status_.modelCode = reported;
    }
    view_.setModelText(model);

    view_.appendLog("DEV_ID => " + hex2(status_.modelCode));
    if (reportedAddress() != deviceAddress)
        return; // another unit answered: not linked, the poll loop asks again

    QStringList mac;
    for (std::size_t i = 11; i <= 16; ++i)
        mac << hex2(answer[i]);
    view_.setMacText("Dev MAC: " + mac.join(':'));

    status_.modbusIdleTimeout = std::uint16_t(answer[36] << 8 | answer[37]);

    status_.location = zeroTerminated(answer, 40, 31);
    view_.setLocationColor(QColor(64, 132, 118));
    view_.setLocationText("Locate: " + fromSingleByte(status_.location));

    status_.sdPresent = answer[17] != 0;
    view_.setSdText(status_.sdPresent
                        ? "SD Free:" + sdAmount(answer[20], answer[21]) + "/(" + sdAmount(answer[18], answer[19]) + ")GB"
                        : QStringLiteral("SD : N/A"));

    view_.setFirmwareText("FW: V" + hex2(answer[24]) + "." + hex2(answer[25]));

    status_.apSsid = zeroTerminated(answer, 80, 31);
    status_.apKeyType = answer[112];
    if (status_.apKeyType != 0)
        status_.apKey = zeroTerminated(answer, 113, 14);
    status_.stationSsid = zeroTerminated(answer, 128, 31);
    status_.stationKeyType = answer[160];
    if (status_.stationKeyType != 0)
        status_.stationKey = zeroTerminated(answer, 161, 14);
    status_.wifiMode = answer[176];
    status_.relayBits = answer[177];
    status_.inputBits = answer[178];
    status_.modbusPort = std::uint16_t(answer[179] << 8 | answer[180]);
    status_.staticIpUsed = answer[181] != 0;
    std::copy_n(answer.begin() + 182, 4, status_.staticIp.begin());
    std::copy_n(answer.begin() + 186, 4, status_.subnetMask.begin());
    std::copy_n(answer.begin() + 190, 4, status_.gateway.begin());
    showRssi(std::uint16_t(answer[194] << 8 | answer[195]));
    status_.deviceMode = answer[196];
    view_.setDeviceModeText("Device Mode: " + QString::number(status_.deviceMode));
    status_.volume = answer[197];
    view_.showVolume(status_.volume);
    status_.armed = answer[198];
    view_.appendLog("ARMED :" + QString::number(status_.armed));
    refreshRelayAndInputs(status_, view_);

    status_.linked = true;
    status_.statusValid = true;
    expectedCode = 0;
    refreshArmButtons(status_, view_);
}

void DeviceLink::showFirmwareCheckResult()
{
    const std::uint32_t unitSum = answerBigEndian32(6);
    const bool match = (firmwareImageSum >> 32) == 0 && std::uint32_t(firmwareImageSum) == unitSum;
    const QString text = match ? QStringLiteral("F/W update Complete! Reboot to take effect")
                               : QStringLiteral("Update F/W fail with Error! Please retry again.");
    view_.setStatusLine(text);
    dialogs_.messageBox(text, text, match ? Dialogs::Plain : Dialogs::Error);
}

// Interprets the answer SendCommand has just read, keyed by the code the tool expects.
#include "DeviceLink.h"

#include <algorithm>

namespace {
// The shortest answers that carry every field read from them.
constexpr std::uint32_t MinimumAnswerLength = 6; // magic, code, status
constexpr std::uint32_t StatusAnswerLength = 13;
constexpr std::uint32_t RelayAnswerLength = 8;
constexpr std::uint32_t LengthAnswerLength = 10; // firmware sum, announced read length
constexpr std::uint32_t DeviceInformationLength = 199;

// Bytes from `offset` up to the first zero, at most `maxLength`.
QByteArray zeroTerminated(const std::array<std::uint8_t, DeviceLink::AnswerSize> &answer, std::size_t offset,
                          std::size_t maxLength)
{
    const auto *begin = answer.data() + offset;
    const auto *end = std::find(begin, begin + maxLength, std::uint8_t{0});
    return QByteArray(reinterpret_cast<const char *>(begin), end - begin);
}

template <std::size_t N>
void copyAnswer(const std::array<std::uint8_t, DeviceLink::AnswerSize> &answer, std::size_t offset,
                std::array<std::uint8_t, N> &to)
{
    std::copy_n(answer.begin() + offset, N, to.begin());
}
} // namespace

// Offsets below 250 need no length check: those bytes are cleared before each exchange.
DeviceLink::Dispatch DeviceLink::DispatchAnswer(std::uint32_t length)
{
    if (length == 0)
        return {};
    if (!std::equal(FrameMagic.begin(), FrameMagic.end(), answer.begin()))
        return {Decoded::InvalidHeader};
    if (length < MinimumAnswerLength)
        return {Decoded::Incomplete}; // no status byte: neither a refusal nor an acknowledgement
    const Command echo = Command(answer[4]);
    const bool ack = answer[5] == AckStatus;

    if (expectedCode == 0) {
        if (echo == Command::StatusPoll && ack)
            return length < StatusAnswerLength ? Dispatch{Decoded::Incomplete} : Dispatch{Decoded::StatusAnswer, decodeStatusAnswer()};
        return {};
    }

    switch (Command(expectedCode)) {
    case Command::Locator:
        if (!ack) {
            queueLocator();
            return {Decoded::LocatorRequeued};
        }
        expectedCode = 0;
        return {Decoded::LocatorDone};
    case Command::DeviceInformation:
        if (!ack) {
            queueDeviceInformation();
            return {Decoded::DeviceRequeued};
        }
        {
            Dispatch dispatch;
            dispatch.decoded = decodeDeviceInformation(dispatch.rssiReported, length >= DeviceInformationLength);
            return dispatch;
        }
    case Command::FirmwareCheck: {
        const Decoded decoded = echo == Command::FirmwareCheck && ack
                                    ? (length < LengthAnswerLength ? Decoded::Incomplete : checkFirmwareSum())
                                    : Decoded::Nothing;
        expectedCode = 0;
        return {decoded};
    }
    case Command::WriteSdFile:
        status_.fileWriteAccepted = echo == Command::WriteSdFile && ack;
        if (!status_.fileWriteAccepted)
            return {Decoded::FileWriteRefused};
        expectedCode = 0;
        return {Decoded::FileWriteAccepted};
    case Command::ReadSdFile:
        // Without its length field an accepted read cannot be received.
        status_.fileReadAccepted = echo == Command::ReadSdFile && ack && length >= LengthAnswerLength;
        if (!status_.fileReadAccepted)
            return {echo == Command::ReadSdFile && ack ? Decoded::Incomplete : Decoded::FileReadRefused};
        expectedCode = 0;
        return {Decoded::FileReadAccepted};
    case Command::DeleteFlashFile:
        if (!ack)
            return {};
        expectedCode = 0;
        return {Decoded::FlashFileDeleted};
    case Command::ResetConfiguration:
        if (!ack)
            return {};
        expectedCode = 0;
        return {Decoded::ConfigurationReset};
    case Command::Relay:
        if (!ack)
            return {};
        if (length < RelayAnswerLength)
            return {Decoded::Incomplete};
        status_.relayBits = answer[6];
        status_.inputBits = answer[7];
        status_.maskToModel();
        expectedCode = 0;
        return {Decoded::RelaySet};
    case Command::StatusPoll:
        if (!ack)
            return {};
        if (length < StatusAnswerLength)
            return {Decoded::Incomplete};
        return {Decoded::StatusAnswer, decodeStatusAnswer()};
    default:
        return {}; // not interpreted: the poll loop drops expectedCode
    }
}

bool DeviceLink::takeRssi(std::uint16_t raw)
{
    if (raw == 0)
        return false;
    status_.rssi = int(raw) - 65536;
    return true;
}

bool DeviceLink::decodeStatusAnswer()
{
    status_.relayBits = answer[6];
    status_.inputBits = answer[7];
    const bool rssi = takeRssi(std::uint16_t(answer[8] << 8 | answer[9]));
    status_.volume = answer[11];
    status_.armed = answer[12];
    status_.maskToModel();
    expectedCode = 0;
    return rssi;
}

Decoded DeviceLink::decodeDeviceInformation(bool &rssiReported, bool whole)
{
    expectedCode = 0;
    status_.modelRecognised = false;
    status_.modelCode = 0;
    status_.reportedModel = answer[6];
    if (answer[6] == ModelZor06 || answer[6] == ModelZor04Rtu) {
        status_.relayMask = 1;
        status_.inputMask = answer[6] == ModelZor06 ? 0x3F : 0x0F;
        status_.modelRecognised = true;
        status_.modelCode = answer[6];
    }
    copyAnswer(answer, 7, status_.reportedAddress);
    if (dottedAddress(status_.reportedAddress) != deviceAddress)
        return Decoded::DeviceOtherAddress; // another unit answered: not linked, the poll loop asks again
    if (!whole)
        return Decoded::Incomplete; // a cut answer would show zeros for settings never received

    copyAnswer(answer, 11, status_.mac);
    status_.modbusIdleTimeout = std::uint16_t(answer[36] << 8 | answer[37]);
    status_.location = zeroTerminated(answer, 40, 31);
    status_.sdPresent = answer[17] != 0;
    status_.sdTotal = {answer[18], answer[19]};
    status_.sdFree = {answer[20], answer[21]};
    status_.firmwareVersion = {answer[24], answer[25]};
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
    copyAnswer(answer, 182, status_.staticIp);
    copyAnswer(answer, 186, status_.subnetMask);
    copyAnswer(answer, 190, status_.gateway);
    rssiReported = takeRssi(std::uint16_t(answer[194] << 8 | answer[195]));
    status_.deviceMode = answer[196];
    status_.volume = answer[197];
    status_.armed = answer[198];
    status_.maskToModel();
    status_.linked = true;
    status_.statusValid = true;
    return Decoded::DeviceLinked;
}

Decoded DeviceLink::checkFirmwareSum()
{
    const std::uint32_t unitSum = answerBigEndian32(6);
    const bool match = (firmwareImageSum >> 32) == 0 && std::uint32_t(firmwareImageSum) == unitSum;
    return match ? Decoded::FirmwareMatch : Decoded::FirmwareMismatch;
}

#include "UnitAnswers.h"

#include <QtEndian>
#include <algorithm>

namespace {

constexpr qsizetype DeviceInformationLength = 256;

// Device information layout: offsets into the answer frame.
namespace Info {
constexpr qsizetype Model = 6;
constexpr qsizetype Address = 7;
constexpr qsizetype Mac = 11;
constexpr qsizetype SdPresent = 17;
constexpr qsizetype SdTotal = 18;
constexpr qsizetype SdFree = 20;
constexpr qsizetype Firmware = 24;
constexpr qsizetype ModbusIdleTimeout = 36;
constexpr qsizetype Location = 40;
constexpr qsizetype ApSsid = 80;
constexpr qsizetype ApKeyType = 112;
constexpr qsizetype ApKey = 113;
constexpr qsizetype StationSsid = 128;
constexpr qsizetype StationKeyType = 160;
constexpr qsizetype StationKey = 161;
constexpr qsizetype WifiMode = 176;
constexpr qsizetype Relay = 177;
constexpr qsizetype Inputs = 178;
constexpr qsizetype ModbusPort = 179;
constexpr qsizetype StaticIpUsed = 181;
constexpr qsizetype StaticIp = 182;
constexpr qsizetype SubnetMask = 186;
constexpr qsizetype Gateway = 190;
constexpr qsizetype Rssi = 194;
constexpr qsizetype DeviceMode = 196;
constexpr qsizetype Volume = 197;
constexpr qsizetype Armed = 198;
} // namespace Info

// Text fields leave room for a terminating zero.
constexpr qsizetype NameFieldLength = 31;
constexpr qsizetype KeyFieldLength = 14;

void put(QByteArray &answer, qsizetype offset, const QByteArray &bytes, qsizetype maximum)
{
    std::copy_n(bytes.cbegin(), std::min(bytes.size(), maximum), answer.begin() + offset);
}

template <std::size_t N>
void put(QByteArray &answer, qsizetype offset, const std::array<std::uint8_t, N> &bytes)
{
    std::copy(bytes.cbegin(), bytes.cend(), answer.begin() + offset);
}

void put16(QByteArray &answer, qsizetype offset, std::uint16_t value)
{
    qToBigEndian<quint16>(value, answer.data() + offset);
}

// RSSI in dBm as the unit sends it: 16-bit two's complement.
QByteArray rssiBytes(int rssi)
{
    QByteArray bytes(2, '\0');
    qToBigEndian<qint16>(qint16(std::clamp(rssi, -32768, 32767)), bytes.data());
    return bytes;
}

} // namespace

QByteArray answerFrame(std::uint8_t code, std::uint8_t status, const QByteArray &data)
{
    QByteArray answer(reinterpret_cast<const char *>(FrameMagic.data()), FrameMagic.size());
    answer.append(char(code)).append(char(status)).append(data);
    return answer;
}

QByteArray deviceInformationAnswer(const UnitState &state, const std::array<std::uint8_t, 4> &reportedAddress)
{
    QByteArray answer = answerFrame(codeOf(Command::DeviceInformation), AckStatus);
    answer.resize(DeviceInformationLength, '\0');
    const UnitSettings &settings = state.settings;

    answer[Info::Model] = char(state.model);
    put(answer, Info::Address, reportedAddress);
    put(answer, Info::Mac, state.mac);
    answer[Info::SdPresent] = char(state.sdPresent ? 1 : 0);
    put(answer, Info::SdTotal, std::array<std::uint8_t, 2>{state.sdTotalWhole, state.sdTotalHundredths});
    put(answer, Info::SdFree, std::array<std::uint8_t, 2>{state.sdFreeWhole, state.sdFreeHundredths});
    put(answer, Info::Firmware, std::array<std::uint8_t, 2>{state.firmwareMajor, state.firmwareMinor});
    put16(answer, Info::ModbusIdleTimeout, settings.modbusIdleTimeout);
    put(answer, Info::Location, settings.location, NameFieldLength);
    put(answer, Info::ApSsid, settings.apSsid, NameFieldLength);
    answer[Info::ApKeyType] = char(settings.apKeyType);
    put(answer, Info::ApKey, settings.apKey, KeyFieldLength);
    put(answer, Info::StationSsid, settings.stationSsid, NameFieldLength);
    answer[Info::StationKeyType] = char(settings.stationKeyType);
    put(answer, Info::StationKey, settings.stationKey, KeyFieldLength);
    answer[Info::WifiMode] = char(state.wifiMode);
    answer[Info::Relay] = char(state.relayBits);
    answer[Info::Inputs] = char(state.inputBits);
    put16(answer, Info::ModbusPort, settings.modbusPort);
    answer[Info::StaticIpUsed] = char(settings.staticIpUsed ? 1 : 0);
    put(answer, Info::StaticIp, settings.staticIp);
    put(answer, Info::SubnetMask, settings.subnetMask);
    put(answer, Info::Gateway, settings.gateway);
    put(answer, Info::Rssi, rssiBytes(state.rssi), 2);
    answer[Info::DeviceMode] = char(state.deviceMode);
    answer[Info::Volume] = char(state.volume);
    answer[Info::Armed] = char(state.armed);
    return answer;
}

QByteArray statusAnswer(const UnitState &state)
{
    QByteArray data;
    data.append(char(state.relayBits)).append(char(state.inputBits)).append(rssiBytes(state.rssi));
    data.append('\0'); // unused
    data.append(char(state.volume)).append(char(state.armed));
    return answerFrame(codeOf(Command::StatusPoll), AckStatus, data);
}

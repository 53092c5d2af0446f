#include "FlashSettings.h"

#include "FileStore.h"

#include <QtEndian>
#include <algorithm>

namespace {

constexpr char ConfigurationFolder[] = "/local/";
constexpr char LocationFile[] = "/local/locate.cfg";
constexpr char ApSsidFile[] = "/local/ap_ssid.cfg";
constexpr char ApKeyFile[] = "/local/ap_key.cfg";
constexpr char StationSsidFile[] = "/local/sta_ssid.cfg";
constexpr char StationKeyFile[] = "/local/sta_key.cfg";
constexpr char StationKeyTypeFile[] = "/local/sta_keyT.cfg";
constexpr char StaticIpFile[] = "/local/sta_ip.cfg";
constexpr char ModbusFile[] = "/local/mbport.cfg";

constexpr qsizetype StaticIpFileLength = 12;
constexpr qsizetype ModbusFileMinimumLength = 4; // port and idle timeout; the rest is padding
constexpr std::uint8_t ApKeyTypeWpa = 2;

std::array<std::uint8_t, 4> octets(const QByteArray &bytes, qsizetype offset)
{
    std::array<std::uint8_t, 4> result{};
    std::copy_n(bytes.constData() + offset, result.size(), result.begin());
    return result;
}

} // namespace

UnitSettings readFlashSettings(const FileStore &files, const QByteArray &factoryApSsid)
{
    const auto file = [&files](const char *name) { return files.read(FileArea::Flash, name); };
    UnitSettings settings;
    settings.location = file(LocationFile).value_or(QByteArray());
    settings.apSsid = file(ApSsidFile).value_or(factoryApSsid);
    if (const auto key = file(ApKeyFile)) {
        settings.apKeyType = ApKeyTypeWpa;
        settings.apKey = *key;
    }
    settings.stationSsid = file(StationSsidFile).value_or(QByteArray());
    settings.stationKey = file(StationKeyFile).value_or(QByteArray());
    if (const auto type = file(StationKeyTypeFile); type && type->size() == 1)
        settings.stationKeyType = std::uint8_t(type->at(0));
    if (const auto ip = file(StaticIpFile); ip && ip->size() == StaticIpFileLength) {
        settings.staticIpUsed = true;
        settings.staticIp = octets(*ip, 0);
        settings.subnetMask = octets(*ip, 4);
        settings.gateway = octets(*ip, 8);
    }
    if (const auto modbus = file(ModbusFile); modbus && modbus->size() >= ModbusFileMinimumLength) {
        settings.modbusPort = qFromBigEndian<quint16>(modbus->constData());
        settings.modbusIdleTimeout = qFromBigEndian<quint16>(modbus->constData() + 2);
    }
    return settings;
}

void clearFlashSettings(FileStore &files)
{
    files.removeFolder(FileArea::Flash, ConfigurationFolder);
}

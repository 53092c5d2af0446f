#pragma once

#include "Protocol.h"

#include <QByteArray>
#include <QHostAddress>
#include <array>
#include <cstdint>
#include <optional>

class FileStore;

// Settings a unit reads from its flash when it starts; changing the files changes
// these only at the next start, as on a real unit.
struct UnitSettings {
    QByteArray location;
    QByteArray apSsid;
    std::uint8_t apKeyType = 0; // 2 when an AP key is stored, else 0 (open)
    QByteArray apKey;
    QByteArray stationSsid;
    std::uint8_t stationKeyType = 0;
    QByteArray stationKey;
    bool staticIpUsed = false;
    std::array<std::uint8_t, 4> staticIp{};
    std::array<std::uint8_t, 4> subnetMask{};
    std::array<std::uint8_t, 4> gateway{};
    std::uint16_t modbusPort = 502;
    std::uint16_t modbusIdleTimeout = 120;

    bool operator==(const UnitSettings &) const = default;
};

// Everything the simulated unit reports or remembers.
struct UnitState {
    std::uint8_t model = ModelZor06;
    std::array<std::uint8_t, 4> address{};
    std::array<std::uint8_t, 6> mac{};
    std::uint8_t firmwareMajor = 0x01;
    std::uint8_t firmwareMinor = 0x20;
    std::uint8_t deviceMode = 0;

    // SD sizes as the unit reports them: whole and hundredths of a GB.
    bool sdPresent = true;
    std::uint8_t sdTotalWhole = 7;
    std::uint8_t sdTotalHundredths = 45;
    std::uint8_t sdFreeWhole = 3;
    std::uint8_t sdFreeHundredths = 5;

    UnitSettings settings;
    std::uint8_t wifiMode = WifiModeAccessPoint; // kept by the unit itself, not in a /local/ file

    std::uint8_t relayBits = 0;
    std::uint8_t inputBits = 0;
    int rssi = -60; // dBm; 0 reports no value
    std::uint8_t volume = 4;
    std::uint8_t attenuation = VolumeAttenuation[4];
    std::uint8_t armed = 0;

    // What the commands did.
    int rebootCount = 0;
    int resetCount = 0;
    int locatorCount = 0;
    int configurationWrittenCount = 0;
    int modbusWrittenCount = 0;
    int stopPlaybackCount = 0;
    std::optional<std::uint8_t> lastPlayedClip;
    bool channelTestRunning = false;
    std::uint8_t channelTestInput = 0;
    QByteArray webKey;
};

// A unit just switched on at the given address, with the settings its flash holds.
UnitState switchedOnUnit(const std::array<std::uint8_t, 4> &address, std::uint8_t model, const FileStore &files);

// A restart: settings read again from the flash, relay off, channel test ended.
void restartUnit(UnitState &state, const FileStore &files);

// The four octets of an IPv4 address, first octet first.
std::array<std::uint8_t, 4> ipv4Octets(const QHostAddress &address);

// The inputs a model has, as bits.
std::uint8_t inputMask(std::uint8_t model);

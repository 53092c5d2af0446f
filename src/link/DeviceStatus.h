#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

constexpr std::uint8_t ModelZor06 = 189;    // six inputs
constexpr std::uint8_t ModelZor04Rtu = 190; // four inputs and a Modbus RTU port

// The unit's state as decoded from its answers.
struct DeviceStatus {
    bool linked = false;
    bool statusValid = false;
    std::uint8_t modelCode = 0;
    bool modelRecognised = false;
    std::uint8_t relayMask = 0;
    std::uint8_t inputMask = 0;
    std::uint8_t relayBits = 0;
    std::uint8_t inputBits = 0;
    std::uint8_t volume = 4;
    std::uint8_t armed = 0;
    std::uint8_t deviceMode = 0;
    bool sdPresent = false;
    QByteArray location;
    QByteArray apSsid;
    std::uint8_t apKeyType = 0;
    QByteArray apKey;
    QByteArray stationSsid;
    std::uint8_t stationKeyType = 0;
    QByteArray stationKey;
    std::uint8_t wifiMode = 0;
    std::uint16_t modbusPort = 502;
    std::uint16_t modbusIdleTimeout = 120;
    bool staticIpUsed = false;
    std::array<std::uint8_t, 4> staticIp{};
    std::array<std::uint8_t, 4> subnetMask{};
    std::array<std::uint8_t, 4> gateway{};
    int rssi = 0; // dBm of the last report that carried one; 0 = none yet
    bool fileWriteAccepted = false;
    bool fileReadAccepted = false;
};

#pragma once

#include "Protocol.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

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
    bool fileWriteAccepted = false;
    bool fileReadAccepted = false;

    // Decoded as the unit sent them, for display.
    std::uint8_t reportedModel = 0;             // byte 6 of the last device information
    std::array<std::uint8_t, 4> reportedAddress{}; // the unit's own address, first octet first
    std::array<std::uint8_t, 6> mac{};
    std::array<std::uint8_t, 2> firmwareVersion{}; // major, minor
    std::array<std::uint8_t, 2> sdFree{};          // whole, hundredths
    std::array<std::uint8_t, 2> sdTotal{};         // whole, hundredths
    int rssi = 0; // dBm of the last report that carried one; 0 = none yet

    // The relay and input bits as far as the model has them.
    void maskToModel()
    {
        relayBits &= relayMask;
        inputBits &= inputMask;
    }
    // The no-device state: bits cleared, status no longer valid.
    void clearLiveState()
    {
        relayBits = 0;
        inputBits = 0;
        statusValid = false;
    }
};

// The Wi-Fi mode as zorctl and the exports print it: "ap" (any non-zero mode) or "station".
inline QString wifiModeName(bool accessPoint)
{
    return accessPoint ? QStringLiteral("ap") : QStringLiteral("station");
}
inline QString wifiModeName(const DeviceStatus &status)
{
    return wifiModeName(status.wifiMode != 0);
}

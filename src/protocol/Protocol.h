#pragma once

// The unit's wire protocol: constants shared by the tool and the simulated unit.

#include <array>
#include <cstdint>

constexpr std::array<std::uint8_t, 4> FrameMagic{0x5A, 0x35, 0x77, 0xA5};
constexpr std::uint16_t DevicePort = 13577;
constexpr const char *DefaultSubnetPrefix = "192.168.77.";
constexpr std::uint8_t AckStatus = 6;

// Command codes of the unit's command channel.
enum class Command : std::uint8_t {
    None = 0,
    Locator = 29,
    DeviceInformation = 33,
    FirmwareCheck = 37,
    FirmwareCheckUnrecognised = 38,
    Restart = 45,
    WifiMode = 48,
    WebKey = 50,
    VolumeArming = 64,
    StopPlayback = 66,
    ConfigurationWritten = 69,
    WriteSdFile = 90,
    ReadSdFile = 91,
    DeleteFlashFile = 93,
    ResetConfiguration = 94,
    WriteFlashFile = 95,
    ChannelTest = 112,
    DeleteSdClip = 191,
    Relay = 208,
    StatusPoll = 216,
    ModbusTcpWritten = 220,
    PlayClip = 224,
};

constexpr std::uint8_t codeOf(Command command)
{
    return static_cast<std::uint8_t>(command);
}

// Model codes of the device information answer.
constexpr std::uint8_t ModelZor06 = 189;    // six inputs
constexpr std::uint8_t ModelZor04Rtu = 190; // four inputs and a Modbus RTU port

// P1 of command 64, indexed by the volume 0..10.
constexpr std::array<std::uint8_t, 11> VolumeAttenuation{
    0xE0, 0x50, 0x40, 0x38, 0x30, 0x28, 0x20, 0x18, 0x10, 0x08, 0x00};

// Wi-Fi mode codes of command 48.
constexpr std::uint8_t WifiModeAccessPoint = 2;
constexpr std::uint8_t WifiModeStation = 0;

#pragma once

#include <array>
#include <cstdint>

constexpr std::array<std::uint8_t, 4> FrameMagic{0x5A, 0x35, 0x77, 0xA5};
constexpr std::uint16_t DevicePort = 13577;
constexpr const char *DefaultSubnetPrefix = "192.168.77.";
constexpr std::uint8_t AckStatus = 6;

// Command codes of the unit's command channel.
namespace Command {
constexpr std::uint8_t Locator = 29;
constexpr std::uint8_t DeviceInformation = 33;
constexpr std::uint8_t FirmwareCheck = 37;
constexpr std::uint8_t FirmwareCheckUnrecognised = 38;
constexpr std::uint8_t Restart = 45;
constexpr std::uint8_t WifiMode = 48;
constexpr std::uint8_t WebKey = 50;
constexpr std::uint8_t VolumeArming = 64;
constexpr std::uint8_t StopPlayback = 66;
constexpr std::uint8_t ConfigurationWritten = 69;
constexpr std::uint8_t WriteSdFile = 90;
constexpr std::uint8_t ReadSdFile = 91;
constexpr std::uint8_t DeleteFlashFile = 93;
constexpr std::uint8_t ResetConfiguration = 94;
constexpr std::uint8_t WriteFlashFile = 95;
constexpr std::uint8_t ChannelTest = 112;
constexpr std::uint8_t DeleteSdClip = 191;
constexpr std::uint8_t Relay = 208;
constexpr std::uint8_t StatusPoll = 216;
constexpr std::uint8_t ModbusTcpWritten = 220;
constexpr std::uint8_t PlayClip = 224;
} // namespace Command

// P1 of command 64, indexed by the volume 0..10.
constexpr std::array<std::uint8_t, 11> VolumeAttenuation{
    0xE0, 0x50, 0x40, 0x38, 0x30, 0x28, 0x20, 0x18, 0x10, 0x08, 0x00};

// Wi-Fi mode codes of command 48.
constexpr std::uint8_t WifiModeAccessPoint = 2;
constexpr std::uint8_t WifiModeStation = 0;

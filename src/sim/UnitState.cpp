#include "UnitState.h"

#include "FlashSettings.h"

namespace {

// Locally administered MAC derived from the address, so that each simulated unit has its own.
std::array<std::uint8_t, 6> macFor(const std::array<std::uint8_t, 4> &address)
{
    return {0x02, 0x5A, 0x77, address[1], address[2], address[3]};
}

QByteArray factoryApSsid(const UnitState &state)
{
    const QByteArray suffix(reinterpret_cast<const char *>(state.mac.data()) + 3, 3);
    return "ZORSIM-" + suffix.toHex().toUpper();
}

} // namespace

UnitState switchedOnUnit(const std::array<std::uint8_t, 4> &address, std::uint8_t model, const FileStore &files)
{
    UnitState state;
    state.model = model;
    state.address = address;
    state.mac = macFor(address);
    state.settings = readFlashSettings(files, factoryApSsid(state));
    return state;
}

void restartUnit(UnitState &state, const FileStore &files)
{
    state.settings = readFlashSettings(files, factoryApSsid(state));
    state.relayBits = 0;
    state.channelTestRunning = false;
    ++state.rebootCount;
}

std::uint8_t inputMask(std::uint8_t model)
{
    return model == ModelZor04Rtu ? 0x0F : 0x3F;
}

std::array<std::uint8_t, 4> ipv4Octets(const QHostAddress &address)
{
    const quint32 ip = address.toIPv4Address();
    return {std::uint8_t(ip >> 24), std::uint8_t(ip >> 16), std::uint8_t(ip >> 8), std::uint8_t(ip)};
}

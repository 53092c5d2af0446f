#include "AddressLockOut.h"

#include <bit>

namespace {

std::uint32_t toNumber(const AddressBytes &bytes)
{
    return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 | std::uint32_t(bytes[2]) << 8
        | bytes[3];
}

} // namespace

QStringList lockOutWarnings(const StaticAddress &address)
{
    const std::uint32_t ip = toNumber(address.ip);
    const std::uint32_t mask = toNumber(address.mask);
    const std::uint32_t gateway = toNumber(address.gateway);
    QStringList warnings;

    const bool contiguous = std::countl_one(mask) + std::countr_zero(mask) >= 32;
    if (!contiguous)
        warnings << QString("Mask %1 is not contiguous.").arg(address.maskText);
    // Networks of one or two addresses have no network or broadcast address of their own.
    if (contiguous && std::countr_zero(mask) >= 2) {
        if (ip == (ip & mask))
            warnings << QString("IP %1 is the network address of its own network.").arg(address.ipText);
        else if (ip == (ip | ~mask))
            warnings << QString("IP %1 is the broadcast address of its own network.").arg(address.ipText);
    }
    if ((gateway & mask) != (ip & mask))
        warnings << QString("Gateway %1 is outside the network of IP %2 with mask %3.")
                        .arg(address.gatewayText, address.ipText, address.maskText);
    return warnings;
}

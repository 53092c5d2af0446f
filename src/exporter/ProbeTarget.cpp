#include "ProbeTarget.h"

#include <QStringList>

namespace {
constexpr int MaxTargetLength = 15; // "255.255.255.255"

std::optional<int> strictOctet(const QString &part)
{
    if (part.isEmpty() || part.size() > 3 || (part.size() > 1 && part.front() == u'0'))
        return std::nullopt;
    int value = 0;
    for (QChar c : part) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value <= 255 ? std::optional(value) : std::nullopt;
}

std::uint32_t maskOf(int prefix)
{
    return prefix == 0 ? 0 : ~std::uint32_t(0) << (32 - prefix);
}
} // namespace

bool Ipv4Subnet::contains(std::uint32_t address) const
{
    return (address & maskOf(prefix)) == (network & maskOf(prefix));
}

std::optional<std::uint32_t> strictDottedIpv4(const QString &text)
{
    if (text.size() > MaxTargetLength)
        return std::nullopt;
    const QStringList parts = text.split(u'.');
    if (parts.size() != 4)
        return std::nullopt;
    std::uint32_t address = 0;
    for (const QString &part : parts) {
        const std::optional<int> octet = strictOctet(part);
        if (!octet)
            return std::nullopt;
        address = address << 8 | std::uint32_t(*octet);
    }
    return address;
}

std::optional<Ipv4Subnet> parseSubnet(const QString &text)
{
    const qsizetype slash = text.indexOf(u'/');
    if (slash < 0)
        return std::nullopt;
    const std::optional<std::uint32_t> network = strictDottedIpv4(text.left(slash));
    const std::optional<int> prefix = strictOctet(text.mid(slash + 1));
    if (!network || !prefix || *prefix > 32)
        return std::nullopt;
    return Ipv4Subnet{*network, *prefix};
}

TargetAllowList::TargetAllowList()
    : subnets_{Ipv4Subnet{0x7F000000, 8}}
{
}

QString TargetAllowList::refusal(const QString &target) const
{
    if (target.isEmpty())
        return QStringLiteral("target is missing: ask for /probe?target=ADDRESS");
    const std::optional<std::uint32_t> address = strictDottedIpv4(target);
    if (!address)
        return QStringLiteral("target is not a dotted IPv4 address");
    // 0.x reaches the exporter's own host on Linux; multicast and broadcast are never one unit.
    const std::uint32_t first = *address >> 24;
    if (first == 0 || first >= 224)
        return QStringLiteral("target is not a unicast address");
    for (const Ipv4Subnet &subnet : subnets_)
        if (subnet.contains(*address))
            return {};
    return QStringLiteral("target is outside the allowed subnets");
}

#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

// An IPv4 subnet, network address and prefix length.
struct Ipv4Subnet {
    std::uint32_t network = 0;
    int prefix = 32;

    bool contains(std::uint32_t address) const;
};

// Four decimal numbers 0..255 joined by three dots, without leading zeros or signs: the
// one spelling that every resolver reads the same way. Nothing for any other text.
std::optional<std::uint32_t> strictDottedIpv4(const QString &text);
// "a.b.c.d/n" with a strict address and 0 <= n <= 32; host bits may be set. Nothing otherwise.
std::optional<Ipv4Subnet> parseSubnet(const QString &text);

// The subnets the exporter may probe; nothing outside them is ever connected to.
class TargetAllowList {
public:
    // Loopback only, the default.
    TargetAllowList();
    explicit TargetAllowList(QList<Ipv4Subnet> subnets) : subnets_(std::move(subnets)) {}

    // Empty when `target` may be probed, else a one-line reason.
    QString refusal(const QString &target) const;

private:
    QList<Ipv4Subnet> subnets_;
};

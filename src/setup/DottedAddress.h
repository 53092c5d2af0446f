#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// An IPv4 address as the unit stores it: first dotted number first.
using AddressBytes = std::array<std::uint8_t, 4>;

// Four decimal numbers of at most 255 joined by three dots, read the way inet_addr
// reads them: a number with a leading zero is octal, so 010 gives 8. Nothing when
// the text fails that test, or when inet_addr would refuse it (a leading-zero
// number holding an 8 or a 9), rather than storing inet_addr's 255.255.255.255.
std::optional<AddressBytes> readDottedAddress(const QString &text);

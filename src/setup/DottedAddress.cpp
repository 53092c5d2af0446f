#include "DottedAddress.h"

#include "DecimalDigits.h"

#include <QStringList>

namespace {

// Value of a number that is decimal 0..255; inet_addr's octal for a leading zero.
std::optional<std::uint8_t> readNumber(const QString &number)
{
    if (!isDecimalDigits(number))
        return std::nullopt;
    bool ok = false;
    if (number.toULongLong(&ok, 10) > 255 || !ok)
        return std::nullopt;
    const bool octal = number.size() > 1 && number.front() == u'0';
    const uint value = number.toUInt(&ok, octal ? 8 : 10);
    if (!ok)
        return std::nullopt;
    return std::uint8_t(value);
}

} // namespace

std::optional<AddressBytes> readDottedAddress(const QString &text)
{
    const QStringList numbers = text.split(u'.');
    if (numbers.size() != 4)
        return std::nullopt;
    AddressBytes bytes{};
    for (int i = 0; i < 4; ++i) {
        const auto value = readNumber(numbers[i]);
        if (!value)
            return std::nullopt;
        bytes[i] = *value;
    }
    return bytes;
}

#include "DemoUnitAddress.h"

#include <QHostAddress>

std::optional<DemoUnitAddress> demoUnitAddress(const QString &text)
{
    const QHostAddress address(text);
    // Only the plain dotted form: "127.1" or " 127.0.0.1" would not be the text the link uses.
    if (address.protocol() != QAbstractSocket::IPv4Protocol || !address.isLoopback() || address.toString() != text)
        return std::nullopt;
    const QString prefix = text.left(text.lastIndexOf(QLatin1Char('.')) + 1);
    return DemoUnitAddress{text, prefix, prefix + QStringLiteral("100")};
}

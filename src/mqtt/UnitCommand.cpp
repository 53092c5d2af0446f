#include "UnitCommand.h"


namespace {

// Longer than any payload a command takes: not read at all.
constexpr qsizetype MaxPayloadSize = 16;

ParsedCommand refused(const QString &reason)
{
    return {std::nullopt, reason};
}

ParsedCommand onOff(UnitCommand::Kind kind, const QByteArray &word)
{
    const QByteArray upper = word.toUpper();
    if (upper == "ON")
        return {UnitCommand{kind, 1}, {}};
    if (upper == "OFF")
        return {UnitCommand{kind, 0}, {}};
    return refused(QStringLiteral("takes ON or OFF"));
}

} // namespace

QString UnitCommand::thing() const
{
    switch (kind) {
    case Kind::Relay:
        return QStringLiteral("relay");
    case Kind::Arming:
        return QStringLiteral("arming");
    case Kind::Volume:
        return QStringLiteral("volume");
    case Kind::Locate:
        break;
    }
    return QStringLiteral("locate");
}

ParsedCommand parseCommand(const QString &thing, const QByteArray &payload)
{
    if (payload.size() > MaxPayloadSize)
        return refused(QStringLiteral("payload too long"));
    // Surrounding blanks and a line end are what a hand-typed mosquitto_pub leaves.
    const QByteArray word = payload.trimmed();
    for (const char c : word) {
        if (c < 0x21 || c > 0x7E)
            return refused(QStringLiteral("payload holds a byte that is not printable ASCII"));
    }
    if (thing == QLatin1String("relay"))
        return onOff(UnitCommand::Kind::Relay, word);
    if (thing == QLatin1String("arming"))
        return onOff(UnitCommand::Kind::Arming, word);
    if (thing == QLatin1String("locate")) {
        if (word.toUpper() != "PRESS")
            return refused(QStringLiteral("takes PRESS"));
        return {UnitCommand{UnitCommand::Kind::Locate, 0}, {}};
    }
    if (thing == QLatin1String("volume")) {
        bool digits = !word.isEmpty() && word.size() <= 2;
        for (const char c : word)
            digits = digits && c >= '0' && c <= '9';
        const int level = digits ? word.toInt() : -1;
        if (level < 0 || level > 10)
            return refused(QStringLiteral("takes a whole number from 0 to 10"));
        return {UnitCommand{UnitCommand::Kind::Volume, std::uint8_t(level)}, {}};
    }
    return refused(QStringLiteral("no such command (relay, arming, volume, locate)"));
}

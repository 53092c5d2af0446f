#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// A command for one unit, as the monitor window's buttons give it.
struct UnitCommand {
    enum class Kind { Relay, Arming, Volume, Locate };
    Kind kind = Kind::Locate;
    std::uint8_t value = 0; // relay and arming 0/1, volume 0..10

    QString thing() const;
};

struct ParsedCommand {
    std::optional<UnitCommand> command;
    QString reason; // why the payload was refused, when it was
};

// Reads the payload of <base>/<mac>/set/<thing>: relay and arming take ON or OFF, volume a whole
// number 0..10, locate PRESS. Anything else is refused with a reason and never reaches the unit.
ParsedCommand parseCommand(const QString &thing, const QByteArray &payload);

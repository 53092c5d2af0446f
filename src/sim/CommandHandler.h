#pragma once

#include "FileStore.h"
#include "UnitFaults.h"
#include "UnitState.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// Frame magic and command code.
constexpr qsizetype MinimumRequestLength = 5;

// Status byte of a refused command.
constexpr std::uint8_t NegativeStatus = 0x15;

// What the next connection to the unit carries after an accepted file announcement.
struct DataPhase {
    enum class Direction { ToUnit, FromUnit };
    Direction direction = Direction::ToUnit;
    FileArea area = FileArea::Sd;
    QString name;
    quint32 length = 0;
    std::optional<quint32> announcedSum; // uploads announced with a byte sum
    QByteArray content;                  // downloads: the file as it was when announced
};

struct CommandOutcome {
    QByteArray answer{};         // empty: no answer, the unit closes the connection
    bool holdConnection = false; // no answer, and the connection stays open until the client closes it
    enum class Delivery { Whole, InTwoPieces, ByteByByte, ResetMidway };
    Delivery delivery = Delivery::Whole;
    std::optional<DataPhase> dataPhase{};
};

// A request opens with the frame magic and has a command code.
bool isRequestFrame(const QByteArray &frame);

// Carries out one request frame on the unit's state and files, with the faults it is told to show.
CommandOutcome handleRequest(const QByteArray &frame, UnitState &state, FileStore &files, const UnitFaults &faults);

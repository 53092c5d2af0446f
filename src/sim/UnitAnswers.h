#pragma once

#include "UnitState.h"

#include <QByteArray>
#include <array>
#include <cstdint>

// Magic, echoed code, status, data.
QByteArray answerFrame(std::uint8_t code, std::uint8_t status, const QByteArray &data = {});

// Answer to the device information request; reportedAddress is normally the unit's own.
QByteArray deviceInformationAnswer(const UnitState &state, const std::array<std::uint8_t, 4> &reportedAddress);

// Answer to the status poll.
QByteArray statusAnswer(const UnitState &state);

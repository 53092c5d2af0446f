#pragma once

#include "LinkOutcome.h"

#include <QString>

// What the user reads about a request, in the windows and in zorctl alike.
namespace RequestTexts {

// The action a request carries out, such as "Reset to defaults"; "Request 42" for a code the tool never sends.
QString actionName(std::uint8_t code);
inline QString actionName(Command command)
{
    return actionName(codeOf(command));
}

// Why a failed exchange did not go through, such as "refused by the unit". `address` names
// the unit that could not be reached; without it the text says "no connection".
QString failure(const ExchangeResult &result, const QString &address = {});

// "Wi-Fi mode: no answer from the unit".
inline QString failureLine(const ExchangeResult &result, const QString &address = {})
{
    return actionName(result.command) + ": " + failure(result, address);
}

} // namespace RequestTexts

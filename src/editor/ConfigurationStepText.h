#pragma once

#include "DeviceConfiguration.h"

#include <QString>

// How the editor words a step of a write or read: the text for status panel 0 and, for a
// failure the user must see, the text of an error box. Either may be empty.
struct StepText {
    QString status;
    QString error;
};

// Why a transfer did not reach the unit, in the words the setup window uses.
QString transferCause(const TransferResult &result);

StepText configurationStepText(const ConfigurationStep &step);

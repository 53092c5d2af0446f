#pragma once

#include "LinkOutcome.h"

#include <QString>

class FileTransfer;

enum class FirmwareOutcome {
    Verified,     // the unit's sum of the stored image matches
    Mismatch,     // the unit's sum differs
    Refused,      // the unit refused the image check
    NotConfirmed, // no answer to the check, or an answer to another request
    Unconfirmed,  // unrecognised model: the unit is not asked to confirm
    Unreached,    // the image was sent, but the check could not reach the unit
    TooLarge,     // nothing sent
    FileError,    // the image could not be read; nothing sent
    Failed,       // the data phase failed
};

struct FirmwareResult {
    FirmwareOutcome outcome = FirmwareOutcome::Failed;
    QString error;
    ExchangeResult check; // the closing request, once it was sent
};

// Sends the firmware image at `path` and has the unit confirm what it stored.
// Assumes a passed link check just before.
FirmwareResult UpdateFirmware(FileTransfer &transfer, const QString &path);

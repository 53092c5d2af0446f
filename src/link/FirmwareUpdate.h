#pragma once

#include "LinkOutcome.h"

#include <QString>

class FileTransfer;

enum class FirmwareOutcome {
    Verified,     // the unit's sum of the stored image matches
    Mismatch,     // the unit's sum differs
    NotConfirmed, // the unit did not answer the check with its sum
    Unconfirmed,  // unrecognised model: the unit is not asked to confirm
    TooLarge,     // nothing sent
    FileError,    // the image could not be read; nothing sent
    Failed,       // the data phase failed
};

struct FirmwareResult {
    FirmwareOutcome outcome = FirmwareOutcome::Failed;
    QString error;
};

// Sends the firmware image at `path` and has the unit confirm what it stored.
// Assumes a passed link check just before.
FirmwareResult UpdateFirmware(FileTransfer &transfer, const QString &path);

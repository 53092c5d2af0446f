#pragma once

#include "LinkOutcome.h"

#include <QString>
#include <optional>

class FileTransfer;

enum class FirmwareOutcome {
    Verified,     // the unit's sum of the stored image matches
    Mismatch,     // the unit's sum differs
    Refused,      // the unit refused the image check
    NotConfirmed, // no answer to the check, or an answer to another request
    Unconfirmed,  // unrecognised model: the unit is not asked to confirm
    Unreached,    // the image was sent, but the check could not reach the unit
    TooLarge,     // nothing sent
    Empty,        // nothing sent: an image of no bytes
    FileError,    // the image could not be read; nothing sent
    Failed,       // the data phase failed
};

struct FirmwareResult {
    FirmwareOutcome outcome = FirmwareOutcome::Failed;
    QString error;
    ExchangeResult check; // the closing request, once it was sent
};

// The largest image a unit takes.
constexpr qint64 MaxFirmwareImageSize = 2 * 1048576;

// An image read from the PC into TransferBuffer, ready to send once `ready()`.
struct FirmwareImage {
    QString path;
    qint64 size = 0;
    std::uint64_t sum = 0; // byte sum; the unit is sent its low 32 bits
    FirmwareOutcome refusal = FirmwareOutcome::Failed; // why it cannot be sent, when not ready
    QString error;
    bool loaded = false;

    bool ready() const { return loaded; }
};

// Why an image of `size` bytes is not sent: Empty or TooLarge; nullopt when it may be.
std::optional<FirmwareOutcome> firmwareSizeRefusal(qint64 size);
// Reads and sums the image; nothing is sent. Notes its length and sum as the status line shows them.
FirmwareImage LoadFirmwareImage(FileTransfer &transfer, const QString &path);
// Sends a loaded image and has the unit confirm what it stored. Assumes a passed link check just before.
FirmwareResult SendFirmwareImage(FileTransfer &transfer, const FirmwareImage &image);

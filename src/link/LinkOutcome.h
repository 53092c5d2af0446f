#pragma once

#include "Protocol.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

// How a request left the tool, or why it did not.
enum class ExchangeOutcome {
    Answered,        // an answer was read and dispatched
    Sent,            // send-only request written
    NoAnswer,        // nothing came within the answer wait
    NoConnection,    // the unit could not be reached (connect failed or timed out)
    Busy,            // another exchange was in progress: nothing was sent
    LinkCheckFailed, // the link check said no: nothing was sent
    SocketError,     // the connection failed after it was made
};

// What the dispatcher made of an answer.
enum class Decoded {
    Nothing,           // not interpreted, or not acknowledged without effect
    InvalidHeader,     // the answer did not open with the frame magic
    LocatorDone,
    LocatorRequeued,
    DeviceLinked,      // device information for the current address
    DeviceOtherAddress, // device information from a unit that reports another address
    DeviceRequeued,    // device information refused: asked again through the queue
    FirmwareMatch,
    FirmwareMismatch,
    FileWriteAccepted,
    FileWriteRefused,
    FileReadAccepted,
    FileReadRefused,
    FlashFileDeleted,
    ConfigurationReset,
    RelaySet,
    StatusAnswer,
    Incomplete,        // acknowledged, but cut short before the fields it must carry: nothing taken
};

// What an answer says about the request it answers.
enum class AnswerVerdict {
    Acknowledged, // echoes the request's code with status 6
    Refused,      // echoes the request's code with another status
    NotConfirmed, // no answer, an answer to another code, no whole frame, or a send-only request
    Unreached,    // nothing reached the unit, or its connection failed
};

// Why no connection could be made, for NoConnection.
enum class ConnectFailure {
    None,
    Refused,     // the unit's address answered, but nothing listens on the port
    TimedOut,    // nothing answered within the connect time-out
    Unreachable, // no route to the address, or no IPv4 address at all
};

struct ExchangeResult {
    Command command = Command::None;
    ExchangeOutcome outcome = ExchangeOutcome::NoAnswer;
    ConnectFailure connectFailure = ConnectFailure::None;
    Decoded decoded = Decoded::Nothing;
    std::uint8_t echo = 0;   // code the answer belongs to
    std::uint8_t status = 0; // answer's status byte
    bool rssiReported = false;
    QString error; // the socket's own text, for SocketError

    bool answered() const
    {
        return outcome == ExchangeOutcome::Answered && decoded != Decoded::InvalidHeader && decoded != Decoded::Incomplete;
    }
    AnswerVerdict verdict() const
    {
        switch (outcome) {
        case ExchangeOutcome::Answered:
        case ExchangeOutcome::Sent:
        case ExchangeOutcome::NoAnswer:
            break;
        case ExchangeOutcome::NoConnection:
        case ExchangeOutcome::Busy:
        case ExchangeOutcome::LinkCheckFailed:
        case ExchangeOutcome::SocketError:
            return AnswerVerdict::Unreached;
        }
        if (!answered() || echo != codeOf(command))
            return AnswerVerdict::NotConfirmed;
        return status == AckStatus ? AnswerVerdict::Acknowledged : AnswerVerdict::Refused;
    }
    bool acknowledged() const { return verdict() == AnswerVerdict::Acknowledged; }
    // A unit that is up answers every exchange, so only an acknowledgement lets the work go on.
    // A send-only request cannot be confirmed, and one that restarts the unit may go unanswered.
    bool failed() const
    {
        switch (verdict()) {
        case AnswerVerdict::Acknowledged:
            return false;
        case AnswerVerdict::NotConfirmed:
            return outcome != ExchangeOutcome::Sent && !restartsUnit(command);
        case AnswerVerdict::Refused:
        case AnswerVerdict::Unreached:
            break;
        }
        return true;
    }
    // Taken as done, though the unit did not confirm it: it may have restarted before it answered.
    bool unconfirmedRestart() const
    {
        return verdict() == AnswerVerdict::NotConfirmed && outcome != ExchangeOutcome::Sent && restartsUnit(command);
    }
    // The requests after which the unit restarts by itself.
    static constexpr bool restartsUnit(Command command)
    {
        return command == Command::WifiMode || command == Command::ResetConfiguration;
    }
};

enum class TransferOutcome {
    Done,
    Refused,   // the unit did not accept the announcement
    TimedOut,  // a read stopped receiving data
    FileError, // the PC file could not be read or is too large
    Failed,    // the channel or the data connection failed
};

struct TransferResult {
    TransferOutcome outcome = TransferOutcome::Done;
    qint64 bytes = 0; // received by a read
    QString error;    // reason, for every outcome but Done
    ExchangeResult announcement;

    bool ok() const { return outcome == TransferOutcome::Done; }
};

// Steps of a transfer worth telling the user about; the monitor window words them.
struct TransferNote {
    enum Kind {
        SdFileLength,        // value: size of the PC file
        SdFileName,          // name: the file sent
        SdBufferRefused,     // name: the buffer's file name
        SdTransferLength,    // value
        FlashFileName,       // name
        FlashTransferLength, // value
        ReadLength,          // value: length the unit announced
        ReadTimeout,
        ReadTooLong,         // value: the announced length, more than the receive buffer holds
        ReadExcess,          // value: bytes beyond the announced length, dropped
        ReadShort,           // value: bytes received before the unit closed
        FlashFileDelete,     // name
        ClipDelete,          // name
        ClipDeleteFrame,     // bytes: the request from its code byte on
        FirmwareLength,      // value
        FirmwareTooLarge,
        FirmwareSum,         // value: low 32 bits of the image sum
        FirmwareUnconfirmed, // image sent to an unrecognised model, which is not asked to confirm it
    };
    Kind kind;
    QString name;
    qint64 value = 0;
    QByteArray bytes;
};

#include "ConfigurationStepText.h"

#include "RequestTexts.h"

namespace {
QString readFailure(const ConfigurationStep &step)
{
    if (step.transfer.announcement.verdict() == AnswerVerdict::Refused)
        return QStringLiteral("Read refused by the unit: ") + step.name;
    if (step.transfer.outcome == TransferOutcome::TimedOut)
        return QStringLiteral("Read time-out: %1 (%2 bytes came; nothing was taken)").arg(step.name).arg(step.transfer.bytes);
    return QStringLiteral("Read Error! : ") + step.name + QStringLiteral(": ") + transferCause(step.transfer);
}
} // namespace

QString transferCause(const TransferResult &result)
{
    const ExchangeResult &announcement = result.announcement;
    switch (announcement.verdict()) {
    case AnswerVerdict::Refused:
    case AnswerVerdict::NotConfirmed:
        return RequestTexts::failure(announcement);
    case AnswerVerdict::Unreached:
        return announcement.outcome == ExchangeOutcome::SocketError ? QStringLiteral("no connection: ") + announcement.error
                                                                     : RequestTexts::failure(announcement);
    case AnswerVerdict::Acknowledged:
        break;
    }
    return result.error; // the data phase broke off
}

StepText configurationStepText(const ConfigurationStep &step)
{
    switch (step.kind) {
    case ConfigurationStep::WritingFile:
        return {.status = QStringLiteral("Write ") + step.name};
    case ConfigurationStep::FileRefused:
        return {.status = QStringLiteral("Write Error! : ") + step.name,
                .error = QStringLiteral("File Write Error! : ") + step.name + QStringLiteral(": ") + transferCause(step.transfer)};
    case ConfigurationStep::SendingClip:
        return {.status = QStringLiteral("SendMP3File : ") + step.name};
    case ConfigurationStep::ClipWritten:
        return {.status = QStringLiteral("Write complete! ")};
    case ConfigurationStep::ClipRefused:
        return {.status = QStringLiteral("Write Error! : ") + step.reason,
                .error = QStringLiteral("File Write Error! : ") + step.reason};
    case ConfigurationStep::WriteStopped:
        return {.status = QStringLiteral("Write Error! : ") + step.name,
                .error = QStringLiteral("File Write Error! : %1: %2. The write stopped there.")
                             .arg(step.name, transferCause(step.transfer))};
    case ConfigurationStep::ClipMissing:
        return {.error = QStringLiteral("File Not Exists! : ") + step.name};
    case ConfigurationStep::ReadFailed:
        // A channel that failed mid-transfer is worth a box; the rest the status line says.
        return {.status = readFailure(step),
                .error = step.transfer.outcome == TransferOutcome::Failed ? readFailure(step) : QString()};
    case ConfigurationStep::ReadRejected:
        return {.status = step.reason, .error = step.reason};
    }
    return {};
}

#include "ConfigurationStepText.h"

namespace {
// A refusal's error text is the file's name; a failure adds its reason.
QString withReason(const QString &name, const QString &reason)
{
    return reason.isEmpty() || reason == name ? name : name + QStringLiteral(": ") + reason;
}

QString readFailure(const ConfigurationStep &step)
{
    switch (step.transfer.outcome) {
    case TransferOutcome::Refused:
        return QStringLiteral("Read refused by the unit: ") + step.name;
    case TransferOutcome::TimedOut:
        return QStringLiteral("Read time-out: %1 (%2 bytes came; nothing was taken)").arg(step.name).arg(step.transfer.bytes);
    default:
        return QStringLiteral("Read Error! : ") + withReason(step.name, step.transfer.error);
    }
}
} // namespace

StepText configurationStepText(const ConfigurationStep &step)
{
    switch (step.kind) {
    case ConfigurationStep::WritingFile:
        return {.status = QStringLiteral("Write ") + step.name};
    case ConfigurationStep::FileRefused:
        return {.status = QStringLiteral("Write Error! : ") + step.name,
                .error = QStringLiteral("File Write Error! : ") + withReason(step.name, step.reason)};
    case ConfigurationStep::SendingClip:
        return {.status = QStringLiteral("SendMP3File : ") + step.name};
    case ConfigurationStep::ClipWritten:
        return {.status = QStringLiteral("Write complete! ")};
    case ConfigurationStep::ClipRefused:
        return {.status = QStringLiteral("Write Error! : ") + step.reason,
                .error = QStringLiteral("File Write Error! : ") + step.reason};
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

#include "SetupRunner.h"

#include "DeviceLink.h"
#include "Dialogs.h"
#include "ErrorReport.h"
#include "FileTransfer.h"
#include "FirmwareUpdate.h"

#include <algorithm>

namespace {

const QString FirmwareCaption = QStringLiteral("F/W Update");
const QString RefusedByUnit = QStringLiteral("refused by the unit");

QString commandName(Command command)
{
    return "Command 0x" + QString::number(codeOf(command), 16).toUpper();
}

// Instead of the completion text, which would claim what did not happen.
SetupMessage failureMessage(const QStringList &failures)
{
    return {"Not complete, the unit did not take:\n    . " + failures.join("\n    . "), "Write failed",
            Dialogs::Error};
}

} // namespace

SetupRunner::SetupRunner(FileTransfer &transfer, Dialogs &dialogs, SetupLogs logs)
    : transfer_(transfer), dialogs_(dialogs), logs_(std::move(logs))
{
}

void SetupRunner::log(const std::function<void(const QString &)> &to, const QString &line) const
{
    if (to)
        to(line);
}

SetupRun SetupRunner::apply(const SetupResult &result)
{
    for (const QString &line : result.log)
        log(logs_.monitor, line);
    if (result.error) {
        dialogs_.messageBox(result.error->text, result.error->caption, result.error->flags);
        return {SetupOutcome::Cancelled};
    }
    return run(result.plan);
}

bool SetupRunner::passesLinkCheck() const
{
    const auto &check = transfer_.link().linkCheck;
    return !check || check();
}

SetupRun SetupRunner::run(const SetupPlan &plan)
{
    if (plan.confirmation
        && dialogs_.messageBox(plan.confirmation->text, plan.confirmation->caption, plan.confirmation->flags)
               != Dialogs::Yes)
        return {SetupOutcome::Cancelled};
    if (plan.checkLink && !passesLinkCheck())
        return {SetupOutcome::LinkCheckFailed};
    for (const QString &line : plan.setupLog)
        log(logs_.setup, line);

    QStringList failures;
    bool unreachable = false;
    for (const SetupStep &step : plan.steps) {
        if (step.action == SetupStep::Action::UpdateFirmware)
            return updateFirmware();
        if (const int pause = pauseMs(step.pauseBefore, transfer_.link().timing()))
            transfer_.link().pause(pause);
        const StepResult result = runStep(step);
        if (result.stop)
            return {SetupOutcome::LinkCheckFailed};
        if (!step.logLine.isEmpty())
            log(logs_.monitor, step.logLine);
        if (!result.failure.isEmpty())
            failures << result.failure;
        unreachable = unreachable || result.unreachable;
    }
    if (!failures.isEmpty()) {
        const SetupMessage box = failureMessage(failures);
        dialogs_.messageBox(box.text, box.caption, box.flags);
        return {SetupOutcome::Failed, unreachable};
    }
    if (plan.completion)
        dialogs_.messageBox(plan.completion->text, plan.completion->caption, plan.completion->flags);
    return {SetupOutcome::Done};
}

SetupRunner::StepResult SetupRunner::runStep(const SetupStep &step)
{
    auto named = [&step](StepResult result) {
        if (!result.failure.isEmpty())
            result.failure = step.name + ": " + result.failure;
        return result;
    };
    auto loadBuffer = [this, &step] {
        std::copy(step.bytes.cbegin(), step.bytes.cend(), reinterpret_cast<char *>(transfer_.TransferBuffer.get()));
        return std::uint32_t(step.bytes.size());
    };
    switch (step.action) {
    case SetupStep::Action::DeleteFlashFile: {
        StepResult result = exchangeFailure(transfer_.DeleteFlashFile(step.name));
        // A unit refuses to delete a file it does not hold, which leaves what was wanted.
        if (result.failure == RefusedByUnit)
            result.failure = QStringLiteral("not deleted, refused by the unit (it may not have held the file)");
        return named(result);
    }
    case SetupStep::Action::WriteFlashFile:
        return named(transferFailure(transfer_.WriteBufferToFlash(step.name, loadBuffer())));
    case SetupStep::Action::WriteSdBuffer:
        return named(transferFailure(transfer_.WriteBufferToSd(step.name.toLatin1(), loadBuffer())));
    case SetupStep::Action::SendCommand:
    case SetupStep::Action::SendCommandNoReply:
        return sendCommand(step);
    case SetupStep::Action::UpdateFirmware:
        break; // the whole run, see run()
    }
    return {};
}

SetupRunner::StepResult SetupRunner::sendCommand(const SetupStep &step)
{
    DeviceLink &link = transfer_.link();
    ExchangeResult result;
    switch (step.command) {
    case Command::WebKey:
        result = link.setWebKey(step.bytes);
        break;
    case Command::WifiMode:
        result = link.setWifiMode(step.bytes.isEmpty() ? 0 : std::uint8_t(step.bytes[0]));
        break;
    case Command::ResetConfiguration:
        result = link.resetConfiguration();
        break;
    case Command::Restart:
        result = link.restartUnit();
        break;
    case Command::ModbusTcpWritten:
        result = link.modbusSettingsWritten();
        break;
    default:
        return {.failure = commandName(step.command) + ": not a setup command"};
    }
    if (result.outcome == ExchangeOutcome::LinkCheckFailed)
        return {.stop = true};
    StepResult failure = exchangeFailure(result);
    if (!failure.failure.isEmpty())
        failure.failure = commandName(step.command) + ": " + failure.failure;
    return failure;
}

SetupRunner::StepResult SetupRunner::exchangeFailure(const ExchangeResult &result) const
{
    switch (result.outcome) {
    case ExchangeOutcome::Sent:
        return {};
    case ExchangeOutcome::Answered:
        if (result.acknowledged())
            return {};
        return {.failure = result.answered() ? RefusedByUnit
                                             : QStringLiteral("the unit's answer was not understood")};
    case ExchangeOutcome::NoAnswer:
        return {.failure = QStringLiteral("no answer from the unit")};
    case ExchangeOutcome::NoConnection:
        return {.failure = "the unit at " + transfer_.link().deviceAddress + " could not be reached",
                .unreachable = true};
    case ExchangeOutcome::Busy:
        return {.failure = QStringLiteral("another request was under way, nothing was sent")};
    case ExchangeOutcome::LinkCheckFailed:
        return {.stop = true};
    case ExchangeOutcome::SocketError:
        break;
    }
    return {.failure = result.error};
}

SetupRunner::StepResult SetupRunner::transferFailure(const TransferResult &result)
{
    switch (result.outcome) {
    case TransferOutcome::Done:
        return {};
    case TransferOutcome::Refused:
        if (!result.announcement.answered())
            return exchangeFailure(result.announcement); // silence or garble is no refusal
        return {.failure = RefusedByUnit};
    case TransferOutcome::Failed:
        // A failed announcement has been told already; a data phase failure has not.
        if (result.announcement.outcome != ExchangeOutcome::Answered
            && result.announcement.outcome != ExchangeOutcome::NoAnswer)
            return exchangeFailure(result.announcement);
        reportError(dialogs_, result.error);
        return {.failure = result.error};
    case TransferOutcome::TimedOut:
    case TransferOutcome::FileError:
        break;
    }
    return {.failure = result.error};
}

SetupRun SetupRunner::updateFirmware()
{
    const QString path = dialogs_.openFile(QStringLiteral("*.bin"), QStringLiteral("bin|*.bin"));
    if (path.isEmpty())
        return {SetupOutcome::Cancelled};
    const FirmwareResult result = UpdateFirmware(transfer_, path);
    switch (result.outcome) {
    case FirmwareOutcome::Verified:
        return {SetupOutcome::Done}; // the check's answer has been shown
    case FirmwareOutcome::Mismatch:
    case FirmwareOutcome::TooLarge:
        return {SetupOutcome::Failed}; // shown as the answer or the size came in
    case FirmwareOutcome::NotConfirmed:
        dialogs_.messageBox("The unit did not confirm the F/W image: "
                                + (result.error.isEmpty() ? QStringLiteral("no answer to the image check.") : result.error),
                            FirmwareCaption, Dialogs::Error);
        return {SetupOutcome::Failed};
    case FirmwareOutcome::Unconfirmed:
        dialogs_.messageBox(QStringLiteral("F/W image sent; the unit was not asked to confirm it."), FirmwareCaption,
                            Dialogs::Plain);
        return {SetupOutcome::Unconfirmed};
    case FirmwareOutcome::FileError:
    case FirmwareOutcome::Failed:
        break;
    }
    reportError(dialogs_, result.error);
    return {SetupOutcome::Failed};
}

#include "SetupRunner.h"

#include "DeviceLink.h"
#include "Dialogs.h"
#include "ErrorReport.h"
#include "FileTransfer.h"
#include "FirmwareUpdate.h"
#include "ProgressGauge.h"

#include <QScopeGuard>
#include <algorithm>

namespace {

const QString FirmwareCaption = QStringLiteral("F/W Update");

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

void SetupRunner::show(const SetupMessage &message) const
{
    dialogs_.messageBox(message.text, message.caption, message.flags);
}

SetupRun SetupRunner::apply(const SetupResult &result)
{
    for (const QString &line : result.log)
        log(logs_.monitor, line);
    if (result.error) {
        show(*result.error);
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
    if (plan.confirmation && dialogs_.messageBox(plan.confirmation->text, plan.confirmation->caption,
                                                 plan.confirmation->flags) != Dialogs::Yes)
        return {SetupOutcome::Cancelled};
    if (plan.checkLink && !passesLinkCheck())
        return {SetupOutcome::LinkCheckFailed};
    for (const QString &line : plan.setupLog)
        log(logs_.setup, line);

    QStringList failures;
    QStringList unconfirmed;
    bool unreachable = false;
    for (const SetupStep &step : plan.steps) {
        if (step.action == SetupStep::Action::UpdateFirmware)
            return updateFirmware();
        if (const int pause = pauseMs(step.pauseBefore, transfer_.link().timing()))
            transfer_.link().pause(pause);
        const StepResult result = runStep(step);
        if (result.linkCheckFailed)
            return {SetupOutcome::LinkCheckFailed};
        unreachable = unreachable || result.unreachable;
        if (!result.failure.isEmpty())
            failures << result.failure;
        if (result.stop) {
            // The files after this one are not sent, and their log lines not written.
            if (!result.shown)
                show(failureMessage(failures));
            return {SetupOutcome::Failed, unreachable};
        }
        if (!result.logLine.isEmpty())
            log(logs_.monitor, result.logLine);
        if (!step.logLine.isEmpty())
            log(logs_.monitor, step.logLine);
        if (!result.unconfirmed.isEmpty())
            unconfirmed << result.unconfirmed;
    }
    if (!failures.isEmpty()) {
        show(failureMessage(failures));
        return {SetupOutcome::Failed, unreachable};
    }
    const QString notConfirmed =
        unconfirmed.isEmpty() ? QString() : "The unit did not confirm: " + unconfirmed.join(", ") + ".";
    if (!notConfirmed.isEmpty() && logs_.unconfirmed)
        logs_.unconfirmed(notConfirmed);
    if (plan.completion) {
        SetupMessage completion = *plan.completion;
        if (!notConfirmed.isEmpty() && !logs_.unconfirmed)
            completion.text += "\n    . " + notConfirmed;
        show(completion);
    }
    return {SetupOutcome::Done};
}

SetupRunner::StepResult SetupRunner::runStep(const SetupStep &step)
{
    switch (step.action) {
    case SetupStep::Action::DeleteFlashFile:
        return deleteFile(step);
    case SetupStep::Action::WriteFlashFile:
    case SetupStep::Action::WriteSdBuffer:
        return writeFile(step);
    case SetupStep::Action::SendCommand:
    case SetupStep::Action::SendCommandNoReply:
        return sendCommand(step);
    case SetupStep::Action::UpdateFirmware:
        break; // the whole run, see run()
    }
    return {};
}

SetupRunner::StepResult SetupRunner::deleteFile(const SetupStep &step)
{
    const ExchangeResult result = transfer_.DeleteFlashFile(step.name);
    // A unit refuses to delete a file it does not hold, which leaves what was wanted.
    if (result.verdict() == AnswerVerdict::Refused)
        return {.logLine = step.name + ": not deleted, refused by the unit (it may not have held the file)"};
    StepResult failed = exchangeFailure(result);
    if (!failed.failure.isEmpty())
        failed.failure = step.name + ": " + failed.failure;
    return failed;
}

SetupRunner::StepResult SetupRunner::writeFile(const SetupStep &step)
{
    std::copy(step.bytes.cbegin(), step.bytes.cend(), reinterpret_cast<char *>(transfer_.TransferBuffer.get()));
    const auto length = std::uint32_t(step.bytes.size());
    TransferResult written;
    if (step.action == SetupStep::Action::WriteFlashFile) {
        written = transfer_.WriteBufferToFlash(step.name, length);
    } else {
        // The setup window's gauge is the one in sight, whichever file system the file goes to.
        ProgressGauge *const sdGauge = transfer_.sdGauge;
        const auto restore = qScopeGuard([this, sdGauge] { transfer_.sdGauge = sdGauge; });
        transfer_.sdGauge = transfer_.flashGauge;
        written = transfer_.WriteBufferToSd(step.name.toLatin1(), length);
    }
    finishGauge(written.ok());
    StepResult result = transferFailure(written, step.name);
    if (!result.failure.isEmpty() && !result.shown)
        result.failure = step.name + ": " + result.failure;
    if (written.ok() && written.announcement.verdict() == AnswerVerdict::NotConfirmed
        && step.action == SetupStep::Action::WriteFlashFile)
        result.unconfirmed = step.name;
    return result;
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
    // The tool does not interpret these answers: only a refusal or a lost link fails them.
    if (!result.failedUninterpreted())
        return {.unconfirmed = result.outcome == ExchangeOutcome::Sent || result.acknowledged()
                                   ? QString()
                                   : commandName(step.command)};
    StepResult failed = exchangeFailure(result);
    if (!failed.failure.isEmpty())
        failed.failure = commandName(step.command) + ": " + failed.failure;
    return failed;
}

SetupRunner::StepResult SetupRunner::exchangeFailure(const ExchangeResult &result) const
{
    switch (result.verdict()) {
    case AnswerVerdict::Acknowledged:
        return {};
    case AnswerVerdict::Refused:
        return {.failure = QStringLiteral("refused by the unit")};
    case AnswerVerdict::NotConfirmed:
        if (result.outcome == ExchangeOutcome::Sent)
            return {};
        if (result.outcome == ExchangeOutcome::NoAnswer)
            return {.failure = QStringLiteral("no answer from the unit")};
        if (result.answered())
            return {.failure = QStringLiteral("the unit answered another request (%1)").arg(result.echo)};
        return {.failure = QStringLiteral("the unit's answer was not understood")};
    case AnswerVerdict::Unreached:
        break;
    }
    switch (result.outcome) {
    case ExchangeOutcome::LinkCheckFailed:
        return {.linkCheckFailed = true};
    case ExchangeOutcome::Busy:
        return {.failure = QStringLiteral("another request was under way, nothing was sent"), .stop = true};
    case ExchangeOutcome::NoConnection:
        return {.failure = "the unit at " + transfer_.link().deviceAddress + " could not be reached",
                .stop = true,
                .unreachable = true};
    default:
        return {.failure = result.error, .stop = true};
    }
}

SetupRunner::StepResult SetupRunner::transferFailure(const TransferResult &result, const QString &name)
{
    switch (result.outcome) {
    case TransferOutcome::Done:
        return {};
    case TransferOutcome::Refused:
        if (result.announcement.verdict() != AnswerVerdict::Refused)
            return exchangeFailure(result.announcement); // silence or garble is no refusal
        return {.failure = QStringLiteral("refused by the unit")};
    case TransferOutcome::TimedOut:
    case TransferOutcome::FileError:
        return {.failure = result.error};
    case TransferOutcome::Failed:
        break;
    }
    // Named only: the announcement itself did not reach the unit.
    if (result.error == name)
        return exchangeFailure(result.announcement);
    // The data connection failed: its own text, in the one box of this apply.
    reportError(dialogs_, result.error);
    return {.failure = result.error,
            .stop = true,
            .shown = true,
            .unreachable = result.announcement.verdict() == AnswerVerdict::Unreached};
}

void SetupRunner::finishGauge(bool completed) const
{
    if (transfer_.flashGauge)
        transfer_.flashGauge->finishProgress(completed);
}

SetupRun SetupRunner::updateFirmware()
{
    const QString path = dialogs_.openFile(QStringLiteral("*.bin"), QStringLiteral("bin|*.bin"));
    if (path.isEmpty())
        return {SetupOutcome::Cancelled};
    const FirmwareResult result = UpdateFirmware(transfer_, path);
    finishGauge(result.outcome == FirmwareOutcome::Verified || result.outcome == FirmwareOutcome::Unconfirmed);
    auto failed = [this](const QString &text, bool unreachable = false) {
        show({text, FirmwareCaption, Dialogs::Error});
        return SetupRun{SetupOutcome::Failed, unreachable};
    };
    switch (result.outcome) {
    case FirmwareOutcome::Verified:
        return {SetupOutcome::Done}; // the check's answer has been shown
    case FirmwareOutcome::Unconfirmed:
        return {SetupOutcome::Unconfirmed}; // told on the status line
    case FirmwareOutcome::Mismatch:
    case FirmwareOutcome::TooLarge:
        return {SetupOutcome::Failed}; // shown as the answer or the size came in
    case FirmwareOutcome::Refused:
        return failed(QStringLiteral("The unit refused the F/W image check."));
    case FirmwareOutcome::NotConfirmed:
        return failed("The unit did not confirm the F/W image: "
                      + (result.check.outcome == ExchangeOutcome::NoAnswer
                             ? QStringLiteral("no answer to the image check.")
                             : QStringLiteral("its answer to the image check was not for that request.")));
    case FirmwareOutcome::Unreached:
        return failed("The F/W image was sent, but the image check could not reach the unit at "
                          + transfer_.link().deviceAddress + "."
                          + (result.error.isEmpty() ? QString() : "\n" + result.error),
                      true);
    case FirmwareOutcome::FileError:
    case FirmwareOutcome::Failed:
        break;
    }
    reportError(dialogs_, result.error);
    return {SetupOutcome::Failed};
}

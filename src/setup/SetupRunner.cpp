#include "SetupRunner.h"

#include "DeviceLink.h"
#include "Dialogs.h"
#include "ErrorReport.h"
#include "FileTransfer.h"
#include "FirmwareUpdate.h"
#include "ProgressGauge.h"
#include "RequestTexts.h"

#include <QDir>
#include <QScopeGuard>
#include <algorithm>

namespace {

const QString FirmwareCaption = QStringLiteral("F/W Update");

// Instead of the completion text, which would claim what did not happen.
SetupMessage failureMessage(const QString &failure)
{
    return {"Not complete, the unit did not take:\n    . " + failure, "Write failed", Dialogs::Error};
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

    QStringList unconfirmed;
    for (const SetupStep &step : plan.steps) {
        if (step.action == SetupStep::Action::UpdateFirmware)
            return updateFirmware();
        if (const int pause = pauseMs(step.pauseBefore, transfer_.link().timing()))
            transfer_.link().pause(pause);
        const StepResult result = runStep(step);
        if (result.linkCheckFailed)
            return {SetupOutcome::LinkCheckFailed};
        if (!result.failure.isEmpty()) {
            // Nothing after a failed step is sent, and the later steps' log lines are not written.
            if (!result.shown)
                show(failureMessage(result.failure));
            if (!plan.completion && !plan.statusName.isEmpty())
                log(logs_.status, plan.statusName + " not written: " + result.failure);
            return {SetupOutcome::Failed, result.unreachable, result.notConfirmed ? result.failure : QString()};
        }
        if (!result.logLine.isEmpty())
            log(logs_.monitor, result.logLine);
        if (!step.logLine.isEmpty())
            log(logs_.monitor, step.logLine);
        if (!result.unconfirmed.isEmpty())
            unconfirmed << result.unconfirmed;
    }
    if (!unconfirmed.isEmpty() && logs_.unconfirmed)
        logs_.unconfirmed(unconfirmed.join(", "));
    if (plan.completion) {
        SetupMessage completion = *plan.completion;
        if (!unconfirmed.isEmpty() && !logs_.unconfirmed)
            completion.text += "\n    . The unit did not confirm " + unconfirmed.join(", ")
                               + ": it may have restarted before it answered.";
        show(completion);
    } else if (!plan.statusName.isEmpty()) {
        log(logs_.status, plan.statusName + " write complete");
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
    return result.failed() ? exchangeFailure(result, step.name) : StepResult{};
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
    return transferFailure(written, step.name);
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
        return {.failure = RequestTexts::actionName(step.command) + ": not a setup command"};
    }
    if (result.failed())
        return exchangeFailure(result, RequestTexts::actionName(step.command));
    return {.unconfirmed = result.unconfirmedRestart() ? RequestTexts::actionName(step.command) : QString()};
}

SetupRunner::StepResult SetupRunner::exchangeFailure(const ExchangeResult &result, const QString &what) const
{
    if (result.outcome == ExchangeOutcome::LinkCheckFailed)
        return {.linkCheckFailed = true};
    return {.failure = what + ": " + RequestTexts::failure(result, transfer_.link().deviceAddress),
            .unreachable = result.outcome == ExchangeOutcome::NoConnection,
            .notConfirmed = result.verdict() == AnswerVerdict::NotConfirmed};
}

SetupRunner::StepResult SetupRunner::transferFailure(const TransferResult &result, const QString &name)
{
    switch (result.outcome) {
    case TransferOutcome::Done:
        return {};
    case TransferOutcome::Refused:
        return exchangeFailure(result.announcement, name);
    case TransferOutcome::TimedOut:
    case TransferOutcome::FileError:
        return {.failure = name + ": " + result.error};
    case TransferOutcome::Failed:
        break;
    }
    // Named only: the announcement itself did not reach the unit.
    if (result.error == name)
        return exchangeFailure(result.announcement, name);
    // The data connection failed: its own text, in the one box of this apply.
    reportError(dialogs_, result.error);
    return {.failure = result.error, .shown = true};
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
    const FirmwareImage image = LoadFirmwareImage(transfer_, path);
    auto failed = [this](const QString &text, bool unreachable = false) {
        show({text, FirmwareCaption, Dialogs::Error});
        return SetupRun{SetupOutcome::Failed, unreachable};
    };
    const QString shownPath = QDir::toNativeSeparators(path);
    switch (image.ready() ? FirmwareOutcome::Verified : image.refusal) {
    case FirmwareOutcome::Empty:
    case FirmwareOutcome::TooLarge:
        return failed(firmwareRefusalText(shownPath, image.refusal, image.size));
    case FirmwareOutcome::Verified:
        break;
    default:
        reportError(dialogs_, image.error);
        return {SetupOutcome::Failed};
    }
    // The chosen file, before anything is sent: the dialog alone makes a wrong file easy to pick.
    const SetupMessage check = firmwareConfirmation(shownPath, image.size, image.sum);
    if (dialogs_.messageBox(check.text, check.caption, check.flags) != Dialogs::Yes)
        return {SetupOutcome::Cancelled};

    const FirmwareResult result = SendFirmwareImage(transfer_, image);
    finishGauge(result.outcome == FirmwareOutcome::Verified || result.outcome == FirmwareOutcome::Unconfirmed);
    switch (result.outcome) {
    case FirmwareOutcome::Verified:
        return {SetupOutcome::Done}; // the check's answer has been shown
    case FirmwareOutcome::Unconfirmed:
        return {SetupOutcome::Unconfirmed}; // told on the status line
    case FirmwareOutcome::Mismatch:
        return {SetupOutcome::Failed}; // shown as the answer came in
    case FirmwareOutcome::Refused:
        return failed(QStringLiteral("The unit refused the F/W image check."));
    case FirmwareOutcome::NotConfirmed: {
        SetupRun run = failed("The unit did not confirm the F/W image: "
                              + (result.check.outcome == ExchangeOutcome::NoAnswer
                                     ? QStringLiteral("no answer to the image check.")
                                     : QStringLiteral("its answer to the image check was not for that request.")));
        run.notConfirmed = RequestTexts::failureLine(result.check);
        return run;
    }
    case FirmwareOutcome::Unreached:
        return failed("The F/W image was sent, but the image check could not reach the unit at "
                          + transfer_.link().deviceAddress + "."
                          + (result.error.isEmpty() ? QString() : "\n" + result.error),
                      true);
    default:
        break;
    }
    reportError(dialogs_, result.error);
    return {SetupOutcome::Failed};
}

QString firmwareRefusalText(const QString &shownPath, FirmwareOutcome refusal, qint64 size)
{
    if (refusal == FirmwareOutcome::Empty)
        return "The F/W image " + shownPath + " is empty: nothing was sent.";
    return QStringLiteral("The F/W image %1 has %2 bytes, more than the %3 a unit takes: nothing was sent.")
        .arg(shownPath)
        .arg(size)
        .arg(MaxFirmwareImageSize);
}

SetupMessage firmwareConfirmation(const QString &shownPath, qint64 size, std::uint64_t sum)
{
    return SetupMessage::confirm(QStringLiteral("Send this F/W image, execute?\n    . File: %1\n    . Size: %2 bytes\n    . Sum: %3")
                                     .arg(shownPath)
                                     .arg(size)
                                     .arg(QString::number(std::uint32_t(sum), 16).rightJustified(8, u'0').toUpper()));
}

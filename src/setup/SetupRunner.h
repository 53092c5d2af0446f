#pragma once

#include "FirmwareUpdate.h"
#include "SetupPlan.h"

#include <QString>
#include <QStringList>
#include <functional>

class Dialogs;
class FileTransfer;
struct ExchangeResult;
struct TransferResult;

enum class SetupOutcome {
    Done,            // every step acknowledged (a restarting command may have gone unanswered)
    Cancelled,       // No answered, or no firmware image chosen: nothing sent
    LinkCheckFailed, // nothing sent; the check has reported in the monitor window
    Failed,          // a step failed or was refused; that has been shown
    Unconfirmed,     // firmware sent to an unrecognised model, which is not asked to confirm it
};

struct SetupRun {
    SetupOutcome outcome = SetupOutcome::Done;
    bool unreachable = false; // a step failed because the unit could not be reached
    QString notConfirmed;     // a step failed because the unit did not confirm it: what and why
};

// Where a run's lines go; any may stay unset.
struct SetupLogs {
    std::function<void(const QString &)> monitor; // the monitor window's log
    std::function<void(const QString &)> setup;   // the setup window's hidden log
    // Given the names of the restarting commands the unit did not confirm; unset: a line saying so
    // closes the completion box.
    std::function<void(const QString &)> unconfirmed;
    // The status line, for the result of a plan that has no completion box.
    std::function<void(const QString &)> status;
};

// Runs the setup window's plans on the unit, showing their boxes through the Dialogs seam.
// Shared by the setup window and zorctl, so both put the same frames on the wire.
class SetupRunner {
public:
    SetupRunner(FileTransfer &transfer, Dialogs &dialogs, SetupLogs logs = {});

    // Logs the checks' lines, then shows refused input or runs the plan.
    SetupRun apply(const SetupResult &result);
    SetupRun run(const SetupPlan &plan);

private:
    struct StepResult {
        QString failure;          // the step failed or was refused: named in the closing box, nothing more is sent
        QString unconfirmed;      // a restarting command taken as done, though the unit did not confirm it
        QString logLine;          // for the monitor window's log
        bool shown = false;       // the failure has had its own box
        bool linkCheckFailed = false;
        bool unreachable = false;
        bool notConfirmed = false; // the failure is a request the unit did not confirm
    };

    bool passesLinkCheck() const;
    StepResult runStep(const SetupStep &step);
    StepResult deleteFile(const SetupStep &step);
    StepResult writeFile(const SetupStep &step);
    StepResult sendCommand(const SetupStep &step);
    // `what` names the file or the action in the failure.
    StepResult exchangeFailure(const ExchangeResult &result, const QString &what) const;
    StepResult transferFailure(const TransferResult &result, const QString &name);
    SetupRun updateFirmware();
    void finishGauge(bool completed) const;
    void show(const SetupMessage &message) const;
    void log(const std::function<void(const QString &)> &to, const QString &line) const;

    FileTransfer &transfer_;
    Dialogs &dialogs_;
    SetupLogs logs_;
};

// Why an image of `size` bytes is not sent (Empty or TooLarge), as a box says it.
QString firmwareRefusalText(const QString &shownPath, FirmwareOutcome refusal, qint64 size);
// The question before an image goes: its file, size and sum.
SetupMessage firmwareConfirmation(const QString &shownPath, qint64 size, std::uint64_t sum);

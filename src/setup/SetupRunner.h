#pragma once

#include "SetupPlan.h"

#include <QString>
#include <QStringList>
#include <functional>

class Dialogs;
class FileTransfer;
struct ExchangeResult;
struct FirmwareResult;
struct TransferResult;

enum class SetupOutcome {
    Done,            // every step reached the unit and was taken
    Cancelled,       // No answered, or no firmware image chosen: nothing sent
    LinkCheckFailed, // nothing sent; the check has reported in the monitor window
    Failed,          // a step failed or was refused; that has been shown
    Unconfirmed,     // firmware sent to an unrecognised model, which is not asked to confirm it
};

struct SetupRun {
    SetupOutcome outcome = SetupOutcome::Done;
    bool unreachable = false; // a step failed because the unit could not be reached
};

// Where a run's log lines go; either may stay unset.
struct SetupLogs {
    std::function<void(const QString &)> monitor; // the monitor window's log
    std::function<void(const QString &)> setup;   // the setup window's hidden log
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
        QString failure;          // empty: the unit took the step
        bool stop = false;        // the command's own link check failed: nothing more is sent
        bool unreachable = false;
    };

    bool passesLinkCheck() const;
    StepResult runStep(const SetupStep &step);
    StepResult sendCommand(const SetupStep &step);
    StepResult exchangeFailure(const ExchangeResult &result) const;
    StepResult transferFailure(const TransferResult &result);
    SetupRun updateFirmware();
    void log(const std::function<void(const QString &)> &to, const QString &line) const;

    FileTransfer &transfer_;
    Dialogs &dialogs_;
    SetupLogs logs_;
};

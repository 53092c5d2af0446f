#pragma once

#include "SetupPlan.h"

#include <QString>
#include <QStringList>
#include <functional>

class Dialogs;
class FileTransfer;
struct ExchangeResult;
struct TransferResult;

enum class SetupOutcome {
    Done,            // every step reached the unit and none was refused
    Cancelled,       // No answered, or no firmware image chosen: nothing sent
    LinkCheckFailed, // nothing sent; the check has reported in the monitor window
    Failed,          // a step failed or was refused; that has been shown
    Unconfirmed,     // firmware sent to an unrecognised model, which is not asked to confirm it
};

struct SetupRun {
    SetupOutcome outcome = SetupOutcome::Done;
    bool unreachable = false; // a step failed because the unit could not be reached
};

// Where a run's lines go; any may stay unset.
struct SetupLogs {
    std::function<void(const QString &)> monitor; // the monitor window's log
    std::function<void(const QString &)> setup;   // the setup window's hidden log
    // The line saying which steps the unit did not confirm; unset: it closes the completion box.
    std::function<void(const QString &)> unconfirmed;
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
        QString failure;          // the step failed or was refused: named in the closing box
        QString unconfirmed;      // taken as done, but the unit did not confirm it
        QString logLine;          // for the monitor window's log
        bool stop = false;        // nothing more is sent
        bool shown = false;       // the failure has had its own box
        bool linkCheckFailed = false;
        bool unreachable = false;
    };

    bool passesLinkCheck() const;
    StepResult runStep(const SetupStep &step);
    StepResult deleteFile(const SetupStep &step);
    StepResult writeFile(const SetupStep &step);
    StepResult sendCommand(const SetupStep &step);
    StepResult exchangeFailure(const ExchangeResult &result) const;
    StepResult transferFailure(const TransferResult &result, const QString &name);
    SetupRun updateFirmware();
    void finishGauge(bool completed) const;
    void show(const SetupMessage &message) const;
    void log(const std::function<void(const QString &)> &to, const QString &line) const;

    FileTransfer &transfer_;
    Dialogs &dialogs_;
    SetupLogs logs_;
};

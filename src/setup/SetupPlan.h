#pragma once

#include "Protocol.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct Timing;

// A message box of the setup window; flags as in Dialogs::Flags.
struct SetupMessage {
    QString text;
    QString caption;
    int flags = 0;

    static SetupMessage errorFound(const QString &text);
    static SetupMessage confirm(const QString &text);
    static SetupMessage information(const QString &text);
};

// One thing to do on the unit, after an optional pause.
struct SetupStep {
    enum class Action {
        DeleteFlashFile,    // name
        WriteFlashFile,     // name, bytes
        WriteSdBuffer,      // name, bytes
        SendCommand,        // command, bytes = its parameter bytes; an exchange
        SendCommandNoReply, // command
        UpdateFirmware,     // the whole firmware procedure
    };
    enum class Pause { None, BetweenConfigFiles, BeforeModbusTcpCommand };

    Action action = Action::UpdateFirmware;
    QString name{};
    QByteArray bytes{};
    Command command = Command::None;
    Pause pauseBefore = Pause::None;
    QString logLine{}; // for the monitor window's log once the step has run; empty: none

    static SetupStep deleteFlashFile(const QString &name);
    static SetupStep writeFlashFile(const QString &name, const QByteArray &bytes);
    static SetupStep writeSdBuffer(const QString &name, const QByteArray &bytes);
    static SetupStep sendCommand(Command command, const QByteArray &parameters = {});
    static SetupStep sendCommandNoReply(Command command);
    static SetupStep updateFirmware();
    SetupStep after(Pause pause) const;
    SetupStep logging(const QString &line) const;
};

int pauseMs(SetupStep::Pause pause, const Timing &timing);

// Run as: ask `confirmation` (go on only on Yes and, with `checkLink`, a passed link check),
// append `setupLog` to the setup window's hidden log, run the steps in order, show `completion`.
struct SetupPlan {
    std::optional<SetupMessage> confirmation;
    bool checkLink = true; // false: the plan's command checks the link itself, or no check belongs here
    QStringList setupLog;
    QList<SetupStep> steps;
    std::optional<SetupMessage> completion;
    QString statusName; // a plan without a completion box: the group named in its result on the status line
};

// The input an error is about, so that the window can put the focus there.
enum class SetupInput { None, Ssid, Key, Ip, Mask, Gateway, Text, Port, Timeout, DeviceId, BaudRate, Parity, DataBits, StopBits };

// The outcome of checking one group's input.
struct SetupResult {
    QStringList log;                   // monitor window's log lines of the checks, whatever their outcome
    std::optional<SetupMessage> error; // input refused: show this and send nothing
    SetupPlan plan;                    // only when there is no error
    SetupInput faultyInput = SetupInput::None;

    bool accepted() const { return !error; }
};

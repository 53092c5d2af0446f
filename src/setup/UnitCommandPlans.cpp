#include "UnitCommandPlans.h"

namespace {

// The command runs the link check itself.
SetupPlan commandPlan(const QString &confirmation, const SetupStep &step, const QString &completion)
{
    return {.confirmation = SetupMessage::confirm(confirmation),
            .checkLink = false,
            .steps = {step},
            .completion = SetupMessage::information(completion)};
}

} // namespace

SetupPlan planWifiMode(bool accessPoint)
{
    const char modeCode = char(accessPoint ? WifiModeAccessPoint : WifiModeStation);
    return commandPlan("Modify Wi-Fi Mode, execute?\n    . Wi-Fi Mode: "
                           + QString(accessPoint ? "AP Mode" : "Station Mode")
                           + ".\n    . Device will Reboot immediately!",
                       SetupStep::sendCommand(Command::WifiMode, QByteArray(1, modeCode)),
                       "Wi-Fi Mode write complete,\n    . Reboot complete.");
}

SetupPlan planResetToDefaults()
{
    return commandPlan("Reset to default setting, execute?\n    . Device will Reboot immediately!",
                       SetupStep::sendCommand(Command::ResetConfiguration),
                       "Reset default complete,\n    . Reboot complete.");
}

SetupPlan planReboot()
{
    return commandPlan("Reboot device, execute?",
                       SetupStep::sendCommandNoReply(Command::Restart), "Reboot complete.");
}

SetupPlan planFirmwareUpdate()
{
    SetupPlan plan;
    plan.confirmation = SetupMessage::confirm("F/W Update, execute?");
    plan.steps = {SetupStep::updateFirmware()};
    return plan;
}

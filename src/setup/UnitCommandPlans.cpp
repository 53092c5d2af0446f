#include "UnitCommandPlans.h"

namespace {

SetupPlan commandPlan(const QString &confirmation, const SetupStep &step, const QString &completion)
{
    return {SetupMessage::confirm(confirmation), {}, {step}, SetupMessage::information(completion)};
}

} // namespace

SetupPlan planWifiMode(bool accessPoint)
{
    const char modeCode = accessPoint ? 2 : 0;
    return commandPlan("Modify Wi-Fi Mode, execute?\n    . Wi-Fi Mode: "
                           + QString(accessPoint ? "AP Mode" : "Station Mode")
                           + ".\n    . Device will Reboot immediately!",
                       SetupStep::sendCommand(UnitCommand::WifiMode, QByteArray(1, modeCode)),
                       "Wi-Fi Mode write complete,\n    . Reboot complete.");
}

SetupPlan planResetToDefaults()
{
    return commandPlan("Reset to default setting, execute?\n    . Device will Reboot immediately!",
                       SetupStep::sendCommand(UnitCommand::ResetConfiguration, QByteArray(1, 1)),
                       "Reset default complete,\n    . Reboot complete.");
}

SetupPlan planReboot()
{
    return commandPlan("Reboot device, execute?",
                       SetupStep::sendCommandNoReply(UnitCommand::Restart), "Reboot complete.");
}

SetupPlan planFirmwareUpdate()
{
    SetupPlan plan;
    plan.confirmation = SetupMessage::confirm("F/W Update, execute?");
    plan.steps = {SetupStep::updateFirmware()};
    return plan;
}

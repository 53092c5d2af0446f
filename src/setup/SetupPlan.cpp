#include "SetupPlan.h"

#include "Dialogs.h"
#include "Timing.h"

SetupMessage SetupMessage::errorFound(const QString &text)
{
    return {text, "Error found!", Dialogs::Error};
}

SetupMessage SetupMessage::confirm(const QString &text)
{
    return {text, "Confirm", Dialogs::YesNoQuestion};
}

SetupMessage SetupMessage::information(const QString &text)
{
    return {text, "Information", Dialogs::Information};
}

SetupStep SetupStep::deleteFlashFile(const QString &name)
{
    return {.action = Action::DeleteFlashFile, .name = name};
}

SetupStep SetupStep::writeFlashFile(const QString &name, const QByteArray &bytes)
{
    return {.action = Action::WriteFlashFile, .name = name, .bytes = bytes};
}

SetupStep SetupStep::writeSdBuffer(const QString &name, const QByteArray &bytes)
{
    return {.action = Action::WriteSdBuffer, .name = name, .bytes = bytes};
}

SetupStep SetupStep::sendCommand(Command command, const QByteArray &parameters)
{
    return {.action = Action::SendCommand, .bytes = parameters, .command = command};
}

SetupStep SetupStep::sendCommandNoReply(Command command)
{
    return {.action = Action::SendCommandNoReply, .command = command};
}

SetupStep SetupStep::updateFirmware()
{
    return {.action = Action::UpdateFirmware};
}

SetupStep SetupStep::after(Pause pause) const
{
    SetupStep step = *this;
    step.pauseBefore = pause;
    return step;
}

SetupStep SetupStep::logging(const QString &line) const
{
    SetupStep step = *this;
    step.logLine = line;
    return step;
}

int pauseMs(SetupStep::Pause pause, const Timing &timing)
{
    switch (pause) {
    case SetupStep::Pause::BetweenConfigFiles:
        return timing.configFilePauseMs;
    case SetupStep::Pause::BeforeModbusTcpCommand:
        return timing.modbusCommandPauseMs;
    case SetupStep::Pause::None:
        break;
    }
    return 0;
}

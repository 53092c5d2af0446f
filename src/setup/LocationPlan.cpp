#include "LocationPlan.h"

#include "SingleByteText.h"

SetupResult planLocation(const QString &location)
{
    const QByteArray bytes = toSingleByte(location);
    SetupResult result;
    if (!bytes.isEmpty())
        result.log << QString::number(bytes.size());
    if (bytes.isEmpty() || bytes.size() > 31) {
        result.faultyInput = SetupInput::Text;
        result.error = SetupMessage::errorFound("    . Location string must less then 31 chars.");
        return result;
    }

    const QString shown = fromSingleByte(bytes);
    result.plan.confirmation =
        SetupMessage::confirm("Modify Location string, execute?\n    . Location: " + shown + ".\n");
    result.plan.steps = {SetupStep::writeFlashFile("/local/locate.cfg", bytes).logging("Location =" + shown)};
    result.plan.completion =
        SetupMessage::information("Location string write complete,\n    . Manual Reboot to take effect!");
    return result;
}

#include "WebKeyPlan.h"

#include "SingleByteText.h"

SetupResult planWebKey(const QString &key)
{
    const QByteArray bytes = toSingleByte(key);
    SetupResult result;
    if (!bytes.isEmpty())
        result.log << QString::number(bytes.size());
    if (bytes.isEmpty() || bytes.size() > 5) {
        result.faultyInput = SetupInput::Text;
        result.error = SetupMessage::errorFound("    . WEB Key must be 5 chars.");
        return result;
    }

    const QString shown = fromSingleByte(bytes);
    result.plan.confirmation = SetupMessage::confirm("Modify WEB Key, execute?\n    . WEB Key: " + shown + ".\n");
    result.plan.steps = {
        SetupStep::sendCommand(Command::WebKey, bytes).logging("WEB Key =" + shown)};
    result.plan.completion = SetupMessage::information("WEB Key write complete,\n    .Take effect immediately.");
    return result;
}

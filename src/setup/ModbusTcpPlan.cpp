#include "ModbusTcpPlan.h"

#include "Dialogs.h"

#include <QtEndian>

namespace {

const QString PortInputError = "Modbus port input Error";
const QString TimeoutInputError = "Modbus Idle Timeout input Error";

SetupResult refused(const QString &text, const QString &caption, SetupInput input)
{
    SetupResult result;
    result.error = SetupMessage{text, caption, Dialogs::Plain};
    result.faultyInput = input;
    return result;
}

// Port and timeout big-endian, then six zero bytes.
QByteArray modbusPortFile(quint16 port, quint16 timeout)
{
    QByteArray bytes(10, '\0');
    qToBigEndian(port, bytes.data());
    qToBigEndian(timeout, bytes.data() + 2);
    return bytes;
}

} // namespace

SetupResult planModbusTcp(const QString &portText, const QString &timeoutText)
{
    bool isNumber = false;
    const int port = portText.toInt(&isNumber, 10);
    if (!isNumber)
        return refused("The port must be a whole number.", PortInputError, SetupInput::Port);
    // The unit's own command channel and its web page.
    if (port == 13577 || port == 80)
        return refused("Port already used!", PortInputError, SetupInput::Port);
    if (port < 1 || port > 65535)
        return refused("Port number over range!", "Modbus port range Error", SetupInput::Port);

    const int timeout = timeoutText.toInt(&isNumber, 10);
    if (!isNumber)
        return refused("The idle timeout must be a whole number of seconds.", TimeoutInputError, SetupInput::Timeout);
    if (timeout < 1 || timeout > 65000)
        return refused("Timeout range must in 1 ~ 65000 Sec! Recommend 30 Sec.", TimeoutInputError, SetupInput::Timeout);

    const QString portShown = QString::number(port);
    const QString timeoutShown = QString::number(timeout);
    SetupResult result;
    result.plan.confirmation = SetupMessage::confirm("Modify Modbus Port & Idle Timeout, execute?\n    . Port: "
                                                     + portShown + ", Idle Timeout: " + timeoutShown + ".");
    result.plan.steps = {
        SetupStep::writeFlashFile("/local/mbport.cfg", modbusPortFile(quint16(port), quint16(timeout)))
            .logging("Modbus Port =" + portShown + ", Idle Timeout: " + timeoutShown),
        SetupStep::sendCommand(Command::ModbusTcpWritten).after(SetupStep::Pause::BeforeModbusTcpCommand),
    };
    result.plan.completion = SetupMessage::information(
        "Modify Modbus Port, Timeout write complete,\n    . Manual Reboot to take effect!");
    return result;
}

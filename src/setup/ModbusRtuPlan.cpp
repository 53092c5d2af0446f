#include "ModbusRtuPlan.h"

#include "DecimalDigits.h"
#include "Dialogs.h"
#include "SingleByteText.h"

namespace {

const QString DeviceIdError = "Modbus RTU Device ID Error";
const QString RecordError = "Modbus RTU Error";
// The build log shows the record in a 20-character field.
constexpr int RecordLimit = 20;

SetupResult refused(const QString &text, const QString &caption, SetupInput input)
{
    SetupResult result;
    result.error = SetupMessage{text, caption, Dialogs::Plain};
    result.faultyInput = input;
    return result;
}

// The typed ID goes into the record unchanged, so only digits are taken.
std::optional<int> readDeviceId(const QString &text)
{
    if (!isDecimalDigits(text))
        return std::nullopt;
    bool fits = false;
    const int id = text.toInt(&fits, 10);
    return fits ? id : 0; // too many digits: out of range like any other large number
}

class RecordBuilder {
public:
    void add(const QString &label, const QByteArray &field, bool comma)
    {
        record += field;
        if (comma)
            record += ',';
        log << "+" + label + " Len" + QString::number(field.size()) + "SUM:" + QString::number(record.size());
    }

    QByteArray record;
    QStringList log;
};

} // namespace

SetupResult planModbusRtu(const ModbusRtuInput &input)
{
    const std::optional<int> id = readDeviceId(input.deviceId);
    if (!id)
        return refused("The device ID must be a whole number.", DeviceIdError, SetupInput::DeviceId);
    if (*id < 1 || *id > 247)
        return refused("Device ID range must be 1 ~ 247", DeviceIdError, SetupInput::DeviceId);

    const QByteArray parity = toSingleByte(input.parity).left(1);
    const QByteArray dataBits = toSingleByte(input.dataBits).left(1);
    const QByteArray stopBits = toSingleByte(input.stopBits).left(1);
    if (parity.isEmpty() || dataBits.isEmpty() || stopBits.isEmpty())
        return refused("Parity, data bits and stop bits must not be empty.", RecordError,
                       parity.isEmpty() ? SetupInput::Parity : dataBits.isEmpty() ? SetupInput::DataBits : SetupInput::StopBits);

    RecordBuilder builder;
    builder.add("Device ID", toSingleByte(input.deviceId), true);
    builder.add("Baudrate", toSingleByte(input.baudRate), true);
    builder.add("Parity", parity, true);
    builder.add("Data bit", dataBits, true);
    builder.add("Stop bit", stopBits, false);
    const QByteArray &record = builder.record;
    if (record.size() >= RecordLimit)
        return refused(QString("The RTU settings take %1 bytes; the unit takes at most %2.")
                           .arg(record.size())
                           .arg(RecordLimit - 1),
                       RecordError, SetupInput::BaudRate);

    SetupResult result;
    // The click that started the apply has already checked the link.
    result.plan.checkLink = false;
    result.plan.setupLog = builder.log;
    result.plan.setupLog << "RTU String Len =" + QString::number(record.size())
                         << "RTU String =" + fromSingleByte(record).leftJustified(RecordLimit);
    result.plan.steps = {SetupStep::writeSdBuffer("RTU.CFG", record)};
    // No confirmation and no completion box: the status line tells the result.
    result.plan.statusName = QStringLiteral("Modbus RTU (RTU.CFG)");
    return result;
}

QString sdIndicatorText(bool sdPresent)
{
    return sdPresent ? "     " : "SD not exists!!";
}

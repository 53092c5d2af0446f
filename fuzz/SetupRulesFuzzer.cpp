// The setup window's rules on any text typed into its boxes.
#include "DottedAddress.h"
#include "LocationPlan.h"
#include "ModbusRtuPlan.h"
#include "ModbusTcpPlan.h"
#include "StaticAddressPlan.h"
#include "WebKeyPlan.h"
#include "WifiCredentialsPlans.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Up to six NUL-separated fields, as typed; any bytes, read as UTF-8.
    const QStringList typed = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)).split(QChar(0));
    auto field = [&typed](int i) { return typed.value(i); };
    const auto keyType = KeyType(size > 0 ? data[0] % 3 : 0);

    readDottedAddress(field(0));
    planAccessPoint({field(0), keyType, field(1)});
    planStation({field(0), keyType, field(1)});
    planStaticAddress({true, field(0), field(1), field(2)});
    planWebKey(field(0));
    planLocation(field(0));
    planModbusTcp(field(0), field(1));
    planModbusRtu({field(0), field(1), field(2), field(3), field(4)});
    return 0;
}

#pragma once

#include "AdapterSource.h"

#include <QByteArray>
#include <QList>
#include <array>
#include <cstdint>

// What Windows reports about adapters and WLAN interfaces, copied into plain values so
// that the conversion to records is the same code, and tested, on every platform.
namespace WindowsAdapterRecords {

inline constexpr int FamilyIpv4 = 2;          // AF_INET
inline constexpr int WlanStateConnected = 1;  // wlan_interface_state_connected

struct SystemAdapter {
    QByteArray adapterName;          // ANSI text, the adapter's GUID in braces
    int firstUnicastFamily = 0;      // 0: no unicast address
    QByteArray firstUnicastAddress;  // the address bytes in network order
};

// A GUID as its four fields, the layout Windows keeps in memory.
struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};
};

struct SystemWlanInterface {
    Guid guid;
    int state = 0;
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case, as StringFromGUID2 writes it.
QString guidText(const Guid &guid);

QList<AdapterRecord> adapterRecords(const QList<SystemAdapter> &adapters);
QList<WifiInterfaceRecord> wifiInterfaceRecords(const QList<SystemWlanInterface> &interfaces);

} // namespace WindowsAdapterRecords

// Adapter lists as Windows reports them, turned into records and joined by the link check.
#include "LinkCheck.h"
#include "LinkDoubles.h"
#include "WindowsAdapterRecords.h"

#include <QTest>

#ifdef Q_OS_WIN
#include <objbase.h>
#endif

using namespace WindowsAdapterRecords;
using Adapters = QList<SystemAdapter>;
using WlanList = QList<SystemWlanInterface>;
Q_DECLARE_METATYPE(Guid)

namespace {

constexpr int FamilyIpv6 = 23;
constexpr int WlanAuthenticating = 7;
constexpr int WlanDisconnected = 4;

// Three adapters of one laptop: Ethernet, Wi-Fi, a second Wi-Fi stick.
const Guid ethernetGuid{0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const Guid wifiGuid{0x0A1B2C3D, 0x00EF, 0x4A5B, {0x9C, 0x8D, 0x7E, 0x6F, 0x50, 0x41, 0x32, 0x23}};
const Guid stickGuid{0xF00D0001, 0x0002, 0x0003, {0, 4, 0, 0, 0, 0, 0, 5}};

SystemAdapter adapter(const Guid &guid, const QByteArray &ipv4)
{
    return {guidText(guid).toLatin1(), FamilyIpv4, ipv4};
}

} // namespace

class WindowsAdapterRecordsTest : public QObject {
    Q_OBJECT

private slots:
    void guidForm_data();
    void guidForm();
    void recordedListsJoin_data();
    void recordedListsJoin();
    void logsTheAdapterSourceWhenItChanges();
};

void WindowsAdapterRecordsTest::guidForm_data()
{
    QTest::addColumn<Guid>("guid");
    QTest::addColumn<QString>("text");

    QTest::newRow("upper-case hex") << ethernetGuid << "{4D36E972-E325-11CE-BFC1-08002BE10318}";
    QTest::newRow("leading zeros kept") << stickGuid << "{F00D0001-0002-0003-0004-000000000005}";
    QTest::newRow("all bits set") << Guid{0xFFFFFFFF, 0xFFFF, 0xFFFF, {255, 255, 255, 255, 255, 255, 255, 255}}
                                  << "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}";
}

void WindowsAdapterRecordsTest::guidForm()
{
    QFETCH(Guid, guid);
    QFETCH(QString, text);
    QCOMPARE(WindowsAdapterRecords::guidText(guid), text);
#ifdef Q_OS_WIN
    // The system's own form, which the adapter names carry.
    GUID system{guid.data1, guid.data2, guid.data3, {}};
    std::copy(guid.data4.begin(), guid.data4.end(), std::begin(system.Data4));
    wchar_t written[39] = {};
    QCOMPARE(StringFromGUID2(system, written, 39), 39);
    QCOMPARE(QString::fromWCharArray(written), text);
#endif
}

void WindowsAdapterRecordsTest::recordedListsJoin_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<Adapters>("adapters");
    QTest::addColumn<WlanList>("wlan");
    QTest::addColumn<QStringList>("ipv4"); // each adapter record's address
    QTest::addColumn<QStringList>("matches");

    const QString unitNet = DefaultSubnetPrefix;
    const QByteArray wifiName = guidText(wifiGuid).toLatin1();
    const SystemAdapter loopback{"{6C2A6F5E-1B7D-4E5B-8C7A-3E8F0D1A2B3C}", FamilyIpv4, QByteArray("\x7F\0\0\x01", 4)};
    const SystemAdapter ethernetOnUnitNet = adapter(ethernetGuid, "\xC0\xA8\x4D\x14");
    const SystemAdapter wifiOnUnitNet = adapter(wifiGuid, "\xC0\xA8\x4D\x05");
    const WlanList wifiConnected{{wifiGuid, WlanStateConnected}};

    QTest::newRow("Wi-Fi on the unit's access point, wired LAN on the same subnet")
        << unitNet << Adapters{ethernetOnUnitNet, loopback, wifiOnUnitNet} << wifiConnected
        << QStringList{"192.168.77.20", "127.0.0.1", "192.168.77.5"} << QStringList{"192.168.77.5"};
    QTest::newRow("two Wi-Fi adapters on the subnet, in WLAN order")
        << unitNet << Adapters{wifiOnUnitNet, adapter(stickGuid, "\xC0\xA8\x4D\xFE")}
        << WlanList{{stickGuid, WlanStateConnected}, {wifiGuid, WlanStateConnected}}
        << QStringList{"192.168.77.5", "192.168.77.254"} << QStringList{"192.168.77.254", "192.168.77.5"};
    QTest::newRow("still authenticating, stale address")
        << unitNet << Adapters{wifiOnUnitNet} << WlanList{{wifiGuid, WlanAuthenticating}}
        << QStringList{"192.168.77.5"} << QStringList{};
    QTest::newRow("disconnected") << unitNet << Adapters{wifiOnUnitNet} << WlanList{{wifiGuid, WlanDisconnected}}
                                  << QStringList{"192.168.77.5"} << QStringList{};
    QTest::newRow("first address is IPv6") << unitNet << Adapters{{wifiName, FamilyIpv6, QByteArray(16, '\0')}}
                                           << wifiConnected << QStringList{""} << QStringList{};
    QTest::newRow("no unicast address")
        << unitNet << Adapters{{wifiName, 0, {}}} << wifiConnected << QStringList{""} << QStringList{};
    QTest::newRow("short address") << unitNet << Adapters{{wifiName, FamilyIpv4, QByteArray("\xC0\xA8\x4D", 3)}}
                                   << wifiConnected << QStringList{""} << QStringList{};
    QTest::newRow("adapter name in lower case")
        << unitNet << Adapters{{wifiName.toLower(), FamilyIpv4, "\xC0\xA8\x4D\x05"}} << wifiConnected
        << QStringList{"192.168.77.5"} << QStringList{};
    QTest::newRow("unit at a static address")
        << "10.0.0." << Adapters{wifiOnUnitNet, adapter(stickGuid, QByteArray("\x0A\0\0\x0C", 4))}
        << WlanList{{wifiGuid, WlanStateConnected}, {stickGuid, WlanStateConnected}}
        << QStringList{"192.168.77.5", "10.0.0.12"} << QStringList{"10.0.0.12"};
}

void WindowsAdapterRecordsTest::recordedListsJoin()
{
    QFETCH(QString, prefix);
    QFETCH(Adapters, adapters);
    QFETCH(WlanList, wlan);
    QFETCH(QStringList, ipv4);
    QFETCH(QStringList, matches);

    LinkDoubles rig;
    rig.adapters.adapterRecords = adapterRecords(adapters);
    rig.adapters.wifiRecords = wifiInterfaceRecords(wlan);
    rig.session.linkCheck.subnetPrefix = prefix;

    QCOMPARE(rig.session.linkCheck.CheckLink(), matches.size() == 1);
    QStringList recorded;
    for (const AdapterRecord &record : std::as_const(rig.session.linkCheck.adapterList))
        recorded << record.ipv4;
    QCOMPARE(recorded, ipv4);
    QCOMPARE(rig.session.linkCheck.matches, matches);
}

// Once at the first scan, and again whenever the lists come from another query.
void WindowsAdapterRecordsTest::logsTheAdapterSourceWhenItChanges()
{
    LinkDoubles rig;
    LinkCheck &check = rig.session.linkCheck;
    rig.adapters.name = "WLAN service";
    check.CheckLink();
    check.CheckLink();
    rig.adapters.name = "network interfaces";
    check.CheckLink();
    check.CheckLink();
    rig.adapters.name = "WLAN service";
    check.CheckLink();

    QCOMPARE(rig.view.log, (QStringList{"Adapter source: WLAN service", "Adapter source: network interfaces",
                                        "Adapter source: WLAN service"}));
}

QTEST_GUILESS_MAIN(WindowsAdapterRecordsTest)
#include "test_windows_adapter_records.moc"

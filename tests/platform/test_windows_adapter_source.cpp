// The Windows adapter source against the PC's real adapters: it only reads them.
// ZOR_WLAN_DISABLED marks a run whose WLAN library is kept away (under Wine by a DLL override).
#include "WindowsAdapterSource.h"

#include <QNetworkInterface>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>

namespace {

bool wlanKeptAway() { return !qEnvironmentVariableIsEmpty("ZOR_WLAN_DISABLED"); }

QStringList names(const QList<AdapterRecord> &adapters)
{
    QStringList list;
    for (const AdapterRecord &adapter : adapters)
        list << adapter.adapterName;
    return list;
}

} // namespace

class WindowsAdapterSourceTest : public QObject {
    Q_OBJECT

private slots:
    // With the WLAN service every adapter is named by its GUID in braces, and the loopback
    // adapter has its address; without it, the names are Qt's.
    void adaptersFollowTheWlanService()
    {
        WindowsAdapterSource source;
        const QList<AdapterRecord> adapters = source.adapters();
        const bool fellBack = source.sourceName() == "Qt network interfaces (no WLAN service)";
        if (wlanKeptAway())
            QVERIFY(fellBack); // else a PC may have its service stopped
        QVERIFY(std::any_of(adapters.cbegin(), adapters.cend(),
                            [](const AdapterRecord &adapter) { return adapter.ipv4 == "127.0.0.1"; }));
        if (fellBack) {
            QStringList qtNames;
            for (const QNetworkInterface &networkInterface : QNetworkInterface::allInterfaces())
                qtNames << networkInterface.name();
            QCOMPARE(names(adapters), qtNames);
            return;
        }
        QCOMPARE(source.sourceName(), "Windows adapter list and WLAN service");
        static const QRegularExpression guid("^\\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\}$");
        for (const QString &name : names(adapters))
            QVERIFY2(guid.match(name).hasMatch(), qPrintable(name));
    }

    void wifiInterfacesCarryGuidTexts()
    {
        WindowsAdapterSource source;
        const QList<WifiInterfaceRecord> wifi = source.wifiInterfaces();
        if (source.sourceName() != "Windows adapter list and WLAN service")
            QSKIP("no WLAN service");
        if (wifi.isEmpty())
            QSKIP("no Wi-Fi interface here (Wine's WLAN service lists none)");
        for (const WifiInterfaceRecord &record : wifi)
            QCOMPARE(record.interfaceGuid.size(), 38);
    }
};

QTEST_GUILESS_MAIN(WindowsAdapterSourceTest)
#include "test_windows_adapter_source.moc"

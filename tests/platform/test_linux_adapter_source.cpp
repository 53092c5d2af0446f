// The Linux adapter source against a stand-in for /sys/class/net.
#include "LinuxAdapterSource.h"

#include <QDir>
#include <QNetworkInterface>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

using Adapters = QList<AdapterRecord>;
using WifiList = QList<WifiInterfaceRecord>;

class LinuxAdapterSourceTest : public QObject {
    Q_OBJECT

private slots:
    void marksWirelessInterfaces_data();
    void marksWirelessInterfaces();
};

void LinuxAdapterSourceTest::marksWirelessInterfaces_data()
{
    QTest::addColumn<QString>("marker"); // empty: a wired interface
    QTest::newRow("wireless extensions") << "wireless";
    QTest::newRow("cfg80211 device") << "phy80211";
    QTest::newRow("no marker") << QString();
}

// Reads the real interfaces (nothing is sent) with a stand-in for /sys/class/net.
void LinuxAdapterSourceTest::marksWirelessInterfaces()
{
    QFETCH(QString, marker);
    QString loopback;
    for (const QNetworkInterface &networkInterface : QNetworkInterface::allInterfaces()) {
        if (networkInterface.flags().testFlag(QNetworkInterface::IsLoopBack))
            loopback = networkInterface.name();
    }
    if (loopback.isEmpty())
        QSKIP("no loopback interface");
    QTemporaryDir netClass;
    QVERIFY(marker.isEmpty() || QDir(netClass.path()).mkpath(loopback + "/" + marker));
    LinuxAdapterSource source(netClass.path() + "/");

    const Adapters adapters = source.adapters();
    QVERIFY(std::any_of(adapters.cbegin(), adapters.cend(), [&](const AdapterRecord &adapter) {
        return adapter.adapterName == loopback && adapter.ipv4.startsWith("127.");
    }));
    const WifiList wifi = source.wifiInterfaces();
    const bool listedAsWifi = std::any_of(wifi.cbegin(), wifi.cend(), [&](const WifiInterfaceRecord &record) {
        return record.interfaceGuid == loopback;
    });
    QCOMPARE(listedAsWifi, !marker.isEmpty());
}

QTEST_GUILESS_MAIN(LinuxAdapterSourceTest)
#include "test_linux_adapter_source.moc"

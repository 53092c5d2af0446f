#include "LinkCheck.h"
#include "FixedAdapterSource.h"
#include "LinkDoubles.h"

#include <QTest>
#include <stdexcept>

using Adapters = QList<AdapterRecord>;
using WifiList = QList<WifiInterfaceRecord>;

namespace {

// A monitor window's state around a discovery with fixed adapters, as if a unit had
// been decoded before: each check must undo exactly what it should.
struct Rig : LinkDoubles {
    FixedAdapterSource &source = adapters;
    LinkCheck &discovery = session.linkCheck;

    Rig()
    {
        source.adapterRecords = {{"wlan0", "10.0.0.17"}};
        source.wifiRecords = {{"wlan0", true}};
        status.linked = true;
        status.statusValid = true;
        status.relayMask = 1;
        status.relayBits = 1;
    }
};

Adapters wiredAdapters(int count)
{
    Adapters adapters;
    for (int i = 0; i < count; ++i)
        adapters.append({QString("eth%1").arg(i), "172.16.0.1"});
    return adapters;
}

const AdapterRecord wlan0OnUnitNet{"wlan0", "192.168.77.5"};
const WifiInterfaceRecord wlan0Connected{"wlan0", true};

} // namespace

class LinkCheckTest : public QObject {
    Q_OBJECT

private slots:
    void checkLink_data();
    void checkLink();
    void storesFirstThreeMatchesInWifiOrder();
    void repeatedCheckScansAfresh();
    void failingQueryIsReportedAndCheckGoesOn_data();
    void failingQueryIsReportedAndCheckGoesOn();
    void applyStaticIp_data();
    void applyStaticIp();
};

void LinkCheckTest::checkLink_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<Adapters>("adapters");
    QTest::addColumn<WifiList>("wifi");
    QTest::addColumn<QString>("failure"); // empty: the check passes
    QTest::addColumn<QString>("localAddress");

    const QString unitNet = DefaultSubnetPrefix;
    const QString notFound = "Device not found!!";
    const QString many = "Same multiple IP found!!";
    QTest::newRow("wired adapter on the subnet does not count")
        << unitNet << Adapters{{"eth0", "192.168.77.20"}, wlan0OnUnitNet} << WifiList{wlan0Connected}
        << QString() << "192.168.77.5";
    QTest::newRow("two Wi-Fi adapters on the subnet")
        << unitNet << Adapters{wlan0OnUnitNet, {"wlan1", "192.168.77.6"}}
        << WifiList{wlan0Connected, {"wlan1", true}} << many << QString();
    QTest::newRow("256 matches are still many")
        << unitNet << Adapters(16, wlan0OnUnitNet) << WifiList(16, wlan0Connected) << many << QString();
    QTest::newRow("prefix includes the third dot")
        << unitNet << Adapters{{"wlan0", "192.168.7.70"}} << WifiList{wlan0Connected} << notFound << QString();
    QTest::newRow("stale address on a disconnected interface")
        << unitNet << Adapters{wlan0OnUnitNet} << WifiList{{"wlan0", false}} << notFound << QString();
    QTest::newRow("changed prefix")
        << "10.0.0." << Adapters{{"wlan0", "192.168.77.3"}, {"wlan1", "10.0.0.12"}}
        << WifiList{wlan0Connected, {"wlan1", true}} << QString() << "10.0.0.12";
    QTest::newRow("join is case-sensitive")
        << unitNet << Adapters{{"{6B29FC40-CA47-1067-B31D-00DD010662DA}", "192.168.77.4"}}
        << WifiList{{"{6b29fc40-ca47-1067-b31d-00dd010662da}", true}} << notFound << QString();
    QTest::newRow("20th adapter is scanned")
        << unitNet << wiredAdapters(19) + Adapters{wlan0OnUnitNet} << WifiList{wlan0Connected}
        << QString() << "192.168.77.5";
    QTest::newRow("21st adapter is ignored")
        << unitNet << wiredAdapters(20) + Adapters{wlan0OnUnitNet} << WifiList{wlan0Connected}
        << notFound << QString();
    QTest::newRow("21st Wi-Fi interface is ignored")
        << unitNet << Adapters{wlan0OnUnitNet} << WifiList(20, {"idle", false}) + WifiList{wlan0Connected}
        << notFound << QString();
}

void LinkCheckTest::checkLink()
{
    QFETCH(QString, prefix);
    QFETCH(Adapters, adapters);
    QFETCH(WifiList, wifi);
    QFETCH(QString, failure);
    QFETCH(QString, localAddress);

    Rig rig;
    rig.view.modelText = "ZOR-06-WF";
    rig.view.locationText = "Hall";
    rig.discovery.subnetPrefix = prefix;
    rig.source.adapterRecords = adapters;
    rig.source.wifiRecords = wifi;

    const bool passed = rig.discovery.CheckLink();

    QCOMPARE(passed, failure.isEmpty());
    if (passed) {
        QCOMPARE(rig.discovery.localAddress, localAddress);
        QCOMPARE(rig.view.log, QStringList{"Local IP:" + localAddress});
        QCOMPARE(rig.view.addressText, "IP: 192.168.77.1");
        // The device information answer owns the labels and the linked flag.
        QCOMPARE(rig.view.calls.size(), 2);
        QVERIFY(rig.status.linked && rig.status.statusValid);
        return;
    }
    QCOMPARE(rig.view.modelText, failure);
    QCOMPARE(rig.view.modelColor, QColor(255, 0, 0));
    QCOMPARE(rig.view.locationText, QString());
    QVERIFY(!rig.status.linked);
    QVERIFY(rig.discovery.localAddress.isEmpty());
    QCOMPARE(rig.view.count("setAddressText"), 0);

    const bool reset = failure == "Device not found!!";
    QCOMPARE(rig.view.count("showNoDevice"), reset ? 1 : 0);
    QCOMPARE(rig.status.statusValid, !reset);
    QCOMPARE(rig.status.relayBits, reset ? 0 : 1);
    if (reset) // the reset must not blank the message shown after it
        QVERIFY(rig.view.indexOf("showNoDevice") < rig.view.indexOf("setModelText"));
}

void LinkCheckTest::storesFirstThreeMatchesInWifiOrder()
{
    Rig rig;
    rig.source.adapterRecords = {{"a", "192.168.77.10"}, {"b", "192.168.77.11"},
                                 {"c", "192.168.77.12"}, {"d", "192.168.77.13"}};
    rig.source.wifiRecords = {{"d", true}, {"c", true}, {"b", true}, {"a", true}};

    QCOMPARE(rig.discovery.ScanAdapters(), 4);
    QCOMPARE(rig.discovery.matches, (QStringList{"192.168.77.13", "192.168.77.12", "192.168.77.11"}));
}

void LinkCheckTest::repeatedCheckScansAfresh()
{
    Rig rig;
    rig.discovery.subnetPrefix = "10.0.0.";
    QVERIFY(rig.discovery.CheckLink());
    QVERIFY(rig.discovery.CheckLink());

    rig.source.wifiRecords = {{"wlan0", false}};
    QVERIFY(!rig.discovery.CheckLink());
    QCOMPARE(rig.discovery.localAddress, "10.0.0.17"); // kept from the last success
}

void LinkCheckTest::failingQueryIsReportedAndCheckGoesOn_data()
{
    QTest::addColumn<QString>("adapterError");
    QTest::addColumn<QString>("wifiError");

    QTest::newRow("adapter query") << "no adapter table" << QString();
    QTest::newRow("Wi-Fi query") << QString() << "WLAN service stopped";
    QTest::newRow("both queries") << "no adapter table" << "WLAN service stopped";
}

void LinkCheckTest::failingQueryIsReportedAndCheckGoesOn()
{
    QFETCH(QString, adapterError);
    QFETCH(QString, wifiError);

    Rig rig;
    rig.source.adapterQueryError = adapterError;
    rig.source.wifiQueryError = wifiError;
    for (const QString &error : {adapterError, wifiError}) {
        if (!error.isEmpty())
            rig.dialogs.expectMessageBox("Adapters: " + error, "Error", Dialogs::Error);
    }

    QVERIFY(!rig.discovery.CheckLink());

    // The other query still ran.
    QCOMPARE(rig.discovery.adapterList.size(), adapterError.isEmpty() ? 1 : 0);
    QCOMPARE(rig.discovery.wifiInterfaceList.size(), wifiError.isEmpty() ? 1 : 0);
    QCOMPARE(rig.view.modelText, "Device not found!!");
}

void LinkCheckTest::applyStaticIp_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("refusal"); // empty: accepted
    QTest::addColumn<QString>("prefix");

    QTest::newRow("unit on another network") << "192.168.1.20" << QString() << "192.168.1.";
    QTest::newRow("PC on the same network") << "10.0.0.5" << QString() << "10.0.0.";
    QTest::newRow("no range test") << "300.1.1.1" << QString() << "300.1.1.";
    QTest::newRow("empty box") << "" << "Part 1 of the address '' is empty, not a valid integer value" << QString();
    QTest::newRow("three parts")
        << "192.168.1" << "Part 4 of the address '192.168.1' is empty, not a valid integer value" << QString();
    QTest::newRow("letter in a part")
        << "192.168.x.5" << "Part 3 of the address '192.168.x.5', 'x', is not a valid integer value" << QString();
    QTest::newRow("sign in a part")
        << "192.168.1.-5" << "Part 4 of the address '192.168.1.-5', '-5', is not a valid integer value" << QString();
    QTest::newRow("five parts") << "1.2.3.4.5" << "The address '1.2.3.4.5' has more than four parts" << QString();
    QTest::newRow("empty inner part")
        << "1..2.3" << "Part 2 of the address '1..2.3' is empty, not a valid integer value" << QString();
}

void LinkCheckTest::applyStaticIp()
{
    QFETCH(QString, entry);
    QFETCH(QString, refusal);
    QFETCH(QString, prefix);

    Rig rig; // its fixed Wi-Fi adapter is on the "10.0.0." subnet (a text, never reached)
    const QString lengthLine = "Remote_ip Len => " + QString::number(entry.size());
    // As the monitor window's "Static IP" button does.
    if (!refusal.isEmpty())
        rig.dialogs.expectMessageBox(refusal, QCoreApplication::applicationName(), Dialogs::Error);
    const QString error = rig.discovery.ApplyStaticIp(entry);
    rig.presenter.addressEntered(entry, error);
    if (error.isEmpty())
        rig.discovery.CheckLink();

    QCOMPARE(error, refusal);
    if (!refusal.isEmpty()) {
        QCOMPARE(rig.view.calls, QStringList{"appendLog(" + lengthLine + ")"}); // no link check either
        QCOMPARE(rig.link.deviceAddress, "192.168.77.1");
        QCOMPARE(rig.discovery.subnetPrefix, "192.168.77.");
        return;
    }
    const bool linkPasses = prefix == "10.0.0.";
    QStringList log{lengthLine, "cc3200_default_IP => " + prefix};
    if (linkPasses)
        log.append("Local IP:10.0.0.17");
    QCOMPARE(rig.view.log, log);
    QCOMPARE(rig.link.deviceAddress, entry);
    QCOMPARE(rig.discovery.subnetPrefix, prefix);
    QCOMPARE(rig.view.statusHistory, QStringList{"Change IP => " + entry});
    QCOMPARE(rig.view.addressText, linkPasses ? "IP: " + entry : QString());
    QCOMPARE(rig.view.modelText, linkPasses ? QString() : QString("Device not found!!"));
}

QTEST_GUILESS_MAIN(LinkCheckTest)
#include "test_discovery.moc"

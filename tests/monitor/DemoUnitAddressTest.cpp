#include "DemoUnitAddressTest.h"

#include "DemoUnitAddress.h"

#include <QTest>

void DemoUnitAddressTest::loopbackAddressesAreTaken_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("adapter");
    QTest::newRow("embedded unit") << "127.0.77.1" << "127.0.77." << "127.0.77.100";
    QTest::newRow("zorsim default") << "127.0.0.5" << "127.0.0." << "127.0.0.100";
    QTest::newRow("edge of the block") << "127.255.255.254" << "127.255.255." << "127.255.255.100";
}

void DemoUnitAddressTest::loopbackAddressesAreTaken()
{
    QFETCH(QString, text);
    const auto address = demoUnitAddress(text);
    QVERIFY(address);
    QCOMPARE(address->unit, text);
    QTEST(address->subnetPrefix, "prefix");
    QTEST(address->adapterAddress, "adapter");
}

void DemoUnitAddressTest::everythingElseIsRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("unit's access point") << "192.168.77.1";
    QTest::newRow("private network") << "10.0.0.5";
    QTest::newRow("private 172") << "172.16.0.1";
    QTest::newRow("any address") << "0.0.0.0";
    QTest::newRow("host name") << "localhost";
    QTest::newRow("short form") << "127.1";
    QTest::newRow("blank around") << " 127.0.0.5";
    QTest::newRow("IPv6 loopback") << "::1";
    QTest::newRow("octet out of range") << "127.0.0.300";
    QTest::newRow("empty") << "";
}

void DemoUnitAddressTest::everythingElseIsRefused()
{
    QFETCH(QString, text);
    QVERIFY(!demoUnitAddress(text));
}

QTEST_GUILESS_MAIN(DemoUnitAddressTest)

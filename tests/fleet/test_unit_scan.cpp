// The scan core against simulated units on loopback.
#include "SimulatorThread.h"
#include "UnitScan.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(UnitFaults)

class UnitScanTest : public QObject {
    Q_OBJECT
private slots:
    void scanHosts_data()
    {
        QTest::addColumn<QString>("cidr");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("/24 skips network and broadcast") << "127.0.0.0/24" << 254 << "127.0.0.1" << "127.0.0.254";
        QTest::newRow("host bits are dropped") << "127.0.1.77/30" << 2 << "127.0.1.77" << "127.0.1.78";
        QTest::newRow("/31 keeps both") << "127.0.0.4/31" << 2 << "127.0.0.4" << "127.0.0.5";
        QTest::newRow("/32 is the host") << "127.0.0.9/32" << 1 << "127.0.0.9" << "127.0.0.9";
        QTest::newRow("/16 is the widest") << "127.1.0.0/16" << 65534 << "127.1.0.1" << "127.1.255.254";
        QTest::newRow("/15 refused") << "127.0.0.0/15" << 0 << "" << "";
        QTest::newRow("no prefix") << "127.0.0.1" << 0 << "" << "";
        QTest::newRow("not an address") << "unit/24" << 0 << "" << "";
        QTest::newRow("IPv6") << "::1/128" << 0 << "" << "";
        QTest::newRow("prefix over 32") << "127.0.0.0/33" << 0 << "" << "";
    }
    void scanHosts()
    {
        QFETCH(QString, cidr);
        QFETCH(int, count);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QString error;
        const QList<QHostAddress> hosts = ::scanHosts(cidr, &error);
        QCOMPARE(hosts.size(), count);
        QCOMPARE(error.isEmpty(), count > 0);
        if (count > 0) {
            QCOMPARE(hosts.first().toString(), first);
            QCOMPARE(hosts.last().toString(), last);
        }
    }

    void cappedSubnet_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("prefix");
        QTest::addColumn<QString>("subnet");
        QTest::newRow("/24 stays") << "10.1.2.3" << 24 << "10.1.2.0/24";
        QTest::newRow("/16 narrows to the /22 around it") << "10.1.6.3" << 16 << "10.1.4.0/22";
        QTest::newRow("/8 narrows too") << "10.200.255.1" << 8 << "10.200.252.0/22";
        QTest::newRow("/30 stays") << "192.168.77.5" << 30 << "192.168.77.4/30";
    }
    void cappedSubnet()
    {
        QFETCH(QString, address);
        QFETCH(int, prefix);
        QFETCH(QString, subnet);
        QCOMPARE(::cappedSubnet(QHostAddress(address), prefix), subnet);
    }

    void listsOnlyValidDeviceInformation_data()
    {
        QTest::addColumn<UnitFaults>("faults");
        QTest::addColumn<bool>("listed");
        UnitFaults f;
        QTest::newRow("healthy") << f << true;
        f.oversizeAnswer = true;
        QTest::newRow("oversize answer, cut at the buffer") << f << true;
        f = {};
        f.splitAnswer = true;
        QTest::newRow("answer in two pieces") << f << true;
        f = {};
        f.negativeStatus = true;
        QTest::newRow("refused") << f << false;
        f = {};
        f.wrongMagic = true;
        QTest::newRow("wrong magic") << f << false;
        f = {};
        f.noAnswer = true;
        QTest::newRow("silent") << f << false;
        f = {};
        f.otherAddress = QHostAddress("127.16.3.99");
        QTest::newRow("reports another address") << f << false;
        f = {};
        f.refuseConnections = true;
        QTest::newRow("refuses connections") << f << false;
        f = {};
        f.resetMidAnswer = true;
        QTest::newRow("reset mid answer") << f << false;
    }
    void listsOnlyValidDeviceInformation()
    {
        QFETCH(UnitFaults, faults);
        QFETCH(bool, listed);
#ifdef Q_OS_WIN
        if (faults.refuseConnections)
            QSKIP("fails under Wine 8: a refused loopback connect keeps the scan from finishing within 3 s");
#endif
        SimulatorThread sim;
        QVERIFY(sim.start(QHostAddress("127.16.3.1"), {ModelZor06, {}, 0, faults}));
        UnitScan scan;
        QSignalSpy finished(&scan, &UnitScan::finished);
        scan.start({QHostAddress("127.16.3.1")}, 4, 400);
        QVERIFY(finished.wait(3000));
        QCOMPARE(scan.sightings().size(), listed ? 1 : 0);
        QCOMPARE(scan.unlisted(), listed ? 0 : 1);
    }

    void findsTheUnitsOfASubnetSortedWithTheirFields()
    {
        SimulatorThread a, b, silent;
        QVERIFY(a.start(QHostAddress("127.16.4.9"), {ModelZor04Rtu, {}, 0, {}}));
        QVERIFY(b.start(QHostAddress("127.16.4.2")));
        UnitFaults mute;
        mute.noAnswer = true;
        QVERIFY(silent.start(QHostAddress("127.16.4.5"), {ModelZor06, {}, 0, mute}));
        a.unit().updateState([](UnitState &s) {
            s.mac = {0xAA, 0xBB, 0xCC, 0x01, 0x02, 0x0F};
            s.settings.location = "Caf\xe9";
            s.wifiMode = WifiModeStation;
            s.sdPresent = false;
            s.rssi = -71;
        });

        UnitScan scan;
        QSignalSpy finished(&scan, &UnitScan::finished);
        QSignalSpy sighted(&scan, &UnitScan::sighted);
        QSignalSpy progress(&scan, &UnitScan::progress);
        QElapsedTimer clock;
        clock.start();
        scan.start(::scanHosts("127.16.4.0/28", nullptr), 64, 500);
        QVERIFY(finished.wait(5000));
        QVERIFY2(clock.elapsed() < 1500, "the silent host holds up only its own probe");

        const QList<UnitSighting> units = scan.sightings();
        QCOMPARE(units.size(), 2);
        QCOMPARE(sighted.size(), 2);
        QCOMPARE(scan.unlisted(), 12);
        QCOMPARE(units[0].address, "127.16.4.2");
        QCOMPARE(units[0].model, "ZOR-06-WF");
        QCOMPARE(units[0].wifiMode, "ap");
        const UnitSighting &rtu = units[1];
        QCOMPARE(rtu.address, "127.16.4.9");
        QCOMPARE(rtu.model, "ZOR-04-RTU-WF");
        QCOMPARE(rtu.mac, "AA:BB:CC:01:02:0F");
        QCOMPARE(rtu.location, QString::fromUtf8("Café"));
        QCOMPARE(rtu.firmware, "FW: V01.20");
        QCOMPARE(rtu.sd, "SD : N/A");
        QCOMPARE(rtu.rssi, -71);
        QCOMPARE(rtu.wifiMode, "station");
        QCOMPARE(progress.last(), (QList<QVariant>{14, 14}));
    }

    void cancelStopsAtOnce()
    {
        SimulatorThread silent;
        UnitFaults mute;
        mute.noAnswer = true;
        QVERIFY(silent.start(QHostAddress("127.16.5.1"), {ModelZor06, {}, 0, mute}));
        UnitScan scan;
        QSignalSpy finished(&scan, &UnitScan::finished);
        scan.start({QHostAddress("127.16.5.1")}, 1, 10000);
        QTest::qWait(100);
        scan.cancel();
        QCOMPARE(finished.size(), 1);
        QVERIFY(!scan.isRunning());
        QTest::qWait(50);
        QCOMPARE(finished.size(), 1);
    }
};

QTEST_GUILESS_MAIN(UnitScanTest)
#include "test_unit_scan.moc"

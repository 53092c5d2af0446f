// zorctl as a black box against a simulated unit.
#include "SimulatorThread.h"
#include "SingleByteText.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

#include "ZorCtlRun.h"

Q_DECLARE_METATYPE(UnitFaults)

namespace {

QString nextAddress()
{
    static int next = 10;
    return QStringLiteral("127.0.2.%1").arg(next++);
}
} // namespace

class CtlTest : public QObject {
    Q_OBJECT
private slots:
    void infoAsJson()
    {
        SimulatorThread sim;
        const QString address = nextAddress();
        QVERIFY(sim.start(QHostAddress(address), {ModelZor04Rtu, {}, 0, {}}));
        sim.unit().updateState([](UnitState &s) {
            s.mac = {0xAA, 0xBB, 0xCC, 0x01, 0x02, 0x03};
            s.settings.location = "Pump room";
            s.settings.modbusPort = 1502;
            s.inputBits = 0x3F; // masked to the four inputs of the model
            s.relayBits = 1;
            s.volume = 6;
            s.armed = 1;
            s.rssi = -58;
        });
        const ZorCtlRun run = zorctl({"--address", address, "--json", "info"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.contains("Get Device Linked!!"));
        const QJsonObject o = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(o["model"].toString(), "ZOR-04-RTU-WF");
        QCOMPARE(o["modelCode"].toInt(), 190);
        QCOMPARE(o["address"].toString(), address);
        QCOMPARE(o["mac"].toString(), "AA:BB:CC:01:02:03");
        QCOMPARE(o["firmware"].toString(), "FW: V01.20");
        QCOMPARE(o["sd"].toString(), "SD Free:3.05/(7.45)GB");
        QCOMPARE(o["sdPresent"].toBool(), true);
        QCOMPARE(o["location"].toString(), "Pump room");
        QCOMPARE(o["modbusPort"].toInt(), 1502);
        QCOMPARE(o["inputs"].toInt(), 0x0F);
        QCOMPARE(o["relay"].toInt(), 1);
        QCOMPARE(o["volume"].toInt(), 6);
        QCOMPARE(o["armed"].toInt(), 1);
        QCOMPARE(o["rssi"].toInt(), -58);
        for (const char *key : {"apSsid", "apKeyType", "stationSsid", "stationKeyType", "wifiMode", "modbusIdleTimeout",
                                "staticIpUsed", "staticIp", "subnetMask", "gateway", "deviceMode"})
            QVERIFY2(o.contains(key), key);

        sim.unit().updateState([](UnitState &s) { s.rssi = 0; });
        QVERIFY(!QJsonDocument::fromJson(zorctl({"--address", address, "--json", "status"}).out).object().contains("rssi"));
    }

    // What the unit calls itself reaches the terminal with its control characters made visible.
    void unitTextIsPrintedVisibly_data()
    {
        QTest::addColumn<QByteArray>("unitText"); // in the PC's code page, as the unit sends it
        QTest::addColumn<QString>("printed");
        QTest::newRow("title and clear screen") << QByteArray("\x1b]0;owned\x07\x1b[2J") << "\\x1b]0;owned\\x07\\x1b[2J";
        QTest::newRow("carriage return") << QByteArray("Hall\rDONE") << "Hall\\rDONE";
        QTest::newRow("line feed and tab") << QByteArray("a\nb\tc") << "a\\nb\\tc";
#ifdef Q_OS_WIN
        // Code page 1252 has a quotation mark where Latin-1 has the terminal's control introducer.
        QTest::newRow("C1 introducer") << QByteArray("\x9b" "2J\x7f") << QString::fromUtf8("\u203a2J\\x7f");
#else
        QTest::newRow("C1 introducer") << QByteArray("\x9b" "2J\x7f") << "\\x9b2J\\x7f";
#endif
        QTest::newRow("accented and backslash") << QByteArray("Salle \xe9t\xe9 C:\\x") << QString::fromUtf8("Salle été C:\\x");
    }
    void unitTextIsPrintedVisibly()
    {
        QFETCH(QByteArray, unitText);
        QFETCH(QString, printed);
        SimulatorThread sim;
        const QString address = nextAddress();
        QVERIFY(sim.start(QHostAddress(address)));
        sim.unit().updateState([&](UnitState &s) { s.settings.location = s.settings.apSsid = unitText; });
        const ZorCtlRun plain = zorctl({"--address", address, "info"});
        QCOMPARE(plain.exitCode, 0);
        for (const QString key : {"location: ", "apSsid: "})
            QVERIFY2(plain.out.contains((key + printed + "\n").toUtf8()), plain.out.constData());
        const ZorCtlRun json = zorctl({"--address", address, "--json", "info"});
        QCOMPARE(QJsonDocument::fromJson(json.out).object()["location"].toString(), fromSingleByte(unitText));
        for (const QByteArray &out : {plain.out + plain.err, json.out + json.err}) {
            const QString text = QString::fromUtf8(out);
            QVERIFY(std::none_of(text.begin(), text.end(), [](QChar c) {
                return c != '\n' && (c < ' ' || (c >= QChar(0x7F) && c < QChar(0xA0)));
            }));
        }
    }

    void commandsPutTheMonitorsBytesOnTheWire_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("out");
        // The unit stands at volume 7, armed: volume keeps the arming, arming keeps the volume.
        QTest::newRow("relay on") << QStringList{"relay", "on"} << QByteArray("5a3577a5d001010000") << QByteArray("Set DO Done! DI:00\n");
        QTest::newRow("volume 0") << QStringList{"volume", "0"} << QByteArray("5a3577a540e0000100") << QByteArray("done\n");
        QTest::newRow("disarm") << QStringList{"disarm"} << QByteArray("5a3577a540180700 01") << QByteArray("done\n");
        QTest::newRow("arm") << QStringList{"arm"} << QByteArray("5a3577a540180701 01") << QByteArray("done\n");
        QTest::newRow("locate") << QStringList{"locate"} << QByteArray("5a3577a51d00000000") << QByteArray("Set Locator done!\n");
    }
    void commandsPutTheMonitorsBytesOnTheWire()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, out);
        SimulatorThread sim;
        const QString address = nextAddress();
        QVERIFY(sim.start(QHostAddress(address)));
        sim.unit().updateState([](UnitState &s) { s.volume = 7; s.armed = 1; });
        const ZorCtlRun run = zorctl(QStringList{"--address", address} + arguments);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, out);
        const auto frames = sim.unit().receivedFrames();
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames.first().toHex(), QByteArray("5a3577a5210000"));
        QCOMPARE(frames.last().toHex(), QByteArray::fromHex(frame).toHex());
    }

    void exitStatuses_data()
    {
        QTest::addColumn<UnitFaults>("faults");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        UnitFaults f;
        f.refuseConnections = true;
        QTest::newRow("refused") << f << QStringList{"info"} << 3 << "Connect Timeout";
        f = {};
        f.wrongMagic = true;
        QTest::newRow("wrong magic") << f << QStringList{"status"} << 1 << "InValid Header package!";
        f = {};
        f.noAnswer = true;
        QTest::newRow("no answer") << f << QStringList{"info"} << 1 << "no answer";
        f = {};
        f.negativeStatus = true;
        QTest::newRow("refused request") << f << QStringList{"relay", "off"} << 1 << "refused";
        f = {};
        f.otherAddress = QHostAddress("127.0.0.99");
        QTest::newRow("another unit") << f << QStringList{"info"} << 1 << "answers as 127.0.0.99";
        f = {};
        QTest::newRow("unknown command") << f << QStringList{"dance"} << 2 << "A subcommand is required";
        QTest::newRow("volume out of range") << f << QStringList{"volume", "11"} << 2 << "not in range 0 to 10";
        QTest::newRow("relay without state") << f << QStringList{"relay"} << 2 << "state is required";
        QTest::newRow("unknown option") << f << QStringList{"--fast", "info"} << 2 << "not expected: --fast";
    }
    void exitStatuses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QFETCH(UnitFaults, faults);
        SimulatorThread sim;
        const QString address = nextAddress();
        QVERIFY(sim.start(QHostAddress(address), {ModelZor06, {}, 0, faults}));
        const ZorCtlRun run = zorctl(QStringList{"--address", address} + arguments);
        QTEST(run.exitCode, "exitCode");
        QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
        QVERIFY(run.out.isEmpty());
        QVERIFY(!run.err.contains("terminate")); // one clear line, never a crash
    }
};

QTEST_GUILESS_MAIN(CtlTest)
#include "test_ctl.moc"

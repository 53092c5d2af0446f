#include "ProbeMetrics.h"
#include "ProbeTarget.h"
#include "ScrapeRequest.h"
#include "SimulatorThread.h"
#include "UnitProbe.h"

#include <QTest>

Q_DECLARE_METATYPE(UnitFaults)

namespace {
const QString UnitAddress = QStringLiteral("127.43.0.1");
} // namespace

class ExporterCoreTest : public QObject {
    Q_OBJECT

private slots:
    void requestHead_data();
    void requestHead();
    void targetCheck_data();
    void targetCheck();
    void probeBudget_data();
    void probeBudget();
    void probeMetrics_data();
    void probeMetrics();
    void sdAmounts_data();
    void sdAmounts();
};

void ExporterCoreTest::requestHead_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("target");

    const QByteArray tail = " HTTP/1.1\r\nHost: x\r\n";
    QTest::newRow("probe") << "GET /probe?target=127.0.0.2" + tail << 0 << "127.0.0.2";
    QTest::newRow("percent-encoded target is decoded") << "GET /probe?target=127%2E0.0.2" + tail << 0 << "127.0.0.2";
    QTest::newRow("no target is left to the allow list") << "GET /probe" + tail << 0 << "";
    QTest::newRow("metrics") << "GET /metrics" + tail << 0 << "";
    QTest::newRow("HTTP/1.0") << QByteArray("GET / HTTP/1.0\r\n") << 0 << "";
    QTest::newRow("POST") << "POST /probe?target=127.0.0.2" + tail << 405 << "";
    QTest::newRow("HEAD") << "HEAD /metrics" + tail << 405 << "";
    QTest::newRow("lower-case get") << "get /metrics" + tail << 405 << "";
    QTest::newRow("unknown page") << "GET /probe/../etc" + tail << 404 << "";
    QTest::newRow("absolute URI") << "GET http://10.0.0.1/probe?target=10.0.0.1" + tail << 400 << "";
    QTest::newRow("HTTP/2") << QByteArray("GET /metrics HTTP/2.0\r\n") << 400 << "";
    QTest::newRow("extra word") << QByteArray("GET /metrics x HTTP/1.1\r\n") << 400 << "";
    QTest::newRow("unknown parameter") << "GET /probe?target=127.0.0.2&module=x" + tail << 400 << "";
    QTest::newRow("target twice") << "GET /probe?target=127.0.0.2&target=10.0.0.1" + tail << 400 << "";
    QTest::newRow("metrics with a query") << "GET /metrics?target=1" + tail << 400 << "";
    QTest::newRow("query too long") << "GET /probe?target=" + QByteArray(300, '1') + tail << 414 << "";
    QTest::newRow("request line too long") << "GET /" + QByteArray(2000, 'a') + tail << 414 << "";
    QTest::newRow("body announced") << "GET /metrics" + tail + "Content-Length: 5\r\n" << 400 << "";
    QTest::newRow("empty body announced") << "GET /metrics" + tail + "Content-Length: 0\r\n" << 0 << "";
    QTest::newRow("chunked body") << "GET /metrics" + tail + "Transfer-Encoding: chunked\r\n" << 400 << "";
    QTest::newRow("folded header") << "GET /metrics" + tail + " folded\r\n" << 400 << "";
    QTest::newRow("header without colon") << "GET /metrics" + tail + "Broken\r\n" << 400 << "";
    QTest::newRow("too many headers") << "GET /metrics" + tail + QByteArray("A: b\r\n").repeated(70) << 431 << "";
    QTest::newRow("head too large") << "GET /metrics" + tail + "A: " + QByteArray(9000, 'b') << 431 << "";
}

void ExporterCoreTest::requestHead()
{
    QFETCH(QByteArray, head);
    QFETCH(int, code);
    QFETCH(QString, target);

    const ScrapeRequest request = parseScrapeRequest(head);
    QCOMPARE(request.refusalCode, code);
    QCOMPARE(request.refusal.isEmpty(), code == 0);
    QVERIFY(!request.refusal.contains(u'\n'));
    if (code == 0)
        QCOMPARE(request.target, target);
}

void ExporterCoreTest::targetCheck_data()
{
    QTest::addColumn<QStringList>("allow"); // empty: the default
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("allowed");

    const QStringList site{"10.20.0.0/16", "192.168.77.0/24"};
    QTest::newRow("loopback by default") << QStringList() << "127.0.0.5" << true;
    QTest::newRow("other loopback by default") << QStringList() << "127.255.1.2" << true;
    QTest::newRow("site address by default") << QStringList() << "192.168.77.1" << false;
    QTest::newRow("inside a given subnet") << site << "10.20.3.4" << true;
    QTest::newRow("inside the second subnet") << site << "192.168.77.1" << true;
    QTest::newRow("next to a given subnet") << site << "10.21.0.1" << false;
    QTest::newRow("loopback once subnets are given") << site << "127.0.0.1" << false;
    QTest::newRow("host bits in the subnet") << QStringList{"10.20.30.40/16"} << "10.20.99.1" << true;
    QTest::newRow("empty") << QStringList() << "" << false;
    QTest::newRow("name") << QStringList() << "localhost" << false;
    QTest::newRow("short form") << QStringList() << "127.1" << false;
    QTest::newRow("integer form") << QStringList() << "2130706433" << false;
    QTest::newRow("hex octet") << QStringList() << "0x7f.0.0.1" << false;
    QTest::newRow("leading zero, octal elsewhere") << QStringList() << "127.0.0.010" << false;
    QTest::newRow("octet above 255") << QStringList() << "127.0.0.256" << false;
    QTest::newRow("sign") << QStringList() << "127.0.0.+1" << false;
    QTest::newRow("five parts") << QStringList() << "127.0.0.1.1" << false;
    QTest::newRow("port") << QStringList() << "127.0.0.1:80" << false;
    QTest::newRow("trailing blank") << QStringList() << "127.0.0.1 " << false;
    QTest::newRow("NUL inside") << QStringList() << QString("127.0.0.1") + QChar(0) + "0" << false;
    QTest::newRow("full-width digits") << QStringList() << QString::fromUtf8("１２７.0.0.1") << false;
    QTest::newRow("IPv6 loopback") << QStringList() << "::1" << false;
    QTest::newRow("any address, even when all are allowed") << QStringList{"0.0.0.0/0"} << "0.0.0.0" << false;
    QTest::newRow("broadcast") << QStringList{"0.0.0.0/0"} << "255.255.255.255" << false;
    QTest::newRow("multicast") << QStringList{"0.0.0.0/0"} << "224.0.0.1" << false;
}

void ExporterCoreTest::targetCheck()
{
    QFETCH(QStringList, allow);
    QFETCH(QString, target);
    QFETCH(bool, allowed);

    TargetAllowList list;
    if (!allow.isEmpty()) {
        QList<Ipv4Subnet> subnets;
        for (const QString &text : allow) {
            const std::optional<Ipv4Subnet> subnet = parseSubnet(text);
            QVERIFY2(subnet, qPrintable(text));
            subnets << *subnet;
        }
        list = TargetAllowList(subnets);
    }
    const QString refusal = list.refusal(target);
    QCOMPARE(refusal.isEmpty(), allowed);
    QVERIFY(!refusal.contains(u'\n'));
}

void ExporterCoreTest::probeBudget_data()
{
    QTest::addColumn<QByteArray>("header"); // empty: not sent
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<int>("budgetMs");

    QTest::newRow("no header: --timeout") << QByteArray() << 9500 << 9500;
    QTest::newRow("Prometheus default") << QByteArray("10") << 60000 << 9500;
    QTest::newRow("fractional") << QByteArray("2.5") << 60000 << 2000;
    QTest::newRow("short scrape keeps a quarter") << QByteArray("0.4") << 60000 << 300;
    QTest::newRow("--timeout is the ceiling") << QByteArray("120") << 5000 << 5000;
    QTest::newRow("huge") << QByteArray("1e300") << 5000 << 5000;
    QTest::newRow("zero: ignored") << QByteArray("0") << 5000 << 5000;
    QTest::newRow("negative: ignored") << QByteArray("-3") << 5000 << 5000;
    QTest::newRow("not a number: ignored") << QByteArray("soon") << 5000 << 5000;
    QTest::newRow("NaN: ignored") << QByteArray("nan") << 5000 << 5000;
    QTest::newRow("infinite: ignored") << QByteArray("inf") << 5000 << 5000;
}

void ExporterCoreTest::probeBudget()
{
    QFETCH(QByteArray, header);
    QFETCH(int, timeoutMs);
    QFETCH(int, budgetMs);

    QByteArray head = "GET /metrics HTTP/1.1\r\n";
    if (!header.isNull())
        head += "X-Prometheus-Scrape-Timeout-Seconds: " + header + "\r\n";
    const ScrapeRequest request = parseScrapeRequest(head);
    QVERIFY(!request.refused());
    QCOMPARE(probeBudgetMs(request.scrapeTimeoutSeconds, timeoutMs), budgetMs);
}

void ExporterCoreTest::probeMetrics_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<UnitFaults>("faults");
    QTest::addColumn<QByteArray>("location");
    QTest::addColumn<bool>("sd");
    QTest::addColumn<QByteArrayList>("present"); // parts of lines
    QTest::addColumn<QByteArrayList>("absent");  // metric names

    const QByteArrayList unitMetrics{"zorwifi_unit_info", "zorwifi_rssi_dbm", "zorwifi_input_active", "zorwifi_relay_on",
                                     "zorwifi_armed", "zorwifi_volume", "zorwifi_sd_card_present", "zorwifi_sd_free_bytes"};
    const QByteArrayList failed{"zorwifi_probe_success 0"};
    QTest::newRow("six inputs, DI2 raised")
        << int(ModelZor06) << UnitFaults{} << QByteArray("Hall 2") << true
        << QByteArrayList{"zorwifi_probe_success 1",
                          "zorwifi_unit_info{model=\"ZOR-06-WF\",mac=\"02:5A:77:2B:00:01\",firmware=\"01.20\","
                          "location=\"Hall 2\",wifi_mode=\"ap\"} 1",
                          "zorwifi_rssi_dbm -60", "zorwifi_input_active{input=\"DI1\"} 0",
                          "zorwifi_input_active{input=\"DI2\"} 1", "zorwifi_input_active{input=\"DI3\"} 0",
                          "zorwifi_input_active{input=\"DI6\"} 1",
                          "zorwifi_relay_on 1", "zorwifi_armed 1", "zorwifi_volume 7", "zorwifi_sd_card_present 1",
                          "zorwifi_sd_free_bytes 3050000000", "zorwifi_sd_total_bytes 7450000000"}
        << QByteArrayList{"zorwifi_input_active{input=\"DI7\"}"};
    QTest::newRow("four inputs: DI5 and DI6 masked off")
        << int(ModelZor04Rtu) << UnitFaults{} << QByteArray() << false
        << QByteArrayList{"zorwifi_input_active{input=\"DI4\"} 0", "zorwifi_sd_card_present 0",
                          "zorwifi_unit_info{model=\"ZOR-04-RTU-WF\""}
        << QByteArrayList{"zorwifi_input_active{input=\"DI5\"}", "zorwifi_sd_free_bytes", "zorwifi_sd_total_bytes"};
    QTest::newRow("hostile location is escaped, one line")
        << int(ModelZor06) << UnitFaults{} << QByteArray("a\"b\\c\nzorwifi_armed 9\x1b") << true
        << QByteArrayList{"location=\"a\\\"b\\\\c\\\\nzorwifi_armed 9\\\\x1b\""} << QByteArrayList{"zorwifi_armed 9"};
    QTest::newRow("silent unit") << int(ModelZor06) << UnitFaults{.noAnswer = true} << QByteArray() << true << failed
                                 << unitMetrics;
    QTest::newRow("status silent after device information")
        << int(ModelZor06) << UnitFaults{.noAnswer = true, .onlyForCode = codeOf(Command::StatusPoll)} << QByteArray()
        << true << failed << unitMetrics;
    QTest::newRow("status refused") << int(ModelZor06)
                                    << UnitFaults{.negativeStatus = true, .onlyForCode = codeOf(Command::StatusPoll)}
                                    << QByteArray() << true << failed << unitMetrics;
    QTest::newRow("wrong magic") << int(ModelZor06) << UnitFaults{.wrongMagic = true} << QByteArray() << true << failed
                                 << unitMetrics;
    QTest::newRow("answers another code") << int(ModelZor06) << UnitFaults{.misEcho = true} << QByteArray() << true
                                          << failed << unitMetrics;
    QTest::newRow("another unit's address")
        << int(ModelZor06) << UnitFaults{.otherAddress = QHostAddress("127.43.0.2")} << QByteArray() << true << failed
        << unitMetrics;
    QTest::newRow("connection refused") << int(ModelZor06) << UnitFaults{.refuseConnections = true} << QByteArray()
                                        << true << failed << unitMetrics;
    QTest::newRow("cut answer") << int(ModelZor06) << UnitFaults{.resetMidAnswer = true} << QByteArray() << true
                                << failed << unitMetrics;
}

void ExporterCoreTest::probeMetrics()
{
    QFETCH(int, model);
    QFETCH(UnitFaults, faults);
    QFETCH(QByteArray, location);
    QFETCH(bool, sd);
    QFETCH(QByteArrayList, present);
    QFETCH(QByteArrayList, absent);

    SimulatorThread simulator;
    QVERIFY(simulator.start(QHostAddress(UnitAddress), {.model = std::uint8_t(model)}));
    simulator.unit().updateState([&](UnitState &state) {
        state.settings.location = location;
        state.sdPresent = sd;
        state.inputBits = 0x32; // DI2, DI5, DI6
        state.relayBits = 1;
        state.armed = 1;
        state.volume = 7;
    });
    simulator.setFaults(faults);

    const ProbeReport report = probeUnit(UnitAddress, 800);
    QVERIFY2(report.seconds < 1.0, qPrintable(QString::number(report.seconds)));
    const QByteArray text = ::probeMetrics(report);
    const QByteArrayList lines = text.split('\n');
    for (const QByteArray &line : present)
        QVERIFY2(std::any_of(lines.begin(), lines.end(), [&](const QByteArray &l) { return l.contains(line); }), line + "\n" + text);
    for (const QByteArray &name : absent)
        QVERIFY2(!std::any_of(lines.begin(), lines.end(), [&](const QByteArray &l) { return l.startsWith(name); }), name + "\n" + text);
    QVERIFY(lines.contains("zorwifi_probe_duration_seconds " + QByteArray::number(report.seconds, 'g', 15)));
}

void ExporterCoreTest::sdAmounts_data()
{
    QTest::addColumn<int>("whole");
    QTest::addColumn<int>("hundredths");
    QTest::addColumn<qint64>("bytes"); // -1: not reported

    QTest::newRow("3.05 GB") << 3 << 5 << qint64(3050000000);
    QTest::newRow("largest") << 255 << 99 << qint64(255990000000);
    QTest::newRow("empty") << 0 << 0 << qint64(0);
    QTest::newRow("hundredths out of range") << 1 << 100 << qint64(-1);
}

void ExporterCoreTest::sdAmounts()
{
    QFETCH(int, whole);
    QFETCH(int, hundredths);
    QFETCH(qint64, bytes);
    QCOMPARE(sdBytes({std::uint8_t(whole), std::uint8_t(hundredths)}).value_or(-1), bytes);
}

QTEST_GUILESS_MAIN(ExporterCoreTest)
#include "test_exporter_core.moc"

#include "ExporterServer.h"
#include "SimulatorThread.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

const QHostAddress ExporterAddress("127.43.1.250");
// Units inside the allowed subnet; the trap outside it must never be connected to.
const QString AllowedSubnet = QStringLiteral("127.43.1.0/24");
const QHostAddress Trap("127.43.2.1");

struct Reply {
    int code = 0;
    QByteArray body;
    qint64 ms = 0;
};

// Sends raw requests at once and waits for every answer, the exporter running meanwhile.
QList<Reply> send(quint16 port, const QList<QByteArray> &requests, int waitMs = 15000)
{
    QList<Reply> replies(requests.size());
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    int open = int(requests.size());
    for (qsizetype i = 0; i < requests.size(); ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        QTcpSocket *s = socket.get();
        QByteArray *received = &replies[i].body;
        QObject::connect(s, &QTcpSocket::readyRead, s, [s, received] { *received += s->readAll(); });
        QObject::connect(s, &QTcpSocket::disconnected, s, [&, i, s] {
            replies[i].body += s->readAll();
            replies[i].ms = clock.elapsed();
            if (--open == 0)
                loop.quit();
        });
        s->connectToHost(ExporterAddress, port);
        s->write(requests[i]);
        sockets.push_back(std::move(socket));
    }
    QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
    loop.exec();
    for (Reply &reply : replies) {
        const QByteArray status = reply.body.left(reply.body.indexOf("\r\n"));
        reply.code = status.startsWith("HTTP/1.1 ") ? status.mid(9, 3).toInt() : 0;
        reply.body = reply.body.mid(reply.body.indexOf("\r\n\r\n") + 4);
    }
    return replies;
}

QByteArray probe(const QString &target, const QByteArray &scrapeTimeout = "3")
{
    return "GET /probe?target=" + target.toLatin1() + " HTTP/1.1\r\nHost: x\r\nX-Prometheus-Scrape-Timeout-Seconds: "
           + scrapeTimeout + "\r\n\r\n";
}

} // namespace

class ExporterServerTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void hostileRequests_data();
    void hostileRequests();
    void silentUnitsHoldUpOnlyTheirOwnScrapes();
    void scrapeEndsInTimeWhenEveryProbeThreadIsBusy();

private:
    std::unique_ptr<ExporterServer> exporter;
    std::unique_ptr<QTcpServer> trap;
    int trapped = 0;
};

void ExporterServerTest::init()
{
    exporter = std::make_unique<ExporterServer>(TargetAllowList({*parseSubnet(AllowedSubnet)}), 5000);
    QVERIFY(exporter->listen(ExporterAddress, 0));
    trap = std::make_unique<QTcpServer>();
    trapped = 0;
    QVERIFY(trap->listen(Trap, DevicePort));
    connect(trap.get(), &QTcpServer::newConnection, this, [this] { ++trapped; });
}

void ExporterServerTest::hostileRequests_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("code");

    const QByteArray end = " HTTP/1.1\r\n\r\n";
    QTest::newRow("outside the allowed subnet") << probe(Trap.toString()) << 400;
    QTest::newRow("integer form of the trap") << probe(QString::number(Trap.toIPv4Address())) << 400;
    QTest::newRow("NUL after the address") << probe("127.43.1.9%00.127.43.2.1") << 400;
    QTest::newRow("second target") << probe("127.43.1.9&target=127.43.2.1") << 400;
    QTest::newRow("name") << probe("localhost") << 400;
    QTest::newRow("oversized target") << probe(QString(4000, u'1')) << 414;
    QTest::newRow("POST with a body") << QByteArray("POST /probe?target=127.43.2.1 HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc") << 405;
    QTest::newRow("oversized head") << "GET /metrics HTTP/1.1\r\nA: " + QByteArray(100000, 'b') + "\r\n\r\n" << 431;
    QTest::newRow("garbage") << QByteArray("\x16\x03\x01\x02\x00\r\n\r\n", 9) << 400;
    QTest::newRow("metrics still served") << "GET /metrics" + end << 200;
}

void ExporterServerTest::hostileRequests()
{
    QFETCH(QByteArray, request);
    QFETCH(int, code);

    const QList<Reply> replies = send(exporter->port(), {request});
    QCOMPARE(replies[0].code, code);
    if (code != 200)
        QCOMPARE(replies[0].body.count('\n'), 1);
    QTest::qWait(50); // a stray connect would have reached the trap by now
    QCOMPARE(trapped, 0);
    QVERIFY(!trap->hasPendingConnections());
}

void ExporterServerTest::silentUnitsHoldUpOnlyTheirOwnScrapes()
{
    constexpr int Units = 6;
    constexpr int Silent = 2; // the last ones read requests and never answer
    std::vector<std::unique_ptr<SimulatorThread>> units;
    for (int i = 1; i <= Units; ++i) {
        units.push_back(std::make_unique<SimulatorThread>());
        QVERIFY(units.back()->start(QHostAddress(QStringLiteral("127.43.1.%1").arg(i)),
                                    {.faults = {.noAnswer = i > Units - Silent}}));
    }
    QList<QByteArray> requests;
    for (int round = 0; round < 12; ++round) // more at once than a default listen backlog holds
        for (int i = 1; i <= Units; ++i)
            requests << probe(QStringLiteral("127.43.1.%1").arg(i), "2");

    const QList<Reply> replies = send(exporter->port(), requests);
    for (qsizetype r = 0; r < replies.size(); ++r) {
        const bool silent = r % Units >= Units - Silent;
        QCOMPARE(replies[r].code, 200);
        QVERIFY2(replies[r].body.contains(silent ? "zorwifi_probe_success 0" : "zorwifi_probe_success 1"), replies[r].body);
        // An answering unit is not kept waiting by the silent ones; a silent one ends within its scrape.
        QVERIFY2(replies[r].ms < (silent ? 2000 : 700), qPrintable(QString::number(replies[r].ms)));
    }
    const QByteArray metrics = send(exporter->port(), {"GET /metrics HTTP/1.1\r\n\r\n"})[0].body;
    QVERIFY2(metrics.contains("zorwifi_exporter_probes_total{outcome=\"success\"} 48"), metrics);
    QVERIFY2(metrics.contains("zorwifi_exporter_probes_total{outcome=\"failure\"} 24"), metrics);
}

void ExporterServerTest::scrapeEndsInTimeWhenEveryProbeThreadIsBusy()
{
    // One probe thread and four scrapes of a silent unit: the last ones wait for the thread
    // longer than their scrapes may take, and are answered as failed at their deadline.
    exporter = std::make_unique<ExporterServer>(TargetAllowList({*parseSubnet(AllowedSubnet)}), 5000, 1);
    QVERIFY(exporter->listen(ExporterAddress, 0));
    SimulatorThread unit;
    QVERIFY(unit.start(QHostAddress("127.43.1.7"), {.faults = {.noAnswer = true}}));

    const QByteArray request = probe("127.43.1.7", "1"); // a 750 ms budget, each silent probe half of it
    const QList<Reply> replies = send(exporter->port(), {request, request, request, request});
    for (const Reply &reply : replies) {
        QCOMPARE(reply.code, 200);
        QVERIFY2(reply.body.contains("zorwifi_probe_success 0"), reply.body);
        QVERIFY2(reply.ms < 750 + ExporterServer::DeadlineGraceMs + 300, qPrintable(QString::number(reply.ms)));
    }
    const QByteArray metrics = send(exporter->port(), {"GET /metrics HTTP/1.1\r\n\r\n"})[0].body;
    QVERIFY2(!metrics.contains("zorwifi_exporter_probes_total{outcome=\"deadline\"} 0"), metrics);
}

QTEST_GUILESS_MAIN(ExporterServerTest)
#include "test_exporter_server.moc"

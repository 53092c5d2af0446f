// The commissioning report's page and the channel-test log it lists, without a unit.
#include "ChannelTestLog.h"
#include "ReportDocument.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray listWith(const QList<std::pair<int, QByteArray>> &clips)
{
    QByteArray list = QByteArray::fromHex("efbbbf");
    for (int n = 1; n <= 64; ++n) {
        for (const auto &[number, path] : clips)
            if (number == n)
                list += path;
        list += "\r\n";
    }
    return list;
}

// A station-mode six-input unit in mode 1, DI2 playing clips 1 and 3 twice with the alarm output.
UnitReport furnishedReport()
{
    UnitReport r;
    r.address = QStringLiteral("127.42.0.9");
    DeviceStatus &s = r.status;
    s.modelCode = 189;
    s.modelRecognised = true;
    s.mac = {0x02, 0x5A, 0x77, 0x2A, 0x00, 0x09};
    s.firmwareVersion = {0x01, 0x20};
    s.sdPresent = true;
    s.sdFree = {3, 5};
    s.sdTotal = {7, 45};
    s.rssi = -60;
    s.location = "Pump room";
    s.apSsid = "Site-AP";
    s.apKeyType = 2;
    s.apKey = "apsecret9";
    s.stationSsid = "Plant net";
    s.stationKeyType = 1;
    s.stationKey = "wepsecret";
    s.staticIpUsed = true;
    s.staticIp = {10, 1, 2, 30};
    s.subnetMask = {255, 255, 255, 0};
    s.gateway = {10, 1, 2, 1};
    s.modbusPort = 1502;
    s.modbusIdleTimeout = 45;
    QByteArray table(512, '\0');
    table.replace(0, 4, QByteArray::fromHex("5a3577a5"));
    table[8] = 1;
    table[32 + 1] = 2;
    table[96 + 1] = 2;
    table[160 + 1] = 1;
    table[256 + 4] = 1;
    table[256 + 5] = 3;
    r.alarmTable = table;
    r.audioList = listWith({{1, "C:\\work\\door bell.mp3"}, {3, "C:\\work\\siren.mp3"}});
    r.rtuConfig = QByteArray("7,9600,E,8,1");
    r.clipSizesRead = true;
    r.clipSizes = {{1, 3003}};
    r.channelTests = {{r.address, "DI2", 2, QDateTime(QDate(2026, 12, 9), QTime(21, 30, 5)), "acknowledged"}};
    return r;
}

QString html(const UnitReport &report)
{
    return reportHtml(report, {QDateTime(QDate(2026, 12, 9), QTime(22, 0)), "site-laptop", "zorwifi 1.20"});
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

enum class HostileField { Location, ApSsid, ClipSource, RtuRecord, ChannelTestInput };

} // namespace

Q_DECLARE_METATYPE(HostileField)

class ReportTest : public QObject {
    Q_OBJECT
private slots:
    void pageHoldsEachField_data()
    {
        QTest::addColumn<QString>("fragment"); // exactly as it must appear in the HTML
        QTest::newRow("model") << "Model</th><td>ZOR-06-WF</td>";
        QTest::newRow("MAC") << "MAC</th><td>02:5A:77:2A:00:09</td>";
        QTest::newRow("firmware") << "Firmware</th><td>FW: V01.20</td>";
        QTest::newRow("address") << "Address</th><td>127.42.0.9</td>";
        QTest::newRow("location") << "Location</th><td>Pump room</td>";
        QTest::newRow("signal") << "Signal</th><td>-60 dBm</td>";
        QTest::newRow("SD card") << "SD card</th><td>SD Free:3.05/(7.45)GB</td>";
        QTest::newRow("Wi-Fi mode") << "Wi-Fi mode</th><td>station</td>";
        QTest::newRow("AP SSID") << "Access point SSID</th><td>Site-AP</td>";
        QTest::newRow("AP key type") << "Access point key type</th><td>WPA/WPA2</td>";
        QTest::newRow("station SSID") << "Station SSID</th><td>Plant net</td>";
        QTest::newRow("station key type") << "Station key type</th><td>WEP</td>";
        QTest::newRow("static address") << "Static address</th><td>10.1.2.30</td>";
        QTest::newRow("gateway") << "Gateway</th><td>10.1.2.1</td>";
        QTest::newRow("Modbus TCP") << "Modbus TCP port</th><td>1502</td>";
        QTest::newRow("idle timeout") << "Modbus TCP idle timeout</th><td>45 s</td>";
        QTest::newRow("RTU baud rate") << "Modbus RTU baud rate</th><td>9600</td>";
        QTest::newRow("RTU parity") << "Modbus RTU parity</th><td>Even</td>";
        QTest::newRow("alarm mode") << "Alarm mode</th><td>1 (digital inputs)</td>";
        QTest::newRow("table row") << "<td>DI2</td><td>001 door bell, 003 siren</td><td>2</td><td>yes</td>";
        QTest::newRow("read clip") << "<td>001</td><td>door bell</td><td>C:\\work\\door bell.mp3</td><td>3003 bytes</td>";
        QTest::newRow("refused clip") << "<td>003</td><td>siren</td><td>C:\\work\\siren.mp3</td><td>not sent by the unit</td>";
        QTest::newRow("channel test") << "<td>2026-12-09 21:30:05</td><td>DI2</td><td>2</td><td>acknowledged</td>";
        QTest::newRow("time") << "Date and time</th><td>2026-12-09 22:00:00</td>";
        QTest::newRow("PC") << "PC</th><td>site-laptop</td>";
        QTest::newRow("tool") << "Tool</th><td>zorwifi 1.20</td>";
    }
    void pageHoldsEachField()
    {
        QFETCH(QString, fragment);
        const QString page = html(furnishedReport());
        QVERIFY2(page.contains(fragment), qPrintable(fragment));
        for (const char *key : {"apsecret9", "wepsecret"})
            QVERIFY2(!page.contains(key), key);
    }

    void unitTextStaysText_data()
    {
        QTest::addColumn<HostileField>("field");
        QTest::addColumn<QString>("shown");
        const QString hostile = QStringLiteral("<b>&\"'\x1b[2J\r\n");
        const QString shown = QStringLiteral("&lt;b&gt;&amp;&quot;&#39;\\x1b[2J\\r\\n");
        QTest::newRow("location") << HostileField::Location << "Location</th><td>" + shown + "</td>";
        QTest::newRow("AP SSID") << HostileField::ApSsid << "SSID</th><td>" + shown + "</td>";
        QTest::newRow("clip name") << HostileField::ClipSource << "<td>001</td><td>" + shown.left(shown.size() - 4) + "</td>";
        QTest::newRow("RTU record") << HostileField::RtuRecord << "device ID</th><td>" + shown + "</td>";
        QTest::newRow("channel test file") << HostileField::ChannelTestInput << "<td>" + shown + "</td><td>2</td>";
    }
    void unitTextStaysText()
    {
        QFETCH(HostileField, field);
        QFETCH(QString, shown);
        const QByteArray hostile = "<b>&\"'\x1b[2J\r\n";
        UnitReport r = furnishedReport();
        switch (field) {
        case HostileField::Location:
            r.status.location = hostile;
            break;
        case HostileField::ApSsid:
            r.status.apSsid = hostile;
            break;
        case HostileField::ClipSource:
            r.audioList = listWith({{1, "C:\\work\\<b>&\"'\x1b[2J.mp3"}});
            break;
        case HostileField::RtuRecord:
            r.rtuConfig = hostile + ",9600,E,8,1";
            break;
        case HostileField::ChannelTestInput:
            r.channelTests.first().input = QString::fromLatin1(hostile);
            break;
        }
        const QString page = html(r);
        QVERIFY2(page.contains(shown), qPrintable(shown));
        QVERIFY(!page.contains("<b>"));
        QVERIFY(!page.contains(QChar(0x1b)));
        QCOMPARE(page.count("\r"), 0);
    }

    void unreadUnitsAreSaidSo_data()
    {
        QTest::addColumn<int>("unreadIndex");
        QTest::newRow("first unit silent") << 0;
        QTest::newRow("last unit silent") << 2;
    }
    void unreadUnitsAreSaidSo()
    {
        QFETCH(int, unreadIndex);
        QList<UnitReport> site{furnishedReport(), furnishedReport(), furnishedReport()};
        for (int i = 0; i < site.size(); ++i)
            site[i].address = "127.42.0." + QString::number(10 + i);
        site[unreadIndex].failure = QStringLiteral("did not answer: no answer to the device information request");
        const QString page = siteReportHtml(site, ReportOrigin::now());
        const QString silent = site[unreadIndex].address;
        const QString whole = QStringLiteral("<td style=\"white-space: nowrap\">");
        QVERIFY(page.contains(whole + silent + "</td>" + whole + "</td>" + whole + "</td><td></td>" + whole + "did not answer</td>"));
        QVERIFY(page.contains("Result</th><td>did not answer: "));
        QCOMPARE(page.count(whole + "read</td>"), 2);
        // Summary first, then one part per unit, each on a page of its own.
        QCOMPARE(page.count("<h1 style=\"page-break-before: always\">"), 3);
        QVERIFY(page.indexOf(whole + "read</td>") < page.indexOf("Commissioning report: 127.42.0.10"));
    }

    void writesByExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("opening");
        QTest::newRow("PDF") << "unit.pdf" << QByteArray("%PDF-");
        QTest::newRow("HTML") << "unit.html" << QByteArray("<!DOCTYPE html>");
        QTest::newRow("HTML, upper case") << "UNIT.HTM" << QByteArray("<!DOCTYPE html>");
    }
    void writesByExtension()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, opening);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(isReportPath(path));
        QCOMPARE(writeReport(path, html(furnishedReport())), QString());
        QVERIFY(readFile(path).startsWith(opening));
        QVERIFY(!writeReport(dir.filePath("missing/" + name), "x").isEmpty());
    }

    void channelTestsSurviveTheirFile()
    {
        QTemporaryDir dir;
        ChannelTestLog &log = ChannelTestLog::instance();
        log.record({"127.42.0.1", "bI17", 17, QDateTime::currentDateTime(), "not confirmed"});
        log.record({"127.42.0.2", "DI1", 1, QDateTime::currentDateTime(), "acknowledged"});
        QCOMPARE(log.save(dir.filePath("tests.json")), QString());
        QString error;
        const auto loaded = ChannelTestLog::load(dir.filePath("tests.json"), error);
        QVERIFY2(loaded, qPrintable(error));
        QCOMPARE(loaded->size(), log.tests().size());
        for (int i = 0; i < loaded->size(); ++i) {
            QCOMPARE(loaded->at(i).time.toMSecsSinceEpoch(), log.tests()[i].time.toMSecsSinceEpoch());
            QCOMPARE(loaded->at(i).input, log.tests()[i].input);
            QCOMPARE(loaded->at(i).result, log.tests()[i].result);
        }
        QCOMPARE(log.testsOf("127.42.0.2").size(), 1);
    }

    void damagedChannelTestFilesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("content");
        const QByteArray good = R"({"address":"127.42.0.1","input":"DI1","code":1,"time":"2026-12-09T21:00:00Z","result":"refused"})";
        auto file = [](const QByteArray &entry) { return R"({"format":"zorwifi channel tests","tests":[)" + entry + "]}"; };
        QTest::newRow("not JSON") << QByteArray("{");
        QTest::newRow("a backup") << QByteArray(R"({"format":"zorwifi unit backup","tests":[]})");
        QTest::newRow("code above a byte") << file(QByteArray(good).replace("\"code\":1", "\"code\":256"));
        QTest::newRow("unknown result") << file(QByteArray(good).replace("refused", "passed"));
        QTest::newRow("no time") << file(QByteArray(good).replace("2026-12-09T21:00:00Z", "yesterday"));
        QTest::newRow("no address") << file(QByteArray(good).replace("127.42.0.1", ""));
    }
    void damagedChannelTestFilesAreRefused()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        QFile file(dir.filePath("tests.json"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        QString error;
        QVERIFY(!ChannelTestLog::load(file.fileName(), error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_MAIN(ReportTest)
#include "test_report.moc"

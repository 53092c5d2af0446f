// zorctl report against simulated units, read back from the PDF with pdftotext.
#include "ChannelTestLog.h"
#include "SimulatorThread.h"

#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "ZorCtlRun.h"

namespace {

const QByteArray HostileLocation = "<b>&\"'\x07\x1b[2J</b>";

std::unique_ptr<SimulatorThread> startUnit(const QString &address, const UnitFaults &faults = {})
{
    auto sim = std::make_unique<SimulatorThread>();
    if (!sim->start(QHostAddress(address), {ModelZor06, {}, 0, faults}))
        qFatal("simulator did not start on %s", qPrintable(address));
    return sim;
}

// Station settings, a static address, Modbus TCP, an RTU record and an alarm project with one clip.
void furnish(SimulatorThread &sim, const QByteArray &location)
{
    sim.unit().updateState([&](UnitState &s) {
        s.settings.location = location;
        s.settings.apSsid = "Site-AP";
        s.settings.apKeyType = 2;
        s.settings.apKey = "apsecret9";
        s.settings.stationSsid = "Plant net";
        s.settings.stationKeyType = 1;
        s.settings.stationKey = "wepsecret";
        s.settings.staticIpUsed = true;
        s.settings.staticIp = {10, 1, 2, 30};
        s.settings.subnetMask = {255, 255, 255, 0};
        s.settings.gateway = {10, 1, 2, 1};
        s.settings.modbusPort = 1502;
        s.settings.modbusIdleTimeout = 45;
        s.wifiMode = WifiModeStation;
    });
    QByteArray table(512, '\0');
    table.replace(0, 4, QByteArray::fromHex("5a3577a5"));
    table[8] = 2;
    table[96] = 3;
    table[160] = 1;
    table[256] = 1;
    QByteArray list = QByteArray::fromHex("efbbbf") + "C:\\work\\door bell.mp3\r\n";
    for (int i = 1; i < 64; ++i)
        list += "\r\n";
    sim.unit().setFile(FileArea::Sd, "plist.cfg", table);
    sim.unit().setFile(FileArea::Sd, "m3fn.txt", list);
    sim.unit().setFile(FileArea::Sd, "RTU.CFG", "7,9600,E,8,1");
    sim.unit().setFile(FileArea::Sd, "001.mp3", QByteArray(3003, 'a'));
}

// The PDF's text with each run of blanks as one blank, as a reader would search it.
QString pdfText(const QString &pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).replace(QRegularExpression("[ \t]+"), " ");
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ReportCtlTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<SimulatorThread> unit_;
    ZorCtlRun run_;
    QString text_;

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        unit_ = startUnit("127.42.1.2");
        furnish(*unit_, HostileLocation);
        ChannelTestLog &log = ChannelTestLog::instance();
        log.record({"127.42.1.2", "DI3", 4, QDateTime(QDate(2026, 12, 9), QTime(21, 30, 5)), "acknowledged"});
        log.record({"127.42.1.99", "DI4", 8, QDateTime(QDate(2026, 12, 9), QTime(21, 31)), "refused"});
        QCOMPARE(log.save(dir_.filePath("tests.json")), QString());
        run_ = zorctl({"--address", "127.42.1.2", "report", dir_.filePath("unit.pdf"), "--channel-tests",
                       dir_.filePath("tests.json")});
        text_ = pdfText(dir_.filePath("unit.pdf"));
    }

    void pdfHoldsEachField_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("model") << "Model ZOR-06-WF";
        QTest::newRow("MAC") << "MAC 02:5A:77:2A:01:02";
        QTest::newRow("firmware") << "Firmware FW: V01.20";
        QTest::newRow("address") << "Address 127.42.1.2";
        QTest::newRow("hostile location, as text") << "Location <b>&\"'\\x07\\x1b[2J</b>";
        QTest::newRow("signal") << "Signal -60 dBm";
        QTest::newRow("SD card") << "SD card SD Free:3.05/(7.45)GB";
        QTest::newRow("Wi-Fi mode") << "Wi-Fi mode station";
        QTest::newRow("AP SSID") << "Access point SSID Site-AP";
        QTest::newRow("AP key type") << "Access point key type WPA/WPA2";
        QTest::newRow("station SSID") << "Station SSID Plant net";
        QTest::newRow("station key type") << "Station key type WEP";
        QTest::newRow("static address") << "Static address 10.1.2.30";
        QTest::newRow("subnet mask") << "Subnet mask 255.255.255.0";
        QTest::newRow("gateway") << "Gateway 10.1.2.1";
        QTest::newRow("Modbus TCP") << "Modbus TCP port 1502";
        QTest::newRow("RTU device") << "Modbus RTU device ID 7";
        QTest::newRow("RTU baud rate") << "Modbus RTU baud rate 9600";
        QTest::newRow("RTU parity") << "Modbus RTU parity Even";
        QTest::newRow("alarm mode") << "Alarm mode 2 (digital inputs)";
        QTest::newRow("table row") << "DI1 001 door bell 3 yes";
        QTest::newRow("clip size") << "001 door bell C:\\work\\door bell.mp3 3003 bytes";
        QTest::newRow("channel test of this unit") << "2026-12-09 21:30:05 DI3 4 acknowledged";
        QTest::newRow("tool") << "Tool zorwifi 1.20";
        QTest::newRow("PC") << "PC " + QSysInfo::machineHostName();
    }
    void pdfHoldsEachField()
    {
        QFETCH(QString, line);
        QVERIFY2(run_.exitCode == 0, run_.err);
        QVERIFY2(text_.contains(line), qPrintable(line + " not in:\n" + text_));
    }

    void pdfHoldsNoKeyNorAnotherUnitsTest_data()
    {
        QTest::addColumn<QString>("absent");
        QTest::newRow("AP key") << "apsecret9";
        QTest::newRow("station key") << "wepsecret";
        QTest::newRow("another unit's channel test") << "21:31:00";
    }
    void pdfHoldsNoKeyNorAnotherUnitsTest()
    {
        QFETCH(QString, absent);
        QVERIFY(!text_.isEmpty());
        QVERIFY(!text_.contains(absent));
    }

    void htmlShowsTheLocationAsText()
    {
        const ZorCtlRun run = zorctl({"--address", "127.42.1.2", "report", "--no-clip-sizes", dir_.filePath("unit.html")});
        QCOMPARE(run.exitCode, 0);
        const QByteArray html = readFile(dir_.filePath("unit.html"));
        QVERIFY(html.contains("<td>&lt;b&gt;&amp;&quot;&#39;\\x07\\x1b[2J&lt;/b&gt;</td>"));
        QVERIFY(!html.contains("\x1b"));
        QVERIFY(html.contains("<td>001</td><td>door bell</td><td>C:\\work\\door bell.mp3</td><td>not read</td>"));
    }

    void siteReportSaysWhichUnitDidNotAnswer()
    {
        auto second = startUnit("127.42.1.3");
        furnish(*second, "Hall B");
        UnitFaults silent;
        silent.noAnswer = true;
        auto mute = startUnit("127.42.1.4", silent);
        const QString pdf = dir_.filePath("site.pdf");
        const ZorCtlRun run = zorctl({"--address", "127.42.1.2", "--address", "127.42.1.3", "--address", "127.42.1.4",
                                      "report", "--site", pdf, "--no-clip-sizes"});
        QCOMPARE(run.exitCode, 4);
        const QList<QByteArray> lines = run.out.split('\n');
        QCOMPARE(lines.mid(0, 2), (QList<QByteArray>{"127.42.1.2: read", "127.42.1.3: read"}));
        QVERIFY2(lines.value(2).startsWith("127.42.1.4: did not answer: "), run.out);
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains("127.42.1.3 ZOR-06-WF 02:5A:77:2A:01:03 Hall B read"), qPrintable(text));
        QVERIFY(text.contains("Result did not answer: "));
        // The summary comes first, then a part of each unit.
        const qsizetype summary = text.indexOf("127.42.1.4 did not answer\n");
        QVERIFY(summary >= 0 && summary < text.indexOf("Commissioning report: 127.42.1.2"));
        QVERIFY(text.indexOf("Commissioning report: 127.42.1.2") < text.indexOf("Commissioning report: 127.42.1.3"));
        QVERIFY(text.contains("Location Hall B"));
    }

    void fleetRunMakesOneReportPerUnit()
    {
        auto second = startUnit("127.42.1.5");
        furnish(*second, "Hall C");
        const ZorCtlRun run = zorctl({"--address", "127.42.1.2", "--address", "127.42.1.5", "report",
                                      dir_.filePath("{address}.html"), "--no-clip-sizes"});
        QVERIFY2(run.exitCode == 0, run.err);
        QVERIFY(readFile(dir_.filePath("127.42.1.5.html")).contains("Location</th><td>Hall C</td>"));
        QVERIFY(readFile(dir_.filePath("127.42.1.2.html")).contains("Address</th><td>127.42.1.2</td>"));
    }

    void usageErrorsSendNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        QTest::newRow("no report extension") << QStringList{"report", "unit.txt"} << "must end in .pdf, .html or .htm";
        QTest::newRow("missing channel tests") << QStringList{"report", "unit.pdf", "--channel-tests", "none.json"}
                                               << "cannot read none.json";
        QTest::newRow("site, a hosts file missing")
            << QStringList{"--hosts", "none.txt", "--address", "127.42.1.2", "report", "--site", "site.pdf"}
            << "cannot read the hosts file";
    }
    void usageErrorsSendNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const qsizetype framesBefore = unit_->unit().receivedFrames().size();
        QDir::setCurrent(dir_.path());
        const ZorCtlRun run = zorctl(QStringList{"--address", "127.42.1.2"} + arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(error.toUtf8()), run.err);
        QCOMPARE(unit_->unit().receivedFrames().size(), framesBefore);
    }
};

QTEST_GUILESS_MAIN(ReportCtlTest)
#include "test_report_ctl.moc"

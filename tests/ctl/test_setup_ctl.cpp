// zorctl's setup and file commands as a black box against a simulated unit.
#include "CommandHandler.h"
#include "FaultNames.h"
#include "SimulatorThread.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "MisEchoingUnit.h"
#include "ZorCtlRun.h"

Q_DECLARE_METATYPE(UnitFaults)

enum class Unit { Plain, Refusing, Silent, MisEchoing, EchoingStatus, Absent };
Q_DECLARE_METATYPE(Unit)

namespace {
ZorCtlRun zorctl(const QString &address, const QStringList &arguments)
{
    return zorctl(QStringList{"--address", address} + arguments, 30000);
}

QString nextAddress()
{
    static int next = 150;
    return QStringLiteral("127.0.4.%1").arg(next++);
}

// A firmware image in `dir`; empty when it cannot be written.
QString writeImage(const QTemporaryDir &dir, int size = 5000)
{
    QFile image(dir.filePath("mcuimg.bin"));
    if (!image.open(QIODevice::WriteOnly) || image.write(QByteArray(size, 'F')) != size)
        return {};
    return image.fileName();
}

int requestCount(SimulatedUnit &unit)
{
    int count = 0;
    for (const QByteArray &frame : unit.receivedFrames())
        count += isRequestFrame(frame) ? 1 : 0;
    return count;
}
} // namespace

class SetupCtlTest : public QObject {
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
    void answerRule_data();
    void answerRule();
    void firmware_data();
    void firmware();
    void sdRoundTrip();
    void sdGet_data();
    void sdGet();
};

void SetupCtlTest::commands_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<UnitFaults>("faults");
    QTest::addColumn<bool>("sdPresent");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // on stderr, or on stdout for exit 0
    QTest::addColumn<int>("requests");    // command-channel requests the unit saw
    QTest::addColumn<QString>("file");    // flash file name=content expected afterwards

    const UnitFaults none;
    QTest::newRow("location") << QStringList{"set", "location", "Hall"} << none << true << 0
                              << "Location string write complete" << 1 << "/local/locate.cfg=Hall";
    QTest::newRow("AP open, key deleted") << QStringList{"set", "ap", "Unit AP", "open"} << none << true << 0
                                          << "AP SSID write complete" << 2 << "/local/ap_ssid.cfg=Unit AP";
    QTest::newRow("station WPA") << QStringList{"set", "station", "Net", "wpa", "secret99"} << none << true << 0
                                 << "STA SSID write complete" << 3 << "/local/sta_key.cfg=secret99";
    QTest::newRow("lock-out warning, still written")
        << QStringList{"set", "static-ip", "192.168.1.10", "255.255.255.0", "10.0.0.1"} << none << true << 0
        << "Gateway 10.0.0.1" << 1 << "/local/sta_ip.cfg=" + QString::fromLatin1(QByteArray::fromHex("c0a8010affffff000a000001"));
    QTest::newRow("Modbus TCP") << QStringList{"set", "modbus-tcp", "502", "30"} << none << true << 0
                                << "Modify Modbus Port, Timeout write complete" << 2 << QString();
    QTest::newRow("web key") << QStringList{"set", "web-key", "abc"} << none << true << 0 << "WEB Key write complete"
                             << 1 << QString();
    QTest::newRow("Modbus RTU") << QStringList{"set", "modbus-rtu", "1", "9600", "Even", "7", "2"} << none << true << 0
                                << "done" << 2 << QString();
    QTest::newRow("Wi-Fi mode") << QStringList{"wifi-mode", "station"} << none << true << 0
                                << "Wi-Fi Mode write complete" << 1 << QString();
    QTest::newRow("reset") << QStringList{"reset-defaults"} << none << true << 0 << "Reset default complete" << 1
                           << QString();
    QTest::newRow("reboot") << QStringList{"reboot"} << none << true << 0 << "Reboot complete." << 1 << QString();

    QTest::newRow("short key") << QStringList{"set", "ap", "A", "wpa", "1234567"} << none << true << 2
                               << "Key must around chars  8~14." << 0 << QString();
    QTest::newRow("AP has no WEP") << QStringList{"set", "ap", "A", "wep", "12345678"} << none << true << 2
                                   << "SSID open | SSID wpa KEY" << 0 << QString();
    QTest::newRow("bad address") << QStringList{"set", "static-ip", "192.168..1", "255.255.255.0", "1.1.1.1"} << none
                                 << true << 2 << "IP, Mask, Gateway input error." << 0 << QString();
    QTest::newRow("reserved port") << QStringList{"set", "modbus-tcp", "80", "30"} << none << true << 2
                                   << "Port already used!" << 0 << QString();
    QTest::newRow("RTU ID") << QStringList{"set", "modbus-rtu", "248", "9600", "None", "8", "1"} << none << true << 2
                            << "Device ID range must be 1 ~ 247" << 0 << QString();
    QTest::newRow("RTU parity") << QStringList{"set", "modbus-rtu", "1", "9600", "Mark", "8", "1"} << none << true << 2
                                << "None, Even or Odd" << 0 << QString();
    QTest::newRow("long location") << QStringList{"set", "location", QString(32, 'x')} << none << true << 2
                                   << "Location string must less then 31 chars." << 0 << QString();

    QTest::newRow("RTU without SD card") << QStringList{"set", "modbus-rtu", "1", "9600", "None", "8", "1"} << none
                                         << false << 1 << "no SD card" << 1 << QString();
}

void SetupCtlTest::commands()
{
    QFETCH(QStringList, arguments);
    QFETCH(UnitFaults, faults);
    QFETCH(bool, sdPresent);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(int, requests);
    QFETCH(QString, file);

    SimulatorThread sim;
    const QString address = nextAddress();
    QVERIFY(sim.start(QHostAddress(address), {ModelZor04Rtu, {}, 0, faults}));
    sim.unit().updateState([sdPresent](UnitState &s) { s.sdPresent = sdPresent; });
    sim.unit().setFile(FileArea::Flash, "/local/ap_key.cfg", "old key!"); // a unit refuses to delete what it lacks
    const ZorCtlRun run = zorctl(address, arguments);
    QVERIFY2(run.exitCode == exitCode, run.err.constData());
    QVERIFY2(run.err.contains(message.toLocal8Bit()) || (exitCode == 0 && run.out.contains(message.toLocal8Bit())), (run.out + run.err).constData());
    QTRY_COMPARE(requestCount(sim.unit()), requests);
    if (!file.isEmpty()) {
        const QString name = file.section('=', 0, 0);
        QTRY_COMPARE(sim.unit().file(FileArea::Flash, name).value_or("?"), file.section('=', 1).toLatin1());
    }
}

void SetupCtlTest::answerRule_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Unit>("unit");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err"); // a line on stderr
    QTest::addColumn<QString>("out"); // a line on stdout, empty: nothing

    const QStringList location{"set", "location", "Hall"};
    const QString modeDone = "Wi-Fi Mode write complete";
    const QString restartedFirst = ": the unit may have restarted before it answered";
    const QString notConfirmed = "zorctl: not confirmed: ";
    QTest::newRow("refused delete of a file the unit lacks: done with a note")
        << QStringList{"flash-rm", "/local/none.cfg"} << Unit::Plain << 0
        << "zorctl: note: the unit refused to delete /local/none.cfg; it may not have held it" << "done";
    QTest::newRow("refused key delete in an apply: done, one line")
        << QStringList{"set", "station", "Net", "open"} << Unit::Plain << 0
        << "/local/sta_key.cfg: not deleted, refused by the unit (it may not have held the file)"
        << "STA SSID write complete";
    QTest::newRow("unanswered 0x30: done with a note") << QStringList{"wifi-mode", "ap"} << Unit::Silent << 0
                                                       << notConfirmed + "Wi-Fi mode" + restartedFirst << modeDone;
    QTest::newRow("unanswered 0x5E") << QStringList{"reset-defaults"} << Unit::Silent << 0
                                     << notConfirmed + "Reset to defaults" + restartedFirst << "Reset default complete";
    QTest::newRow("mis-echoed 0x30") << QStringList{"wifi-mode", "station"} << Unit::MisEchoing << 0
                                     << notConfirmed + "Wi-Fi mode" + restartedFirst << modeDone;
    QTest::newRow("mis-echoed web key fails") << QStringList{"set", "web-key", "abc"} << Unit::MisEchoing << 1
                                              << notConfirmed + "WEB key: the unit answered another request (51)"
                                              << QString();
    QTest::newRow("mis-echoed flash announcement fails")
        << location << Unit::MisEchoing << 1
        << notConfirmed + "/local/locate.cfg: the unit answered another request (94)" << QString();
    QTest::newRow("unanswered flash announcement fails") << location << Unit::Silent << 1
                                                         << notConfirmed + "/local/locate.cfg: no answer from the unit"
                                                         << QString();
    QTest::newRow("mis-echoed delete") << QStringList{"flash-rm", "/local/sta_ip.cfg"} << Unit::MisEchoing << 1
                                       << notConfirmed + "Flash file delete: the unit answered another request (92)"
                                       << QString();
    QTest::newRow("mis-echoed delete in an apply")
        << QStringList{"set", "static-ip", "off"} << Unit::MisEchoing << 1
        << "/local/sta_ip.cfg: the unit answered another request (92)" << QString();
    QTest::newRow("device information echoed as 216 is not taken")
        << QStringList{"info"} << Unit::MisEchoing << 1 << "Device information: the unit answered another request (32)"
        << QString();
    QTest::newRow("device information echoed as a status answer (216) is not taken")
        << QStringList{"--json", "info"} << Unit::EchoingStatus << 1 << "the unit answered another request (216)"
        << QString();
    QTest::newRow("firmware on mis-echoed device information")
        << QStringList{"firmware", "IMAGE"} << Unit::MisEchoing << 1 << "another request (32)" << QString();
    QTest::newRow("refused write names the file") << location << Unit::Refusing << 1
                                                  << "/local/locate.cfg: refused by the unit" << QString();
    QTest::newRow("refused 0x30") << QStringList{"wifi-mode", "ap"} << Unit::Refusing << 1
                                  << "Wi-Fi mode: refused by the unit" << QString();
    QTest::newRow("firmware on refused device information")
        << QStringList{"firmware", "IMAGE"} << Unit::Refusing << 1 << "Device information: refused by the unit"
        << QString();
    QTest::newRow("no unit: reboot") << QStringList{"reboot"} << Unit::Absent << 3 << "could not be reached" << QString();
    QTest::newRow("no unit: location") << location << Unit::Absent << 3 << "could not be reached" << QString();
    QTest::newRow("no unit: info") << QStringList{"info"} << Unit::Absent << 3 << "no connection to" << QString();
    QTest::newRow("no unit: project read") << QStringList{"project", "read", "PROJECT"} << Unit::Absent << 3
                                           << "no connection to" << QString();
}

void SetupCtlTest::answerRule()
{
    QFETCH(QStringList, arguments);
    QFETCH(Unit, unit);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    QFETCH(QString, out);

    QTemporaryDir dir;
    const QString image = writeImage(dir);
    QVERIFY(!image.isEmpty());
    arguments.replaceInStrings("IMAGE", image).replaceInStrings("PROJECT", dir.filePath("project"));

    const QString address = nextAddress();
    SimulatorThread sim;
    std::unique_ptr<MisEchoingUnit> misEchoing;
    if (unit == Unit::MisEchoing || unit == Unit::EchoingStatus) {
        misEchoing = std::make_unique<MisEchoingUnit>(QHostAddress(address), unit == Unit::EchoingStatus ? 216 : 0);
    } else {
        UnitFaults faults;
        faults.negativeStatus = unit == Unit::Refusing;
        faults.noAnswer = unit == Unit::Silent;
        faults.refuseConnections = unit == Unit::Absent;
        QVERIFY(sim.start(QHostAddress(address), {ModelZor06, {}, 0, faults}));
    }
    const ZorCtlRun run = zorctl(address, arguments);
    QVERIFY2(run.exitCode == exitCode, (run.out + run.err).constData());
    QVERIFY2(run.err.contains(err.toLocal8Bit()), run.err.constData());
    if (!out.isEmpty())
        QVERIFY2(run.out.contains(out.toLocal8Bit()), run.out.constData());
    else
        QVERIFY2(!run.out.contains("complete") && !run.out.contains("done"), run.out.constData());
    QVERIFY(!QDir(dir.filePath("project")).exists());
}

void SetupCtlTest::firmware_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("model");
    QTest::addColumn<UnitFaults>("faults");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("verified") << 5000 << int(ModelZor06) << UnitFaults{} << 0 << "F/W update Complete!";
    UnitFaults wrongSum;
    wrongSum.wrongFirmwareSum = true;
    QTest::newRow("wrong sum") << 5000 << int(ModelZor06) << wrongSum << 1 << "Update F/W fail with Error!";
    QTest::newRow("unrecognised model") << 5000 << 0x55 << UnitFaults{} << 1 << "not asked to confirm";
    UnitFaults silent;
    silent.noAnswer = true;
    QTest::newRow("silent unit") << 5000 << int(ModelZor06) << silent << 1 << "no answer";
    QTest::newRow("empty image: nothing sent") << 0 << int(ModelZor06) << UnitFaults{} << 2 << "is empty; nothing was sent";
    QTest::newRow("image above the limit: nothing sent")
        << 2 * 1048576 + 1 << int(ModelZor06) << UnitFaults{} << 2
        << "has 2097153 bytes, more than the 2097152 a unit takes; nothing was sent";
}

void SetupCtlTest::firmware()
{
    QFETCH(int, size);
    QFETCH(int, model);
    QFETCH(UnitFaults, faults);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    QTemporaryDir dir;
    const QString image = writeImage(dir, size);
    QVERIFY(!image.isEmpty());
    SimulatorThread sim;
    const QString address = nextAddress();
    QVERIFY(sim.start(QHostAddress(address), {std::uint8_t(model), {}, 0, faults}));
    const ZorCtlRun run = zorctl(address, {"firmware", image});
    QVERIFY2(run.exitCode == exitCode, run.err.constData());
    QVERIFY2(run.err.contains(message.toLocal8Bit()), run.err.constData());
    if (exitCode == 2)
        QVERIFY(sim.unit().receivedFrames().isEmpty());
}

void SetupCtlTest::sdRoundTrip()
{
    QTemporaryDir dir;
    QFile file(dir.filePath("clip.mp3"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(70000, 'c'));
    file.close();
    SimulatorThread sim;
    const QString address = nextAddress();
    QVERIFY(sim.start(QHostAddress(address)));
    QCOMPARE(zorctl(address, {"sd-put", file.fileName()}).exitCode, 0);
    QTRY_VERIFY(sim.unit().file(FileArea::Sd, "clip.mp3").has_value());
    const QString copy = dir.filePath("copy.mp3");
    QCOMPARE(zorctl(address, {"sd-get", "clip.mp3", copy}).exitCode, 0);
    QFile back(copy);
    QVERIFY(back.open(QIODevice::ReadOnly));
    QCOMPARE(back.readAll(), QByteArray(70000, 'c'));
    QCOMPARE(zorctl(address, {"clip-rm", "clip.mp3"}).exitCode, 0);
    QVERIFY(!sim.unit().file(FileArea::Sd, "clip.mp3").has_value());
}

// Only a whole read replaces the output file, and it holds exactly what was announced.
void SetupCtlTest::sdGet_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("error"); // on stderr
    QTest::newRow("longer") << "longer-read" << 0 << QByteArray("100 bytes beyond the announced length dropped");
    QTest::newRow("split") << "split-data" << 0 << QByteArray();
    QTest::newRow("shorter") << "cut-data" << 1 << QByteArray("closed the data connection after 1000 of 2000 bytes");
    QTest::newRow("huge length") << "huge-read-length" << 1 << QByteArray("announced 4294967295 bytes");
    QTest::newRow("refused") << "negative-status" << 1 << QByteArray("the unit refused clip.mp3");
    QTest::newRow("mis-echoed") << "mis-echo" << 1
                                << QByteArray("zorctl: not confirmed: clip.mp3: the unit answered another request (90)");
}

void SetupCtlTest::sdGet()
{
    QFETCH(QString, fault);
    SimulatorThread sim;
    const QString address = nextAddress();
    QVERIFY(sim.start(QHostAddress(address)));
    const QByteArray clip(2000, 'c');
    sim.unit().setFile(FileArea::Sd, "clip.mp3", clip);
    UnitFaults faults;
    QString unknown;
    QVERIFY(faultsFromNames({fault}, faults, unknown));
    sim.setFaults(faults);
    QTemporaryDir dir;
    QFile out(dir.filePath("out.mp3"));
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write("old") == 3);
    out.close();
    const ZorCtlRun run = zorctl(address, {"sd-get", "clip.mp3", out.fileName()});
    QTEST(run.exitCode, "exitCode");
    QFETCH(QByteArray, error);
    QVERIFY2(run.err.contains(error), run.err.constData());
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.readAll(), run.exitCode == 0 ? clip : QByteArray("old"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"out.mp3"}); // no temporary left behind
}

QTEST_GUILESS_MAIN(SetupCtlTest)
#include "test_setup_ctl.moc"

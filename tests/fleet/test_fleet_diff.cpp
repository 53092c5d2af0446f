// zorctl diff, restore --check and --changed-only against simulated units: exit statuses,
// what each prints, and that only a needed change reaches the unit.
#include "SimulatorThread.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "ZorCtlRun.h"

Q_DECLARE_METATYPE(UnitFaults)

namespace {

// A unit whose settings live in its flash, so that they survive a restart.
std::unique_ptr<SimulatorThread> furnishedUnit(const QString &address, const QByteArray &location)
{
    auto sim = std::make_unique<SimulatorThread>();
    if (!sim->start(QHostAddress(address), {}))
        qFatal("simulator did not start on %s", qPrintable(address));
    sim->unit().setFile(FileArea::Flash, "/local/locate.cfg", location);
    sim->unit().setFile(FileArea::Flash, "/local/sta_ssid.cfg", "Site");
    sim->unit().setFile(FileArea::Flash, "/local/sta_key.cfg", "stationkey");
    sim->unit().setFile(FileArea::Flash, "/local/sta_keyT.cfg", "\x02");
    sim->unit().restart();
    return sim;
}

// Requests that change the unit: anything but device information and file reads.
QList<int> writes(SimulatorThread &sim)
{
    QList<int> codes;
    for (const QByteArray &frame : sim.unit().receivedFrames())
        if (const int code = std::uint8_t(frame[4]); code != codeOf(Command::DeviceInformation) && code != codeOf(Command::ReadSdFile))
            codes << code;
    return codes;
}

// The unit's backup, and a profile of its location changed to `location`.
struct Files {
    QTemporaryDir dir;
    QString backup = dir.filePath("backup.json"), profile = dir.filePath("profile.json");

    explicit Files(const QString &address, const QString &location = QStringLiteral("Boiler room"))
    {
        if (zorctl({"--address", address, "backup", backup}).exitCode != 0
            || zorctl({"profile", profile, "--from", backup, "--only", "location"}).exitCode != 0)
            qFatal("no backup or profile of %s", qPrintable(address));
        QFile file(profile);
        file.open(QIODevice::ReadWrite);
        QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
        json["settings"] = QJsonObject{{"location", location}};
        file.resize(0);
        file.write(QJsonDocument(json).toJson());
    }
};

} // namespace

class FleetDiffTest : public QObject {
    Q_OBJECT
private slots:
    void compareOneUnit_data()
    {
        QTest::addColumn<QStringList>("arguments"); // BACKUP and PROFILE stand for the files
        QTest::addColumn<UnitFaults>("faults");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<bool>("written");
        UnitFaults refusing, absent, silent;
        refusing.negativeStatus = true;
        silent.noAnswer = true;
        absent.refuseConnections = true;
        const QByteArray allUnchanged = "network: unchanged\nlocation: unchanged\nmodbus: unchanged\nalarm: unchanged\n";

        QTest::newRow("diff of its own backup") << QStringList{"diff", "BACKUP"} << UnitFaults{} << 0 << QByteArray() << false;
        QTest::newRow("diff of a changed profile") << QStringList{"diff", "PROFILE"} << UnitFaults{} << 5
                                                   << QByteArray("location:\n  location: \"Pump room\" -> \"Boiler room\"\n") << false;
        QTest::newRow("diff, JSON") << QStringList{"--json", "diff", "PROFILE"} << UnitFaults{} << 5
                                    << QByteArray(R"({"differs":true,"groups":[{"changes":[{"field":"location","file":"Boiler room",)"
                                                  R"("unit":"Pump room"}],"differs":true,"group":"location"}],"notCompared":[]})" "\n")
                                    << false;
        QTest::newRow("check") << QStringList{"restore", "PROFILE", "--check"} << UnitFaults{} << 5
                               << QByteArray("location: would change\n") << false;
        QTest::newRow("check of its own backup") << QStringList{"restore", "BACKUP", "--check"} << UnitFaults{} << 0
                                                 << QByteArray("network: unchanged\nlocation: unchanged\nmodbus: unchanged\nalarm: unchanged\n") << false;
        QTest::newRow("changed-only of its own backup") << QStringList{"restore", "BACKUP", "--changed-only"} << UnitFaults{}
                                                        << 0 << allUnchanged << false;
        QTest::newRow("changed-only of a changed profile") << QStringList{"restore", "PROFILE", "--changed-only"}
                                                           << UnitFaults{} << 0 << QByteArray("location: changed\n") << true;
        QTest::newRow("diff of a refusing unit") << QStringList{"diff", "PROFILE"} << refusing << 1 << QByteArray() << false;
        QTest::newRow("check of a silent unit") << QStringList{"restore", "PROFILE", "--check"} << silent << 1 << QByteArray()
                                                << false;
        QTest::newRow("changed-only, no unit") << QStringList{"restore", "PROFILE", "--changed-only"} << absent << 3
                                               << QByteArray() << false;
        QTest::newRow("check and changed-only") << QStringList{"restore", "PROFILE", "--check", "--changed-only"}
                                                << UnitFaults{} << 2 << QByteArray() << false;
    }
    void compareOneUnit()
    {
        QFETCH(QStringList, arguments);
        QFETCH(UnitFaults, faults);
        static int next = 1;
        const QString address = QStringLiteral("127.40.1.%1").arg(next++);
        const auto sim = furnishedUnit(address, "Pump room");
        const Files files(address);
        sim->unit().setFaults(faults);
        sim->unit().clearReceivedFrames();

        arguments.replaceInStrings("BACKUP", files.backup).replaceInStrings("PROFILE", files.profile);
        const ZorCtlRun run = zorctl(QStringList{"--address", address} + arguments);
        QFETCH(int, exitCode);
        QVERIFY2(run.exitCode == exitCode, run.err);
        QTEST(run.out, "out");
        QTEST(!writes(*sim).isEmpty(), "written");
    }

    // Restored, restarted and restored again: the second run changes nothing and writes nothing.
    void changedOnlyTwiceWritesOnce()
    {
        const auto sim = furnishedUnit("127.40.2.1", "Pump room");
        const Files files("127.40.2.1");
        QCOMPARE(zorctl({"--address", "127.40.2.1", "restore", files.profile, "--changed-only"}).out, "location: changed\n");
        sim->unit().restart();
        sim->unit().clearReceivedFrames();
        const ZorCtlRun again = zorctl({"--address", "127.40.2.1", "restore", files.profile, "--changed-only"});
        QCOMPARE(again.exitCode, 0);
        QCOMPARE(again.out, "location: unchanged\n");
        QCOMPARE(writes(*sim), QList<int>{});
        QCOMPARE(zorctl({"--address", "127.40.2.1", "diff", files.profile}).exitCode, 0);
    }

    // A unit that differs is no failed unit: its line says what differs, and the status is 5 unless one failed.
    void severalUnits_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<bool>("withAbsentUnit");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("diff") << QStringList{"diff", "PROFILE"} << false << 5
                              << QByteArray("127.40.3.1: same\n127.40.3.2: differs: location\n");
        QTest::newRow("diff with a unit missing") << QStringList{"diff", "PROFILE"} << true << 4
                                                  << QByteArray("127.40.3.1: same\n127.40.3.2: differs: location\n"
                                                                "127.40.3.9: failed: no connection to 127.40.3.9\n");
        QTest::newRow("check") << QStringList{"restore", "PROFILE", "--check"} << false << 5
                               << QByteArray("127.40.3.1: unchanged\n127.40.3.2: would change: location\n");
        QTest::newRow("changed-only") << QStringList{"restore", "PROFILE", "--changed-only"} << false << 0
                                      << QByteArray("127.40.3.1: unchanged\n127.40.3.2: changed: location\n");
    }
    void severalUnits()
    {
        QFETCH(QStringList, command);
        QFETCH(bool, withAbsentUnit);
        const auto same = furnishedUnit("127.40.3.1", "Boiler room");
        const auto other = furnishedUnit("127.40.3.2", "Pump room");
        const Files files("127.40.3.1");
        same->unit().clearReceivedFrames();
        QStringList arguments{"--address", "127.40.3.1", "--address", "127.40.3.2"};
        if (withAbsentUnit)
            arguments << "--address" << "127.40.3.9";
        const ZorCtlRun run = zorctl(arguments + command.replaceInStrings("PROFILE", files.profile));
        QFETCH(int, exitCode);
        QVERIFY2(run.exitCode == exitCode, run.err);
        QTEST(run.out, "out");
        QCOMPARE(writes(*same), QList<int>{});
    }
};

QTEST_GUILESS_MAIN(FleetDiffTest)
#include "test_fleet_diff.moc"

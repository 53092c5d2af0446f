// zorctl on many units: discover (of loopback subnets), --hosts, backup and restore, against simulated units.
#include "SimulatorThread.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "ZorCtlRun.h"

Q_DECLARE_METATYPE(UnitFaults)

namespace {

// Simulated units on one /24 of their own, each given its faults.
struct Units {
    std::vector<std::unique_ptr<SimulatorThread>> sims;

    SimulatorThread &add(const QString &address, const UnitFaults &faults = {}, std::uint8_t model = ModelZor06)
    {
        sims.push_back(std::make_unique<SimulatorThread>());
        if (!sims.back()->start(QHostAddress(address), {model, {}, 0, faults}))
            qFatal("simulator did not start on %s", qPrintable(address));
        return *sims.back();
    }
};

UnitFaults fault(bool UnitFaults::*flag)
{
    UnitFaults f;
    f.*flag = true;
    return f;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

QJsonObject jsonFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

// A unit with settings of every group, an alarm project with two clips and RTU.CFG.
void furnish(SimulatorThread &sim)
{
    sim.unit().updateState([](UnitState &s) {
        s.settings.apSsid = "Site-AP";
        s.settings.apKeyType = 2;
        s.settings.apKey = "apsecret9";
        s.settings.stationSsid = "Site \xe9st";
        s.settings.stationKeyType = 1;
        s.settings.stationKey = "wepsecret";
        s.settings.location = "Pump room, north";
        s.settings.staticIpUsed = true;
        s.settings.staticIp = {10, 1, 2, 30};
        s.settings.subnetMask = {255, 255, 255, 0};
        s.settings.gateway = {10, 1, 2, 1};
        s.settings.modbusPort = 1502;
        s.settings.modbusIdleTimeout = 45;
    });
    QByteArray table(512, '\0');
    table.replace(0, 4, QByteArray::fromHex("5a3577a5"));
    table[4] = 2;
    table[40] = 1;
    QByteArray list = QByteArray::fromHex("efbbbf") + "C:\\work\\001.mp3\r\n\r\nC:\\work\\003.mp3\r\n";
    for (int i = 3; i < 64; ++i)
        list += "\r\n";
    sim.unit().setFile(FileArea::Sd, "plist.cfg", table);
    sim.unit().setFile(FileArea::Sd, "m3fn.txt", list);
    sim.unit().setFile(FileArea::Sd, "RTU.CFG", "7,9600,E,8,1");
    sim.unit().setFile(FileArea::Sd, "001.mp3", QByteArray(3000, 'a') + "ID3");
    sim.unit().setFile(FileArea::Sd, "003.mp3", QByteArray(1500, '\xff'));
}

} // namespace

class FleetCtlTest : public QObject {
    Q_OBJECT
private slots:
    void discoverListsExactlyTheAnsweringUnits()
    {
        Units units;
        units.add("127.15.6.3", {}, ModelZor04Rtu).unit().updateState([](UnitState &s) {
            s.settings.location = "Hall \"A\", east";
            s.wifiMode = WifiModeStation;
        });
        units.add("127.15.6.2");
        units.add("127.15.6.4", fault(&UnitFaults::negativeStatus));
        units.add("127.15.6.5", fault(&UnitFaults::noAnswer));
        units.add("127.15.6.6", fault(&UnitFaults::wrongMagic));
        units.add("127.15.6.7", fault(&UnitFaults::refuseConnections));
        UnitFaults other;
        other.otherAddress = QHostAddress("127.15.6.77");
        units.add("127.15.6.8", other);

        const ZorCtlRun run = zorctl({"--json", "discover", "--subnet", "127.15.6.0/28", "--timeout", "500"});
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.contains("12 of 14 hosts gave no device information"), run.err);
        const QJsonArray found = QJsonDocument::fromJson(run.out).array();
        QCOMPARE(found.size(), 2);
        QCOMPARE(found[0].toObject()["address"].toString(), "127.15.6.2");
        const QJsonObject rtu = found[1].toObject();
        QCOMPARE(rtu, (QJsonObject{{"address", "127.15.6.3"}, {"model", "ZOR-04-RTU-WF"}, {"mac", "02:5A:77:0F:06:03"},
                                   {"location", "Hall \"A\", east"}, {"firmware", "FW: V01.20"},
                                   {"sd", "SD Free:3.05/(7.45)GB"}, {"rssi", -60}, {"wifiMode", "station"}}));

        const ZorCtlRun csv = zorctl({"discover", "--csv", "--subnet", "127.15.6.2/31", "--subnet", "127.15.6.3/32"});
        QCOMPARE(csv.out, QByteArray("address,model,mac,location,firmware,sd,rssi,wifiMode\n"
                                     "127.15.6.2,ZOR-06-WF,02:5A:77:0F:06:02,,FW: V01.20,SD Free:3.05/(7.45)GB,-60,ap\n"
                                     "127.15.6.3,ZOR-04-RTU-WF,02:5A:77:0F:06:03,\"Hall \"\"A\"\", east\",FW: V01.20,"
                                     "SD Free:3.05/(7.45)GB,-60,station\n"));
    }

    void hostsGiveEveryGoodUnitTheSameBytesAndNameTheFaultyOnes()
    {
        Units units;
        SimulatorThread &reference = units.add("127.15.7.100");
        QCOMPARE(zorctl({"--address", "127.15.7.100", "set", "location", "Lobby"}).exitCode, 0);

        QList<SimulatorThread *> good{&units.add("127.15.7.3"), &units.add("127.15.7.1"), &units.add("127.15.7.2")};
        units.add("127.15.7.4", fault(&UnitFaults::negativeStatus));
        units.add("127.15.7.5", fault(&UnitFaults::refuseDataConnection));
        SimulatorThread &silent = units.add("127.15.7.6", fault(&UnitFaults::noAnswer));
        QTemporaryDir dir;
        const QString hosts = writeFile(dir, "hosts", "# site A\n127.15.7.3\n\n127.15.7.4  # refuses\n127.15.7.1\n"
                                                      "127.15.7.9\n127.15.7.5\n127.15.7.6\n127.15.7.2\n");
        const ZorCtlRun run = zorctl({"--hosts", hosts, "--jobs", "8", "set", "location", "Lobby"});
        QCOMPARE(run.exitCode, 4);
        const QList<QByteArray> lines = run.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 7);
        const QByteArrayList order{"127.15.7.3: done", "127.15.7.4: failed", "127.15.7.1: done", "127.15.7.9: failed",
                                   "127.15.7.5: failed",
                                   "127.15.7.6: not confirmed: /local/locate.cfg: no answer from the unit",
                                   "127.15.7.2: done"};
        for (int i = 0; i < lines.size(); ++i)
            QVERIFY2(lines[i].startsWith(order[i]), lines[i]);
        QVERIFY2(run.err.contains("3 of 7 units failed: 127.15.7.4, 127.15.7.9, 127.15.7.5"), run.err);
        QVERIFY2(run.err.contains("1 of 7 units did not confirm: 127.15.7.6"), run.err);
        QVERIFY(!silent.unit().file(FileArea::Flash, "/local/locate.cfg"));
        for (SimulatorThread *sim : good) {
            QCOMPARE(sim->unit().receivedFrames(), reference.unit().receivedFrames());
            QCOMPARE(sim->unit().file(FileArea::Flash, "/local/locate.cfg"), QByteArray("Lobby"));
        }

        const ZorCtlRun json = zorctl({"--address", "127.15.7.1", "--address", "127.15.7.9", "--json", "info"});
        QCOMPARE(json.exitCode, 4);
        const QList<QByteArray> objects = json.out.trimmed().split('\n');
        QCOMPARE(objects.size(), 2);
        const QJsonObject done = QJsonDocument::fromJson(objects[0]).object();
        QCOMPARE(done["ok"].toBool(), true);
        QCOMPARE(done["result"].toObject()["mac"].toString(), "02:5A:77:0F:07:01");
        const QJsonObject failed = QJsonDocument::fromJson(objects[1]).object();
        QCOMPARE(failed, (QJsonObject{{"address", "127.15.7.9"}, {"ok", false}, {"message", "no connection to 127.15.7.9"}}));

        // A restarting command the unit did not answer is not confirmed, and no failure.
        const ZorCtlRun reset = zorctl({"--address", "127.15.7.6", "--address", "127.15.7.1", "reset-defaults"});
        QVERIFY2(reset.exitCode == 0, reset.err);
        QCOMPARE(reset.out.trimmed().split('\n'),
                 (QList<QByteArray>{"127.15.7.6: not confirmed: Reset to defaults: the unit may have restarted before it answered",
                                    "127.15.7.1: done"}));
        QVERIFY2(reset.err.contains("1 of 2 units did not confirm: 127.15.7.6"), reset.err);
    }

    void fleetUsageErrorsSendNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("hostsFile");
        QTest::addColumn<QString>("message");
        const QString hosts = "127.15.8.1\n127.15.8.2\n";
        QTest::newRow("setup rule refuses") << QStringList{"set", "location", QString(32, 'x')} << hosts
                                            << "Location string must less then 31 chars";
        QTest::newRow("one unit only") << QStringList{"relay", "on"} << hosts << "relay runs on one unit at a time";
        QTest::newRow("bad command") << QStringList{"set", "colour", "red"} << hosts << "";
        QTest::newRow("bad address in file") << QStringList{"reboot"} << hosts + "127.0.8\n" << "line 3";
        QTest::newRow("name twice") << QStringList{"reboot"} << hosts + "127.15.8.1\n" << "named more than once";
        QTest::newRow("no jobs") << QStringList{"--jobs", "0", "reboot"} << hosts << "--jobs takes 1 to 256";
        QTest::newRow("one backup file for all") << QStringList{"backup", "site.json"} << hosts << "{address}";
        QTest::newRow("empty file") << QStringList{"info"} << "# nothing\n" << "names no unit";
    }
    void fleetUsageErrorsSendNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, hostsFile);
        QFETCH(QString, message);
        Units units;
        SimulatorThread &a = units.add("127.15.8.1");
        SimulatorThread &b = units.add("127.15.8.2");
        QTemporaryDir dir;
        const ZorCtlRun run = zorctl(QStringList{"--hosts", writeFile(dir, "hosts", hostsFile.toUtf8())} + arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(message.toUtf8()), run.err);
        QVERIFY(run.out.isEmpty());
        QVERIFY(a.unit().receivedFrames().isEmpty());
        QVERIFY(b.unit().receivedFrames().isEmpty());
    }

    void backupRestoredOntoAnotherUnitBacksUpTheSame()
    {
        Units units;
        SimulatorThread &source = units.add("127.15.9.1", {}, ModelZor04Rtu);
        SimulatorThread &target = units.add("127.15.9.2", {}, ModelZor04Rtu);
        furnish(source);
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("a"));
        QDir().mkpath(dir.filePath("b"));
        const QString first = dir.filePath("a/unit.json"), second = dir.filePath("b/unit.json");
        QCOMPARE(zorctl({"--address", "127.15.9.1", "backup", first, "--with-clips", dir.filePath("a/clips")}).exitCode, 0);

        const ZorCtlRun restore = zorctl({"--address", "127.15.9.2", "restore", first});
        QVERIFY2(restore.exitCode == 0, restore.err);
        QVERIFY(restore.out.contains("reboot the unit"));
        target.unit().restart();
        QCOMPARE(zorctl({"--address", "127.15.9.2", "backup", second, "--with-clips", dir.filePath("b/clips")}).exitCode, 0);

        // Another unit of the same model: named on stderr, and the Modbus TCP settings stay
        // where this model has none.
        QVERIFY2(restore.err.contains("zorctl: note: the backup is of ZOR-04-RTU-WF 02:5A:77:0F:09:01; writing it onto "
                                      "ZOR-04-RTU-WF 02:5A:77:0F:09:02"),
                 restore.err);
        QVERIFY2(restore.err.contains("zorctl: not restored: the Modbus TCP settings: a ZOR-04-RTU-WF has none"), restore.err);
        QJsonObject before = jsonFile(first), after = jsonFile(second);
        QCOMPARE(before["identity"].toObject()["address"].toString(), "127.15.9.1");
        before.remove("identity");
        after.remove("identity");
        for (QJsonObject *backup : {&before, &after}) {
            QJsonObject settings = (*backup)["settings"].toObject();
            settings.remove("modbusPort");
            settings.remove("modbusIdleTimeout");
            (*backup)["settings"] = settings;
        }
        QCOMPARE(after, before);
        QCOMPARE(before["settings"].toObject()["wifiMode"].toString(), "ap");
        QCOMPARE(target.unit().file(FileArea::Sd, "003.mp3"), source.unit().file(FileArea::Sd, "003.mp3"));
        for (const QByteArray &frame : target.unit().receivedFrames())
            QVERIFY2(frame[4] != char(codeOf(Command::WifiMode)), "the Wi-Fi mode is restored only when asked for");
    }

    // Each model gets only the Modbus part it has; the rest of the backup is written.
    void restoreOntoAnotherModel_data()
    {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("tcpWritten");
        QTest::addColumn<bool>("rtuWritten");
        QTest::addColumn<QString>("notRestored");
        QTest::newRow("ZOR-06-WF onto ZOR-04-RTU-WF") << int(ModelZor06) << int(ModelZor04Rtu) << false << true
                                                     << "the Modbus TCP settings: a ZOR-04-RTU-WF has none";
        QTest::newRow("ZOR-04-RTU-WF onto ZOR-06-WF") << int(ModelZor04Rtu) << int(ModelZor06) << true << false
                                                     << "the Modbus RTU settings (RTU.CFG): a ZOR-06-WF has none";
    }
    void restoreOntoAnotherModel()
    {
        QFETCH(int, source);
        QFETCH(int, target);
        static int next = 1;
        const QString from = QStringLiteral("127.15.12.%1").arg(next++), to = QStringLiteral("127.15.12.%1").arg(next++);
        Units units;
        furnish(units.add(from, {}, std::uint8_t(source)));
        SimulatorThread &onto = units.add(to, {}, std::uint8_t(target));
        onto.unit().removeFile(FileArea::Sd, "RTU.CFG");
        QTemporaryDir dir;
        QCOMPARE(zorctl({"--address", from, "backup", dir.filePath("unit.json")}).exitCode, 0);
        const ZorCtlRun run = zorctl({"--address", to, "--json", "restore", dir.filePath("unit.json")});
        QVERIFY2(run.exitCode == 0, run.err);
        QFETCH(QString, notRestored);
        QVERIFY2(run.err.contains(("zorctl: not restored: " + notRestored).toUtf8()), run.err);
        QVERIFY2(run.err.contains("zorctl: note: the backup is of "), run.err);
        QVERIFY(QJsonDocument::fromJson(run.out).object()["skipped"].toArray().contains(notRestored));
        QTEST(onto.unit().file(FileArea::Flash, "/local/mbport.cfg").has_value(), "tcpWritten");
        QTEST(onto.unit().file(FileArea::Sd, "RTU.CFG").has_value(), "rtuWritten");
        QCOMPARE(onto.unit().file(FileArea::Flash, "/local/locate.cfg"), QByteArray("Pump room, north")); // the rest
    }

    void restoreOfAFreshUnitLeavesWhatItDidNotHave()
    {
        Units units;
        units.add("127.15.11.1");
        SimulatorThread &target = units.add("127.15.11.2");
        target.unit().setFile(FileArea::Flash, "/local/sta_ssid.cfg", "Kept");
        QTemporaryDir dir;
        QCOMPARE(zorctl({"--address", "127.15.11.1", "backup", dir.filePath("fresh.json")}).exitCode, 0);
        const ZorCtlRun run = zorctl({"--address", "127.15.11.2", "--json", "restore", dir.filePath("fresh.json")});
        QVERIFY2(run.exitCode == 0, run.err);
        const QJsonObject result = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(result["restored"].toArray(), (QJsonArray{"network", "modbus"}));
        QCOMPARE(result["skipped"].toArray().size(), 3); // station, location, alarm
        QCOMPARE(target.unit().file(FileArea::Flash, "/local/sta_ssid.cfg"), QByteArray("Kept"));
        QCOMPARE(target.unit().file(FileArea::Flash, "/local/ap_ssid.cfg"), QByteArray("ZORSIM-0F0B01"));
    }

    void damagedBackupSendsNothing_data()
    {
        QTest::addColumn<QString>("path");  // dotted path into the backup, "" for the whole file
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("not JSON") << "" << QJsonValue("{\"format\": ") << "not a backup";
        QTest::newRow("unknown version") << "version" << QJsonValue(2) << "version 2 is not one this zorctl reads";
        QTest::newRow("no settings") << "settings" << QJsonValue() << "\"settings\" is missing";
        QTest::newRow("port out of range") << "settings.modbusPort" << QJsonValue(70000) << "\"modbusPort\"";
        QTest::newRow("bad base64") << "files.plist.cfg" << QJsonValue("WjV3p*==") << "\"plist.cfg\" is neither";
        QTest::newRow("file entry missing") << "files.RTU.CFG" << QJsonValue(QJsonValue::Undefined) << "\"RTU.CFG\" is missing";
        QTest::newRow("location over 31 bytes") << "settings.location" << QJsonValue(QString(32, 'x'))
                                                << "location: . Location string must less then 31 chars.";
        QTest::newRow("key may be cut") << "settings.stationKey" << QJsonValue("fourteen bytes") << "may be cut";
        QTest::newRow("clip altered") << "clips.files.0.sum" << QJsonValue(12345) << "is not the clip the backup saved";
    }
    void damagedBackupSendsNothing()
    {
        QFETCH(QString, path);
        QFETCH(QJsonValue, value);
        QFETCH(QString, message);
        static QTemporaryDir dir;
        static QJsonObject backup;
        Units units;
        SimulatorThread &unit = units.add("127.15.10.1");
        if (backup.isEmpty()) {
            furnish(unit);
            QCOMPARE(zorctl({"--address", "127.15.10.1", "backup", dir.filePath("good.json"), "--with-clips",
                             dir.filePath("clips")}).exitCode, 0);
            backup = jsonFile(dir.filePath("good.json"));
            QVERIFY(!backup.isEmpty());
        }
        unit.unit().clearReceivedFrames();

        QByteArray bytes = value.toString().toUtf8();
        if (!path.isEmpty()) {
            // Sets or removes one member, keeping the rest of the file.
            std::function<QJsonValue(const QJsonValue &, QStringList)> change = [&](const QJsonValue &node, QStringList keys) -> QJsonValue {
                const QString key = keys.takeFirst();
                if (node.isArray()) {
                    QJsonArray array = node.toArray();
                    array[key.toInt()] = keys.isEmpty() ? value : change(array[key.toInt()], keys);
                    return array;
                }
                QJsonObject object = node.toObject();
                if (keys.isEmpty() && value.isUndefined())
                    object.remove(key);
                else
                    object[key] = keys.isEmpty() ? value : change(object[key], keys);
                return object;
            };
            // File names hold dots: "files.plist.cfg" is files → "plist.cfg".
            QStringList keys = path.split('.');
            if (keys.first() == "files")
                keys = {"files", keys.mid(1).join('.')};
            bytes = QJsonDocument(change(backup, keys).toObject()).toJson();
        }
        const ZorCtlRun run = zorctl({"--address", "127.15.10.1", "restore", writeFile(dir, "damaged.json", bytes)});
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(message.toUtf8()), run.err);
        QVERIFY2(run.err.contains("nothing was sent"), run.err);
        QVERIFY(unit.unit().receivedFrames().isEmpty());
    }
};

QTEST_GUILESS_MAIN(FleetCtlTest)
#include "test_fleet_ctl.moc"

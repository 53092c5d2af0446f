// Comparing a unit with a profile, and reading profiles, without a unit.
#include "AlarmTable.h"
#include "AudioListFile.h"
#include "UnitDiff.h"

#include <QJsonDocument>
#include <QTest>
#include <functional>

using Change = std::function<void(UnitBackup &)>;
Q_DECLARE_METATYPE(Change)

namespace {

QByteArray listOf(const QStringList &paths)
{
    AudioList list;
    for (int n = 1; n <= paths.size(); ++n)
        list.setSource(n, paths[n - 1]);
    return audioListBytes(list);
}

void setFile(UnitBackup &b, const QString &name, const std::optional<QByteArray> &bytes)
{
    for (auto &[fileName, content] : b.files)
        if (fileName == name)
            content = bytes;
}

// A ZOR-06-WF with every part set, its alarm table using clips 1 and 3.
UnitBackup furnished()
{
    UnitBackup b;
    b.modelCode = 189;
    b.apSsid = "Site-AP";
    b.apKeyType = 2;
    b.apKey = "apsecret9";
    b.stationSsid = "Site \xe9st";
    b.stationKeyType = 2;
    b.stationKey = "stationkey";
    b.location = "Pump room";
    b.modbusPort = 1502;
    b.modbusIdleTimeout = 45;
    b.staticIpUsed = true;
    b.staticIp = {10, 1, 2, 30};
    b.subnetMask = {255, 255, 255, 0};
    b.gateway = {10, 1, 2, 1};
    QByteArray table = AlarmTable().image();
    table[AlarmTableOffset::clipCount + 2] = 2;
    table[AlarmTableOffset::clips + 8] = 1;
    table[AlarmTableOffset::clips + 9] = 3;
    b.files = {{"plist.cfg", table}, {"m3fn.txt", listOf({"C:\\work\\001.mp3", "", "C:\\work\\003.mp3"})}, {"RTU.CFG", std::nullopt}};
    b.withClips = true;
    b.clips = {{1, true, 3000, 291000}, {3, true, 1500, 382500}};
    return b;
}

QStringList lines(const UnitComparison &comparison)
{
    QStringList out;
    for (const GroupComparison &group : comparison.groups)
        for (const FieldChange &c : group.changes)
            out << group.group + " " + c.field + ": " + c.unit + " -> " + c.file;
    return out;
}

const Change Same = [](UnitBackup &) {};

} // namespace

class UnitDiffTest : public QObject {
    Q_OBJECT
private slots:
    void compare_data()
    {
        QTest::addColumn<Change>("onUnit");
        QTest::addColumn<Change>("onProfile");
        QTest::addColumn<bool>("showKeys");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("leftOut");

        QTest::newRow("same") << Same << Same << false << QStringList{} << QStringList{};
        QTest::newRow("location") << Same << Change([](UnitBackup &b) { b.location = "Boiler room"; }) << false
                                  << QStringList{"location location: Pump room -> Boiler room"} << QStringList{};
        QTest::newRow("keys masked with their length")
            << Change([](UnitBackup &b) { b.stationKey = "oldkey"; }) << Same << false
            << QStringList{"network stationKey: **** (6) -> **** (10)"} << QStringList{};
        QTest::newRow("keys shown when asked") << Change([](UnitBackup &b) { b.apKey = "other"; }) << Same << true
                                               << QStringList{"network apKey: other -> apsecret9"} << QStringList{};
        // The unit may report another number for the same kind of key.
        QTest::newRow("key type by kind") << Change([](UnitBackup &b) { b.stationKeyType = 3; }) << Same << false
                                          << QStringList{} << QStringList{};
        QTest::newRow("open network: key not compared")
            << Change([](UnitBackup &b) { b.stationKeyType = 0; b.stationKey.clear(); })
            << Change([](UnitBackup &b) { b.stationKeyType = 0; }) << false << QStringList{} << QStringList{};
        QTest::newRow("no static address: addresses not compared")
            << Change([](UnitBackup &b) { b.staticIpUsed = false; b.staticIp = {}; })
            << Change([](UnitBackup &b) { b.staticIpUsed = false; }) << false << QStringList{} << QStringList{};
        QTest::newRow("static address") << Same << Change([](UnitBackup &b) { b.gateway = {10, 1, 2, 254}; }) << false
                                        << QStringList{"network gateway: 10.1.2.1 -> 10.1.2.254"} << QStringList{};
        QTest::newRow("modbus and wifi mode")
            << Change([](UnitBackup &b) { b.modbusPort = 502; b.accessPointMode = true; }) << Same << false
            << QStringList{"modbus modbusPort: 502 -> 1502", "wifi-mode wifiMode: ap -> station"} << QStringList{};
        QTest::newRow("unused table bytes are no content")
            << Change([](UnitBackup &b) {
                   QByteArray table = *b.file("plist.cfg");
                   table[20] = 7;
                   table[AlarmTableOffset::clips + 10] = 9; // after the entry's clip count
                   setFile(b, "plist.cfg", table);
               })
            << Same << false << QStringList{} << QStringList{};
        QTest::newRow("short table reads as the rest fresh")
            << Change([](UnitBackup &b) { setFile(b, "plist.cfg", b.file("plist.cfg")->left(300)); }) << Same << false
            << QStringList{} << QStringList{};
        QTest::newRow("table entry and mode")
            << Change([](UnitBackup &b) {
                   QByteArray table = *b.file("plist.cfg");
                   table[AlarmTableOffset::mode] = 1;
                   table[AlarmTableOffset::clipCount + 2] = 1;
                   table[AlarmTableOffset::alarmOutput + 2] = 1;
                   setFile(b, "plist.cfg", table);
               })
            << Same << false
            << QStringList{"alarm alarmMode: 1 -> 0",
                           "alarm input 2: clips 1; repeat 1; output on -> clips 1, 3; repeat 1; output off"}
            << QStringList{};
        QTest::newRow("list in UTF-16 is the same list")
            << Change([](UnitBackup &b) {
                   const QString text = QString::fromUtf8(b.file("m3fn.txt")->mid(3));
                   setFile(b, "m3fn.txt", QByteArray("\xff\xfe") + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2));
               })
            << Same << false << QStringList{} << QStringList{};
        QTest::newRow("list entry") << Same
                                    << Change([](UnitBackup &b) { setFile(b, "m3fn.txt", listOf({"C:\\work\\001.mp3", "D:\\new.mp3"})); })
                                    << false << QStringList{"alarm list 2:  -> D:\\new.mp3", "alarm list 3: C:\\work\\003.mp3 -> "}
                                    << QStringList{};
        QTest::newRow("no table on the unit") << Change([](UnitBackup &b) { setFile(b, "plist.cfg", std::nullopt); }) << Same
                                              << false << QStringList{"alarm plist.cfg: (none) -> 512 bytes"} << QStringList{};
        QTest::newRow("clip by size and sum")
            << Change([](UnitBackup &b) { b.clips = {{1, true, 3000, 291001}, {3, false}}; }) << Same << false
            << QStringList{"alarm clip 1: 3000 bytes, sum 291001 -> 3000 bytes, sum 291000", "alarm clip 3: (none) -> 1500 bytes, sum 382500"}
            << QStringList{};
        QTest::newRow("clips not compared without them in the profile")
            << Change([](UnitBackup &b) { b.clips.clear(); }) << Change([](UnitBackup &b) { b.withClips = false; }) << false
            << QStringList{} << QStringList{};
        QTest::newRow("what a restore would not write is left out")
            << Change([](UnitBackup &b) { b.location = "Lobby"; b.apSsid = "Old"; })
            << Change([](UnitBackup &b) {
                   b.location.clear();
                   b.apSsid.clear();
                   setFile(b, "RTU.CFG", "1,9600,None,8,1");
               })
            << false << QStringList{}
            << QStringList{"the access point (the unit reported no SSID for it)",
                           "location (the unit had none; the setup rules cannot clear one)",
                           "the Modbus RTU settings (RTU.CFG): a ZOR-06-WF has none"};
        QTest::newRow("RTU.CFG by field")
            << Change([](UnitBackup &b) { b.modelCode = 190; setFile(b, "RTU.CFG", "1,9600,None,8,1"); })
            << Change([](UnitBackup &b) { setFile(b, "RTU.CFG", "1,19200,None,8,1"); }) << false
            << QStringList{"modbus rtuBaudRate: 9600 -> 19200"} << QStringList{"the Modbus TCP settings: a ZOR-04-RTU-WF has none"};
        QTest::newRow("only the parts the profile holds")
            << Change([](UnitBackup &b) { b.location = "Lobby"; b.modbusPort = 502; })
            << Change([](UnitBackup &b) { b.parts = unsigned(BackupPart::ModbusTcp); }) << false
            << QStringList{"modbus modbusPort: 502 -> 1502"} << QStringList{};
    }
    void compare()
    {
        QFETCH(Change, onUnit);
        QFETCH(Change, onProfile);
        QFETCH(bool, showKeys);
        UnitBackup unit = furnished(), profile = furnished();
        profile.profile = true;
        onUnit(unit);
        onProfile(profile);
        const UnitComparison comparison = compareUnit(unit, profile, showKeys);
        QTEST(lines(comparison), "expected");
        QTEST(comparison.leftOut, "leftOut");
        QCOMPARE(comparison.differs(), !lines(comparison).isEmpty());
    }

    void readProfile_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<unsigned>("parts");
        QTest::addColumn<QString>("error");
        const QByteArray head = R"({"format": "zorwifi unit backup", "version": 1, )";
        QTest::newRow("location only") << head + R"("settings": {"location": "Hall"}})"
                                       << unsigned(BackupPart::Location) << QString();
        QTest::newRow("station and static address")
            << head + R"("settings": {"stationSsid": "S", "stationKeyType": 2, "stationKey": "k12345678",
                        "staticIpUsed": false, "staticIp": "0.0.0.0", "subnetMask": "0.0.0.0", "gateway": "0.0.0.0"}})"
            << (unsigned(BackupPart::Station) | unsigned(BackupPart::StaticAddress)) << QString();
        QTest::newRow("alarm files") << head + R"("files": {"plist.cfg": "WjV3pQ==", "m3fn.txt": ""}})"
                                     << unsigned(BackupPart::Alarm) << QString();
        QTest::newRow("a part given in half") << head + R"("settings": {"stationSsid": "S"}})" << 0u
                                              << "damaged profile: \"stationKeyType\" is not a whole number from 0 to 255";
        QTest::newRow("one of the alarm files") << head + R"("files": {"plist.cfg": "WjV3pQ=="}})" << 0u
                                                << "damaged profile: \"m3fn.txt\" is missing from the files";
        QTest::newRow("clips without the alarm") << head + R"("settings": {"location": "Hall"}, "clips": {"folder": "c", "files": []}})"
                                                 << 0u << "damaged profile: clips are given without plist.cfg and m3fn.txt";
        QTest::newRow("nothing in it") << head + R"("settings": {"colour": "red"}})" << 0u
                                       << "damaged profile: the profile holds no settings or files";
        // With identity it is a backup, and a backup is whole.
        QTest::newRow("backup missing a group")
            << head + R"("identity": {"model": "m", "mac": "m", "firmware": "f", "address": "a", "modelCode": 189},
                        "settings": {"location": "Hall"}, "files": {}})"
            << 0u << "damaged backup: \"apSsid\" is missing or not a text";
    }
    void readProfile()
    {
        QFETCH(QByteArray, json);
        QString error;
        const std::optional<UnitBackup> read = readBackup(json, error);
        QTEST(error, "error");
        if (read) {
            QVERIFY(read->profile);
            QTEST(read->parts, "parts");
            // Written out again, it reads as the same parts.
            const std::optional<UnitBackup> again = readBackup(QJsonDocument(backupJson(*read)).toJson(), error);
            QVERIFY2(again, qPrintable(error));
            QCOMPARE(again->parts, read->parts);
            QVERIFY(!backupJson(*read).contains("identity"));
        }
    }
};

QTEST_GUILESS_MAIN(UnitDiffTest)
#include "test_unit_diff.moc"

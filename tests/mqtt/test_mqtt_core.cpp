// The bridge's widget-free parts: command payloads, topics, state and discovery JSON, options.
#include "BridgeOptions.h"
#include "MqttTopics.h"
#include "PublishGate.h"
#include "UnitCommand.h"
#include "UnitJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

DeviceStatus unitOf(std::uint8_t model)
{
    DeviceStatus status;
    status.linked = status.statusValid = status.modelRecognised = true;
    status.modelCode = model;
    status.relayMask = 1;
    status.inputMask = model == ModelZor06 ? 0x3F : 0x0F;
    status.mac = {0x02, 0x00, 0x5E, 0x10, 0x0A, 0xFF};
    status.firmwareVersion = {0x01, 0x20};
    status.sdPresent = true;
    status.sdFree = {3, 5};
    status.sdTotal = {7, 45};
    status.rssi = -60;
    status.volume = 7;
    status.armed = 1;
    return status;
}

QJsonObject parsed(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        qWarning() << "not JSON:" << json << error.errorString();
    return document.object();
}

} // namespace

class MqttCoreTest : public QObject {
    Q_OBJECT

private slots:
    void commandPayload_data();
    void commandPayload();
    void commandTopic_data();
    void commandTopic();
    void stateJson_data();
    void stateJson();
    void discovery_data();
    void discovery();
    void publishGate();
    void options_data();
    void options();
};

void MqttCoreTest::commandPayload_data()
{
    QTest::addColumn<QString>("thing");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("kind"); // -1: refused
    QTest::addColumn<int>("value");

    const int relay = int(UnitCommand::Kind::Relay), arming = int(UnitCommand::Kind::Arming);
    const int volume = int(UnitCommand::Kind::Volume), locate = int(UnitCommand::Kind::Locate);
    QTest::newRow("relay ON") << "relay" << QByteArray("ON") << relay << 1;
    QTest::newRow("relay off, lower case") << "relay" << QByteArray("off") << relay << 0;
    QTest::newRow("relay with a line end") << "relay" << QByteArray("ON\n") << relay << 1;
    QTest::newRow("relay 1") << "relay" << QByteArray("1") << -1 << 0;
    QTest::newRow("relay ONN") << "relay" << QByteArray("ONN") << -1 << 0;
    QTest::newRow("relay empty") << "relay" << QByteArray() << -1 << 0;
    QTest::newRow("relay NUL inside") << "relay" << QByteArray("O\0N", 3) << -1 << 0;
    QTest::newRow("relay as JSON") << "relay" << QByteArray(R"({"state":"ON"})") << -1 << 0;
    QTest::newRow("arming ON") << "arming" << QByteArray("ON") << arming << 1;
    QTest::newRow("arming OFF") << "arming" << QByteArray("OFF") << arming << 0;
    QTest::newRow("arming UTF-8") << "arming" << QByteArray("\xC3\x96N") << -1 << 0;
    QTest::newRow("volume 0") << "volume" << QByteArray("0") << volume << 0;
    QTest::newRow("volume 7") << "volume" << QByteArray("7") << volume << 7;
    QTest::newRow("volume 10") << "volume" << QByteArray("10") << volume << 10;
    QTest::newRow("volume 11") << "volume" << QByteArray("11") << -1 << 0;
    QTest::newRow("volume -1") << "volume" << QByteArray("-1") << -1 << 0;
    QTest::newRow("volume +5") << "volume" << QByteArray("+5") << -1 << 0;
    QTest::newRow("volume 7.5") << "volume" << QByteArray("7.5") << -1 << 0;
    QTest::newRow("volume 007") << "volume" << QByteArray("007") << -1 << 0;
    QTest::newRow("volume hex") << "volume" << QByteArray("0x7") << -1 << 0;
    QTest::newRow("volume huge") << "volume" << QByteArray("4294967303") << -1 << 0;
    QTest::newRow("volume word") << "volume" << QByteArray("seven") << -1 << 0;
    QTest::newRow("volume oversized") << "volume" << QByteArray(100000, '7') << -1 << 0;
    QTest::newRow("locate PRESS") << "locate" << QByteArray("PRESS") << locate << 0;
    QTest::newRow("locate other") << "locate" << QByteArray("ON") << -1 << 0;
    QTest::newRow("unknown thing") << "reboot" << QByteArray("PRESS") << -1 << 0;
    QTest::newRow("thing in capitals") << "RELAY" << QByteArray("ON") << -1 << 0;
}

void MqttCoreTest::commandPayload()
{
    QFETCH(QString, thing);
    QFETCH(QByteArray, payload);
    QFETCH(int, kind);
    QFETCH(int, value);
    const ParsedCommand command = parseCommand(thing, payload);
    if (kind < 0) {
        QVERIFY(!command.command);
        QVERIFY(!command.reason.isEmpty());
        return;
    }
    QVERIFY2(command.command, qPrintable(command.reason));
    QCOMPARE(int(command.command->kind), kind);
    QCOMPARE(int(command.command->value), value);
    QCOMPARE(command.command->thing(), thing);
}

void MqttCoreTest::commandTopic_data()
{
    QTest::addColumn<QString>("topic");
    QTest::addColumn<QString>("macId"); // empty: not a command topic
    QTest::addColumn<QString>("thing");

    QTest::newRow("relay") << "site/zorwifi/02005e100aff/set/relay" << "02005e100aff" << "relay";
    QTest::newRow("state, not a command") << "site/zorwifi/02005e100aff/state" << "" << "";
    QTest::newRow("deeper") << "site/zorwifi/02005e100aff/set/relay/x" << "" << "";
    QTest::newRow("empty thing") << "site/zorwifi/02005e100aff/set/" << "" << "";
    QTest::newRow("other base") << "zorwifi/02005e100aff/set/relay" << "" << "";
    QTest::newRow("base as a prefix only") << "site/zorwifix/02005e100aff/set/relay" << "" << "";
}

void MqttCoreTest::commandTopic()
{
    QFETCH(QString, topic);
    QFETCH(QString, macId);
    QFETCH(QString, thing);
    TopicLayout layout;
    layout.base = "site/zorwifi";
    const auto command = layout.parseCommand(topic);
    QCOMPARE(bool(command), !macId.isEmpty());
    if (command) {
        QCOMPARE(command->macId, macId);
        QCOMPARE(command->thing, thing);
        QCOMPARE(layout.command(macId, thing), topic);
    }
}

void MqttCoreTest::stateJson_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("inputBits");
    QTest::addColumn<bool>("sd");
    QTest::addColumn<int>("rssi");
    QTest::addColumn<QByteArray>("location");
    QTest::addColumn<QByteArray>("expected"); // the JSON, keys in order

    QTest::newRow("six inputs, SD, RSSI")
        << int(ModelZor06) << 0x25 << true << -60 << QByteArray("Boiler")
        << QByteArray(R"({"armed":"ON","firmware":"V01.20","inputs":{"DI1":"ON","DI2":"OFF","DI3":"ON","DI4":"OFF",)"
                      R"("DI5":"OFF","DI6":"ON"},"location":"Boiler","mac":"02:00:5E:10:0A:FF","model":"ZOR-06-WF",)"
                      R"("relay":"ON","rssi":-60,"sd":{"free_gb":3.05,"present":true,"total_gb":7.45},"volume":7})");
    // The unit sent DI5 and DI6 on; a four-input model has neither.
    QTest::newRow("four inputs, no SD, no RSSI yet")
        << int(ModelZor04Rtu) << 0x3F << false << 0 << QByteArray()
        << QByteArray(R"({"armed":"ON","firmware":"V01.20","inputs":{"DI1":"ON","DI2":"ON","DI3":"ON","DI4":"ON"},)"
                      R"("location":"","mac":"02:00:5E:10:0A:FF","model":"ZOR-04-RTU-WF","relay":"ON","rssi":null,)"
                      R"("sd":{"free_gb":null,"present":false,"total_gb":null},"volume":7})");
    QTest::newRow("location with quotes, controls and Latin-1")
        << int(ModelZor06) << 0 << true << -60 << QByteArray("a\"b\\c\x1b[2J\xE9\x85")
        << QByteArray(R"({"armed":"ON","firmware":"V01.20","inputs":{"DI1":"OFF","DI2":"OFF","DI3":"OFF","DI4":"OFF",)"
                      R"("DI5":"OFF","DI6":"OFF"},"location":"a\"b\\c\u001b[2J)"
                      "\xC3\xA9\xC2\x85"
                      R"(","mac":"02:00:5E:10:0A:FF","model":"ZOR-06-WF","relay":"ON","rssi":-60,)"
                      R"("sd":{"free_gb":3.05,"present":true,"total_gb":7.45},"volume":7})");
}

void MqttCoreTest::stateJson()
{
    QFETCH(int, model);
    QFETCH(int, inputBits);
    QFETCH(bool, sd);
    QFETCH(int, rssi);
    QFETCH(QByteArray, location);
    QFETCH(QByteArray, expected);
    DeviceStatus status = unitOf(std::uint8_t(model));
    status.relayBits = 1;
    status.inputBits = std::uint8_t(inputBits);
    status.maskToModel();
    status.sdPresent = sd;
    status.rssi = rssi;
    status.location = location;
    const QByteArray json = ::stateJson(status);
    QCOMPARE(json, expected);
    QVERIFY(!parsed(json).isEmpty());
}

void MqttCoreTest::discovery_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QStringList>("objects"); // component/object, in order

    const QStringList common{"switch/relay", "switch/arming", "number/volume", "button/locate", "sensor/rssi",
                             "sensor/sd_free"};
    QTest::newRow("ZOR-06-WF") << int(ModelZor06)
                               << QStringList{"binary_sensor/di1", "binary_sensor/di2", "binary_sensor/di3",
                                              "binary_sensor/di4", "binary_sensor/di5", "binary_sensor/di6"} + common;
    QTest::newRow("ZOR-04-RTU-WF") << int(ModelZor04Rtu)
                                   << QStringList{"binary_sensor/di1", "binary_sensor/di2", "binary_sensor/di3",
                                                  "binary_sensor/di4"} + common;
}

void MqttCoreTest::discovery()
{
    QFETCH(int, model);
    QFETCH(QStringList, objects);
    TopicLayout layout;
    layout.base = "site/zor";
    layout.discoveryPrefix = "ha";
    const QList<RetainedMessage> configs = discoveryConfigs(unitOf(std::uint8_t(model)), layout);
    QStringList seen;
    QSet<QString> uniqueIds;
    for (const RetainedMessage &config : configs) {
        const QStringList levels = config.topic.split('/');
        QCOMPARE(levels.size(), 5);
        QCOMPARE(levels[0], QString("ha"));
        QCOMPARE(levels[2], QString("zorwifi_02005e100aff"));
        QCOMPARE(levels[4], QString("config"));
        seen << levels[1] + '/' + levels[3];
        const QJsonObject object = parsed(config.payload);
        uniqueIds << object["unique_id"].toString();
        QCOMPARE(object["state_topic"].toString(), QString("site/zor/02005e100aff/state"));
        QCOMPARE(object["availability"].toArray().size(), 2);
        const QJsonObject device = object["device"].toObject();
        QCOMPARE(device["identifiers"].toArray().first().toString(), QString("zorwifi_02005e100aff"));
        QCOMPARE(device["connections"].toArray().first().toArray(), (QJsonArray{"mac", "02:00:5e:10:0a:ff"}));
        QCOMPARE(device["model"].toString(), model == ModelZor06 ? QString("ZOR-06-WF") : QString("ZOR-04-RTU-WF"));
        QCOMPARE(device["sw_version"].toString(), QString("V01.20"));
        if (object.contains("command_topic"))
            QCOMPARE(object["command_topic"].toString(), "site/zor/02005e100aff/set/" + levels[3]);
    }
    QCOMPARE(seen, objects);
    QCOMPARE(uniqueIds.size(), objects.size());
    const QJsonObject volume = parsed(configs[objects.indexOf("number/volume")].payload);
    QCOMPARE(volume["min"].toInt(), 0);
    QCOMPARE(volume["max"].toInt(), 10);
}

void MqttCoreTest::publishGate()
{
    PublishGate gate;
    QVERIFY(gate.due("t", "a", 0));
    QVERIFY(!gate.due("t", "a", 1000));                        // unchanged
    QVERIFY(gate.due("t", "b", 2000));                         // changed
    QVERIFY(!gate.due("t", "b", 2000 + PublishGate::RefreshMs - 1));
    QVERIFY(gate.due("t", "b", 2000 + PublishGate::RefreshMs)); // refreshed
    QVERIFY(gate.due("d", "x", 0, false));
    QVERIFY(!gate.due("d", "x", 10 * PublishGate::RefreshMs, false)); // never refreshed
    gate.forgetAll();
    QVERIFY(gate.due("t", "b", 2000 + PublishGate::RefreshMs)); // a new connection sends all again
}

void MqttCoreTest::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error"); // a part of the error; empty: accepted
    QTest::addColumn<int>("port");      // of an accepted line

    const QStringList unit{"--address", "127.44.0.2"};
    QTest::newRow("minimal") << QStringList{"--broker", "127.44.0.1"} + unit << "" << 1883;
    QTest::newRow("TLS") << QStringList{"--broker", "127.44.0.1", "--tls-ca", "ca.crt"} + unit << "" << 8883;
    QTest::newRow("port given") << QStringList{"--broker", "127.44.0.1:18830", "--tls-ca", "ca.crt"} + unit << ""
                                << 18830;
    QTest::newRow("user and password file")
        << QStringList{"--broker", "b", "--username", "u", "--password-file", "@PW"} + unit << "" << 1883;
    QTest::newRow("no broker") << unit << "--broker is needed" << 0;
    QTest::newRow("no unit") << QStringList{"--broker", "127.44.0.1"} << "no unit to poll" << 0;
    QTest::newRow("port 0") << QStringList{"--broker", "127.44.0.1:0"} + unit << "port from 1 to 65535" << 0;
    QTest::newRow("port word") << QStringList{"--broker", "127.44.0.1:mqtt"} + unit << "port from 1 to 65535" << 0;
    QTest::newRow("empty host") << QStringList{"--broker", ":1883"} + unit << "needs a host" << 0;
    QTest::newRow("unit by name") << QStringList{"--broker", "b", "--address", "unit.local"} << "not a dotted IPv4" << 0;
    QTest::newRow("password on the command line")
        << QStringList{"--broker", "b", "--password", "hunter2"} + unit << "Unknown option" << 0;
    QTest::newRow("password= on the command line")
        << QStringList{"--broker", "b", "--password=hunter2"} + unit << "Unknown option" << 0;
    QTest::newRow("password without user") << QStringList{"--broker", "b", "--password-file", "@PW"} + unit
                                           << "needs --username" << 0;
    QTest::newRow("password file missing")
        << QStringList{"--broker", "b", "--username", "u", "--password-file", "/nonexistent/pw"} + unit
        << "cannot read the password file" << 0;
    QTest::newRow("interval 0") << QStringList{"--broker", "b", "--interval", "0"} + unit << "--interval" << 0;
    QTest::newRow("interval word") << QStringList{"--broker", "b", "--interval", "soon"} + unit << "--interval" << 0;
    QTest::newRow("wildcard base") << QStringList{"--broker", "b", "--base-topic", "zor/#"} + unit << "wildcard" << 0;
    QTest::newRow("empty level") << QStringList{"--broker", "b", "--discovery-prefix", "ha//x"} + unit
                                 << "empty level" << 0;
    QTest::newRow("stray argument") << QStringList{"--broker", "b", "extra"} + unit << "unexpected argument" << 0;
}

void MqttCoreTest::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    QFETCH(int, port);
    QTemporaryDir dir;
    QFile password(dir.filePath("pw"));
    QVERIFY(password.open(QIODevice::WriteOnly));
    password.write("hunter2\nsecond line\n");
    password.close();
    arguments.replaceInStrings("@PW", password.fileName());
    const BridgeOptions options = readBridgeOptions(QStringList{"zorwifi-mqtt"} + arguments);
    QVERIFY2(options.error.contains(error), qPrintable(options.error));
    QVERIFY(error.isEmpty() || !options.error.isEmpty());
    QVERIFY2(!options.error.contains("hunter2"), qPrintable(options.error)); // never echoed
    if (error.isEmpty()) {
        QCOMPARE(options.broker.port, port);
        QCOMPARE(options.broker.password, arguments.contains("--password-file") ? QByteArray("hunter2") : QByteArray());
        QCOMPARE(options.addresses, QStringList{"127.44.0.2"});
    }
}

QTEST_GUILESS_MAIN(MqttCoreTest)
#include "test_mqtt_core.moc"

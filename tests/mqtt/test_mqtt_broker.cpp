// zorwifi-mqtt against a real mosquitto and simulated units: discovery and state as mosquitto_sub
// reads them, commands from mosquitto_pub as frames on the unit, a broker restart, a unit that stops.
#include "MqttRig.h"
#include "SimulatorThread.h"

#include <QJsonDocument>
#include <QJsonObject>

#ifndef ZORWIFI_MQTT_PATH
#error "ZORWIFI_MQTT_PATH names the bridge under test"
#endif

namespace {

constexpr double IntervalS = 1.5;
const QByteArray Password = "s3cret-Pw";

QString macIdOf(SimulatorThread &sim)
{
    const auto mac = sim.unit().state().mac;
    return QByteArray(reinterpret_cast<const char *>(mac.data()), int(mac.size())).toHex();
}

// The requests other than the polls' device information and status.
QList<QByteArray> commandFrames(SimulatorThread &sim)
{
    QList<QByteArray> frames;
    for (const QByteArray &frame : sim.unit().receivedFrames()) {
        const auto code = frame.size() > 4 ? std::uint8_t(frame[4]) : 0;
        if (code != 33 && code != 216)
            frames << frame;
    }
    return frames;
}

QJsonObject json(const QByteArray &payload)
{
    return QJsonDocument::fromJson(payload).object();
}

class BridgeProcess {
public:
    bool start(const QStringList &arguments)
    {
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(QStringLiteral(ZORWIFI_MQTT_PATH), arguments);
        return process_.waitForStarted(5000);
    }
    QByteArray stop()
    {
        process_.terminate();
        if (!process_.waitForFinished(10000))
            process_.kill();
        process_.waitForFinished(2000);
        return output();
    }
    QByteArray output()
    {
        log_ += process_.readAll();
        return log_;
    }
    ~BridgeProcess() { stop(); }

private:
    QProcess process_;
    QByteArray log_;
};

} // namespace

class MqttBrokerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void withPasswordFile();
    void withTls();

private:
    // Every discovery config of the units, as retained messages.
    void expectDiscovery(const ClientArgs &client, const QStringList &macIds, int configs);

    QTemporaryDir dir_;
};

void MqttBrokerTest::initTestCase()
{
    QVERIFY(dir_.isValid());
}

void MqttBrokerTest::expectDiscovery(const ClientArgs &client, const QStringList &macIds, int configs)
{
    const QStringList lines = subscribe(client, {"homeassistant/#"}, configs, 15);
    QCOMPARE(lines.size(), configs);
    for (const QString &id : macIds) {
        const QString node = "/zorwifi_" + id + "/";
        QVERIFY2(std::any_of(lines.begin(), lines.end(), [&](const QString &l) { return l.contains(node + "relay/config "); }),
                 qPrintable(id));
    }
}

void MqttBrokerTest::withPasswordFile()
{
    const QString passwords = dir_.filePath("passwords");
    QCOMPARE(runQuietly("mosquitto_passwd", {"-b", "-c", passwords, "zor", QString::fromUtf8(Password)}), 0);
    QFile passwordFile(dir_.filePath("password"));
    QVERIFY(passwordFile.open(QIODevice::WriteOnly));
    passwordFile.write(Password + "\n");
    passwordFile.close();

    Broker broker(dir_, 18841, "allow_anonymous false\npassword_file " + passwords);
    const ClientArgs client{{"-h", BrokerAddress, "-p", "18841", "-u", "zor", "-P", QString::fromUtf8(Password)}};

    SimulatorThread six, four;
    QVERIFY2(six.start(QHostAddress("127.44.0.2")), qPrintable(six.errorString()));
    QVERIFY2(four.start(QHostAddress("127.44.0.3"), {.model = ModelZor04Rtu}), qPrintable(four.errorString()));
    const QString sixId = macIdOf(six), fourId = macIdOf(four);

    BridgeProcess bridge;
    QVERIFY(bridge.start({"--broker", BrokerAddress + ":18841", "--address", "127.44.0.2", "--address", "127.44.0.3",
                          "--interval", QString::number(IntervalS), "--username", "zor", "--password-file",
                          passwordFile.fileName()}));
    // A broker that comes up after the bridge is found by its retries.
    QTest::qWait(1500);
    QVERIFY(broker.start());

    // Discovery: six inputs and four inputs, each with relay, arming, volume, locate, RSSI and SD free.
    expectDiscovery(client, {sixId, fourId}, 12 + 10);
    const QStringList state = subscribe(client, {"zorwifi/+/state", "zorwifi/+/availability", "zorwifi/bridge/availability"}, 5);
    QCOMPARE(payloadOf(state, "zorwifi/bridge/availability"), QByteArray("online"));
    QCOMPARE(payloadOf(state, "zorwifi/" + sixId + "/availability"), QByteArray("online"));
    const QJsonObject sixState = json(payloadOf(state, "zorwifi/" + sixId + "/state"));
    QCOMPARE(sixState["volume"].toInt(), 4);
    QCOMPARE(sixState["inputs"].toObject().size(), 6);
    QCOMPARE(json(payloadOf(state, "zorwifi/" + fourId + "/state"))["inputs"].toObject().size(), 4);

    // Relay on, volume 7, arm: the monitor's requests, volume keeping the arming and arming the volume.
    QProcess results;
    results.start("mosquitto_sub", client.sub({"zorwifi/" + sixId + "/result"}, 3, 15));
    QTest::qWait(500); // subscribed
    QVERIFY(publish(client, "zorwifi/" + sixId + "/set/relay", "ON"));
    QVERIFY(publish(client, "zorwifi/" + sixId + "/set/volume", "7"));
    QVERIFY(publish(client, "zorwifi/" + sixId + "/set/arming", "ON"));
    QTRY_COMPARE_WITH_TIMEOUT(commandFrames(six).size(), 3, 10000);
    const QList<QByteArray> expected{QByteArray::fromHex("5A3577A5D0010100 00"), QByteArray::fromHex("5A3577A540180700 00"),
                                     QByteArray::fromHex("5A3577A540180701 01")};
    QCOMPARE(commandFrames(six), expected);
    QVERIFY(ended(results, 15000));
    const QString resultTopic = "zorwifi/" + sixId + "/result ";
    QCOMPARE(QString::fromUtf8(results.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
             (QStringList{resultTopic + R"({"command":"relay","result":"done"})",
                          resultTopic + R"({"command":"volume","result":"done"})",
                          resultTopic + R"({"command":"arming","result":"done"})"}));
    QTRY_VERIFY_WITH_TIMEOUT(json(payloadOf(subscribe(client, {"zorwifi/" + sixId + "/state"}, 1), "zorwifi/" + sixId + "/state"))
                                     ["relay"] == QStringLiteral("ON"), 5000);

    // Payloads of every wrong shape: each answered as rejected, none reaching the unit.
    const QList<QPair<QString, QByteArray>> bad{
        {"volume", "11"}, {"volume", "-1"}, {"volume", "7.5"}, {"volume", QByteArray(70000, '9')},
        {"relay", "maybe"}, {"relay", QByteArray("ON\0", 3)}, {"arming", {}}, {"locate", "\xFF\xFE"},
        {"reboot", "PRESS"}};
    results.start("mosquitto_sub", client.sub({"zorwifi/" + sixId + "/result"}, int(bad.size()), 15));
    QTest::qWait(500);
    six.unit().clearReceivedFrames();
    for (const auto &[thing, payload] : bad)
        QVERIFY(publish(client, "zorwifi/" + sixId + "/set/" + thing, payload));
    QVERIFY(ended(results, 15000));
    const QStringList rejected = QString::fromUtf8(results.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(rejected.size(), bad.size());
    for (const QString &line : rejected)
        QVERIFY2(line.contains(R"("result":"rejected")"), qPrintable(line));
    QTest::qWait(int(2 * IntervalS * 1000));
    QCOMPARE(commandFrames(six), QList<QByteArray>{});
    QVERIFY(!six.unit().receivedFrames().isEmpty()); // polling went on

    // A restarted broker has lost every retained message: the bridge reconnects and sends them again.
    broker.stop();
    QTest::qWait(1500);
    QVERIFY(broker.start());
    expectDiscovery(client, {sixId, fourId}, 12 + 10);
    QCOMPARE(payloadOf(subscribe(client, {"zorwifi/bridge/availability"}, 1), "zorwifi/bridge/availability"),
             QByteArray("online"));

    // A unit that stops is offline within two intervals; a command for it is answered, not lost.
    QProcess availability;
    availability.start("mosquitto_sub", client.sub({"zorwifi/" + fourId + "/availability"}, 2, 20));
    QTest::qWait(500); // the retained "online" first
    QElapsedTimer sinceStop;
    four.stop();
    sinceStop.start();
    QVERIFY(ended(availability, 20000));
    const qint64 offlineAfter = sinceStop.elapsed();
    QCOMPARE(QString::fromUtf8(availability.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts).last(),
             "zorwifi/" + fourId + "/availability offline");
    QVERIFY2(offlineAfter <= 2 * IntervalS * 1000, qPrintable(QString::number(offlineAfter)));
    results.start("mosquitto_sub", client.sub({"zorwifi/" + fourId + "/result"}, 1, 10));
    QTest::qWait(500);
    QVERIFY(publish(client, "zorwifi/" + fourId + "/set/relay", "ON"));
    QVERIFY(ended(results, 15000));
    QVERIFY(json(results.readAllStandardOutput().split(' ').mid(1).join(' '))["result"] == QStringLiteral("offline"));

    // A wrong password is reported as such, and shown nowhere.
    QFile wrongPassword(dir_.filePath("wrong-password"));
    QVERIFY(wrongPassword.open(QIODevice::WriteOnly));
    wrongPassword.write("not-the-Pw\n");
    wrongPassword.close();
    BridgeProcess refused;
    QVERIFY(refused.start({"--broker", BrokerAddress + ":18841", "--address", "127.44.0.2", "--username", "zor",
                           "--password-file", wrongPassword.fileName()}));
    QTRY_VERIFY_WITH_TIMEOUT(refused.output().contains("not authorised"), 10000);
    QVERIFY(!refused.stop().contains("not-the-Pw"));

    const QByteArray log = bridge.stop();
    QVERIFY2(!log.contains(Password), log.constData());
    QVERIFY2(log.contains("dropped"), log.constData()); // bad payloads are logged
    QCOMPARE(payloadOf(subscribe(client, {"zorwifi/bridge/availability"}, 1), "zorwifi/bridge/availability"),
             QByteArray("offline"));
}

void MqttBrokerTest::withTls()
{
    // A CA of the test's own, and a broker certificate it signs for the broker's address.
    const QString ca = dir_.filePath("ca"), server = dir_.filePath("server");
    QCOMPARE(runQuietly("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                                           "/CN=zorwifi test CA", "-keyout", ca + ".key", "-out", ca + ".crt"}), 0);
    QCOMPARE(runQuietly("openssl", {"req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=" + BrokerAddress,
                                           "-keyout", server + ".key", "-out", server + ".csr"}), 0);
    QFile extensions(dir_.filePath("san.ext"));
    QVERIFY(extensions.open(QIODevice::WriteOnly));
    extensions.write("subjectAltName=IP:" + BrokerAddress.toUtf8() + "\n");
    extensions.close();
    QCOMPARE(runQuietly("openssl", {"x509", "-req", "-in", server + ".csr", "-CA", ca + ".crt", "-CAkey",
                                           ca + ".key", "-CAcreateserial", "-days", "2", "-extfile",
                                           extensions.fileName(), "-out", server + ".crt"}), 0);

    Broker broker(dir_, 18842,
                  QStringLiteral("allow_anonymous true\ncafile %1.crt\ncertfile %2.crt\nkeyfile %2.key").arg(ca, server));
    QVERIFY(broker.start());
    const ClientArgs client{{"-h", BrokerAddress, "-p", "18842", "--cafile", ca + ".crt"}};

    SimulatorThread unit;
    QVERIFY2(unit.start(QHostAddress("127.44.0.4")), qPrintable(unit.errorString()));
    const QString id = macIdOf(unit);
    // A retained command waiting at the broker is replayed on subscribing: it must not be carried out.
    ClientArgs retaining = client;
    retaining.arguments << "-r";
    QVERIFY(publish(retaining, "zorwifi/" + id + "/set/locate", "PRESS"));
    BridgeProcess bridge;
    QVERIFY(bridge.start({"--broker", BrokerAddress + ":18842", "--tls-ca", ca + ".crt", "--address", "127.44.0.4",
                          "--interval", QString::number(IntervalS)}));
    expectDiscovery(client, {id}, 12);
    QCOMPARE(payloadOf(subscribe(client, {"zorwifi/" + id + "/availability"}, 1), "zorwifi/" + id + "/availability"),
             QByteArray("online"));
    QTest::qWait(int(2 * IntervalS * 1000));
    QCOMPARE(commandFrames(unit), QList<QByteArray>{});
    QVERIFY(publish(client, "zorwifi/" + id + "/set/locate", "PRESS"));
    QTRY_COMPARE_WITH_TIMEOUT(commandFrames(unit), QList<QByteArray>{QByteArray::fromHex("5A3577A51D00000000")}, 10000);
    QVERIFY(bridge.stop().contains("retained commands are not taken"));
}

QTEST_GUILESS_MAIN(MqttBrokerTest)
#include "test_mqtt_broker.moc"

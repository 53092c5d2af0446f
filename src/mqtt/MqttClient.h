#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

struct mosquitto;

struct BrokerSettings {
    QString host;
    int port = 1883;
    QString clientId;
    QString username;
    QByteArray password; // never logged
    QString tlsCaFile;   // empty: no TLS
    QString willTopic;   // retained "offline" when the connection is lost
    int keepAliveSeconds = 30;
};

// One connection to the broker through libmosquitto's own network thread, which reconnects with
// backoff. Its callbacks are handed to this object's thread as signals.
class MqttClient : public QObject {
    Q_OBJECT

public:
    explicit MqttClient(const BrokerSettings &settings, QObject *parent = nullptr);
    ~MqttClient() override;
    MqttClient(const MqttClient &) = delete;
    MqttClient &operator=(const MqttClient &) = delete;

    // Starts connecting; false with the reason when the settings cannot be used at all.
    bool start(QString &error);
    // Publishes the will's "offline" itself, then disconnects.
    void stop();

    // Dropped while disconnected: the bridge publishes everything again on the next connect.
    bool publish(const QString &topic, const QByteArray &payload, bool retain);
    bool subscribe(const QString &filter);

signals:
    void connected();
    void disconnected(const QString &reason);
    // What libmosquitto reports as an error, or a broker not reached for a while; the connection may stand.
    void trouble(const QString &text);
    // `retained`: a stored message the broker replays on subscribing, not one just published.
    void messageReceived(const QString &topic, const QByteArray &payload, bool retained);

private:
    static void onConnect(mosquitto *, void *self, int rc);
    static void onDisconnect(mosquitto *, void *self, int rc);
    static void onMessage(mosquitto *, void *self, const struct mosquitto_message *message);
    static void onLog(mosquitto *, void *self, int level, const char *text);

    BrokerSettings settings_;
    mosquitto *mosq_ = nullptr;
    bool started_ = false;
    // A broker that refuses or ignores every attempt is otherwise never heard of: said once per outage.
    QTimer outage_;
};

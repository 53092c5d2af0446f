#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

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

// One connection to the broker, run by a network thread of its own that connects, and after any
// failure connects again with a backoff of 1 s doubling to 30 s, whatever the failure was (refused,
// a name not resolved yet, a TLS handshake). Its news reach this object's thread as signals.
class MqttClient : public QObject {
    Q_OBJECT

public:
    explicit MqttClient(const BrokerSettings &settings, QObject *parent = nullptr);
    ~MqttClient() override;
    MqttClient(const MqttClient &) = delete;
    MqttClient &operator=(const MqttClient &) = delete;

    // Starts connecting; false with the reason when the settings cannot be used at all.
    bool start(QString &error);
    // Publishes the will's "offline" itself, disconnects and ends the network thread.
    void stop();

    // Dropped while disconnected: the bridge publishes everything again on the next connect.
    bool publish(const QString &topic, const QByteArray &payload, bool retain);
    bool subscribe(const QString &filter);

signals:
    void connected();
    // The connection was lost, or an attempt failed; said again only when the reason changes.
    void disconnected(const QString &reason);
    // What libmosquitto reports as an error, such as a failed TLS handshake.
    void trouble(const QString &text);
    // `retained`: a stored message the broker replays on subscribing, not one just published.
    void messageReceived(const QString &topic, const QByteArray &payload, bool retained);

private:
    void runNetwork();
    void tell(const QString &reason);
    static void onConnect(mosquitto *, void *self, int rc);
    static void onDisconnect(mosquitto *, void *self, int rc);
    static void onMessage(mosquitto *, void *self, const struct mosquitto_message *message);
    static void onLog(mosquitto *, void *self, int level, const char *text);

    BrokerSettings settings_;
    mosquitto *mosq_ = nullptr;
    std::thread network_;
    std::atomic<bool> stopping_{false};
    std::chrono::steady_clock::time_point stopDeadline_; // set before stopping_
    std::mutex mutex_; // guards the backoff wait
    std::condition_variable wake_;
    QString lastReason_; // network thread only
};

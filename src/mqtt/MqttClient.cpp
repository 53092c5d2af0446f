#include "MqttClient.h"

#include <QMetaObject>
#include <mosquitto.h>

namespace {

constexpr int Qos = 1;
constexpr unsigned ReconnectMinSeconds = 1;
constexpr unsigned ReconnectMaxSeconds = 30;
constexpr int OutageWarningMs = 10000;

struct LibraryUse {
    LibraryUse() { mosquitto_lib_init(); }
    ~LibraryUse() { mosquitto_lib_cleanup(); }
};

QString connackText(int rc)
{
    return QString::fromUtf8(mosquitto_connack_string(rc));
}

} // namespace

MqttClient::MqttClient(const BrokerSettings &settings, QObject *parent)
    : QObject(parent)
    , settings_(settings)
{
    static LibraryUse library;
    mosq_ = mosquitto_new(settings_.clientId.toUtf8().constData(), true, this);
    outage_.setSingleShot(true);
    outage_.setInterval(OutageWarningMs);
    connect(&outage_, &QTimer::timeout, this, [this] {
        emit trouble(QStringLiteral("no connection to %1:%2 for %3 s").arg(settings_.host).arg(settings_.port)
                              .arg(OutageWarningMs / 1000));
    });
    connect(this, &MqttClient::connected, &outage_, &QTimer::stop);
}

MqttClient::~MqttClient()
{
    stop();
    mosquitto_destroy(mosq_);
}

bool MqttClient::start(QString &error)
{
    if (!mosq_) {
        error = QStringLiteral("libmosquitto could not make a client");
        return false;
    }
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(mosq_, &MqttClient::onConnect);
    mosquitto_disconnect_callback_set(mosq_, &MqttClient::onDisconnect);
    mosquitto_message_callback_set(mosq_, &MqttClient::onMessage);
    mosquitto_log_callback_set(mosq_, &MqttClient::onLog);
    mosquitto_reconnect_delay_set(mosq_, ReconnectMinSeconds, ReconnectMaxSeconds, true);
    if (!settings_.username.isEmpty()) {
        const QByteArray user = settings_.username.toUtf8();
        const int rc = mosquitto_username_pw_set(mosq_, user.constData(),
                                                 settings_.password.isEmpty() ? nullptr : settings_.password.constData());
        if (rc != MOSQ_ERR_SUCCESS) {
            error = QStringLiteral("the user name cannot be used: ") + mosquitto_strerror(rc);
            return false;
        }
    }
    if (!settings_.tlsCaFile.isEmpty()) {
        const int rc = mosquitto_tls_set(mosq_, settings_.tlsCaFile.toLocal8Bit().constData(), nullptr, nullptr,
                                         nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            error = QStringLiteral("the CA file %1 cannot be used: %2").arg(settings_.tlsCaFile, mosquitto_strerror(rc));
            return false;
        }
    }
    if (!settings_.willTopic.isEmpty()) {
        const int rc = mosquitto_will_set(mosq_, settings_.willTopic.toUtf8().constData(), 7, "offline", Qos, true);
        if (rc != MOSQ_ERR_SUCCESS) {
            error = QStringLiteral("the last will cannot be set: ") + mosquitto_strerror(rc);
            return false;
        }
    }
    // A broker that is not up yet is no error: the network thread keeps trying.
    mosquitto_connect_async(mosq_, settings_.host.toUtf8().constData(), settings_.port, settings_.keepAliveSeconds);
    const int rc = mosquitto_loop_start(mosq_);
    if (rc != MOSQ_ERR_SUCCESS) {
        error = QStringLiteral("the MQTT network thread did not start: ") + mosquitto_strerror(rc);
        return false;
    }
    started_ = true;
    outage_.start();
    return true;
}

void MqttClient::stop()
{
    if (!started_)
        return;
    started_ = false;
    if (!settings_.willTopic.isEmpty())
        publish(settings_.willTopic, "offline", true);
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, false);
}

bool MqttClient::publish(const QString &topic, const QByteArray &payload, bool retain)
{
    const int rc = mosquitto_publish(mosq_, nullptr, topic.toUtf8().constData(), int(payload.size()),
                                     payload.constData(), Qos, retain);
    return rc == MOSQ_ERR_SUCCESS;
}

bool MqttClient::subscribe(const QString &filter)
{
    return mosquitto_subscribe(mosq_, nullptr, filter.toUtf8().constData(), Qos) == MOSQ_ERR_SUCCESS;
}

void MqttClient::onConnect(mosquitto *, void *self, int rc)
{
    auto *client = static_cast<MqttClient *>(self);
    if (rc != 0) {
        const QString reason = connackText(rc);
        QMetaObject::invokeMethod(client, [client, reason] { emit client->disconnected(reason); }, Qt::QueuedConnection);
        return;
    }
    QMetaObject::invokeMethod(client, [client] { emit client->connected(); }, Qt::QueuedConnection);
}

void MqttClient::onDisconnect(mosquitto *, void *self, int rc)
{
    auto *client = static_cast<MqttClient *>(self);
    const QString reason = rc == 0 ? QStringLiteral("disconnected") : QString::fromUtf8(mosquitto_strerror(rc));
    QMetaObject::invokeMethod(client, [client, reason] {
        if (client->started_ && !client->outage_.isActive())
            client->outage_.start();
        emit client->disconnected(reason);
    }, Qt::QueuedConnection);
}

void MqttClient::onMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    auto *client = static_cast<MqttClient *>(self);
    const QString topic = QString::fromUtf8(message->topic);
    const QByteArray payload(static_cast<const char *>(message->payload), message->payloadlen);
    const bool retained = message->retain;
    QMetaObject::invokeMethod(client, [client, topic, payload, retained] {
        emit client->messageReceived(topic, payload, retained);
    }, Qt::QueuedConnection);
}

void MqttClient::onLog(mosquitto *, void *self, int level, const char *text)
{
    // Errors only, such as a failed TLS handshake; the chatter below them never holds the password either.
    if (!(level & (MOSQ_LOG_ERR | MOSQ_LOG_WARNING)))
        return;
    auto *client = static_cast<MqttClient *>(self);
    const QString line = QString::fromUtf8(text);
    QMetaObject::invokeMethod(client, [client, line] { emit client->trouble(line); }, Qt::QueuedConnection);
}

#include "MqttClient.h"

#include <QMetaObject>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mosquitto.h>

namespace {

constexpr int Qos = 1;
constexpr int ReconnectMinMs = 1000;
constexpr int ReconnectMaxMs = 30000;
constexpr int LoopTimeoutMs = 500;
constexpr auto StopGrace = std::chrono::seconds(2); // for the last publish and the disconnect to go out

struct LibraryUse {
    LibraryUse() { mosquitto_lib_init(); }
    ~LibraryUse() { mosquitto_lib_cleanup(); }
};

QString errorText(int rc)
{
    if (rc == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(rc));
}

} // namespace

MqttClient::MqttClient(const BrokerSettings &settings, QObject *parent)
    : QObject(parent)
    , settings_(settings)
{
    static LibraryUse library;
    mosq_ = mosquitto_new(settings_.clientId.toUtf8().constData(), true, this);
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
    mosquitto_threaded_set(mosq_, true); // published from the bridge's thread, read from the network thread
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(mosq_, &MqttClient::onConnect);
    mosquitto_disconnect_callback_set(mosq_, &MqttClient::onDisconnect);
    mosquitto_message_callback_set(mosq_, &MqttClient::onMessage);
    mosquitto_log_callback_set(mosq_, &MqttClient::onLog);
    if (!settings_.username.isEmpty()) {
        const QByteArray user = settings_.username.toUtf8();
        const int rc = mosquitto_username_pw_set(mosq_, user.constData(),
                                                 settings_.password.isEmpty() ? nullptr : settings_.password.constData());
        if (rc != MOSQ_ERR_SUCCESS) {
            error = QStringLiteral("the user name cannot be used: ") + errorText(rc);
            return false;
        }
    }
    if (!settings_.tlsCaFile.isEmpty()) {
        const int rc = mosquitto_tls_set(mosq_, settings_.tlsCaFile.toLocal8Bit().constData(), nullptr, nullptr,
                                         nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            error = QStringLiteral("the CA file %1 cannot be used: %2").arg(settings_.tlsCaFile, errorText(rc));
            return false;
        }
    }
    if (!settings_.willTopic.isEmpty()) {
        const int rc = mosquitto_will_set(mosq_, settings_.willTopic.toUtf8().constData(), 7, "offline", Qos, true);
        if (rc != MOSQ_ERR_SUCCESS) {
            error = QStringLiteral("the last will cannot be set: ") + errorText(rc);
            return false;
        }
    }
    network_ = std::thread([this] { runNetwork(); });
    return true;
}

void MqttClient::runNetwork()
{
    const QByteArray host = settings_.host.toUtf8();
    int delayMs = ReconnectMinMs;
    while (!stopping_) {
        // Not blocking on the TCP connect, so that stop() is never held up by a silent broker.
        int rc = mosquitto_connect_async(mosq_, host.constData(), settings_.port, settings_.keepAliveSeconds);
        if (rc == MOSQ_ERR_SUCCESS) {
            delayMs = ReconnectMinMs;
            // Runs until the connection ends, after stop() until its clean disconnect has gone out.
            while ((rc = mosquitto_loop(mosq_, LoopTimeoutMs, 1)) == MOSQ_ERR_SUCCESS
                   && !(stopping_ && std::chrono::steady_clock::now() > stopDeadline_)) {
            }
        }
        if (stopping_)
            break;
        tell(errorText(rc));
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, std::chrono::milliseconds(delayMs), [this] { return stopping_.load(); });
        delayMs = std::min(delayMs * 2, ReconnectMaxMs);
    }
}

void MqttClient::tell(const QString &reason)
{
    if (reason == lastReason_)
        return;
    lastReason_ = reason;
    QMetaObject::invokeMethod(this, [this, reason] { emit disconnected(reason); }, Qt::QueuedConnection);
}

void MqttClient::stop()
{
    if (!network_.joinable())
        return;
    if (!settings_.willTopic.isEmpty())
        publish(settings_.willTopic, "offline", true); // a clean disconnect sends no will
    {
        std::lock_guard lock(mutex_);
        stopDeadline_ = std::chrono::steady_clock::now() + StopGrace;
        stopping_ = true;
    }
    mosquitto_disconnect(mosq_);
    wake_.notify_all();
    network_.join();
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
        client->tell(QString::fromUtf8(mosquitto_connack_string(rc)));
        return;
    }
    client->lastReason_.clear();
    QMetaObject::invokeMethod(client, [client] { emit client->connected(); }, Qt::QueuedConnection);
}

void MqttClient::onDisconnect(mosquitto *, void *self, int rc)
{
    if (rc != 0)
        static_cast<MqttClient *>(self)->tell(errorText(rc));
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

#include "Bridge.h"

#include "UnitJson.h"
#include "UnitTexts.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(zorBridge, "zor.mqtt", QtInfoMsg)

namespace {

constexpr qsizetype MaxLoggedThing = 32;

// What the discovery configs depend on; they are rebuilt only when it changes.
QString discoveryKey(const DeviceStatus &status)
{
    return QStringLiteral("%1|%2|%3|%4|%5")
        .arg(macId(status), UnitTexts::modelName(status), QString::number(status.inputMask),
             UnitTexts::firmware(status), QString::fromLatin1(status.location.toHex()));
}

} // namespace

Bridge::Bridge(MqttClient &client, const TopicLayout &topics, QObject *parent)
    : QObject(parent)
    , client_(client)
    , topics_(topics)
{
    clock_.start();
    connect(&client_, &MqttClient::connected, this, &Bridge::onConnected);
    connect(&client_, &MqttClient::disconnected, this, &Bridge::onDisconnected);
    connect(&client_, &MqttClient::messageReceived, this, &Bridge::onMessage);
    connect(&client_, &MqttClient::trouble, this,
            [](const QString &text) { qCWarning(zorBridge).noquote() << "broker:" << text; });
}

Bridge::~Bridge()
{
    stopUnits();
}

void Bridge::startUnits(const QStringList &addresses, int intervalMs, const Timing &timing)
{
    const int count = int(addresses.size());
    for (int i = 0; i < count; ++i) {
        auto thread = std::make_unique<QThread>();
        thread->setObjectName(addresses[i]);
        thread->setStackSize(1024 * 1024); // the link's nested waits need little; 256 threads stay small
        auto *worker = new UnitWorker(addresses[i], intervalMs, timing);
        worker->moveToThread(thread.get());
        // Deleted in its own thread as that ends, with its timer.
        connect(thread.get(), &QThread::finished, worker, &QObject::deleteLater);
        connect(worker, &UnitWorker::reported, this, &Bridge::onReport);
        connect(worker, &UnitWorker::commandDone, this, &Bridge::onCommandDone);
        units_[addresses[i]].worker = worker;
        thread->start();
        const int firstDelay = int(qint64(intervalMs) * i / count);
        QMetaObject::invokeMethod(worker, [worker, firstDelay] { worker->start(firstDelay); }, Qt::QueuedConnection);
        threads_.push_back(std::move(thread));
    }
}

void Bridge::stopUnits()
{
    for (Unit &unit : units_) {
        if (UnitWorker *worker = unit.worker)
            QMetaObject::invokeMethod(worker, [worker] { worker->stop(); }, Qt::QueuedConnection);
    }
    for (auto &thread : threads_) {
        thread->quit(); // also ends a wait under way
        thread->wait();
    }
    threads_.clear();
    for (Unit &unit : units_)
        unit.worker = nullptr;
}

void Bridge::onConnected()
{
    qCInfo(zorBridge) << "connected to the broker";
    connected_ = true;
    if (!client_.subscribe(topics_.commandFilter()))
        qCWarning(zorBridge) << "could not subscribe to" << topics_.commandFilter();
    client_.publish(topics_.bridgeAvailability(), "online", true);
    // A restarted broker may have lost every retained message: all go out again.
    gate_.forgetAll();
    for (Unit &unit : units_) {
        unit.discoveryKey.clear();
        if (!unit.macId.isEmpty())
            publishUnit(unit);
    }
}

void Bridge::onDisconnected(const QString &reason)
{
    if (connected_)
        qCWarning(zorBridge).noquote() << "lost the broker:" << reason << "- reconnecting";
    else
        qCWarning(zorBridge).noquote() << "no connection to the broker:" << reason << "- trying again";
    connected_ = false;
}

void Bridge::onReport(const UnitReport &report)
{
    Unit &unit = units_[report.address];
    if (!report.identified) {
        if (unit.report.linkText != report.linkText)
            qCInfo(zorBridge).noquote() << report.address << "not identified yet:" << report.linkText;
        unit.report = report;
        return;
    }
    const QString id = macId(report.status);
    if (!unit.macId.isEmpty() && unit.macId != id) {
        // Another unit now answers at this address: the one before is gone from it.
        qCInfo(zorBridge).noquote() << report.address << "now answers as" << id << "instead of" << unit.macId;
        publishRetained(topics_.availability(unit.macId), "offline");
        addresses_.remove(unit.macId);
        unit.discoveryKey.clear();
    }
    if (unit.macId != id || unit.report.online != report.online)
        qCInfo(zorBridge).noquote() << report.address << id
                                    << (report.online ? QStringLiteral("online") : "offline: " + report.linkText);
    unit.macId = id;
    unit.report = report;
    addresses_[id] = report.address;
    publishUnit(unit);
}

void Bridge::publishUnit(Unit &unit)
{
    if (!connected_)
        return;
    publishDiscovery(unit);
    publishRetained(topics_.availability(unit.macId), unit.report.online ? "online" : "offline");
    publishRetained(topics_.state(unit.macId), stateJson(unit.report.status));
}

void Bridge::publishDiscovery(Unit &unit)
{
    const QString key = discoveryKey(unit.report.status);
    if (key == unit.discoveryKey)
        return;
    const QList<RetainedMessage> configs = discoveryConfigs(unit.report.status, topics_);
    QStringList topics;
    bool sent = true;
    for (const RetainedMessage &config : configs) {
        topics << config.topic;
        sent = client_.publish(config.topic, config.payload, true) && sent;
    }
    // An entity the unit no longer has (another model at this MAC) is removed by an empty config.
    for (const QString &old : std::as_const(unit.configTopics)) {
        if (!topics.contains(old))
            client_.publish(old, {}, true);
    }
    unit.configTopics = topics;
    unit.discoveryKey = sent ? key : QString();
}

void Bridge::publishRetained(const QString &topic, const QByteArray &payload, bool refresh)
{
    if (gate_.due(topic, payload, clock_.elapsed(), refresh) && !client_.publish(topic, payload, true))
        gate_.forget(topic); // tried again with the next report
}

void Bridge::onMessage(const QString &topic, const QByteArray &payload, bool retained)
{
    const auto command = topics_.parseCommand(topic);
    if (!command)
        return;
    const QString thing = UnitTexts::visibleText(command->thing.left(MaxLoggedThing));
    const auto address = addresses_.constFind(command->macId);
    const bool known = address != addresses_.constEnd();
    const QString unit = UnitTexts::visibleText(command->macId.left(MaxLoggedThing));
    if (retained) {
        // Replayed by the broker on every subscribe: carried out, it would repeat after each reconnect.
        qCWarning(zorBridge).noquote() << "command" << thing << "for" << unit
                                       << "dropped: retained commands are not taken";
        if (known)
            publishResult(command->macId, thing, QStringLiteral("rejected"), QStringLiteral("retained commands are not taken"));
        return;
    }
    if (!known) {
        qCWarning(zorBridge).noquote() << "command" << thing << "for" << unit << "dropped: no such unit";
        return;
    }
    const ParsedCommand parsed = parseCommand(command->thing, payload);
    if (!parsed.command) {
        qCWarning(zorBridge).noquote() << "command" << thing << "for" << unit << "dropped:" << parsed.reason;
        publishResult(command->macId, thing, QStringLiteral("rejected"), parsed.reason);
        return;
    }
    UnitWorker *worker = units_[*address].worker;
    if (!worker)
        return; // shutting down
    const UnitCommand unitCommand = *parsed.command;
    QMetaObject::invokeMethod(worker, [worker, unitCommand] { worker->run(unitCommand); }, Qt::QueuedConnection);
}

void Bridge::onCommandDone(const CommandReport &report)
{
    qCInfo(zorBridge).noquote() << "command" << report.thing << "for" << report.macId << "(" + report.address + "):"
                                << report.result << report.detail;
    publishResult(report.macId, report.thing, report.result, report.detail);
}

void Bridge::publishResult(const QString &macId, const QString &thing, const QString &result, const QString &detail)
{
    QJsonObject answer{{"command", thing}, {"result", result}};
    if (!detail.isEmpty())
        answer["detail"] = detail;
    client_.publish(topics_.result(macId), QJsonDocument(answer).toJson(QJsonDocument::Compact), false);
}

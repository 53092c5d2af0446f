#pragma once

#include "MqttClient.h"
#include "MqttTopics.h"
#include "PublishGate.h"
#include "UnitWorker.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <memory>
#include <vector>

// Joins the units' workers to the broker: state, availability and discovery out, commands in.
class Bridge : public QObject {
    Q_OBJECT

public:
    Bridge(MqttClient &client, const TopicLayout &topics, QObject *parent = nullptr);
    ~Bridge() override;

    // One worker thread per address; the first polls are spread over one interval.
    void startUnits(const QStringList &addresses, int intervalMs, const Timing &timing = Timing{});
    void stopUnits();

private:
    struct Unit {
        UnitWorker *worker = nullptr;
        QString macId;        // empty until the unit has identified itself
        UnitReport report;
        QString discoveryKey; // what the published discovery configs were made from
        QStringList configTopics;
    };

    void onConnected();
    void onDisconnected(const QString &reason);
    void onMessage(const QString &topic, const QByteArray &payload, bool retained);
    void onReport(const UnitReport &report);
    void onCommandDone(const CommandReport &report);
    void publishUnit(Unit &unit);
    void publishDiscovery(Unit &unit);
    void publishRetained(const QString &topic, const QByteArray &payload, bool refresh = true);
    void publishResult(const QString &macId, const QString &thing, const QString &result, const QString &detail);

    MqttClient &client_;
    const TopicLayout topics_;
    PublishGate gate_;
    QElapsedTimer clock_;
    bool connected_ = false;
    std::vector<std::unique_ptr<QThread>> threads_;
    QHash<QString, Unit> units_;       // by address
    QHash<QString, QString> addresses_; // address by MAC id
};

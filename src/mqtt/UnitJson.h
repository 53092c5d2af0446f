#pragma once

#include "DeviceStatus.h"
#include "MqttTopics.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The unit's state as one JSON object: inputs the model has, relay, armed, volume, RSSI, SD,
// location, firmware.
QByteArray stateJson(const DeviceStatus &status);

struct RetainedMessage {
    QString topic;
    QByteArray payload;
};

// Home Assistant discovery configs for one unit: one device, an entity per input, relay,
// arming, volume, locate, RSSI and SD free.
QList<RetainedMessage> discoveryConfigs(const DeviceStatus &status, const TopicLayout &topics);

// The names of the inputs the unit's model has: "DI1".."DI6" by its input mask.
QStringList inputNames(const DeviceStatus &status);

#pragma once

#include "MqttClient.h"
#include "MqttTopics.h"

#include <QString>
#include <QStringList>

struct BridgeOptions {
    BrokerSettings broker;
    TopicLayout topics;
    QStringList addresses;
    int intervalMs = 3000;
    QString error; // a usage error: nothing is started
};

// Reads the command line (program name first). A password comes only from --password-file:
// its first line, an empty file meaning none.
BridgeOptions readBridgeOptions(const QStringList &arguments);

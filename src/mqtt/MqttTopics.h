#pragma once

#include "DeviceStatus.h"

#include <QString>
#include <optional>

// Where the bridge publishes and listens: <base>/<mac>/... for each unit, <base>/bridge/... for itself,
// and Home Assistant's <prefix>/<component>/<node>/<object>/config for discovery.
struct TopicLayout {
    QString base = QStringLiteral("zorwifi");
    QString discoveryPrefix = QStringLiteral("homeassistant");

    QString bridgeAvailability() const { return base + QStringLiteral("/bridge/availability"); }
    QString state(const QString &macId) const { return unit(macId) + QStringLiteral("state"); }
    QString availability(const QString &macId) const { return unit(macId) + QStringLiteral("availability"); }
    QString result(const QString &macId) const { return unit(macId) + QStringLiteral("result"); }
    QString command(const QString &macId, const QString &thing) const
    {
        return unit(macId) + QStringLiteral("set/") + thing;
    }
    QString commandFilter() const { return base + QStringLiteral("/+/set/+"); }
    QString discovery(const QString &component, const QString &macId, const QString &object) const
    {
        return QStringLiteral("%1/%2/zorwifi_%3/%4/config").arg(discoveryPrefix, component, macId, object);
    }

    struct CommandTopic {
        QString macId;
        QString thing;
    };
    // The unit and thing of a command topic; nothing for any other topic.
    std::optional<CommandTopic> parseCommand(const QString &topic) const;

private:
    QString unit(const QString &macId) const { return base + u'/' + macId + u'/'; }
};

// The MAC as it appears in topics and unique ids: twelve lowercase hexadecimal digits.
QString macId(const DeviceStatus &status);

// Why a base topic or discovery prefix cannot be used; empty when it can.
QString topicPrefixProblem(const QString &prefix);

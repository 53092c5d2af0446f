#include "MqttTopics.h"

#include <QStringList>

std::optional<TopicLayout::CommandTopic> TopicLayout::parseCommand(const QString &topic) const
{
    const QString head = base + u'/';
    if (!topic.startsWith(head))
        return std::nullopt;
    const QStringList levels = topic.mid(head.size()).split(u'/');
    if (levels.size() != 3 || levels[1] != QLatin1String("set") || levels[0].isEmpty() || levels[2].isEmpty())
        return std::nullopt;
    return CommandTopic{levels[0], levels[2]};
}

QString macId(const DeviceStatus &status)
{
    return QByteArray(reinterpret_cast<const char *>(status.mac.data()), int(status.mac.size())).toHex();
}

QString topicPrefixProblem(const QString &prefix)
{
    if (prefix.isEmpty())
        return QStringLiteral("is empty");
    if (prefix.contains(u'+') || prefix.contains(u'#'))
        return QStringLiteral("holds a wildcard (+ or #)");
    if (prefix.startsWith(u'/') || prefix.endsWith(u'/') || prefix.contains(QStringLiteral("//")))
        return QStringLiteral("has an empty level");
    for (const QChar c : prefix) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("holds a control character");
    }
    return {};
}

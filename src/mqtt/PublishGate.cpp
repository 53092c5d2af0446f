#include "PublishGate.h"

bool PublishGate::due(const QString &topic, const QByteArray &payload, qint64 nowMs, bool refresh)
{
    const auto found = sent_.constFind(topic);
    if (found != sent_.constEnd() && found->payload == payload && (!refresh || nowMs - found->atMs < RefreshMs))
        return false;
    sent_.insert(topic, {payload, nowMs});
    return true;
}

QByteArray PublishGate::last(const QString &topic) const
{
    const auto found = sent_.constFind(topic);
    return found == sent_.constEnd() ? QByteArray() : found->payload;
}

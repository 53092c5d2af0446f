#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// Decides which retained messages go out: those whose payload changed, and those not sent for a
// refresh period. Forgotten on every new broker connection, so that all go out again.
class PublishGate {
public:
    static constexpr qint64 RefreshMs = 60000;

    // True when `payload` should be published now; it is then taken as sent at `nowMs`.
    // Without `refresh`, an unchanged payload never goes out again.
    bool due(const QString &topic, const QByteArray &payload, qint64 nowMs, bool refresh = true);
    // The last payload let through for `topic`; null when none.
    QByteArray last(const QString &topic) const;
    void forget(const QString &topic) { sent_.remove(topic); }
    void forgetAll() { sent_.clear(); }

private:
    struct Sent {
        QByteArray payload;
        qint64 atMs = 0;
    };
    QHash<QString, Sent> sent_;
};

#pragma once

#include <QHostAddress>
#include <QString>
#include <optional>

struct ListenAddress {
    QHostAddress address;
    quint16 port = 0;
};

// "ADDRESS:PORT", IPv6 in brackets ("[::1]:9577"); nothing for anything else.
std::optional<ListenAddress> parseListenAddress(const QString &text);

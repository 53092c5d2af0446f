#pragma once

#include "ProbeMetrics.h"
#include "ProbeTarget.h"
#include "ScrapeRequest.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QThreadPool>

class QTcpSocket;

// The exporter's HTTP side: reads each request head within strict limits, answers /metrics
// at once, and runs each /probe in a pool thread of its own, so that a silent unit holds up
// only its own scrape. One request per connection.
class ExporterServer : public QObject {
    Q_OBJECT

public:
    static constexpr int DefaultTimeoutMs = 9500;
    static constexpr int ProbeThreads = 256;   // room for 200 parallel scrapes and more
    static constexpr int MaxConnections = 1024;
    static constexpr int ListenBacklog = 1024;
    static constexpr int HeadTimeoutMs = 5000; // a client that dawdles over its request is dropped
    static constexpr int DeadlineGraceMs = 200; // past the budget, the scrape is answered as failed

    ExporterServer(const TargetAllowList &allowed, int timeoutMs, int probeThreads = ProbeThreads, QObject *parent = nullptr);
    ~ExporterServer() override;

    bool listen(const QHostAddress &address, quint16 port);
    QString errorString() const { return server_.errorString(); }
    quint16 port() const { return server_.serverPort(); }
    const ExporterCounters &counters() const { return counters_; }

private:
    struct Connection {
        QByteArray head;
        bool headRead = false;
        bool answered = false;
    };

    void accept();
    void readHead(QTcpSocket *socket);
    void handle(QTcpSocket *socket, const ScrapeRequest &request);
    void startProbe(QTcpSocket *socket, const QString &target, int budgetMs);
    void refuse(QTcpSocket *socket, int code, const QString &reason);
    void answer(QTcpSocket *socket, int code, const QByteArray &contentType, const QByteArray &body);

    TargetAllowList allowed_;
    int timeoutMs_;
    double startTimeSeconds_;
    ExporterCounters counters_;
    QHash<QTcpSocket *, Connection> connections_;
    QTcpServer server_;
    QThreadPool pool_;
};

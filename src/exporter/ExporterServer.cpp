#include "ExporterServer.h"

#include "UnitProbe.h"

#include <QDateTime>
#include <QFutureWatcher>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace {

const QByteArray MetricsType = "text/plain; version=0.0.4; charset=utf-8";
const QByteArray PlainType = "text/plain; charset=utf-8";
constexpr int ProbeThreadStackBytes = 2 * 1024 * 1024;
constexpr int LingerMs = 5000; // after the answer, a client that will not read it is cut off

QByteArray reasonPhrase(int code)
{
    switch (code) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 414:
        return "URI Too Long";
    case 431:
        return "Request Header Fields Too Large";
    case 503:
        return "Service Unavailable";
    default:
        return "Error";
    }
}

qsizetype headEnd(const QByteArray &head)
{
    const qsizetype crlf = head.indexOf("\r\n\r\n");
    const qsizetype lf = head.indexOf("\n\n");
    if (crlf < 0)
        return lf;
    return lf < 0 ? crlf : std::min(crlf, lf);
}

} // namespace

ExporterServer::ExporterServer(const TargetAllowList &allowed, int timeoutMs, int probeThreads, QObject *parent)
    : QObject(parent)
    , allowed_(allowed)
    , timeoutMs_(timeoutMs)
    , startTimeSeconds_(double(QDateTime::currentMSecsSinceEpoch()) / 1000.0)
{
    // Prometheus opens its scrapes together: a short backlog drops their connects, which come again only a second later.
    server_.setListenBacklogSize(ListenBacklog);
    pool_.setMaxThreadCount(probeThreads);
    pool_.setStackSize(ProbeThreadStackBytes);
    connect(&server_, &QTcpServer::newConnection, this, &ExporterServer::accept);
}

ExporterServer::~ExporterServer()
{
    server_.close();
    pool_.waitForDone(); // each probe ends within its own budget
}

bool ExporterServer::listen(const QHostAddress &address, quint16 port)
{
    return server_.listen(address, port);
}

void ExporterServer::accept()
{
    while (QTcpSocket *socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket] { connections_.remove(socket); });
        connections_.insert(socket, {});
        if (connections_.size() > MaxConnections) {
            refuse(socket, 503, QStringLiteral("too many connections"));
            continue;
        }
        // Qt buffers no more than the head may hold; the rest waits in the kernel.
        socket->setReadBufferSize(ScrapeRequest::MaxHeadBytes + 1);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readHead(socket); });
        QTimer::singleShot(HeadTimeoutMs, socket, [this, socket] {
            if (!connections_.value(socket).headRead)
                socket->abort();
        });
        readHead(socket);
    }
}

void ExporterServer::readHead(QTcpSocket *socket)
{
    auto it = connections_.find(socket);
    if (it == connections_.end())
        return;
    if (it->headRead) {
        // Whatever follows the head is dropped: left unread, it would turn the close into a reset
        // that can cost the client its answer.
        socket->skip(socket->bytesAvailable());
        return;
    }
    it->head += socket->read(ScrapeRequest::MaxHeadBytes + 1 - it->head.size());
    const qsizetype end = headEnd(it->head);
    if (end < 0 && it->head.size() <= ScrapeRequest::MaxHeadBytes)
        return;
    it->headRead = true;
    const QByteArray head = it->head;
    handle(socket, end >= 0 ? parseScrapeRequest(head.left(end)) : oversizedHead(head));
}

void ExporterServer::handle(QTcpSocket *socket, const ScrapeRequest &request)
{
    if (request.refused())
        return refuse(socket, request.refusalCode, request.refusal);
    switch (request.page) {
    case ScrapeRequest::Page::Index:
        return answer(socket, 200, PlainType, "zorwifi-exporter\n/probe?target=ADDRESS\n/metrics\n");
    case ScrapeRequest::Page::Metrics:
        return answer(socket, 200, MetricsType, exporterMetrics(counters_, startTimeSeconds_));
    case ScrapeRequest::Page::Probe:
        break;
    }
    const QString refusal = allowed_.refusal(request.target);
    if (!refusal.isEmpty())
        return refuse(socket, 400, refusal);
    startProbe(socket, request.target, probeBudgetMs(request.scrapeTimeoutSeconds, timeoutMs_));
}

void ExporterServer::startProbe(QTcpSocket *socket, const QString &target, int budgetMs)
{
    ++counters_.inFlight;
    auto *watcher = new QFutureWatcher<ProbeReport>(this);
    QPointer<QTcpSocket> client(socket);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, client] {
        --counters_.inFlight;
        const ProbeReport report = watcher->result();
        watcher->deleteLater();
        if (client && connections_.value(client).answered)
            return; // answered as failed at the deadline
        counters_.count(report.success ? ExporterCounters::Outcome::Success : ExporterCounters::Outcome::Failure);
        if (client)
            answer(client, 200, MetricsType, probeMetrics(report));
    });
    watcher->setFuture(QtConcurrent::run(&pool_, probeUnit, target, budgetMs));

    // A probe whose thread could not keep to its budget still lets its scrape end in time.
    QTimer::singleShot(budgetMs + DeadlineGraceMs, socket, [this, socket, budgetMs] {
        if (connections_.value(socket).answered)
            return;
        counters_.count(ExporterCounters::Outcome::Deadline);
        answer(socket, 200, MetricsType, probeMetrics({.success = false, .seconds = (budgetMs + DeadlineGraceMs) / 1000.0}));
    });
}

void ExporterServer::refuse(QTcpSocket *socket, int code, const QString &reason)
{
    ++counters_.refusedByCode[code];
    answer(socket, code, PlainType, reason.toUtf8() + '\n');
}

void ExporterServer::answer(QTcpSocket *socket, int code, const QByteArray &contentType, const QByteArray &body)
{
    connections_[socket].answered = true;
    if (socket->state() != QAbstractSocket::ConnectedState)
        return; // the client gave up
    socket->skip(socket->bytesAvailable());
    QByteArray head = "HTTP/1.1 " + QByteArray::number(code) + ' ' + reasonPhrase(code) + "\r\nContent-Type: " + contentType
                      + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n";
    if (code == 405)
        head += "Allow: GET\r\n";
    socket->write(head + "\r\n" + body);
    socket->disconnectFromHost();
    QTimer::singleShot(LingerMs, socket, &QTcpSocket::abort);
}

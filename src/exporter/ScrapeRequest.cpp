#include "ScrapeRequest.h"

#include <QList>
#include <QUrlQuery>
#include <algorithm>
#include <cmath>

namespace {

ScrapeRequest refuse(int code, const char *reason)
{
    ScrapeRequest request;
    request.refusalCode = code;
    request.refusal = QString::fromLatin1(reason);
    return request;
}

std::optional<double> timeoutHeader(const QByteArray &value)
{
    bool ok = false;
    const double seconds = value.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds <= 0)
        return std::nullopt; // a header that makes no sense leaves --timeout in charge
    return seconds;
}

// Fills the target of a /probe query; false with the refusal set.
bool readProbeQuery(const QByteArray &query, ScrapeRequest &request)
{
    const QUrlQuery items(QString::fromLatin1(query));
    for (const auto &[key, value] : items.queryItems(QUrl::FullyDecoded)) {
        if (key != QLatin1String("target")) {
            request = refuse(400, "unknown parameter: /probe takes target only");
            return false;
        }
        if (!request.target.isNull()) {
            request = refuse(400, "target given more than once");
            return false;
        }
        request.target = value.isNull() ? QStringLiteral("") : value;
    }
    return true;
}

} // namespace

ScrapeRequest oversizedHead(const QByteArray &partialHead)
{
    const qsizetype lineEnd = partialHead.indexOf("\r\n");
    if (lineEnd < 0 || lineEnd > ScrapeRequest::MaxRequestLineBytes)
        return refuse(414, "request line too long");
    return refuse(431, "request headers too large");
}

ScrapeRequest parseScrapeRequest(const QByteArray &head)
{
    if (head.size() > ScrapeRequest::MaxHeadBytes)
        return oversizedHead(head);
    const QList<QByteArray> lines = head.split('\n');
    QByteArray requestLine = lines.first();
    if (requestLine.endsWith('\r'))
        requestLine.chop(1);
    if (requestLine.size() > ScrapeRequest::MaxRequestLineBytes)
        return refuse(414, "request line too long");
    const QList<QByteArray> parts = requestLine.split(' ');
    if (parts.size() != 3 || !parts[1].startsWith('/'))
        return refuse(400, "malformed request line");
    if (parts[2] != "HTTP/1.1" && parts[2] != "HTTP/1.0")
        return refuse(400, "HTTP/1.0 or HTTP/1.1 only");
    if (parts[0] != "GET")
        return refuse(405, "GET only");

    ScrapeRequest request;
    if (lines.size() - 1 > ScrapeRequest::MaxHeaderLines)
        return refuse(431, "too many header lines");
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || line.front() == ' ' || line.front() == '\t')
            return refuse(400, "malformed header line");
        const QByteArray name = line.left(colon).toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "transfer-encoding" || (name == "content-length" && value != "0"))
            return refuse(400, "a request body is not accepted");
        if (name == "x-prometheus-scrape-timeout-seconds")
            request.scrapeTimeoutSeconds = timeoutHeader(value);
    }

    const QByteArray &uri = parts[1];
    const qsizetype question = uri.indexOf('?');
    const QByteArray path = question < 0 ? uri : uri.left(question);
    const QByteArray query = question < 0 ? QByteArray() : uri.mid(question + 1);
    if (query.size() > ScrapeRequest::MaxQueryBytes)
        return refuse(414, "query string too long");
    if (path == "/probe") {
        request.page = ScrapeRequest::Page::Probe;
        if (!readProbeQuery(query, request))
            return request;
    } else if (path == "/metrics" || path == "/") {
        if (!query.isEmpty())
            return refuse(400, "this page takes no parameters");
        request.page = path == "/" ? ScrapeRequest::Page::Index : ScrapeRequest::Page::Metrics;
    } else {
        return refuse(404, "no such page: try /probe?target=ADDRESS or /metrics");
    }
    return request;
}

int probeBudgetMs(const std::optional<double> &scrapeTimeoutSeconds, int timeoutMs)
{
    if (!scrapeTimeoutSeconds)
        return std::max(1, timeoutMs);
    // Half a second for the metrics to travel back, less for very short scrapes.
    const double scrapeMs = *scrapeTimeoutSeconds * 1000.0;
    const double budget = scrapeMs - std::min(500.0, scrapeMs / 4);
    return std::max(1, int(std::min<double>(budget, timeoutMs)));
}

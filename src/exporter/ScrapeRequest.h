#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// What a request head asks of the exporter, or the HTTP answer that refuses it.
struct ScrapeRequest {
    enum class Page { Index, Probe, Metrics };

    // Limits on what a client may send; beyond them the request is refused unread.
    static constexpr int MaxHeadBytes = 8192;
    static constexpr int MaxRequestLineBytes = 1024;
    static constexpr int MaxQueryBytes = 256;
    static constexpr int MaxHeaderLines = 64;

    Page page = Page::Index;
    QString target;                        // /probe only, as given (percent-decoded)
    std::optional<double> scrapeTimeoutSeconds; // X-Prometheus-Scrape-Timeout-Seconds

    int refusalCode = 0; // 0: the request stands
    QString refusal;     // one line, for a refusal

    bool refused() const { return refusalCode != 0; }
};

// Reads a request head, up to and without its blank line. Allows GET only, a path of
// "/", "/probe" or "/metrics", /probe's one "target" parameter, and no body.
ScrapeRequest parseScrapeRequest(const QByteArray &head);
// The refusal of a head that grew past the limits before its blank line came.
ScrapeRequest oversizedHead(const QByteArray &partialHead);

// The time a probe may take: the scrape's own time-out less a margin for the answer to get
// back, never more than `timeoutMs`, at least 1 ms.
int probeBudgetMs(const std::optional<double> &scrapeTimeoutSeconds, int timeoutMs);

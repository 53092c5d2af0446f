#pragma once

#include "UnitProbe.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// The answer to /probe in the Prometheus text format. A failed probe reports its success
// and duration only, never values from an earlier answer.
QByteArray probeMetrics(const ProbeReport &report);

// A label value as the text format needs it: backslash, double quote and line feed escaped.
QString escapedLabelValue(const QString &value);

// SD card amounts as the unit reports them, whole and hundredths of a GB, in bytes; nothing
// when the hundredths are not 0..99.
std::optional<qint64> sdBytes(const std::array<std::uint8_t, 2> &amount);

// The exporter's own figures, kept by the server's thread.
struct ExporterCounters {
    enum class Outcome { Success, Failure, Deadline };
    qint64 successes = 0;
    qint64 failures = 0;  // the unit did not answer both requests well
    qint64 deadlines = 0; // the probe outlasted its scrape's time and was answered as failed
    QMap<int, qint64> refusedByCode; // requests answered with an HTTP error
    int inFlight = 0;

    void count(Outcome outcome);
};

// The answer to /metrics: the counters and the usual process figures.
QByteArray exporterMetrics(const ExporterCounters &counters, double startTimeSeconds);

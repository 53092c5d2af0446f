#include "ProbeMetrics.h"

#include "SingleByteText.h"
#include "UnitTexts.h"

#include <QFile>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int Inputs = 6;
constexpr qint64 BytesPerGb = 1000 * 1000 * 1000; // SD cards count in decimal units

class MetricsText {
public:
    void family(const char *name, const char *type, const char *help)
    {
        text_ += QByteArray("# HELP ") + name + ' ' + help + "\n# TYPE " + name + ' ' + type + '\n';
    }
    void sample(const char *name, const QString &labels, double value)
    {
        text_ += QByteArray(name) + (labels.isEmpty() ? QByteArray() : '{' + labels.toUtf8() + '}') + ' '
                 + QByteArray::number(value, 'g', 15) + '\n';
    }
    void gauge(const char *name, const char *help, double value)
    {
        family(name, "gauge", help);
        sample(name, {}, value);
    }
    QByteArray text() const { return text_; }

private:
    QByteArray text_;
};

QString label(const char *name, const QString &value)
{
    return QString::fromLatin1(name) + "=\"" + escapedLabelValue(value) + '"';
}

void unitMetrics(MetricsText &out, const DeviceStatus &status)
{
    const QString firmware = UnitTexts::hex2(status.firmwareVersion[0]) + '.' + UnitTexts::hex2(status.firmwareVersion[1]);
    out.family("zorwifi_unit_info", "gauge", "The unit's identity and settings as labels.");
    out.sample("zorwifi_unit_info",
               QStringList{label("model", UnitTexts::modelName(status)), label("mac", UnitTexts::mac(status)),
                           label("firmware", firmware),
                           label("location", UnitTexts::visibleText(fromSingleByte(status.location))),
                           label("wifi_mode", wifiModeName(status))}
                   .join(','),
               1);
    if (status.rssi != 0)
        out.gauge("zorwifi_rssi_dbm", "Received signal strength the unit reports.", status.rssi);
    // The inputs and the relay the model has, as the monitor window shows them.
    if (status.inputMask != 0) {
        out.family("zorwifi_input_active", "gauge", "1 while the alarm input is active.");
        for (int i = 0; i < Inputs; ++i)
            if (status.inputMask & (1u << i))
                out.sample("zorwifi_input_active", label("input", "DI" + QString::number(i + 1)), (status.inputBits >> i) & 1);
    }
    if (status.relayMask != 0)
        out.gauge("zorwifi_relay_on", "1 while the relay output is on.", status.relayBits & 1);
    out.gauge("zorwifi_armed", "1 while the unit is armed.", status.armed != 0);
    out.gauge("zorwifi_volume", "Playback volume, 0 to 10.", status.volume);
    out.gauge("zorwifi_sd_card_present", "1 when the unit reports an SD card.", status.sdPresent);
    if (!status.sdPresent)
        return;
    if (const std::optional<qint64> free = sdBytes(status.sdFree))
        out.gauge("zorwifi_sd_free_bytes", "Free space on the SD card.", double(*free));
    if (const std::optional<qint64> total = sdBytes(status.sdTotal))
        out.gauge("zorwifi_sd_total_bytes", "Size of the SD card.", double(*total));
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) : 0;
}

} // namespace

QString escapedLabelValue(const QString &value)
{
    QString escaped = value;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\"")).replace(u'\n', QStringLiteral("\\n"));
    return escaped;
}

std::optional<qint64> sdBytes(const std::array<std::uint8_t, 2> &amount)
{
    if (amount[1] > 99)
        return std::nullopt;
    return qint64(amount[0]) * BytesPerGb + qint64(amount[1]) * (BytesPerGb / 100);
}

QByteArray probeMetrics(const ProbeReport &report)
{
    MetricsText out;
    out.gauge("zorwifi_probe_success", "1 when the unit answered its device information and status.", report.success);
    out.gauge("zorwifi_probe_duration_seconds", "Time the probe took.", report.seconds);
    if (report.success)
        unitMetrics(out, report.status);
    return out.text();
}

void ExporterCounters::count(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Success:
        ++successes;
        break;
    case Outcome::Failure:
        ++failures;
        break;
    case Outcome::Deadline:
        ++deadlines;
        break;
    }
}

QByteArray exporterMetrics(const ExporterCounters &counters, double startTimeSeconds)
{
    MetricsText out;
    out.family("zorwifi_exporter_probes_total", "counter", "Probes answered, by outcome.");
    out.sample("zorwifi_exporter_probes_total", label("outcome", "success"), double(counters.successes));
    out.sample("zorwifi_exporter_probes_total", label("outcome", "failure"), double(counters.failures));
    out.sample("zorwifi_exporter_probes_total", label("outcome", "deadline"), double(counters.deadlines));
    out.family("zorwifi_exporter_refused_requests_total", "counter", "Requests answered with an HTTP error, by status code.");
    for (auto it = counters.refusedByCode.cbegin(); it != counters.refusedByCode.cend(); ++it)
        out.sample("zorwifi_exporter_refused_requests_total", label("code", QString::number(it.key())), double(it.value()));
    out.gauge("zorwifi_exporter_probes_in_flight", "Probes running now.", counters.inFlight);
    out.family("process_cpu_seconds_total", "counter", "User and system CPU time spent in seconds.");
    out.sample("process_cpu_seconds_total", {}, cpuSeconds());
    out.gauge("process_resident_memory_bytes", "Resident memory size in bytes.", residentBytes());
    out.gauge("process_start_time_seconds", "Start time of the process since the epoch in seconds.", startTimeSeconds);
    return out.text();
}

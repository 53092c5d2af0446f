#include "DiscoverCommand.h"

#include "EditorFiles.h"
#include "ProgressLine.h"
#include "PrometheusTargets.h"
#include "UnitScan.h"
#include "UnitSightingsCsv.h"

#include <CLI/CLI.hpp>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>
#include <memory>

namespace {

struct DiscoverOptions {
    std::vector<std::string> subnets;
    int timeoutMs = UnitScan::DefaultTimeoutMs;
    int jobs = UnitScan::DefaultJobs;
    bool csv = false;
    std::string prometheusSd; // file to write the units to for Prometheus, when given
};

QStringList fields(const UnitSighting &unit)
{
    return {unit.address, unit.model, unit.mac, unit.location, unit.firmware, unit.sd,
            unit.rssi != 0 ? QString::number(unit.rssi) : QString(), unit.wifiMode};
}

void printTable(const QList<UnitSighting> &units)
{
    QList<QStringList> rows{{"ADDRESS", "MODEL", "MAC", "LOCATION", "FIRMWARE", "SD", "RSSI", "WIFI MODE"}};
    for (const UnitSighting &unit : units)
        rows << fields(unit);
    QList<qsizetype> widths(rows.first().size(), 0);
    for (const QStringList &row : rows)
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    for (const QStringList &row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i)
            line += i + 1 < row.size() ? row[i].leftJustified(widths[i] + 2) : row[i];
        printLine(stdout, line);
    }
}

void printJsonArray(const QList<UnitSighting> &units)
{
    QJsonArray array;
    for (const UnitSighting &unit : units)
        array.append(QJsonObject{{"address", unit.address}, {"model", unit.model}, {"mac", unit.mac},
                                 {"location", unit.location}, {"firmware", unit.firmware}, {"sd", unit.sd},
                                 {"rssi", unit.rssi != 0 ? QJsonValue(unit.rssi) : QJsonValue()},
                                 {"wifiMode", unit.wifiMode}});
    printLine(stdout, QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)));
}

int discover(const CtlOptions &options, const DiscoverOptions &discover)
{
    QStringList subnets;
    for (const std::string &subnet : discover.subnets)
        subnets << QString::fromStdString(subnet);
    if (subnets.isEmpty())
        subnets = defaultScanSubnets();
    if (subnets.isEmpty()) {
        printLine(stderr, QStringLiteral("zorctl: no network interface is up; name one with --subnet"));
        return CtlUsage;
    }
    QString error;
    const QList<QHostAddress> hosts = scanHosts(subnets, &error);
    if (!error.isEmpty()) {
        printLine(stderr, "zorctl: " + error);
        return CtlUsage;
    }

    UnitScan scan;
    ProgressLine progress(QStringLiteral("hosts"));
    QEventLoop loop;
    QObject::connect(&scan, &UnitScan::progress, &scan, [&progress](int done, int total) { progress.show(done, total); });
    QObject::connect(&scan, &UnitScan::finished, &loop, &QEventLoop::quit);
    scan.start(hosts, discover.jobs, discover.timeoutMs);
    if (scan.isRunning())
        loop.exec();

    const QList<UnitSighting> units = scan.sightings();
    if (options.json)
        printJsonArray(units);
    else if (discover.csv)
        QTextStream(stdout) << sightingsCsv(units);
    else
        printTable(units);
    printLine(stderr, QStringLiteral("zorctl: %1 of %2 hosts gave no device information").arg(scan.unlisted()).arg(hosts.size()));
    if (!discover.prometheusSd.empty()) {
        // Prometheus watches the file: it must never see it half written.
        const QString written = writeFileAtomically(QString::fromStdString(discover.prometheusSd), prometheusTargets(units));
        if (!written.isEmpty()) {
            printLine(stderr, "zorctl: " + written);
            return CtlUsage;
        }
    }
    return CtlDone;
}

} // namespace

void addDiscoverCommand(CLI::App &app, const CtlOptions &options, int &exitCode)
{
    auto values = std::make_shared<DiscoverOptions>();
    CLI::App *command = app.add_subcommand("discover", "Find the units on IPv4 subnets by asking every host for its device information");
    command->add_option("--subnet", values->subnets,
                        "ADDRESS/PREFIX to scan, /16 at the widest; may be repeated. "
                        "Default: the PC's up interfaces, each at most the /22 around its address");
    command->add_option("--timeout", values->timeoutMs, "Milliseconds per host for connect and answer together")
        ->capture_default_str()
        ->check(CLI::Range(1, 60000));
    command->add_option("--jobs", values->jobs, "Hosts asked at a time")->capture_default_str()->check(CLI::Range(1, 1024));
    command->add_flag("--csv", values->csv, "Print a header line and comma-separated fields");
    command->add_option("--prometheus-sd", values->prometheusSd,
                        "Also write the units found to FILE as Prometheus file_sd targets, replacing it whole");
    command->callback([&, values] {
        if (options.json && values->csv) {
            printLine(stderr, QStringLiteral("zorctl: give --json or --csv, not both"));
            exitCode = CtlUsage;
            return;
        }
        exitCode = discover(options, *values);
    });
}

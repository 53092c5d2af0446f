// zorwifi-exporter: Prometheus metrics of the units, one probe per scrape.

#include "ExporterServer.h"
#include "ListenAddress.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdlib>

namespace {

constexpr char DefaultListen[] = "127.0.0.1:9577";
constexpr int UsageError = 2;

[[noreturn]] void fail(const QString &message)
{
    QTextStream(stderr) << "zorwifi-exporter: " << message << Qt::endl;
    std::exit(UsageError);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zorwifi-exporter"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZORWIFI_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prometheus exporter for ZOR Wi-Fi alarm units: GET /probe?target=ADDRESS asks that unit for its device "
        "information and status and answers in the Prometheus text format; GET /metrics gives the exporter's own "
        "figures."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {"listen", QStringLiteral("ADDRESS:PORT to serve HTTP on (default %1).").arg(DefaultListen), "address", DefaultListen},
        {"allow", "Subnet ADDRESS/PREFIX whose units may be probed; may be repeated. Default: 127.0.0.0/8 only.", "cidr"},
        {"timeout", QStringLiteral("Longest probe in milliseconds; a shorter scrape time-out takes precedence "
                                   "(default %1).").arg(ExporterServer::DefaultTimeoutMs),
         "ms", QString::number(ExporterServer::DefaultTimeoutMs)},
    });
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        fail(QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().constFirst()));

    const std::optional<ListenAddress> listen = parseListenAddress(parser.value("listen"));
    if (!listen)
        fail(QStringLiteral("--listen needs ADDRESS:PORT, not \"%1\"").arg(parser.value("listen")));
    bool ok = false;
    const int timeoutMs = parser.value("timeout").toInt(&ok);
    if (!ok || timeoutMs <= 0 || timeoutMs > 600000)
        fail(QStringLiteral("--timeout needs milliseconds from 1 to 600000, not \"%1\"").arg(parser.value("timeout")));
    TargetAllowList allowed;
    if (parser.isSet("allow")) {
        QList<Ipv4Subnet> subnets;
        for (const QString &text : parser.values("allow")) {
            const std::optional<Ipv4Subnet> subnet = parseSubnet(text);
            if (!subnet)
                fail(QStringLiteral("--allow needs an IPv4 subnet such as 10.20.0.0/16, not \"%1\"").arg(text));
            subnets << *subnet;
        }
        allowed = TargetAllowList(subnets);
    }

    ExporterServer server(allowed, timeoutMs);
    if (!server.listen(listen->address, listen->port)) {
        QTextStream(stderr) << "zorwifi-exporter: cannot listen on " << parser.value("listen") << ": "
                            << server.errorString() << Qt::endl;
        return 1;
    }
    QTextStream(stderr) << "zorwifi-exporter: listening on " << parser.value("listen") << Qt::endl;
    return app.exec();
}

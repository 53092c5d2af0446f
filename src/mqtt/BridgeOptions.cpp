#include "BridgeOptions.h"

#include "HostsFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

namespace {

constexpr int DefaultPort = 1883;
constexpr int DefaultTlsPort = 8883;
constexpr double MinIntervalSeconds = 0.5;
constexpr double MaxIntervalSeconds = 3600;
constexpr qint64 MaxPasswordFileSize = 4096;

bool readPassword(const QString &path, QByteArray &password, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = "cannot read the password file " + path + ": " + file.errorString();
        return false;
    }
    if (file.size() > MaxPasswordFileSize) {
        error = "the password file " + path + " is too large for a password";
        return false;
    }
    const QByteArray content = file.readAll();
    const qsizetype end = content.indexOf('\n');
    password = end < 0 ? content : content.left(end);
    if (password.endsWith('\r'))
        password.chop(1);
    return true;
}

// "host" or "host:port"; an IPv6 address goes in brackets.
bool readBroker(const QString &text, bool tls, BrokerSettings &broker, QString &error)
{
    QString host = text;
    QString port;
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        host = text.mid(1, close - 1);
        if (close < 0 || (close + 1 < text.size() && text[close + 1] != u':')) {
            error = "--broker takes HOST[:PORT], not " + text;
            return false;
        }
        if (close + 1 < text.size())
            port = text.mid(close + 2);
    } else if (const qsizetype colon = text.lastIndexOf(u':'); colon >= 0) {
        host = text.left(colon);
        port = text.mid(colon + 1);
    }
    broker.host = host;
    broker.port = tls ? DefaultTlsPort : DefaultPort;
    if (!port.isNull()) {
        bool ok = false;
        broker.port = port.toInt(&ok);
        if (!ok || broker.port < 1 || broker.port > 65535) {
            error = "--broker needs a port from 1 to 65535, not \"" + port + "\"";
            return false;
        }
    }
    if (host.isEmpty()) {
        error = "--broker needs a host";
        return false;
    }
    return true;
}

} // namespace

BridgeOptions readBridgeOptions(const QStringList &arguments)
{
    BridgeOptions options;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Bridges ZOR-06-WF and ZOR-04-RTU-WF units to an MQTT broker, with Home Assistant discovery.\n"
        "Each unit is polled as the monitor window polls it; its state, availability and discovery\n"
        "configs are published retained under BASE/MAC/, commands are taken on BASE/MAC/set/THING\n"
        "(relay and arming ON or OFF, volume 0 to 10, locate PRESS) and answered on BASE/MAC/result."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {"broker", "The MQTT broker, HOST[:PORT] (port 1883, or 8883 with --tls-ca).", "host[:port]"},
        {"hosts", "Poll the units listed in FILE: one address a line, # comments.", "file"},
        {"address", "Poll the unit at this IPv4 address; may be given again.", "ip"},
        {"interval", "Seconds between the polls of one unit (default 3).", "s", "3"},
        {"username", "User name at the broker.", "user"},
        {"password-file", "Read the broker password from the first line of FILE (never from the command line).",
         "file"},
        {"tls-ca", "Connect with TLS, checking the broker against the CA certificates in FILE.", "file"},
        {"discovery-prefix", "Home Assistant's discovery prefix (default homeassistant).", "prefix", "homeassistant"},
        {"base-topic", "Topic under which the units are published (default zorwifi).", "topic", "zorwifi"},
    });
    if (!parser.parse(arguments)) {
        options.error = parser.errorText();
        return options;
    }
    if (parser.isSet("help"))
        parser.showHelp(0);
    if (parser.isSet("version"))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        options.error = "unexpected argument \"" + parser.positionalArguments().constFirst() + "\"";
        return options;
    }

    BrokerSettings &broker = options.broker;
    broker.tlsCaFile = parser.value("tls-ca");
    if (!parser.isSet("broker")) {
        options.error = QStringLiteral("--broker is needed");
        return options;
    }
    if (!readBroker(parser.value("broker"), !broker.tlsCaFile.isEmpty(), broker, options.error))
        return options;
    broker.username = parser.value("username");
    if (parser.isSet("password-file") && !readPassword(parser.value("password-file"), broker.password, options.error))
        return options;
    if (!broker.password.isEmpty() && broker.username.isEmpty()) {
        options.error = QStringLiteral("a password needs --username");
        return options;
    }

    for (const char *name : {"base-topic", "discovery-prefix"}) {
        const QString problem = topicPrefixProblem(parser.value(name));
        if (!problem.isEmpty()) {
            options.error = QStringLiteral("--%1 %2").arg(QLatin1String(name), problem);
            return options;
        }
    }
    options.topics.base = parser.value("base-topic");
    options.topics.discoveryPrefix = parser.value("discovery-prefix");
    broker.willTopic = options.topics.bridgeAvailability();

    bool ok = false;
    const double seconds = parser.value("interval").toDouble(&ok);
    if (!ok || seconds < MinIntervalSeconds || seconds > MaxIntervalSeconds) {
        options.error = "--interval takes 0.5 to 3600 seconds, not " + parser.value("interval");
        return options;
    }
    options.intervalMs = int(seconds * 1000);

    if (parser.isSet("hosts") && !readHostsFile(parser.value("hosts"), options.addresses, options.error))
        return options;
    for (const QString &address : parser.values("address")) {
        if (!isDottedAddress(address)) {
            options.error = "\"" + address + "\" is not a dotted IPv4 address";
            return options;
        }
        options.addresses << address;
    }
    options.addresses.removeDuplicates(); // two workers on one unit would take each other's answers
    if (options.addresses.isEmpty())
        options.error = QStringLiteral("no unit to poll: give --hosts or --address");
    return options;
}

#include "FleetCommandLine.h"

#include "HostsFile.h"

namespace {

// The value of `--name VALUE` or `--name=VALUE` at `i`; advances past it.
bool takeOption(const std::vector<std::string> &arguments, std::size_t &i, const std::string &name, QString &value,
                QString &error)
{
    const std::string &word = arguments[i];
    if (word.rfind(name + "=", 0) == 0) {
        value = QString::fromLocal8Bit(word.substr(name.size() + 1).c_str());
        return true;
    }
    if (word != name)
        return false;
    if (i + 1 >= arguments.size()) {
        error = QString::fromStdString(name) + " needs a value";
        return true;
    }
    value = QString::fromLocal8Bit(arguments[++i].c_str());
    return true;
}

} // namespace

FleetCommandLine readFleetCommandLine(const std::vector<std::string> &arguments)
{
    FleetCommandLine line;
    QStringList given; // addresses and hosts files in their order, files marked by a leading '@'
    QString jobs;
    bool hostsFile = false;
    bool commandSeen = false; // after the command, --jobs belongs to the command (discover)
    for (std::size_t i = 0; i < arguments.size() && line.error.isEmpty(); ++i) {
        QString value;
        if (takeOption(arguments, i, "--address", value, line.error)) {
            given << value;
        } else if (takeOption(arguments, i, "--hosts", value, line.error)) {
            given << "@" + value;
            hostsFile = true;
        } else if (!commandSeen && takeOption(arguments, i, "--jobs", value, line.error)) {
            jobs = value;
        } else {
            if (arguments[i] == "--json")
                line.json = true;
            commandSeen = commandSeen || arguments[i].rfind('-', 0) != 0;
            line.unitArguments << QString::fromLocal8Bit(arguments[i].c_str());
        }
    }
    line.fleet = hostsFile || given.size() > 1;
    if (!line.fleet || !line.error.isEmpty())
        return line;

    for (const QString &entry : given) {
        QStringList some;
        if (entry.startsWith(u'@')) {
            if (!readHostsFile(entry.mid(1), some, line.error))
                return line;
        } else if (isDottedAddress(entry)) {
            some << entry;
        } else {
            line.error = "\"" + entry + "\" is not a dotted IPv4 address";
            return line;
        }
        for (const QString &address : some) {
            // Two runs on one unit would take each other's data connections.
            if (line.addresses.contains(address)) {
                line.error = address + " is named more than once";
                return line;
            }
            line.addresses << address;
        }
    }
    if (line.addresses.isEmpty())
        line.error = QStringLiteral("the hosts file names no unit");
    if (!jobs.isEmpty()) {
        bool ok = false;
        line.jobs = jobs.toInt(&ok);
        if (!ok || line.jobs < 1 || line.jobs > 256)
            line.error = "--jobs takes 1 to 256, not " + jobs;
    }
    return line;
}

#pragma once

#include "ZorctlChild.h"

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

// Exit status when one or more units of a fleet run failed.
constexpr int CtlUnitsFailed = 4;

// A command line that names several units: the units, and what each one's own zorctl gets.
struct FleetCommandLine {
    bool fleet = false;     // --hosts, or --address more than once
    QStringList addresses;  // in the order given, each once
    int jobs = DefaultFleetJobs;
    bool json = false;
    QStringList unitArguments; // the command line less the unit selection
    QString error;             // a usage error: nothing may be sent
};

// Takes --hosts FILE, every --address and --jobs out of the arguments; reads the hosts file
// (one address a line, blank lines and # comments allowed).
FleetCommandLine readFleetCommandLine(const std::vector<std::string> &arguments);

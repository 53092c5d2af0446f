#include "ZorCtl.h"

#include "BackupCommands.h"
#include "CtlSession.h"
#include "DiffCommands.h"
#include "DiscoverCommand.h"
#include "FleetRun.h"
#include "FileCommands.h"
#include "ProgressLine.h"
#include "ProjectCommands.h"
#include "ReportCommand.h"
#include "SetupCommands.h"
#include "UnitCommands.h"

#include <CLI/CLI.hpp>
#include <algorithm>

void describeZorCtl(CLI::App &app, CtlOptions &options, int &exitCode)
{
    app.description("zorctl: scripts a ZOR-06-WF or ZOR-04-RTU-WF unit over its command channel.\n"
                    "Exit status: 0 done; 1 the unit answered nothing usable or refused; 2 usage; 3 no connection;\n"
                    "4 one or more of several units failed (--hosts, or --address given more than once).");
    app.name("zorctl");
    app.set_version_flag("--version", "zorctl " ZORWIFI_VERSION);
    app.add_option("--address", options.address, "The unit's dotted IPv4 address; given more than once, the command runs on each")->capture_default_str();
    app.add_flag("--json", options.json, "Print the result as one JSON object");
    // Read before parsing (readFleetCommandLine); declared here for the help and the man page.
    app.add_option("--hosts", "A file of unit addresses, one a line (# comments): run the command on each")
        ->type_name("FILE");
    app.add_option("--jobs", "Units in flight at a time with --hosts or several --address (default 8)")->type_name("N");
    app.add_flag_callback("--progress-lines", [] { ProgressLine::forParent = true; },
                          "Progress as \"progress DONE TOTAL\" lines on stderr, for a program that runs zorctl")
        ->trigger_on_parse();
    app.get_formatter()->column_width(32); // keeps "--address TEXT=192.168.77.1" apart from its text, here and in the man page
    app.require_subcommand(1);
    app.fallthrough();
    addUnitCommands(app, options, exitCode);
    addSetupCommands(app, options, exitCode);
    addFileCommands(app, options, exitCode);
    addProjectCommands(app, options, exitCode);
    addPlaybackCommands(app, options, exitCode);
    addDiscoverCommand(app, options, exitCode);
    addBackupCommands(app, options, exitCode);
    addDiffCommands(app, options, exitCode);
    addReportCommand(app, options, exitCode);
}

int runZorCtl(std::vector<std::string> arguments)
{
    const FleetCommandLine fleet = readFleetCommandLine(arguments);
    CtlOptions options;
    if (fleet.fleet && isSiteReport(arguments)) {
        // One document of all units: read here, one after another, not by a zorctl per unit.
        if (!fleet.error.isEmpty()) {
            printLine(stderr, "zorctl: " + fleet.error);
            return CtlUsage;
        }
        for (const QString &address : fleet.addresses)
            options.siteAddresses.push_back(address.toStdString());
        arguments.clear();
        for (const QString &argument : fleet.unitArguments)
            arguments.push_back(argument.toLocal8Bit().toStdString());
    } else if (fleet.fleet) {
        return runFleet(fleet);
    }
    CLI::App app;
    app.allow_windows_style_options(false); // the unit's paths start with '/': never options, on Windows too
    int exitCode = CtlDone;
    describeZorCtl(app, options, exitCode);
    std::reverse(arguments.begin(), arguments.end()); // CLI11 takes them last first
    try {
        app.parse(arguments);
    } catch (const CLI::ParseError &error) {
        const int status = app.exit(error);
        return status == 0 ? CtlDone : CtlUsage;
    }
    return exitCode;
}

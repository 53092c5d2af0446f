#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}
struct CtlOptions;

// report OUT.pdf|OUT.html [--site] [--channel-tests FILE] [--no-clip-sizes]: reads the unit, or with
// --site every unit given, and writes the commissioning report.
void addReportCommand(CLI::App &app, const CtlOptions &options, int &exitCode);

// Whether the command line's command is report: its PDF needs a QGuiApplication.
bool isReportCommandLine(const std::vector<std::string> &arguments);
// Whether the command line is a site report, which reads its units in this process.
bool isSiteReport(const std::vector<std::string> &arguments);

#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}
struct CtlOptions;

// Adds zorctl's options and subcommands to `app`; a subcommand's callback leaves its exit status in `exitCode`.
void describeZorCtl(CLI::App &app, CtlOptions &options, int &exitCode);

// Runs one zorctl command line (arguments without the program name) and returns its exit status.
int runZorCtl(std::vector<std::string> arguments);

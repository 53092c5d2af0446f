#pragma once

#include "CtlSession.h"

namespace CLI {
class App;
}

// set ..., wifi-mode, reset-defaults, reboot, firmware and the file commands: the setup
// window's operations with the same rules, files, pauses and frames, without prompts.
struct SetupRun;
// The exit status of a setup run; a request the unit did not confirm is named on stderr.
int exitForSetupRun(const SetupRun &run);

void addSetupCommands(CLI::App &app, const CtlOptions &options, int &exitCode);

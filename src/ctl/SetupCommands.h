#pragma once

#include "CtlSession.h"

namespace CLI {
class App;
}

// set ..., wifi-mode, reset-defaults, reboot, firmware and the file commands: the setup
// window's operations with the same rules, files, pauses and frames, without prompts.
void addSetupCommands(CLI::App &app, const CtlOptions &options, int &exitCode);

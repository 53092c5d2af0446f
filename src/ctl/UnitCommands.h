#pragma once

#include "CtlSession.h"

namespace CLI {
class App;
}

// info, status, relay, volume, arm, disarm, locate: the monitor window's requests.
// Each subcommand's callback leaves its exit status in `exitCode`.
void addUnitCommands(CLI::App &app, const CtlOptions &options, int &exitCode);

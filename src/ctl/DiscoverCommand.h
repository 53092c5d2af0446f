#pragma once

#include "CtlSession.h"

namespace CLI {
class App;
}

// discover: the units that answer the device-information request on the given subnets.
void addDiscoverCommand(CLI::App &app, const CtlOptions &options, int &exitCode);

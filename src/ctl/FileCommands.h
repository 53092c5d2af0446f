#pragma once

#include "CtlSession.h"

namespace CLI {
class App;
}

// sd-put, sd-get, flash-put, flash-rm, clip-rm: whole files to and from the unit.
void addFileCommands(CLI::App &app, const CtlOptions &options, int &exitCode);

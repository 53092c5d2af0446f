#pragma once

#include "CtlSession.h"

namespace CLI {
class App;
}

// backup FILE [--with-clips DIR], restore FILE [--only GROUP]...: one unit's settings and
// SD configuration to a file and back, through the setup window's rules, files and pauses.
void addBackupCommands(CLI::App &app, const CtlOptions &options, int &exitCode);

// Shared by backup and restore.
int failWith(const QString &text, int exitCode);

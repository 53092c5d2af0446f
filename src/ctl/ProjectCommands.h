#pragma once

#include "CtlSession.h"

namespace CLI {
class App;
}

// project new/add-clip/remove-clip/mode/input/show/write/read: the audio editor's work from a terminal.
// Each subcommand's callback leaves its exit status in `exitCode`.
void addProjectCommands(CLI::App &app, const CtlOptions &options, int &exitCode);
// play, stop, test-input, test-stop.
void addPlaybackCommands(CLI::App &app, const CtlOptions &options, int &exitCode);

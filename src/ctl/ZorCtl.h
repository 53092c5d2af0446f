#pragma once

#include <string>
#include <vector>

// Runs one zorctl command line (arguments without the program name) and returns its exit status.
int runZorCtl(std::vector<std::string> arguments);

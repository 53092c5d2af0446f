#pragma once

#include <QStringList>

// Exit statuses of zorctl.
enum CtlExit { CtlDone = 0, CtlNoUsableAnswer = 1, CtlUsage = 2, CtlNoConnection = 3 };

// Runs one zorctl command line (arguments without the program name) and returns its exit status.
int runZorCtl(const QStringList &arguments);

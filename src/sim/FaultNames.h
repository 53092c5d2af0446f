#pragma once

#include "UnitFaults.h"

#include <QStringList>

// Faults by zorsim's option names ("no-answer", "stall-data", "other-address=127.0.0.9", ...).
// Replaces `faults` and returns true when every name is known; else names the first unknown one in `error`.
bool faultsFromNames(const QStringList &names, UnitFaults &faults, QString &error);
QStringList faultOptionNames();

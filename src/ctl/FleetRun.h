#pragma once

#include "FleetCommandLine.h"

// Runs one command on every unit of the line, each unit in a zorctl process of its own,
// `jobs` at a time; prints one result line per unit in the order of the list.
// 0 when every unit succeeded, CtlUnitsFailed when one or more failed, CtlUsage with nothing sent.
// Comparisons (diff, restore --check or --changed-only) say per unit what differs or changed;
// CtlDiffers when a unit differs and none failed.
int runFleet(const FleetCommandLine &line);

// The command line of one unit's own run: `{address}` in an argument stands for its address.
QStringList unitCommandLine(const FleetCommandLine &line, const QString &address);

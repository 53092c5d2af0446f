#pragma once

#include "BatchRun.h"
#include "UnitScan.h"

#include <QList>
#include <QString>
#include <QStringList>

// What the Units window's batch actions ask of zorctl, and how a job's state reads in its row.
namespace BatchCommands {

enum class Action { WriteProject, DiffProfile, ApplyProfile, SetLocation, BackUp, UpdateFirmware, Restart, UnitReport };

// `value`: the project folder, profile, location pattern, backup or report folder, or image.
// `place` is the unit's 1-based place in the selection.
QStringList unitArguments(Action action, const QString &value, const UnitSighting &unit, int place);
BatchJob unitJob(Action action, const QString &value, const UnitSighting &unit, int place);
// One report for the site: every unit in one zorctl run.
BatchJob siteReportJob(const QList<UnitSighting> &units, const QString &file);
// Checks a project folder as its write would, sending nothing.
QStringList projectCheckArguments(const QString &folder);

// {n}, {mac} and {address} of the pattern, for one unit.
QString expandLocation(const QString &pattern, const UnitSighting &unit, int place);
// A file of the unit's own in `folder`: its MAC's hex digits, or its address when it gave none.
QString unitFile(const QString &folder, const UnitSighting &unit, const QString &extension);

QString stateText(const BatchJobState &state);

} // namespace BatchCommands

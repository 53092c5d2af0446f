#pragma once

#include "UnitScan.h"

#include <QHash>
#include <QList>
#include <QString>

// The units found, as CSV: a header line, then one line per unit with the fields of the
// scan, in its order (no RSSI reported: empty). Texts the unit reports cannot start a
// spreadsheet formula.
// With `results` (one per unit, by its address), a last column "result".
QString sightingsCsv(const QList<UnitSighting> &sightings, const QHash<QString, QString> &results = {});

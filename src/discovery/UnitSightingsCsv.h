#pragma once

#include "UnitScan.h"

#include <QList>
#include <QString>

// The units found, as CSV: a header line, then one line per unit with the fields of the
// scan, in its order (no RSSI reported: empty). Texts the unit reports cannot start a
// spreadsheet formula.
QString sightingsCsv(const QList<UnitSighting> &sightings);

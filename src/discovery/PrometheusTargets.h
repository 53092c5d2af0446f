#pragma once

#include "UnitScan.h"

#include <QByteArray>
#include <QList>

// The units found as a Prometheus file_sd target list: one target group per unit, its
// address as the target, labelled with its model, MAC and location.
QByteArray prometheusTargets(const QList<UnitSighting> &sightings);

#pragma once

#include "SetupPlan.h"

// The free location text the unit reports about itself.
SetupResult planLocation(const QString &location);

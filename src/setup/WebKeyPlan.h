#pragma once

#include "SetupPlan.h"

// The key of the unit's web page, sent as a command; it takes effect at once.
SetupResult planWebKey(const QString &key);

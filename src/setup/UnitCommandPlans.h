#pragma once

#include "SetupPlan.h"

// Commands on the unit as a whole; each is confirmed first.
SetupPlan planWifiMode(bool accessPoint); // the unit restarts in the new mode
SetupPlan planResetToDefaults();          // the unit restarts with its factory settings
SetupPlan planReboot();
SetupPlan planFirmwareUpdate();           // the update reports its own result

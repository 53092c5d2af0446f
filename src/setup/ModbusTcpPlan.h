#pragma once

#include "SetupPlan.h"

// Port and idle timeout of the unit's Modbus TCP server, as typed.
SetupResult planModbusTcp(const QString &portText, const QString &timeoutText);

#pragma once

#include "DeviceStatus.h"
#include "MonitorView.h"

// Display operations of the monitor window that also change the unit's state record.

// Masks relay and input bits by the model (stored back), then shows them.
void refreshRelayAndInputs(DeviceStatus &status, MonitorView &view);
// Shows the arm or disarm button, only while the status is valid.
void refreshArmButtons(const DeviceStatus &status, MonitorView &view);
// The no-device state: controls off, bits cleared, status no longer valid.
void resetDisplay(DeviceStatus &status, MonitorView &view);

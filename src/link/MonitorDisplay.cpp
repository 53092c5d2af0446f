#include "MonitorDisplay.h"

void refreshRelayAndInputs(DeviceStatus &status, MonitorView &view)
{
    status.relayBits &= status.relayMask;
    status.inputBits &= status.inputMask;
    view.showRelayAndInputs(status.relayBits, status.inputBits);
}

void refreshArmButtons(const DeviceStatus &status, MonitorView &view)
{
    if (status.statusValid)
        view.showArmed(status.armed != 0);
}

void resetDisplay(DeviceStatus &status, MonitorView &view)
{
    view.showNoDevice();
    status.relayBits = 0;
    status.inputBits = 0;
    status.statusValid = false;
    refreshRelayAndInputs(status, view);
}

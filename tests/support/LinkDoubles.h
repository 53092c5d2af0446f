#pragma once

#include "DeviceLink.h"
#include "RecordingMonitorView.h"
#include "ScriptedDialogs.h"

// A device link whose monitor window and dialogs are test doubles.
struct LinkDoubles {
    DeviceStatus status;
    RecordingMonitorView view;
    ScriptedDialogs dialogs;
    Timing timing;
    DeviceLink link{status, view, dialogs, timing};
};

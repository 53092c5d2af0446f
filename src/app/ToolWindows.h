#pragma once

#include "AudioEditorWindow.h"
#include "CommissioningReportAction.h"
#include "MonitorWindow.h"
#include "SetupWindow.h"

class ClipPlayer;
class Dialogs;
class UnitSession;

// The tool's three windows, created in this order and alive until the program ends.
// The monitor window is the main window; the other two are its modal children.
class ToolWindows {
public:
    ToolWindows(UnitSession &session, Dialogs &dialogs, ClipPlayer &player);

    MonitorWindow monitor;
    SetupWindow setup;
    AudioEditorWindow audioEditor;
    CommissioningReportAction report;
};

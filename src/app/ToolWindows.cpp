#include "ToolWindows.h"

ToolWindows::ToolWindows(UnitSession &session, Dialogs &dialogs)
    : monitor(session, dialogs)
    , setup(session, dialogs, &monitor)
    , audioEditor(&monitor)
{
    monitor.setSecondaryWindows(&setup, &audioEditor);
    QObject::connect(&setup, &SetupWindow::monitorLogLine, &monitor, &MonitorWindow::appendLog);
}

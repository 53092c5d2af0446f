#include "ToolWindows.h"

ToolWindows::ToolWindows(UnitSession &session, Dialogs &dialogs, ClipPlayer &player)
    : monitor(session, dialogs)
    , setup(session, dialogs, &monitor)
    , audioEditor(session, dialogs, player, &monitor)
    , report(session, dialogs, monitor)
{
    monitor.setReportAction([action = &report] { action->run(); });
    monitor.setSecondaryWindows(&setup, &audioEditor);
    // Closing the monitor ends the program: the editor's unsaved project is offered first.
    monitor.setCloseGuard([editor = &audioEditor] { return editor->mayLeave(); });
    QObject::connect(&setup, &SetupWindow::monitorLogLine, &monitor, &MonitorWindow::appendLog);
    QObject::connect(&setup, &SetupWindow::statusLine, &monitor, &MonitorWindow::setStatusLine);
    // One volume: either slider moves the other; the monitor sends it.
    QObject::connect(&monitor, &MonitorWindow::volumePositionChanged, &audioEditor, &AudioEditorWindow::showVolumePosition);
    QObject::connect(&audioEditor, &AudioEditorWindow::volumeMoved, &monitor, &MonitorWindow::setVolumePosition);
    QObject::connect(&audioEditor, &AudioEditorWindow::volumeReleased, &monitor, &MonitorWindow::sendVolumeSoon);
}

#include "ToolWindows.h"

ToolWindows::ToolWindows(UnitSession &session, Dialogs &dialogs)
    : monitor(session, dialogs)
    , setup(&monitor)
    , audioEditor(&monitor)
{
    monitor.setSecondaryWindows(&setup, &audioEditor);
}

#include "ToolWindows.h"

ToolWindows::ToolWindows(AdapterSource &adapters, Dialogs &dialogs)
    : monitor(adapters, dialogs)
    , setup(&monitor)
    , audioEditor(&monitor)
{
    monitor.setSecondaryWindows(&setup, &audioEditor);
}

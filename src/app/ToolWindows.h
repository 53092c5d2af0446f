#pragma once

#include "eap_tcp.h"
#include "mp3_list.h"
#include "setup.h"

class AdapterSource;
class Dialogs;

// The tool's three windows, created in this order and alive until the program ends.
// The monitor window is the main window; the other two are its modal children.
class ToolWindows {
public:
    ToolWindows(AdapterSource &adapters, Dialogs &dialogs);

    TForm1 monitor;
    TForm2 setup;
    TForm3 audioEditor;
};

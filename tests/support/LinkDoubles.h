#pragma once

#include "FixedAdapterSource.h"
#include "MonitorPresenter.h"
#include "RecordingMonitorView.h"
#include "ScriptedDialogs.h"
#include "UnitSession.h"

// A unit session whose monitor window and dialogs are test doubles. The monitor window's
// presenter words what the link reports, so tests see the texts a user would.
// No link check runs unless a test sets one.
struct LinkDoubles {
    FixedAdapterSource adapters;
    ScriptedDialogs dialogs;
    RecordingMonitorView view;
    UnitSession session{adapters};
    MonitorPresenter presenter{view, session, dialogs};
    Timing &timing = session.timing;
    DeviceStatus &status = session.status;
    DeviceLink &link = session.link;

    LinkDoubles() { link.linkCheck = nullptr; }
};

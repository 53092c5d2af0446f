#include "ErrorReportingApplication.h"
#include "QtAdapterSource.h"
#include "QtClipPlayer.h"
#include "QtDialogs.h"
#include "ToolWindows.h"
#include "UnitSession.h"

int main(int argc, char *argv[])
{
    QtDialogs dialogs;
    ErrorReportingApplication application(argc, argv, dialogs);
    QtAdapterSource adapters;
    UnitSession session(adapters);
    QtClipPlayer player;
    ToolWindows windows(session, dialogs, player);
    windows.monitor.show();
    return application.exec();
}

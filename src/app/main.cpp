#include "ErrorReportingApplication.h"
#include "QtClipPlayer.h"
#include "QtDialogs.h"
#include "SystemAdapterSource.h"
#include "ToolWindows.h"
#include "UnitSession.h"

int main(int argc, char *argv[])
{
    QtDialogs dialogs;
    ErrorReportingApplication application(argc, argv, dialogs);
    const std::unique_ptr<AdapterSource> adapters = makeSystemAdapterSource();
    UnitSession session(*adapters);
    QtClipPlayer player;
    ToolWindows windows(session, dialogs, player);
    windows.monitor.show();
    return application.exec();
}

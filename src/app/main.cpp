#include "ErrorReportingApplication.h"
#include "QtAdapterSource.h"
#include "QtDialogs.h"
#include "ToolWindows.h"
#include "UnitSession.h"

int main(int argc, char *argv[])
{
    QtDialogs dialogs;
    ErrorReportingApplication application(argc, argv, dialogs);
    QtAdapterSource adapters;
    UnitSession session(adapters);
    ToolWindows windows(session, dialogs);
    windows.monitor.show();
    return application.exec();
}

#include "ErrorReportingApplication.h"
#include "QtAdapterSource.h"
#include "QtDialogs.h"
#include "ToolWindows.h"

int main(int argc, char *argv[])
{
    QtDialogs dialogs;
    ErrorReportingApplication application(argc, argv, dialogs);
    QtAdapterSource adapters;
    ToolWindows windows(adapters, dialogs);
    windows.monitor.show();
    return application.exec();
}

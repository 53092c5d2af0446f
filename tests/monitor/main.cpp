#include "DemoUnitAddressTest.h"
#include "ErrorReportTest.h"
#include "ErrorReportingApplication.h"
#include "MonitorWindowTest.h"
#include "ScratchFolderTest.h"
#include "ScriptedDialogs.h"

#include <QTest>

int main(int argc, char **argv)
{
    ScriptedDialogs applicationDialogs;
    ErrorReportingApplication application(argc, argv, applicationDialogs);
    QTEST_SET_MAIN_SOURCE_PATH

    int failures = 0;
    ScratchFolderTest scratchFolder;
    failures += QTest::qExec(&scratchFolder, argc, argv);
    DemoUnitAddressTest demoUnitAddress;
    failures += QTest::qExec(&demoUnitAddress, argc, argv);
    ErrorReportTest errorReport(applicationDialogs);
    failures += QTest::qExec(&errorReport, argc, argv);
    MonitorWindowTest monitorWindow;
    failures += QTest::qExec(&monitorWindow, argc, argv);
    return failures;
}

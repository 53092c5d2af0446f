#include "ErrorReportTest.h"

#include "Dialogs.h"
#include "ErrorReportingApplication.h"
#include "ScriptedDialogs.h"

#include <QCoreApplication>
#include <QTest>
#include <QTimer>
#include <stdexcept>

ErrorReportTest::ErrorReportTest(ScriptedDialogs &applicationDialogs)
    : dialogs_(applicationDialogs)
{
}

void ErrorReportTest::escapedErrorIsShownAndTheProgramGoesOn()
{
    dialogs_.expectMessageBox("'192.168.x' is not a valid integer value", QCoreApplication::applicationName(),
                              Dialogs::Error);
    QTimer failing;
    failing.setSingleShot(true);
    connect(&failing, &QTimer::timeout, this, [] { throw std::invalid_argument("'192.168.x' is not a valid integer value"); });
    bool laterHandlerRan = false;
    failing.start(0);
    QTimer::singleShot(5, this, [&laterHandlerRan] { laterHandlerRan = true; });

    QTRY_VERIFY(laterHandlerRan);
    QCOMPARE(dialogs_.shownBoxes.size(), 1);
    QVERIFY(dialogs_.pending().isEmpty());
}

int main(int argc, char **argv)
{
    ScriptedDialogs applicationDialogs;
    ErrorReportingApplication application(argc, argv, applicationDialogs);
    QTEST_SET_MAIN_SOURCE_PATH
    ErrorReportTest test(applicationDialogs);
    return QTest::qExec(&test, argc, argv);
}

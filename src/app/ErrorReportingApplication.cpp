#include "ErrorReportingApplication.h"

#include "Dialogs.h"

#include <exception>

ErrorReportingApplication::ErrorReportingApplication(int &argc, char **argv, Dialogs &dialogs)
    : QApplication(argc, argv)
    , dialogs_(dialogs)
{
}

bool ErrorReportingApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        dialogs_.messageBox(QString::fromLocal8Bit(error.what()), applicationDisplayName(), Dialogs::Error);
        return false;
    }
}

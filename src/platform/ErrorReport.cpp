#include "ErrorReport.h"

#include "Dialogs.h"

#include <QCoreApplication>

void reportError(Dialogs &dialogs, const QString &text)
{
    dialogs.messageBox(text, QCoreApplication::applicationName(), Dialogs::Error);
}

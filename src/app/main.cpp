#include "ErrorReport.h"
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
    QObject::connect(&player, &QtClipPlayer::playbackFailed, [&dialogs](const QString &error) {
        reportError(dialogs, QStringLiteral("Play Error! : ") + error);
    });
    ToolWindows windows(session, dialogs, player);
    windows.monitor.show();
    return application.exec();
}

#include "ReportCommand.h"
#include "ZorCtl.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <memory>

int main(int argc, char **argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // A PDF is drawn with QtGui's fonts: only report needs a QGuiApplication, and no display for it.
    std::unique_ptr<QCoreApplication> app;
    if (isReportCommandLine(arguments)) {
#ifndef Q_OS_WIN // Windows' own platform needs no display, and brings the system's fonts
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return runZorCtl(arguments);
}

#include "TerminalDialogs.h"

#include "CtlSession.h"

int TerminalDialogs::messageBox(const QString &text, const QString &, int flags)
{
    if (flags == YesNoQuestion)
        return Yes;
    printLine(flags == Error || flags == Warning ? stderr : stdout, text);
    return Ok;
}

QString TerminalDialogs::openFile(const QString &, const QString &)
{
    return chosenFile_;
}

QString TerminalDialogs::chooseFolder(const QString &, const QString &)
{
    return {};
}

#include "CtlView.h"

#include <cstdio>

namespace {
void printError(const QString &line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}
} // namespace

void CtlView::setStatusLine(const QString &text)
{
    statusLine_ = text;
    if (!text.isEmpty())
        printError(text);
}

void CtlView::appendLog(const QString &line)
{
    printError(line);
}

int CtlDialogs::messageBox(const QString &text, const QString &caption, int flags)
{
    printError(caption == text ? text : caption + ": " + text);
    return flags == YesNoQuestion ? No : Ok;
}

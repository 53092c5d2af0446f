#include "ProgressLine.h"

#include <QtGlobal>
#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

ProgressLine::ProgressLine(const QString &what) : what_(what), terminal_(isatty(fileno(stderr)) != 0) {}

ProgressLine::~ProgressLine()
{
    clear();
}

void ProgressLine::clear()
{
    if (!shown_)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    shown_ = false;
}

void ProgressLine::show(int done, int total)
{
    if (!terminal_)
        return;
    std::fprintf(stderr, "\r%d of %d %s done", done, total, what_.toLocal8Bit().constData());
    std::fflush(stderr);
    shown_ = true;
}

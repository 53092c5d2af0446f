#include "ProgressLine.h"

#include "ZorctlChild.h"

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
    if (forParent) {
        const int percent = total > 0 ? int(qint64(done) * 100 / total) : 0;
        if (percent == lastPercent_)
            return;
        lastPercent_ = percent;
        std::fprintf(stderr, "%s%d %d\n", ProgressLinePrefix.toLatin1().constData(), done, total);
        std::fflush(stderr);
        return;
    }
    if (!terminal_)
        return;
    std::fprintf(stderr, "\r%d of %d %s done", done, total, what_.toLocal8Bit().constData());
    std::fflush(stderr);
    shown_ = true;
}

void ProgressLineGauge::startProgress(int maximum)
{
    maximum_ = maximum;
    line_.show(0, maximum_);
}

void ProgressLineGauge::setProgress(int progress)
{
    line_.show(progress, maximum_);
}

void ProgressLineGauge::finishProgress(bool completed)
{
    (void)completed;
    line_.clear();
}

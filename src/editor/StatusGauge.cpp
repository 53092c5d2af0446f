#include "StatusGauge.h"

#include <algorithm>

StatusGauge::StatusGauge(QWidget *parent)
    : QProgressBar(parent)
{
    setObjectName(QStringLiteral("CGauge1"));
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
    setValue(0);
}

void StatusGauge::startProgress(int maximum)
{
    setRange(0, maximum);
    setValue(0);
    setStyleSheet(QStringLiteral("QProgressBar::chunk { background: red; }"));
}

// The last chunk may end past the maximum, which QProgressBar would ignore.
void StatusGauge::setProgress(int progress)
{
    setValue(std::clamp(progress, minimum(), maximum()));
}

void StatusGauge::finishProgress(bool completed)
{
    setValue(completed ? maximum() : minimum());
}

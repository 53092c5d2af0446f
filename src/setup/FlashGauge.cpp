#include "FlashGauge.h"

#include <QCoreApplication>
#include <algorithm>

FlashGauge::FlashGauge(QWidget *parent)
    : QProgressBar(parent)
{
    setObjectName(QStringLiteral("CGauge1"));
    setTextVisible(false);
    setFixedHeight(9);
    setRange(0, 1);
    setValue(0);
}

void FlashGauge::startProgress(int maximum)
{
    QPalette red = palette();
    red.setColor(QPalette::Highlight, QColor(255, 0, 0));
    setPalette(red);
    // A range of 0..0 would make the bar an endless busy indicator.
    setRange(0, std::max(maximum, 1));
    setValue(0);
}

void FlashGauge::setProgress(int progress)
{
    // The last chunk's start may lie beyond the maximum: the bar then simply reads full.
    setValue(std::clamp(progress, minimum(), maximum()));
}

void FlashGauge::finishProgress(bool completed)
{
    // Chunk offsets may stop short of the maximum, and a failed write must not look done.
    setValue(completed ? maximum() : minimum());
}

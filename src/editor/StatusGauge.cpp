#include "StatusGauge.h"

StatusGauge::StatusGauge(QWidget *parent)
    : QProgressBar(parent)
{
    setObjectName(QStringLiteral("CGauge1"));
    setTextVisible(true);
    setValue(0);
}

void StatusGauge::startProgress(int maximum)
{
    setRange(0, maximum);
    setValue(0);
    setStyleSheet(QStringLiteral("QProgressBar::chunk { background: red; }"));
}

void StatusGauge::setProgress(int progress)
{
    setValue(progress);
}

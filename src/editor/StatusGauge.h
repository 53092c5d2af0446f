#pragma once

#include "ProgressGauge.h"

#include <QProgressBar>

// The transfer gauge in the status bar's second panel.
class StatusGauge : public QProgressBar, public ProgressGauge {
public:
    explicit StatusGauge(QWidget *parent);
    void startProgress(int maximum) override;
    void setProgress(int progress) override;
    void finishProgress(bool completed) override;
};

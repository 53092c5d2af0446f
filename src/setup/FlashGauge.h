#pragma once

#include "ProgressGauge.h"

#include <QProgressBar>

// `CGauge1`: progress of flash writes and of the firmware update, in red along the window's bottom.
class FlashGauge : public QProgressBar, public ProgressGauge {
    Q_OBJECT
public:
    explicit FlashGauge(QWidget *parent = nullptr);

    void startProgress(int maximum) override;
    void setProgress(int progress) override;
    void finishProgress(bool completed) override;
};

#pragma once

// The progress gauge of the setup and audio editor windows.
class ProgressGauge {
public:
    virtual ~ProgressGauge() = default;
    // Progress 0, the given maximum, red foreground.
    virtual void startProgress(int maximum) = 0;
    virtual void setProgress(int progress) = 0;
    // A write has ended: a gauge that shows how reads full when it completed, empty when it failed.
    virtual void finishProgress(bool completed) { (void)completed; }
};

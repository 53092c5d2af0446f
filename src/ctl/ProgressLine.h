#pragma once

#include "ProgressGauge.h"

#include <QString>

// "N of M <what> done" on stderr, rewritten in place; silent unless stderr is a terminal.
// With --progress-lines, "progress N M" lines instead, for a parent process's gauge.
class ProgressLine {
public:
    static inline bool forParent = false;

    explicit ProgressLine(const QString &what);
    ~ProgressLine();
    void show(int done, int total);
    // Before other output on the terminal; the next show() brings the line back.
    void clear();

private:
    QString what_;
    bool shown_ = false;
    int lastPercent_ = -1; // a parent needs a line per step of its gauge, not per chunk
    const bool terminal_;
};

// A transfer's gauge (a firmware image, a flash file) as a progress line.
class ProgressLineGauge : public ProgressGauge {
public:
    void startProgress(int maximum) override;
    void setProgress(int progress) override;
    void finishProgress(bool completed) override;

private:
    ProgressLine line_{QStringLiteral("KiB")};
    int maximum_ = 0;
};

#pragma once

#include <QString>

// "N of M <what> done" on stderr, rewritten in place; silent unless stderr is a terminal.
class ProgressLine {
public:
    explicit ProgressLine(const QString &what);
    ~ProgressLine();
    void show(int done, int total);
    // Before other output on the terminal; the next show() brings the line back.
    void clear();

private:
    QString what_;
    bool shown_ = false;
    const bool terminal_;
};

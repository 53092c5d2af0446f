#pragma once

#include "LinkOutcome.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// One channel test as the installer ran it: which input, on which unit, and what the unit said.
struct ChannelTest {
    QString address;
    QString input; // "DI3", "bI17"
    int code = 0;  // the input code sent
    QDateTime time;
    QString result; // "acknowledged", "refused", "not confirmed" or "unit not reached"
    friend bool operator==(const ChannelTest &, const ChannelTest &) = default;
};

// What the unit made of the test request, as the log words it.
QString channelTestResult(const ExchangeResult &sent);

// The channel tests run since the program started, for the commissioning report.
// zorctl reads the file the program saves, so reports made by other processes list them too.
class ChannelTestLog {
public:
    static ChannelTestLog &instance();

    void record(const ChannelTest &test) { tests_.append(test); }
    const QList<ChannelTest> &tests() const { return tests_; }
    QList<ChannelTest> testsOf(const QString &address) const;

    // Empty when written, else why not.
    QString save(const QString &path) const;
    // Nothing when the file is not such a log; `error` says why.
    static std::optional<QList<ChannelTest>> load(const QString &path, QString &error);

private:
    QList<ChannelTest> tests_;
};

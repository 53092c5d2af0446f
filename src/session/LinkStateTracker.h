#pragma once

#include "PollLoop.h"

#include <QString>
#include <QTime>

// Whether the unit answers, as the poll loop's exchanges tell it.
enum class LinkState {
    NoConnection,      // no connection could be made, or the link check failed
    Answering,         // linked, and the last exchange was answered
    AnsweringUnlinked, // answered, but no device information for this address yet
    Silent,            // connected, but unanswered since the first request that went unanswered
    Paused,            // polling stopped while another window is open
};

class LinkStateTracker {
public:
    // Takes what one poll tick did; true when the state or its text changed.
    bool follow(const PollLoop::Tick &tick, bool linked);
    // A link check found no Wi-Fi adapter on the unit's subnet (0), or several.
    void linkCheckFailed(int matchCount);
    // While `window` is open nothing is polled: the state says so instead of its last news.
    void pause(const QString &window);
    void resume();
    // Back to no connection, as after an address change.
    void reset();

    LinkState state() const { return pausedFor_.isEmpty() ? state_ : LinkState::Paused; }
    QString text() const;

private:
    void lose(const QString &cause);

    LinkState state_ = LinkState::NoConnection;
    QTime silentSince_;
    QString cause_; // why there is no connection, when known
    QString pausedFor_;
};

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
};

class LinkStateTracker {
public:
    // Takes what one poll tick did; true when the state or its text changed.
    bool follow(const PollLoop::Tick &tick, bool linked);
    // Back to no connection, as after an address change.
    void reset();

    LinkState state() const { return state_; }
    QString text() const;

private:
    LinkState state_ = LinkState::NoConnection;
    QTime silentSince_;
};

#include "LinkStateTracker.h"

bool LinkStateTracker::follow(const PollLoop::Tick &tick, bool linked)
{
    const LinkState before = state_;
    const QTime sinceBefore = silentSince_;
    switch (tick.action) {
    case PollLoop::Action::LinkCheckFailed:
        state_ = LinkState::NoConnection;
        break;
    case PollLoop::Action::SentQueued:
    case PollLoop::Action::AskedForDevice:
    case PollLoop::Action::Polled:
        switch (tick.exchange.outcome) {
        case ExchangeOutcome::Answered:
        case ExchangeOutcome::NoAnswer:
            // Bytes that are no frame are no answer.
            if (tick.exchange.answered()) {
                state_ = linked ? LinkState::Answering : LinkState::AnsweringUnlinked;
            } else if (state_ != LinkState::Silent) {
                state_ = LinkState::Silent;
                silentSince_ = QTime::currentTime(); // kept while the silence lasts
            }
            break;
        case ExchangeOutcome::NoConnection:
        case ExchangeOutcome::SocketError:
        case ExchangeOutcome::LinkCheckFailed:
            state_ = LinkState::NoConnection;
            break;
        case ExchangeOutcome::Sent:
        case ExchangeOutcome::Busy:
            break; // nothing learnt about the unit
        }
        break;
    default:
        break;
    }
    return state_ != before || silentSince_ != sinceBefore;
}

void LinkStateTracker::reset()
{
    state_ = LinkState::NoConnection;
}

QString LinkStateTracker::text() const
{
    switch (state_) {
    case LinkState::Answering:
        return QStringLiteral("Linked, answering");
    case LinkState::AnsweringUnlinked:
        return QStringLiteral("Answering, not linked");
    case LinkState::Silent:
        return QStringLiteral("No answer since ") + silentSince_.toString(QStringLiteral("HH:mm:ss"));
    case LinkState::NoConnection:
        break;
    }
    return QStringLiteral("No connection");
}

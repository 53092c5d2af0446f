#include "LinkStateTracker.h"

namespace {

QString causeOf(const ExchangeResult &exchange)
{
    if (exchange.outcome == ExchangeOutcome::SocketError)
        return QStringLiteral("connection failed");
    switch (exchange.connectFailure) {
    case ConnectFailure::Refused:
        return QStringLiteral("refused");
    case ConnectFailure::TimedOut:
        return QStringLiteral("timed out");
    case ConnectFailure::Unreachable:
        return QStringLiteral("unreachable");
    case ConnectFailure::None:
        break;
    }
    return {};
}

} // namespace

bool LinkStateTracker::follow(const PollLoop::Tick &tick, bool linked)
{
    const QString before = text();
    switch (tick.action) {
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
            lose(causeOf(tick.exchange));
            break;
        case ExchangeOutcome::LinkCheckFailed: // the check has told its own cause
        case ExchangeOutcome::Sent:
        case ExchangeOutcome::Busy:
            break; // nothing learnt about the unit
        }
        break;
    default:
        break;
    }
    return text() != before;
}

void LinkStateTracker::linkCheckFailed(int matchCount)
{
    lose(matchCount == 0 ? QStringLiteral("no Wi-Fi adapter on the unit's subnet")
                         : QStringLiteral("several Wi-Fi adapters on the unit's subnet"));
}

void LinkStateTracker::lose(const QString &cause)
{
    state_ = LinkState::NoConnection;
    cause_ = cause;
}

void LinkStateTracker::pause(const QString &window)
{
    pausedFor_ = window;
}

void LinkStateTracker::resume()
{
    pausedFor_.clear();
}

void LinkStateTracker::reset()
{
    lose(QString());
}

QString LinkStateTracker::text() const
{
    if (!pausedFor_.isEmpty())
        return QStringLiteral("Polling paused while the %1 is open").arg(pausedFor_);
    switch (state_) {
    case LinkState::Answering:
        return QStringLiteral("Linked, answering");
    case LinkState::AnsweringUnlinked:
        return QStringLiteral("Answering, not linked");
    case LinkState::Silent:
        return QStringLiteral("No answer since ") + silentSince_.toString(QStringLiteral("HH:mm:ss"));
    case LinkState::NoConnection:
    case LinkState::Paused:
        break;
    }
    return cause_.isEmpty() ? QStringLiteral("No connection") : QStringLiteral("No connection: ") + cause_;
}

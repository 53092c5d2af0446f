#pragma once

#include "LinkOutcome.h"

#include <cstdint>
#include <functional>

class DeviceLink;
class LinkCheck;

// The poll timer's work, one tick at a time: send the queued request, and on every
// 31st tick check the link and ask for device information or poll the unit's status.
class PollLoop {
public:
    static constexpr std::uint8_t PollTurnTick = 30;

    enum class Action {
        Nothing,
        HeldForTransfer,  // a transfer is under way: nothing may reach the unit
        SentQueued,       // the queued request went out (its code in `sentCode`)
        LinkCheckFailed,
        AskedForDevice,   // not linked yet: device information requested
        DroppedOverdue,   // the last answer is overdue: dropped instead of polling
        Polled,
    };
    struct Tick {
        Action action = Action::Nothing;
        std::uint8_t sentCode = 0;
        ExchangeResult exchange;
    };

    PollLoop(DeviceLink &link, LinkCheck &linkCheck);
    // For a unit whose address is given: no link check before a poll turn.
    explicit PollLoop(DeviceLink &link);

    // Off while the setup or audio editor window is open and while the volume slider is held.
    bool pollingEnabled = true;
    std::uint8_t tickCount = 0;
    // Told what a tick is about to send, before it goes out.
    std::function<void(Action action, std::uint8_t code)> aboutToSend;

    Tick tick();
    // The two halves of a tick, for a caller that times them itself.
    Tick pollTurn();
    Tick sendQueued();

private:
    void announce(Action action, std::uint8_t code = 0) const;

    DeviceLink &link_;
    LinkCheck *linkCheck_ = nullptr;
};

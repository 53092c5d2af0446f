#include "PollLoop.h"

#include "DeviceLink.h"
#include "LinkCheck.h"

PollLoop::PollLoop(DeviceLink &link, LinkCheck &linkCheck)
    : link_(link)
    , linkCheck_(&linkCheck)
{
}

PollLoop::PollLoop(DeviceLink &link)
    : link_(link)
{
}

PollLoop::Tick PollLoop::tick()
{
    // Between a transfer's announcement and its data phase the unit takes the next
    // connection as the data connection: nothing may be sent, a queued request waits.
    if (link_.transferActive)
        return {Action::HeldForTransfer};

    if (tickCount == PollTurnTick) {
        tickCount = 0;
        return pollTurn();
    }

    ++tickCount;
    if (link_.pending.code == 0)
        return {};
    tickCount = 0;
    return sendQueued();
}

PollLoop::Tick PollLoop::sendQueued()
{
    if (link_.transferActive)
        return {Action::HeldForTransfer};
    if (link_.pending.code == 0)
        return {};
    const std::uint8_t code = link_.pending.code;
    announce(Action::SentQueued, code);
    return {Action::SentQueued, code, link_.sendPending()};
}

PollLoop::Tick PollLoop::pollTurn()
{
    // A failed check has reported itself; nothing else happens this turn.
    if (linkCheck_ && !linkCheck_->CheckLink())
        return {Action::LinkCheckFailed};

    if (!link_.status().linked) {
        announce(Action::AskedForDevice);
        return {Action::AskedForDevice, 0, link_.requestDeviceInformation()};
    }
    if (!pollingEnabled)
        return {};
    if (link_.expectedCode != 0) {
        link_.expectedCode = 0; // the last answer is overdue: drop it instead of polling
        return {Action::DroppedOverdue};
    }
    if (link_.busy)
        return {};
    return {Action::Polled, 0, link_.pollStatus()};
}

void PollLoop::announce(Action action, std::uint8_t code) const
{
    if (aboutToSend)
        aboutToSend(action, code);
}

#include "PollLoop.h"

#include "DeviceLink.h"
#include "Discovery.h"
#include "MonitorView.h"

PollLoop::PollLoop(DeviceLink &link, Discovery &discovery)
    : link_(link)
    , discovery_(discovery)
{
}

void PollLoop::tick()
{
    // Between a transfer's announcement and its data phase the unit takes the next
    // connection as the data connection: nothing may be sent, a queued request waits.
    if (link_.transferActive)
        return;

    if (tickCount == PollTurnTick) {
        pollTurn();
        tickCount = 0;
        return;
    }

    ++tickCount;
    if (link_.pending.code != 0) {
        link_.view().appendLog(QStringLiteral("GBL => ") + QString::number(link_.pending.code));
        link_.sendPending();
        tickCount = 0;
    }
}

void PollLoop::pollTurn()
{
    // A failed check has shown its own texts; nothing else happens this turn.
    if (!discovery_.CheckLink())
        return;

    if (!link_.status().linked) {
        link_.view().appendLog(QStringLiteral("Re-Get Device.."));
        link_.requestDeviceInformation();
    } else if (pollingEnabled) {
        if (link_.expectedCode != 0)
            link_.expectedCode = 0; // the last answer is overdue: drop it instead of polling
        else if (!link_.busy)
            link_.pollStatus();
    }
}

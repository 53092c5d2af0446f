#pragma once

#include <cstdint>

class DeviceLink;
class Discovery;

// The poll timer's work, one tick at a time: send the queued request, and on every
// 31st tick check the link and ask for device information or poll the unit's status.
class PollLoop {
public:
    static constexpr std::uint8_t PollTurnTick = 30;

    PollLoop(DeviceLink &link, Discovery &discovery);

    // Off while the setup or audio editor window is open and while the volume slider is held.
    bool pollingEnabled = true;
    std::uint8_t tickCount = 0;

    void tick();

private:
    void pollTurn();

    DeviceLink &link_;
    Discovery &discovery_;
};

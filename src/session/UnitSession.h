#pragma once

#include "DeviceLink.h"
#include "DeviceStatus.h"
#include "FileTransfer.h"
#include "LinkCheck.h"
#include "PollLoop.h"
#include "Timing.h"

class AdapterSource;

// Everything the three windows share about the one unit: its decoded state, the command
// channel, the file transfer with its buffers, the link check and the poll loop.
// Created once at program start and handed to each window.
class UnitSession {
public:
    explicit UnitSession(AdapterSource &adapters, const Timing &timing = Timing{});
    UnitSession(const UnitSession &) = delete;
    UnitSession &operator=(const UnitSession &) = delete;

    Timing timing;
    DeviceStatus status;
    DeviceLink link;
    FileTransfer transfer;
    LinkCheck linkCheck;
    PollLoop poll;
};

#pragma once

#include "LinkOutcome.h"

// What the device link tells the monitor window while it works. Every member may be ignored.
class LinkEvents {
public:
    virtual ~LinkEvents() = default;
    virtual void exchanged(const ExchangeResult &) {}
    virtual void transferNote(const TransferNote &) {}
    // A long write passed another 64 KiB: the monitor window repaints.
    virtual void keepPainted() {}
};

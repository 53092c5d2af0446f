#include "UnitSession.h"

UnitSession::UnitSession(AdapterSource &adapters, const Timing &timing)
    : timing(timing)
    , link(status, this->timing)
    , transfer(link)
    , linkCheck(link, adapters)
    , poll(link, linkCheck)
{
    link.linkCheck = [this] { return linkCheck.CheckLink(); };
}

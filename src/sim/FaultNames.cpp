#include "FaultNames.h"

#include <utility>

namespace {
using Flag = bool UnitFaults::*;
const std::pair<const char *, Flag> flags[] = {
    {"no-answer", &UnitFaults::noAnswer},
    {"negative-status", &UnitFaults::negativeStatus},
    {"wrong-magic", &UnitFaults::wrongMagic},
    {"split-answer", &UnitFaults::splitAnswer},
    {"oversize-answer", &UnitFaults::oversizeAnswer},
    {"refuse-connections", &UnitFaults::refuseConnections},
    {"stall-data", &UnitFaults::stallDataPhase},
    {"cut-data", &UnitFaults::cutDataPhase},
    {"longer-read", &UnitFaults::longerRead},
    {"wrong-firmware-sum", &UnitFaults::wrongFirmwareSum},
    {"never-read", &UnitFaults::neverRead},
    {"reset-mid-answer", &UnitFaults::resetMidAnswer},
    {"slow-answer", &UnitFaults::slowAnswer},
    {"refuse-data", &UnitFaults::refuseDataConnection},
    {"split-data", &UnitFaults::splitData},
    {"trickle-data", &UnitFaults::trickleData},
    {"huge-read-length", &UnitFaults::hugeReadLength},
    {"mis-echo", &UnitFaults::misEcho},
};
const QString otherAddress = QStringLiteral("other-address=");
} // namespace

bool faultsFromNames(const QStringList &names, UnitFaults &faults, QString &error)
{
    UnitFaults parsed;
    for (const QString &name : names) {
        if (name.startsWith(otherAddress)) {
            const QHostAddress address(name.mid(otherAddress.size()));
            if (address.protocol() != QAbstractSocket::IPv4Protocol) {
                error = name;
                return false;
            }
            parsed.otherAddress = address;
            continue;
        }
        bool known = false;
        for (const auto &[option, flag] : flags)
            if (name == QLatin1String(option))
                parsed.*flag = known = true;
        if (!known) {
            error = name;
            return false;
        }
    }
    faults = parsed;
    return true;
}

QStringList faultOptionNames()
{
    QStringList names;
    for (const auto &[option, flag] : flags)
        names << QString::fromLatin1(option);
    return names << otherAddress + "IP";
}

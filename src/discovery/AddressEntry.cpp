#include "LinkCheck.h"

#include "DeviceLink.h"

namespace {

constexpr int AddressParts = 4;

bool isDecimalInteger(const QString &part)
{
    if (part.isEmpty())
        return false;
    for (QChar c : part) {
        if (c < u'0' || c > u'9')
            return false;
    }
    bool fits = false;
    part.toInt(&fits);
    return fits;
}

// The subnet prefix of a typed unit address: the text up to and including its third ".",
// or why the entry is not four dot-separated integers.
struct SubnetPrefix {
    QString prefix;
    QString error;
};

SubnetPrefix subnetPrefixOf(const QString &entry)
{
    const QStringList parts = entry.split(u'.');
    if (parts.size() > AddressParts)
        return {{}, QString("The address '%1' has more than four parts").arg(entry)};
    for (int i = 0; i < AddressParts; ++i) {
        const QString part = i < parts.size() ? parts[i] : QString();
        if (part.isEmpty())
            return {{}, QString("Part %1 of the address '%2' is empty, not a valid integer value").arg(QString::number(i + 1), entry)};
        if (!isDecimalInteger(part))
            return {{}, QString("Part %1 of the address '%2', '%3', is not a valid integer value").arg(QString::number(i + 1), entry, part)};
    }
    return {parts.first(AddressParts - 1).join(u'.') + u'.', {}};
}

} // namespace

QString LinkCheck::ApplyStaticIp(const QString &entry)
{
    const SubnetPrefix parsed = subnetPrefixOf(entry);
    if (!parsed.error.isEmpty())
        return parsed.error;
    link_.deviceAddress = entry;
    subnetPrefix = parsed.prefix;
    return {};
}

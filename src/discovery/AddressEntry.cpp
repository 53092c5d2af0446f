#include "Discovery.h"

#include "DeviceLink.h"
#include "MonitorView.h"

#include <stdexcept>

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

// The subnet prefix of a typed unit address: the text up to and including its third ".".
// Throws when the entry is not four dot-separated integers.
QString subnetPrefixOf(const QString &entry)
{
    const QStringList parts = entry.split(u'.');
    if (parts.size() > AddressParts) {
        throw std::invalid_argument(
            QString("The address '%1' has more than four parts").arg(entry).toStdString());
    }
    for (int i = 0; i < AddressParts; ++i) {
        const QString part = i < parts.size() ? parts[i] : QString();
        if (part.isEmpty()) {
            throw std::invalid_argument(
                QString("Part %1 of the address '%2' is empty, not a valid integer value")
                    .arg(QString::number(i + 1), entry).toStdString());
        }
        if (!isDecimalInteger(part)) {
            throw std::invalid_argument(
                QString("Part %1 of the address '%2', '%3', is not a valid integer value")
                    .arg(QString::number(i + 1), entry, part).toStdString());
        }
    }
    return parts.first(AddressParts - 1).join(u'.') + u'.';
}

} // namespace

void Discovery::ApplyStaticIp(const QString &entry)
{
    MonitorView &view = link_.view();
    view.appendLog("Remote_ip Len => " + QString::number(entry.size()));
    const QString prefix = subnetPrefixOf(entry);

    link_.deviceAddress = entry;
    view.appendLog("cc3200_default_IP => " + prefix);
    view.setStatusLine("Change IP => " + link_.deviceAddress);
    subnetPrefix = prefix;
    CheckLink();
}

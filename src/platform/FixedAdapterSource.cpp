#include "FixedAdapterSource.h"

#include <stdexcept>

namespace {

void throwIfSet(const QString &error)
{
    if (!error.isEmpty())
        throw std::runtime_error(error.toStdString());
}

} // namespace

FixedAdapterSource::FixedAdapterSource(QList<AdapterRecord> adapters,
                                       QList<WifiInterfaceRecord> wifiInterfaces)
    : adapterRecords(std::move(adapters)), wifiRecords(std::move(wifiInterfaces))
{
}

QList<AdapterRecord> FixedAdapterSource::adapters()
{
    throwIfSet(adapterQueryError);
    return adapterRecords;
}

QList<WifiInterfaceRecord> FixedAdapterSource::wifiInterfaces()
{
    throwIfSet(wifiQueryError);
    return wifiRecords;
}

QString FixedAdapterSource::sourceName() const
{
    return name;
}

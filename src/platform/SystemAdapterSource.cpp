#include "SystemAdapterSource.h"

#include <QtGlobal>

#if defined(Q_OS_WIN)
#include "WindowsAdapterSource.h"
using SystemSource = WindowsAdapterSource;
#elif defined(Q_OS_LINUX)
#include "LinuxAdapterSource.h"
using SystemSource = LinuxAdapterSource;
#else
#include "QtAdapterSource.h"
using SystemSource = QtAdapterSource;
#endif

std::unique_ptr<AdapterSource> makeSystemAdapterSource()
{
    return std::make_unique<SystemSource>();
}

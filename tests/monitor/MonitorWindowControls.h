#pragma once

// What the monitor window tests read off the window.
#include "LinkStateIndicator.h"
#include "MonitorWindow.h"
#include "StatusPanels.h"

#include <QByteArray>
#include <QString>

inline QByteArray frame(const char *hex)
{
    return QByteArray::fromHex(hex);
}

template <typename T>
T *control(MonitorWindow &form, const char *name)
{
    T *found = form.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

inline QString panel(MonitorWindow &form, const char *bar, int index)
{
    return control<StatusPanels>(form, bar)->panelText(index);
}

inline QString linkState(MonitorWindow &form)
{
    return control<LinkStateIndicator>(form, "LinkState")->text();
}

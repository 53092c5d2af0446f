#pragma once

#include <QPixmap>

// The monitor window's pictures, drawn in one line style so they match at any scale.
namespace MonitorIcons {
QPixmap setup(int size);
QPixmap refresh(int size);
QPixmap locator(int size);
QPixmap audioConfiguration(int size);
QPixmap armed(int size);
QPixmap disarmed(int size);
} // namespace MonitorIcons

#pragma once

#include <QPixmap>
#include <QString>

// The setup window's pictures: a small apply mark and the wide bottom-row buttons.
namespace SetupIcons {
QPixmap apply(int size);
QPixmap wideButton(const QString &caption, const QColor &color, const QSize &size);
} // namespace SetupIcons

#include "ClickableImage.h"

#include <QEvent>
#include <QIcon>
#include <QMouseEvent>

ClickableImage::ClickableImage(const QString &name, const QString &hint, const QPixmap &picture, QWidget *parent)
    : QLabel(parent)
    , picture_(picture)
{
    setObjectName(name);
    setToolTip(hint);
    setPixmap(picture_);
    setFixedSize(picture_.deviceIndependentSize().toSize());
    setCursor(Qt::PointingHandCursor);
}

void ClickableImage::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void ClickableImage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        setPixmap(QIcon(picture_).pixmap(picture_.deviceIndependentSize().toSize(),
                                         picture_.devicePixelRatio(),
                                         isEnabled() ? QIcon::Normal : QIcon::Disabled));
    QLabel::changeEvent(event);
}

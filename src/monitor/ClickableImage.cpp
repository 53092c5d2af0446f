#include "ClickableImage.h"

#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QStylePainter>

ClickableImage::ClickableImage(const QString &name, const QString &hint, const QPixmap &picture, QWidget *parent)
    : QAbstractButton(parent)
    , picture_(picture)
{
    setObjectName(name);
    setToolTip(hint);
    setAccessibleName(hint);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
}

QSize ClickableImage::sizeHint() const
{
    return picture_.deviceIndependentSize().toSize();
}

void ClickableImage::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    painter.drawPixmap(0, 0, QIcon(picture_).pixmap(sizeHint(), picture_.devicePixelRatio(), mode));
    if (!hasFocus())
        return;
    // The style's focus frame is faint on a picture: dark dashes on white, seen on any picture.
    const QRect frame = rect().adjusted(1, 1, -1, -1);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 2));
    painter.drawRect(frame);
    QPen dashes(palette().color(QPalette::WindowText), 2);
    dashes.setStyle(Qt::DashLine);
    painter.setPen(dashes);
    painter.drawRect(frame);
}

void ClickableImage::keyPressEvent(QKeyEvent *event)
{
    // Space is the button's own; Enter runs it too, as a picture has no default button to fall to.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

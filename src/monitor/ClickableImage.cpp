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
    // The style's focus frame is faint on a picture: a dotted one in the highlight colour, inside the edge.
    QPen pen(palette().color(QPalette::Highlight), 2);
    pen.setStyle(Qt::DotLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
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

#include "IndicatorShape.h"

#include <QPainter>

IndicatorShape::IndicatorShape(const QString &name, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(name);
}

void IndicatorShape::setColors(const QColor &brush, const QColor &pen)
{
    brush_ = brush;
    pen_ = pen;
    update();
}

void IndicatorShape::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // An indicator the model does not have is drawn faded.
    if (!isEnabled())
        painter.setOpacity(0.35);
    painter.setPen(pen_);
    painter.setBrush(brush_);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

#include "SetupIcons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

namespace {

QPixmap canvas(const QSize &size)
{
    const qreal ratio = qMax<qreal>(2.0, qApp ? qApp->devicePixelRatio() : 1.0);
    QPixmap picture(size * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    return picture;
}

} // namespace

namespace SetupIcons {

QPixmap apply(int size)
{
    QPixmap picture = canvas(QSize(size, size));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 24.0, size / 24.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(38, 98, 160));
    p.drawRoundedRect(QRectF(1, 1, 22, 22), 5, 5);
    QPainterPath tick;
    tick.moveTo(6.5, 12.5);
    tick.lineTo(10.5, 16.5);
    tick.lineTo(17.5, 8);
    p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
    return picture;
}

QPixmap wideButton(const QString &caption, const QColor &color, const QSize &size)
{
    QPixmap picture = canvas(size);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(size.height() / 2);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, caption);
    return picture;
}

} // namespace SetupIcons

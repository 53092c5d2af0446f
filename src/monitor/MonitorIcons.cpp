#include "MonitorIcons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <functional>

namespace {

const QColor Ink(38, 98, 160);
const QColor ArmedInk(196, 40, 40);
const QColor DisarmedInk(60, 140, 70);

// Draws on a 24 x 24 grid scaled to the requested size, sharp on high-density screens.
QPixmap draw(int size, const std::function<void(QPainter &)> &paint)
{
    const qreal ratio = qMax<qreal>(2.0, qApp ? qApp->devicePixelRatio() : 1.0);
    QPixmap picture(QSize(size, size) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 24.0, size / 24.0);
    paint(painter);
    return picture;
}

QPen line(const QColor &color, qreal width = 2.0)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void padlock(QPainter &p, const QColor &color, bool open)
{
    p.setPen(line(color, 2.2));
    p.setBrush(Qt::NoBrush);
    // An open lock lifts its shackle clear of the body on the right.
    const qreal lift = open ? 3.0 : 0.0;
    QPainterPath shackle;
    shackle.moveTo(8, 11);
    shackle.lineTo(8, 8 - lift);
    shackle.arcTo(QRectF(8, 4 - lift, 8, 8), 180, -180);
    shackle.lineTo(16, open ? 7 : 11);
    p.drawPath(shackle);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(QRectF(4.5, 11, 15, 11), 2, 2);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(12, 15.5), 1.6, 1.6);
    p.drawRect(QRectF(11.3, 15.5, 1.4, 3.5));
}

} // namespace

namespace MonitorIcons {

QPixmap setup(int size)
{
    return draw(size, [](QPainter &p) {
        p.setPen(line(Ink));
        p.setBrush(Qt::NoBrush);
        QPainterPath gear;
        const QPointF centre(12, 12);
        const int teeth = 8;
        for (int i = 0; i < teeth * 2; ++i) {
            const qreal radius = (i % 2 == 0) ? 10.0 : 7.6;
            for (qreal step : {-0.28, 0.28}) {
                const qreal angle = (i + 0.5 + step) * M_PI / teeth;
                const QPointF point = centre + QPointF(qCos(angle), qSin(angle)) * radius;
                if (gear.elementCount() == 0)
                    gear.moveTo(point);
                else
                    gear.lineTo(point);
            }
        }
        gear.closeSubpath();
        p.drawPath(gear);
        p.drawEllipse(centre, 3.2, 3.2);
    });
}

QPixmap refresh(int size)
{
    return draw(size, [](QPainter &p) {
        p.setPen(line(Ink, 2.2));
        p.setBrush(Qt::NoBrush);
        const QRectF circle(4, 4, 16, 16);
        p.drawArc(circle, 60 * 16, 280 * 16);
        // Arrow head at the open end of the arc.
        p.setBrush(Ink);
        p.setPen(Qt::NoPen);
        QPainterPath head;
        head.moveTo(13.5, 1.0);
        head.lineTo(19.5, 4.6);
        head.lineTo(13.0, 8.4);
        head.closeSubpath();
        p.drawPath(head);
    });
}

QPixmap locator(int size)
{
    return draw(size, [](QPainter &p) {
        p.setPen(line(Ink));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 12), 7.5, 7.5);
        p.drawLine(QPointF(12, 1.5), QPointF(12, 6));
        p.drawLine(QPointF(12, 18), QPointF(12, 22.5));
        p.drawLine(QPointF(1.5, 12), QPointF(6, 12));
        p.drawLine(QPointF(18, 12), QPointF(22.5, 12));
        p.setBrush(Ink);
        p.drawEllipse(QPointF(12, 12), 2.2, 2.2);
    });
}

QPixmap audioConfiguration(int size)
{
    return draw(size, [](QPainter &p) {
        p.setPen(line(Ink));
        p.setBrush(Ink);
        QPainterPath speaker;
        speaker.moveTo(3, 9);
        speaker.lineTo(7, 9);
        speaker.lineTo(12, 4.5);
        speaker.lineTo(12, 19.5);
        speaker.lineTo(7, 15);
        speaker.lineTo(3, 15);
        speaker.closeSubpath();
        p.drawPath(speaker);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(9, 8, 8, 8), -50 * 16, 100 * 16);
        p.drawArc(QRectF(7, 4.5, 15, 15), -50 * 16, 100 * 16);
    });
}

QPixmap armed(int size)
{
    return draw(size, [](QPainter &p) { padlock(p, ArmedInk, false); });
}

QPixmap disarmed(int size)
{
    return draw(size, [](QPainter &p) { padlock(p, DisarmedInk, true); });
}

} // namespace MonitorIcons

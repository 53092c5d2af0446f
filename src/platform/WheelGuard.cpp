#include "WheelGuard.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QScrollBar>
#include <QWheelEvent>

namespace {
class WheelGuard : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Wheel)
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        const bool guarded = qobject_cast<QComboBox *>(watched)
                             || (qobject_cast<QAbstractSlider *>(watched) && !qobject_cast<QScrollBar *>(watched));
        if (!widget || !guarded)
            return false;
        for (QWidget *parent = widget->parentWidget(); parent; parent = parent->parentWidget()) {
            if (auto *area = qobject_cast<QAbstractScrollArea *>(parent)) {
                auto *wheel = static_cast<QWheelEvent *>(event);
                QWheelEvent passed(area->viewport()->mapFromGlobal(wheel->globalPosition()), wheel->globalPosition(),
                                   wheel->pixelDelta(), wheel->angleDelta(), wheel->buttons(), wheel->modifiers(),
                                   wheel->phase(), wheel->inverted());
                QCoreApplication::sendEvent(area->viewport(), &passed);
                break;
            }
        }
        return true;
    }
};
} // namespace

void installWheelGuard()
{
    static const QString name = QStringLiteral("wheelGuard");
    if (qApp->findChild<QObject *>(name, Qt::FindDirectChildrenOnly))
        return;
    auto *guard = new WheelGuard(qApp);
    guard->setObjectName(name);
    qApp->installEventFilter(guard);
}

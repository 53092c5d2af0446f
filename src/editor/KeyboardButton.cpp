#include "KeyboardButton.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace {
// Tool buttons take Space only; Enter is what most users press on a focused button.
class EnterPresses : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        auto *button = qobject_cast<QAbstractButton *>(watched);
        if (!button || (key != Qt::Key_Return && key != Qt::Key_Enter))
            return false;
        if (button->isEnabled())
            button->click();
        return true;
    }
};
} // namespace

void makeKeyboardButton(QAbstractButton *button)
{
    button->setFocusPolicy(Qt::TabFocus);
    button->installEventFilter(new EnterPresses(button));
    button->setAccessibleName(button->text().isEmpty() ? button->toolTip() : button->text());
}

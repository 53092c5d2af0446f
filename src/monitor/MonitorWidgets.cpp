#include "MonitorWidgets.h"

#include <QFrame>
#include <QLabel>
#include <QToolButton>

namespace MonitorWidgets {

void setTextColor(QLabel *label, const QColor &color)
{
    // Disabled keeps the style's grey: a greyed label tells of a unit no longer linked.
    QPalette palette = label->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, color);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, color);
    label->setPalette(palette);
}

QFont boldFont(const QFont &base, int pointSizeIncrease)
{
    QFont font = base;
    font.setBold(true);
    font.setPointSize(base.pointSize() + pointSizeIncrease);
    return font;
}

QLabel *namedLabel(const QString &name, const QString &caption, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    // Labels show what the unit reports: a location such as "<img src=...>" is text, not markup.
    label->setTextFormat(Qt::PlainText);
    return label;
}

QToolButton *namedButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    return button;
}

QFrame *namedPanel(const QString &name, QWidget *parent)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    return panel;
}

} // namespace MonitorWidgets

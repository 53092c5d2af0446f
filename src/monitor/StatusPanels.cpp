#include "StatusPanels.h"

#include <QHBoxLayout>
#include <QLabel>

StatusPanels::StatusPanels(const QString &name, int firstPanelStretch, int secondPanelStretch, QWidget *parent)
    : QFrame(parent)
{
    setObjectName(name);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    const int stretch[2] = {firstPanelStretch, secondPanelStretch};
    for (int i = 0; i < 2; ++i) {
        panels_[i] = new QLabel(this);
        panels_[i]->setObjectName(name + QStringLiteral("Panel") + QString::number(i));
        panels_[i]->setTextFormat(Qt::PlainText); // unit and file names are never markup
        panels_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panels_[i]->setMargin(2);
        // Long texts are cut rather than widening the fixed-size window.
        panels_[i]->setMinimumWidth(1);
        panels_[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        layout->addWidget(panels_[i], stretch[i]);
    }
}

QString StatusPanels::panelText(int panel) const
{
    return panels_[panel]->text();
}

void StatusPanels::setPanelText(int panel, const QString &text)
{
    panels_[panel]->setText(text);
}

void StatusPanels::setPanelEnabled(int panel, bool enabled)
{
    panels_[panel]->setEnabled(enabled);
}

#include "LinkStateIndicator.h"

#include "IndicatorShape.h"

#include <QHBoxLayout>
#include <QLabel>

namespace {

QColor colorOf(LinkState state)
{
    switch (state) {
    case LinkState::Answering:
        return QColor(0, 160, 60);
    case LinkState::AnsweringUnlinked:
    case LinkState::Silent:
        return QColor(230, 150, 0);
    case LinkState::Paused:
        return QColor(120, 120, 120);
    case LinkState::NoConnection:
        break;
    }
    return QColor(210, 0, 0);
}

} // namespace

LinkStateIndicator::LinkStateIndicator(QWidget *parent)
    : QFrame(parent)
    , dot_(new IndicatorShape(QStringLiteral("LinkStateDot"), this))
    , label_(new QLabel(this))
{
    setObjectName(QStringLiteral("LinkState"));
    label_->setObjectName(QStringLiteral("LinkStateText"));
    dot_->setFixedSize(10, 10);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(3, 0, 3, 0);
    layout->setSpacing(5);
    layout->addWidget(dot_);
    layout->addWidget(label_, 1);
    showState(LinkState::NoConnection, QString());
}

void LinkStateIndicator::showState(LinkState state, const QString &text)
{
    const QColor color = colorOf(state);
    dot_->setColors(color, color.darker(130));
    label_->setText(text);
    setToolTip(QStringLiteral("Link to the unit: ") + text);
}

QString LinkStateIndicator::text() const
{
    return label_->text();
}

QColor LinkStateIndicator::color() const
{
    return dot_->brushColor();
}

#pragma once

#include "LinkStateTracker.h"

#include <QFrame>

class IndicatorShape;
class QLabel;

// A coloured dot and a short text under the status bars: does the unit answer?
class LinkStateIndicator : public QFrame {
    Q_OBJECT
public:
    explicit LinkStateIndicator(QWidget *parent = nullptr);

    void showState(LinkState state, const QString &text);
    QString text() const;
    QColor color() const;

private:
    IndicatorShape *dot_;
    QLabel *label_;
};

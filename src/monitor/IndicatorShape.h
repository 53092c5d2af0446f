#pragma once

#include <QColor>
#include <QWidget>

// A filled rectangle with an outline: the relay and input indicators.
class IndicatorShape : public QWidget {
    Q_OBJECT
public:
    explicit IndicatorShape(const QString &name, QWidget *parent = nullptr);

    QColor brushColor() const { return brush_; }
    QColor penColor() const { return pen_; }
    void setColors(const QColor &brush, const QColor &pen);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor brush_;
    QColor pen_;
};

#pragma once

#include <QLabel>

// A picture that acts as a button; its hint names the action.
class ClickableImage : public QLabel {
    Q_OBJECT
public:
    ClickableImage(const QString &name, const QString &hint, const QPixmap &picture, QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QPixmap picture_;
};

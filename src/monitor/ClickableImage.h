#pragma once

#include <QAbstractButton>
#include <QPixmap>

// A picture that acts as a button: the mouse, Space and Enter run it, Tab reaches it and a
// frame shows when it has the focus. Its hint is its tooltip and, for screen readers, its name.
class ClickableImage : public QAbstractButton {
    Q_OBJECT
public:
    ClickableImage(const QString &name, const QString &hint, const QPixmap &picture, QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPixmap picture_;
};

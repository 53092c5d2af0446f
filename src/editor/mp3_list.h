#pragma once

#include <QDialog>

// The audio editor window: alarm projects, clips and the alarm table. Opened modally by the monitor window.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);
};

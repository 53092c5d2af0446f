#pragma once

#include <QDialog>

// The setup window: the unit's network and identity settings. Opened modally by the monitor window.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
};

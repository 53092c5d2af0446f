#pragma once

#include <QDialog>

// The setup window: the unit's network and identity settings. Opened modally by the monitor window.
class SetupWindow : public QDialog {
    Q_OBJECT
public:
    explicit SetupWindow(QWidget *parent = nullptr);
};

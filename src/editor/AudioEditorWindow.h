#pragma once

#include <QDialog>

// The audio editor window: alarm projects, clips and the alarm table. Opened modally by the monitor window.
class AudioEditorWindow : public QDialog {
    Q_OBJECT
public:
    explicit AudioEditorWindow(QWidget *parent = nullptr);
};

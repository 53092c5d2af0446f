#pragma once

#include <QFrame>

class QLabel;

// A status bar of two panels side by side.
class StatusPanels : public QFrame {
    Q_OBJECT
public:
    StatusPanels(const QString &name, int firstPanelStretch, int secondPanelStretch, QWidget *parent = nullptr);

    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);
    // A disabled panel shows its text greyed.
    void setPanelEnabled(int panel, bool enabled);

private:
    QLabel *panels_[2];
};

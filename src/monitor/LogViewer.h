#pragma once

#include <QDialog>
#include <functional>

class Dialogs;
class LinkLogCapture;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// A read-only view of the link's log since start: filter text, follow mode and "Save…".
class LogViewer : public QDialog {
    Q_OBJECT
public:
    LogViewer(LinkLogCapture &capture, Dialogs &dialogs, QWidget *parent = nullptr);

    // Asks where to save; an empty result means cancelled. Tests replace it.
    std::function<QString()> chooseSavePath;

    // The lines shown, as the filter leaves them.
    QStringList shownLines() const;

public slots:
    void save();

private:
    void addLine(const QString &line);
    void refill();
    bool matches(const QString &line) const;
    void scrollToEndIfFollowing();

    LinkLogCapture &capture_;
    Dialogs &dialogs_;
    QLineEdit *filterEdit_;
    QCheckBox *followBox_;
    QPushButton *saveButton_;
    QPlainTextEdit *lines_;
};

#pragma once

#include <QApplication>

class Dialogs;

// The default error report: an error that escapes any handler is shown with its own
// text in a message box, and the program goes on.
class ErrorReportingApplication : public QApplication {
    Q_OBJECT
public:
    ErrorReportingApplication(int &argc, char **argv, Dialogs &dialogs);

    bool notify(QObject *receiver, QEvent *event) override;

private:
    Dialogs &dialogs_;
};

#pragma once

#include <QObject>

class ScriptedDialogs;

// Runs inside the test program's ErrorReportingApplication, whose dialogs it is given.
class ErrorReportTest : public QObject {
    Q_OBJECT
public:
    explicit ErrorReportTest(ScriptedDialogs &applicationDialogs);

private slots:
    void escapedErrorIsShownAndTheProgramGoesOn();

private:
    ScriptedDialogs &dialogs_;
};

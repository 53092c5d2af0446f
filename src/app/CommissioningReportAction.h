#pragma once

#include <QString>
#include <functional>

class Dialogs;
class MonitorWindow;
class UnitSession;

// The monitor's "Commissioning report…": asks where, reads the monitor's unit and writes the report
// (PDF or HTML by the file's extension); a failure is told in a box, the written file in the status line.
class CommissioningReportAction {
public:
    CommissioningReportAction(UnitSession &session, Dialogs &dialogs, MonitorWindow &monitor);

    // The file chosen, empty when cancelled: a save dialog unless a test replaces it.
    std::function<QString()> chooseFile;

    void run();

private:
    UnitSession &session_;
    Dialogs &dialogs_;
    MonitorWindow &monitor_;
};

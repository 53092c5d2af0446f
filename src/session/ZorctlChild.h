#pragma once

#include <QString>
#include <QStringList>

// What a parent reads of a child zorctl run: zorctl's own fleet runs and the Units window's batches.

constexpr int DefaultFleetJobs = 8;
// `zorctl --progress-lines` writes "progress DONE TOTAL" lines to stderr.
inline const QString ProgressLinePrefix = QStringLiteral("progress ");
// Opens the stderr line about a request the unit did not confirm; a fleet run takes it as a result of its own.
inline const QString NotConfirmedPrefix = QStringLiteral("zorctl: not confirmed: ");

struct ChildRunEnd {
    bool ok = false;           // exited with a status that counts as done
    bool notConfirmed = false; // the unit did not confirm a request: neither done nor plainly failed
    QString message;           // "done", "done (note)", "not confirmed: …", or the reason it failed
};

// How a run that wrote `stderrLines` and ended so went. Progress lines are never a reason or a note.
ChildRunEnd childRunEnd(bool normalExit, int exitCode, const QStringList &stderrLines, const QList<int> &doneCodes = {0});

// "progress DONE TOTAL" as a percentage; -1 when the line is none.
int progressPercent(const QString &line);

#pragma once

#include "CtlSession.h"
#include "UnitDiff.h"

namespace CLI {
class App;
}

// profile FILE --from BACKUP [--only GROUP]..., diff FILE [--show-keys].
void addDiffCommands(CLI::App &app, const CtlOptions &options, int &exitCode);

// Why restore would refuse the file, checked before anything is sent; empty when it would not.
QString restoreRefusal(const UnitBackup &backup, const QString &file);

// restore --check: "GROUP: would change" / "GROUP: unchanged" for the groups asked for; CtlDiffers when any would.
int reportCheck(const CtlOptions &options, const QStringList &groups, const UnitComparison &comparison,
                const QStringList &skipped);
// restore --changed-only: "GROUP: changed" / "GROUP: unchanged".
int reportChanges(const CtlOptions &options, const QStringList &groups, const UnitComparison &comparison,
                  const QStringList &restored, const QStringList &skipped, const QString &message);

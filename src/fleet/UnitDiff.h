#pragma once

#include "UnitBackup.h"

#include <QList>
#include <QString>
#include <QStringList>

// One field that differs. Values are display texts; a literal one (a masked key, a file the
// unit lacks) is shown as it stands, the others quoted.
struct FieldChange {
    QString field, unit, file;
    bool literal = false;
    friend bool operator==(const FieldChange &, const FieldChange &) = default;
};

struct GroupComparison {
    QString group;
    QList<FieldChange> changes;
    bool differs() const { return !changes.isEmpty(); }
};

// A unit against a profile, group by group, as far as a restore would write it.
struct UnitComparison {
    QList<GroupComparison> groups; // the groups the profile holds, in restore order
    unsigned differingParts = 0;
    QStringList leftOut; // parts a restore would not write, each with why

    bool differs() const { return differingParts != 0; }
    bool partDiffers(BackupPart part) const { return differingParts & unsigned(part); }
};

// A part with nothing to write: RTU.CFG of a unit that had none, left as it is without a word.
bool partHoldsNothing(BackupPart part, const UnitBackup &profile);
// Why a restore leaves this part of `profile` as the unit has it; empty when it writes it.
QString partLeftOut(BackupPart part, const UnitBackup &profile);
// Why a unit of this model has no such part; empty when it has.
QString partNotOnModel(BackupPart part, int modelCode);

// `unit` as readUnit read it, with its clips when the profile holds clips. Keys are masked
// as "****" and their length unless `showKeys`.
UnitComparison compareUnit(const UnitBackup &unit, const UnitBackup &profile, bool showKeys);

#pragma once

#include "AlarmTable.h"

#include <QString>
#include <QStringList>

#include <optional>

// What an editor operation did, for the window (or zorctl) to show.
struct EditorOutcome {
    // Empty when the operation succeeded; otherwise the text for an error box and
    // status panel 0.
    QString error;
    // Something the user must know although the operation went on: a box and status panel 0.
    QString warning;
    // Lines for the editor's hidden log.
    QStringList log;
    // Set when the table was applied again: the mode and rows to show now.
    std::optional<AppliedTable> applied;

    bool ok() const { return error.isEmpty(); }
    // Adds a later step's result; errors and warnings are kept one per line.
    void append(const EditorOutcome &later);
};

#pragma once

#include "Dialogs.h"

// For programs without windows: nothing is ever asked; a question is answered No and
// a chooser is cancelled.
class NoDialogs : public Dialogs {
public:
    int messageBox(const QString &, const QString &, int flags) override
    {
        return asks(flags) ? No : Ok;
    }
    QString openFile(const QString &, const QString &) override { return {}; }
    QString chooseFolder(const QString &, const QString &) override { return {}; }
};

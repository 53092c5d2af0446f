#pragma once

#include "Dialogs.h"

#include <QStringList>

// Answers Yes to every question, hands out the firmware image, and keeps every box.
struct PermissiveDialogs : Dialogs {
    QString firmwarePath;
    QStringList boxes;
    int messageBox(const QString &text, const QString &, int flags) override
    {
        boxes << text;
        return asks(flags) ? Yes : Ok;
    }
    QString openFile(const QString &, const QString &) override { return firmwarePath; }
    QString chooseFolder(const QString &, const QString &) override { return {}; }
};

#pragma once

#include "Dialogs.h"

// The setup window's boxes on a terminal: confirmations are taken as Yes without a prompt,
// failures go to stderr, everything else to stdout. The file chooser returns the given path.
class TerminalDialogs : public Dialogs {
public:
    explicit TerminalDialogs(QString chosenFile = {}) : chosenFile_(std::move(chosenFile)) {}

    int messageBox(const QString &text, const QString &caption, int flags) override;
    QString openFile(const QString &defaultExtension, const QString &filter) override;
    QString chooseFolder(const QString &caption, const QString &start) override;

private:
    QString chosenFile_;
};

#pragma once

#include "Dialogs.h"

// Message boxes and file choosers as Qt dialogs, over the active window.
class QtDialogs : public Dialogs {
public:
    int messageBox(const QString &text, const QString &caption, int flags) override;
    // Filter and extension in the unit tool's notation ("bin|*.bin", "*.bin").
    QString openFile(const QString &defaultExtension, const QString &filter) override;
    // Qt's folder chooser offers to create a folder.
    QString chooseFolder(const QString &caption, const QString &start) override;

    // The width a box takes at least, so that a window manager shows its whole caption.
    static int captionWidth(const QString &caption);
};

#pragma once

#include <QString>

// Message boxes and file choosers. Production shows Qt dialogs; tests queue answers.
class Dialogs {
public:
    // Flags as the unit's own tool used them: 0 plain, 16 error, 36 Yes/No question,
    // 48 warning, 51 Yes/No/Cancel warning, 52 Yes/No warning, 64 information.
    enum Flags {
        Plain = 0,
        Error = 16,
        YesNoQuestion = 36,
        Warning = 48,
        YesNoCancelWarning = 51,
        YesNoWarning = 52,
        Information = 64
    };
    enum Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };
    // Whether a box with these flags asks rather than tells.
    static bool asks(int flags) { return flags == YesNoQuestion || flags == YesNoWarning || flags == YesNoCancelWarning; }

    virtual ~Dialogs() = default;
    virtual int messageBox(const QString &text, const QString &caption, int flags) = 0;
    // Filter as "name|pattern" pairs, extension as "*.ext"; an empty result means cancelled.
    virtual QString openFile(const QString &defaultExtension, const QString &filter) = 0;
    virtual QString chooseFolder(const QString &caption, const QString &start) = 0;
};

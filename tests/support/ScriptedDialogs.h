#pragma once

#include "Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

// Message boxes and file choosers answered from a script. Every dialog shown must be
// the next one expected, with the same text, caption and flags; any other dialog fails
// the running test at once (and gets a cautious answer: No, OK or cancelled, never a
// wait). Dialogs still expected when the object is destroyed fail the test too, so make
// one per test function.
class ScriptedDialogs : public Dialogs {
public:
    struct MessageBoxShown {
        QString text;
        QString caption;
        int flags = 0;
        friend bool operator==(const MessageBoxShown &, const MessageBoxShown &) = default;
    };

    ScriptedDialogs() = default;
    ScriptedDialogs(const ScriptedDialogs &) = delete;
    ScriptedDialogs &operator=(const ScriptedDialogs &) = delete;
    ~ScriptedDialogs() override;

    void expectMessageBox(const QString &text, const QString &caption, int flags, int answer = Ok);
    // An empty answer means the user cancelled.
    void expectOpenFile(const QString &answer);
    void expectChooseFolder(const QString &answer);

    // Every message box shown, expected or not.
    QList<MessageBoxShown> shownBoxes;
    // Every dialog shown, in order, as text.
    QStringList calls;
    // Expected dialogs not shown yet, as text.
    QStringList pending() const;

    int messageBox(const QString &text, const QString &caption, int flags) override;
    QString openFile(const QString &defaultExtension, const QString &filter) override;
    QString chooseFolder(const QString &caption, const QString &start) override;

private:
    enum class Kind { MessageBox, OpenFile, ChooseFolder };
    struct Expected {
        Kind kind;
        QString description;
        int answer = Ok;
        QString path;
    };

    // The next expectation when it is of this kind and describes the call; else fails the test.
    bool takeExpected(Kind kind, const QString &description, Expected &taken);

    QList<Expected> expected_;
};

#pragma once

#include "DeviceConfiguration.h"
#include "EditorOutcome.h"

#include <QString>
#include <QStringList>

class Dialogs;

// Where the editor's texts go: status panel 0 and the hidden editor log.
class AudioEditorView {
public:
    virtual ~AudioEditorView() = default;
    virtual void showStatusText(const QString &text) = 0;
    virtual void appendLog(const QStringList &lines) = 0;
};

// The audio editor's own texts and boxes. Exchanges and transfer notes are the monitor
// window's to word; this says what the editor did and what went wrong in its work.
class AudioEditorPresenter {
public:
    AudioEditorPresenter(AudioEditorView &view, Dialogs &dialogs);

    void showOutcome(const EditorOutcome &outcome);
    void showStep(const ConfigurationStep &step);
    // "Save project before leave?"; true for Yes.
    bool askSaveBeforeLeaving();

    void playingSource(const QString &path);
    void playingProject(const QString &path);
    void playingOnUnit(const QString &clipName);
    void stoppedOnUnit();
    void testStopped();
    void inputNotTestable(const QString &inputText);
    void workFolderChecked(const QString &folder, bool exists);

private:
    void showError(const QString &text);

    AudioEditorView &view_;
    Dialogs &dialogs_;
};

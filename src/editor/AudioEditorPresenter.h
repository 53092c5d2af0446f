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
    // The transfer gauge once a write ended: full when it is complete, else empty.
    virtual void endProgress(bool complete) = 0;
};

// The audio editor's own texts and boxes. Exchanges and transfer notes are the monitor
// window's to word; this says what the editor did and what went wrong in its work.
class AudioEditorPresenter {
public:
    AudioEditorPresenter(AudioEditorView &view, Dialogs &dialogs);

    void showOutcome(const EditorOutcome &outcome);
    void showStep(const ConfigurationStep &step);
    // Status panel 0 sums up a write once it ended: files written, failed, where it stopped.
    void showWriteSummary(const DeviceWriteResult &result);
    // After the outcome itself was shown: a short closing text in status panel 0. A read
    // that met a failure on the way keeps the failure's text.
    void startReading();
    void showReadEnd(const EditorOutcome &outcome);
    void showSaved(const EditorOutcome &outcome, const QString &folder);
    // Replaces whatever named a file of the project before.
    void showProjectOpened(const EditorOutcome &outcome, const QString &folder);
    // "Save project before leave?" on a job switch: Yes or No; true for Yes.
    bool askSaveBeforeLeaving();
    // The same question when the window or the program closes, with Cancel to stay.
    int askSaveBeforeClosing();

    void playingSource(const QString &path);
    void playingProject(const QString &path);
    void playingOnUnit(const QString &clipName, const ExchangeResult &sent);
    void stoppedOnUnit(const ExchangeResult &sent);
    void testStarted(const QString &input, const ExchangeResult &sent);
    void testStopped(const ExchangeResult &sent);
    void noAudioOutput(const QString &path);
    void playFailed(const QString &path);
    void inputNotTestable(const QString &inputText);
    void workFolderChecked(const QString &folder, bool exists);

private:
    void showError(const QString &text);
    void showWarning(const QString &text);
    // The text, and why the unit did not get it when it did not.
    void showSent(const QString &text, const ExchangeResult &sent);

    bool readFailed_ = false;

    AudioEditorView &view_;
    Dialogs &dialogs_;
};

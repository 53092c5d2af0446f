#include "AudioEditorPresenter.h"

#include "ConfigurationStepText.h"
#include "Dialogs.h"
#include "ErrorReport.h"

AudioEditorPresenter::AudioEditorPresenter(AudioEditorView &view, Dialogs &dialogs)
    : view_(view)
    , dialogs_(dialogs)
{
}

void AudioEditorPresenter::showError(const QString &text)
{
    view_.showStatusText(text);
    reportError(dialogs_, text);
}

void AudioEditorPresenter::showOutcome(const EditorOutcome &outcome)
{
    view_.appendLog(outcome.log);
    if (!outcome.ok())
        showError(outcome.error);
}

void AudioEditorPresenter::showStep(const ConfigurationStep &step)
{
    const StepText text = configurationStepText(step);
    if (!text.status.isEmpty())
        view_.showStatusText(text.status);
    if (!text.error.isEmpty())
        reportError(dialogs_, text.error);
}

bool AudioEditorPresenter::askSaveBeforeLeaving()
{
    return dialogs_.messageBox(QStringLiteral("Save project before leave?"), QStringLiteral("Project Save"),
                               Dialogs::YesNoWarning)
           == Dialogs::Yes;
}

void AudioEditorPresenter::playingSource(const QString &path)
{
    view_.appendLog({path});
    view_.showStatusText(QStringLiteral("Play Source: ") + path);
}

void AudioEditorPresenter::playingProject(const QString &path)
{
    view_.showStatusText(QStringLiteral("Play Project: ") + path);
}

void AudioEditorPresenter::playingOnUnit(const QString &clipName)
{
    view_.showStatusText(QStringLiteral("Play Device: ") + clipName);
}

void AudioEditorPresenter::stoppedOnUnit()
{
    view_.showStatusText(QStringLiteral("Device Stop playing"));
}

void AudioEditorPresenter::testStopped()
{
    view_.showStatusText(QStringLiteral("Stop Test Loop playing"));
}

void AudioEditorPresenter::inputNotTestable(const QString &inputText)
{
    showError(QStringLiteral("'%1' is not an input the test knows.").arg(inputText));
}

void AudioEditorPresenter::workFolderChecked(const QString &folder, bool exists)
{
    view_.appendLog({(exists ? QStringLiteral("Work DIR Exists => ") : QStringLiteral("Work_DIR Not Exists => ")) + folder});
}

#include "AudioEditorPresenter.h"

#include "ConfigurationStepText.h"
#include "RequestTexts.h"
#include "Dialogs.h"
#include "ErrorReport.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
const QString saveQuestion = QStringLiteral("Save project before leave?");
const QString saveCaption = QStringLiteral("Project Save");
} // namespace

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

void AudioEditorPresenter::showWarning(const QString &text)
{
    view_.showStatusText(text);
    dialogs_.messageBox(text, QCoreApplication::applicationName(), Dialogs::Warning);
}

void AudioEditorPresenter::showOutcome(const EditorOutcome &outcome)
{
    view_.appendLog(outcome.log);
    if (!outcome.ok())
        showError(outcome.error);
    if (!outcome.warning.isEmpty())
        showWarning(outcome.warning);
}

void AudioEditorPresenter::showStep(const ConfigurationStep &step)
{
    readFailed_ = readFailed_ || step.kind == ConfigurationStep::ReadFailed || step.kind == ConfigurationStep::ReadRejected;
    const StepText text = configurationStepText(step);
    if (!text.status.isEmpty())
        view_.showStatusText(text.status);
    if (!text.error.isEmpty())
        reportError(dialogs_, text.error);
}

void AudioEditorPresenter::showWriteSummary(const DeviceWriteResult &result)
{
    view_.appendLog(result.log);
    if (!result.error.isEmpty()) {
        showError(result.error);
        return;
    }
    if (!result.missing.isEmpty()) {
        view_.endProgress(false);
        view_.showStatusText(QStringLiteral("Write Error! : nothing was written"));
        return;
    }
    QStringList failed;
    for (const QString &file : result.refused)
        if (QFileInfo(file).fileName() != result.stoppedAt)
            failed << QFileInfo(file).fileName();
    QString text = QStringLiteral("%1 files written").arg(result.written.size());
    if (!failed.isEmpty())
        text += QStringLiteral("; failed: ") + failed.join(QStringLiteral(", "));
    if (!result.stoppedAt.isEmpty())
        text += QStringLiteral("; stopped at %1, nothing after it was sent").arg(result.stoppedAt);
    else if (result.configurationWritten.failed())
        text += "; " + RequestTexts::failureLine(result.configurationWritten);
    const bool complete = failed.isEmpty() && result.stoppedAt.isEmpty() && !result.configurationWritten.failed();
    view_.endProgress(complete);
    view_.showStatusText((complete ? QStringLiteral("Write complete! ") : QStringLiteral("Write Error! : ")) + text);
}

void AudioEditorPresenter::startReading()
{
    readFailed_ = false;
}

void AudioEditorPresenter::showReadEnd(const EditorOutcome &outcome)
{
    if (outcome.ok() && !readFailed_)
        view_.showStatusText(QStringLiteral("Read complete"));
}

void AudioEditorPresenter::showSaved(const EditorOutcome &outcome, const QString &folder)
{
    if (outcome.ok())
        view_.showStatusText(QStringLiteral("Project saved: ") + folder);
}

void AudioEditorPresenter::showProjectOpened(const EditorOutcome &outcome, const QString &folder)
{
    if (outcome.ok() && outcome.warning.isEmpty() && outcome.applied)
        view_.showStatusText(QStringLiteral("Project opened: ") + folder);
}

bool AudioEditorPresenter::askSaveBeforeLeaving()
{
    return dialogs_.messageBox(saveQuestion, saveCaption, Dialogs::YesNoWarning) == Dialogs::Yes;
}

int AudioEditorPresenter::askSaveBeforeClosing()
{
    return dialogs_.messageBox(saveQuestion, saveCaption, Dialogs::YesNoCancelWarning);
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

void AudioEditorPresenter::showSent(const QString &text, const ExchangeResult &sent)
{
    if (sent.verdict() == AnswerVerdict::Unreached)
        view_.showStatusText(text + QStringLiteral(" (not sent: no connection)"));
    else if (sent.failed())
        view_.showStatusText(text + " (" + RequestTexts::failure(sent) + ")");
    else
        view_.showStatusText(text);
}

void AudioEditorPresenter::playingOnUnit(const QString &clipName, const ExchangeResult &sent)
{
    showSent(QStringLiteral("Play Device: ") + clipName, sent);
}

void AudioEditorPresenter::stoppedOnUnit(const ExchangeResult &sent)
{
    showSent(QStringLiteral("Device Stop playing"), sent);
}

void AudioEditorPresenter::testStarted(const QString &input, const ExchangeResult &sent)
{
    showSent(QStringLiteral("Test Loop playing: ") + input, sent);
}

void AudioEditorPresenter::testStopped(const ExchangeResult &sent)
{
    showSent(QStringLiteral("Stop Test Loop playing"), sent);
}

void AudioEditorPresenter::noAudioOutput(const QString &path)
{
    showError(QStringLiteral("Play Error! : this PC has no audio output device to play ") + path);
}

void AudioEditorPresenter::playFailed(const QString &path)
{
    showError(QStringLiteral("Play Error! : ") + path + QStringLiteral(" could not be played."));
}

void AudioEditorPresenter::inputNotTestable(const QString &inputText)
{
    showError(QStringLiteral("'%1' is not an input the test knows.").arg(inputText));
}

void AudioEditorPresenter::workFolderChecked(const QString &folder, bool exists)
{
    view_.appendLog({(exists ? QStringLiteral("Work DIR Exists => ") : QStringLiteral("Work_DIR Not Exists => ")) + folder});
}

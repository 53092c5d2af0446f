// The audio editor's playback on the PC and on the unit, the input test and the volume.
#include "AudioEditorWindow.h"

#include "ChannelTestLog.h"
#include "ClipPlayer.h"
#include "ClipText.h"
#include "InputTestCode.h"
#include "UnitSession.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QTableWidget>

// ---- playback and input test --------------------------------------------------------

void AudioEditorWindow::onPlayClicked()
{
    const int clipNumber = currentClipNumber();
    if (clipNumber == 0)
        return;
    const QString shortName = grid_->item(clipNumber - 1, 1)->text();
    appendLog({shortName});
    if (shortName.isEmpty())
        return;
    QString path;
    if (playSourceRadio_->isChecked()) {
        path = store_.audioList().slot(clipNumber).sourcePath;
        presenter_.playingSource(path);
    } else if (device_.job() == EditorJob::Device) {
        presenter_.playingOnUnit(clipText(clipNumber), session_.link.playClip(std::uint8_t(clipNumber)));
        return;
    } else {
        path = store_.directories().activeDir + clipFileName(clipNumber);
        presenter_.playingProject(path);
    }
    if (player_.hasAudioOutput())
        player_.play(path);
    else
        presenter_.noAudioOutput(path);
}

void AudioEditorWindow::onStopClicked()
{
    // A project clip plays on the PC: stop it there as well as on the unit.
    if (playSourceRadio_->isChecked() || device_.job() == EditorJob::Project)
        player_.stop();
    if (playSourceRadio_->isChecked())
        return;
    presenter_.stoppedOnUnit(session_.link.stopPlayback());
}

void AudioEditorWindow::onChannelTestClicked()
{
    const QString input = testInputSelector_->currentText();
    const std::optional<int> code = inputTestCode(input, alarmMode());
    if (!code) {
        presenter_.inputNotTestable(input);
        return;
    }
    const ExchangeResult sent = session_.link.channelTest(true, std::uint8_t(*code));
    ChannelTestLog::instance().record(
        {session_.link.deviceAddress, input, *code, QDateTime::currentDateTime(), channelTestResult(sent)});
    presenter_.testStarted(input, sent);
}

void AudioEditorWindow::onStopTestClicked()
{
    presenter_.testStopped(session_.link.channelTest(false, 0));
}

// ---- volume -------------------------------------------------------------------------

void AudioEditorWindow::onVolumeMoved(int position)
{
    volumeLabel_->setText(QString::number(position));
    emit volumeMoved(position);
}

void AudioEditorWindow::showVolumePosition(int position)
{
    if (!volumeSlider_)
        return; // not built yet: it takes the volume when first shown
    volumeSlider_->setValue(position);
    volumeLabel_->setText(QString::number(position));
}

void AudioEditorWindow::onWorkFolderCheckClicked()
{
    const QString folder = store_.directories().activeDir;
    presenter_.workFolderChecked(folder, QDir().mkpath(folder));
}


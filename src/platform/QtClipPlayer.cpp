#include "QtClipPlayer.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QMediaDevices>
#include <QUrl>

QtClipPlayer::QtClipPlayer(QObject *parent)
    : QObject(parent)
{
}

QtClipPlayer::~QtClipPlayer() = default;

bool QtClipPlayer::hasAudioOutput() const
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

void QtClipPlayer::play(const QString &path)
{
    if (!player_) {
        output_ = std::make_unique<QAudioOutput>();
        player_ = std::make_unique<QMediaPlayer>();
        player_->setAudioOutput(output_.get());
        connect(player_.get(), &QMediaPlayer::errorOccurred, this, &QtClipPlayer::onError);
    }
    playing_ = path;
    failureReported_ = false;
    player_->setSource(QUrl::fromLocalFile(path));
    player_->play();
}

void QtClipPlayer::stop()
{
    if (player_)
        player_->stop();
}

QMediaPlayer::MediaStatus QtClipPlayer::mediaStatus() const
{
    return player_ ? player_->mediaStatus() : QMediaPlayer::NoMedia;
}

// The back end reports one broken file several times over, in its own words.
void QtClipPlayer::onError()
{
    if (failureReported_)
        return;
    failureReported_ = true;
    if (onFailed)
        onFailed(playing_);
}

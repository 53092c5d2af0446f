#include "QtClipPlayer.h"

#include <QUrl>

QtClipPlayer::QtClipPlayer(QObject *parent)
    : QObject(parent)
{
    player_.setAudioOutput(&output_);
    connect(&player_, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString &error) { emit playbackFailed(error); });
}

void QtClipPlayer::play(const QString &path)
{
    player_.setSource(QUrl::fromLocalFile(path));
    player_.play();
}

void QtClipPlayer::stop()
{
    player_.stop();
}

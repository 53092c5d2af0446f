#pragma once

#include "ClipPlayer.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QObject>

// Plays clips through QMediaPlayer on the default audio output.
class QtClipPlayer : public QObject, public ClipPlayer {
    Q_OBJECT
public:
    explicit QtClipPlayer(QObject *parent = nullptr);

    void play(const QString &path) override;
    void stop() override;
    QMediaPlayer::MediaStatus mediaStatus() const { return player_.mediaStatus(); }

signals:
    // The player's own text for a file it cannot open or decode.
    void playbackFailed(const QString &error);

private:
    QAudioOutput output_;
    QMediaPlayer player_;
};

#pragma once

#include "ClipPlayer.h"

#include <QMediaPlayer>
#include <QObject>

#include <memory>

class QAudioOutput;

// Plays clips through QMediaPlayer on the default audio output. The player and its
// back end are made on the first play: they cost a lot of memory and most runs play nothing.
class QtClipPlayer : public QObject, public ClipPlayer {
    Q_OBJECT
public:
    explicit QtClipPlayer(QObject *parent = nullptr);
    ~QtClipPlayer() override;

    bool hasAudioOutput() const override;
    void play(const QString &path) override;
    void stop() override;
    // NoMedia until the first play.
    QMediaPlayer::MediaStatus mediaStatus() const;

private:
    void onError();

    std::unique_ptr<QAudioOutput> output_;
    std::unique_ptr<QMediaPlayer> player_;
    QString playing_;
    bool failureReported_ = false;
};

#pragma once

#include "ClipPlayer.h"

#include <QStringList>

// Remembers what it was told to play and how often to stop.
struct RecordingClipPlayer : ClipPlayer {
    QStringList played;
    int stops = 0;
    bool audioOutput = true;
    bool hasAudioOutput() const override { return audioOutput; }
    void play(const QString &path) override { played << path; }
    void stop() override { ++stops; }
};

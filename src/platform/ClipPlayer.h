#pragma once

#include <QString>

// Plays an MP3 file on the PC.
class ClipPlayer {
public:
    virtual ~ClipPlayer() = default;
    virtual void play(const QString &path) = 0;
    virtual void stop() = 0;
};

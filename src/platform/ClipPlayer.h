#pragma once

#include <QString>

#include <functional>

// Plays an MP3 file on the PC.
class ClipPlayer {
public:
    virtual ~ClipPlayer() = default;
    // False when the PC has no audio output device to play on.
    virtual bool hasAudioOutput() const = 0;
    virtual void play(const QString &path) = 0;
    virtual void stop() = 0;
    // Once per play whose file the PC could not play; the path played.
    std::function<void(const QString &path)> onFailed;
};

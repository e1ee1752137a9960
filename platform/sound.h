#pragma once

#include "platform/seam.h"

#include <QString>

// Plays a .wav file asynchronously; a path that names no playable file plays the default sound.
class Sound
{
public:
    virtual ~Sound() = default;
    virtual void play(const QString& path) = 0;
};

class QtSound : public Sound
{
public:
    void play(const QString& path) override;
};

using SoundSeam = Seam<Sound, QtSound>;

inline void PlaySound(const QString& path)
{
    SoundSeam::get().play(path);
}

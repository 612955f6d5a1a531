// What the windows ask of sound and music. The game hands the real players
// (Sound, clsBGMAPI) to its windows; tests hand in recording fakes.
#pragma once

#include "game/Cues.h"

#include <QString>

#include <cstdint>

namespace zorbel
{

// The sound effects, played on one channel without blocking.
class SoundEffects
{
public:
    virtual ~SoundEffects() = default;
    // Registers the program's folder + FileName as the next number, from 1
    // (the cues' files go in kSoundCueFiles' order).
    virtual void Add(const QString& FileName) = 0;
    // Nothing is played while the switch is off.
    virtual void SetSoundOn(bool on) = 0;
    // Plays a cue once, cutting off the one playing.
    virtual void play(SoundCue cue) = 0;
};

// Background music: one MIDI track at a time, looping or once-only.
class BackgroundMusic
{
public:
    virtual ~BackgroundMusic() = default;
    virtual void InitBGM() = 0;
    virtual void AddBGM(const QString& vFileName) = 0;
    virtual void BGMOnOff(bool vOn) = 0;
    virtual void BGMPlay(std::int16_t vBGMNo, bool voNotLoop) = 0;
    virtual void BGMStop() = 0;
    virtual bool GetBGMStopped() = 0;
    // The 75 ms polling step.
    virtual void CalledByTimer() = 0;
};

} // namespace zorbel

// What the windows ask of sound and music. The game hands the real players
// (Sound, clsBGMAPI) to its windows; tests hand in recording fakes.
#pragma once

#include <QString>

#include <cstdint>

namespace zorbel
{

// Numbered sound effects, played on one channel without blocking.
class SoundEffects
{
public:
    virtual ~SoundEffects() = default;
    // Registers the program's folder + FileName as the next number, from 1.
    virtual void Add(const QString& FileName) = 0;
    // Nothing is played while the switch is off.
    virtual void SetSoundOn(bool on) = 0;
    virtual void PlayAsync(std::int16_t SoundNumber, std::int16_t LoopFlg, std::int16_t ASYNCFlg,
                           std::int16_t NoStopFlg) = 0;
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

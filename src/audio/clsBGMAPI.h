// Background music: one MIDI track at a time, looping or once-only,
// polled by the main window's 75 ms timer.
#pragma once

#include "audio/AudioDevice.h"
#include "audio/AudioInterfaces.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

namespace zorbel
{

class clsBGMAPI final : public BackgroundMusic
{
public:
    // Tracks read from `folder` (ending with "/"). Any number may exist at
    // once (they share the audio device, but the mixer plays one track at a
    // time: the last one started wins). Should this object be the one to
    // open the audio device, the SoundFont is looked for in soundFontDirs.
    explicit clsBGMAPI(const QString& folder,
                       const QStringList& soundFontDirs = audio::defaultSoundFontDirs());
    ~clsBGMAPI(); // shuts down
    clsBGMAPI(const clsBGMAPI&) = delete;
    clsBGMAPI& operator=(const clsBGMAPI&) = delete;

    // The polling step: restarts a stopped looping track, closes a stopped
    // once-only track. Acts only on a track that is open.
    void CalledByTimer() override;
    void InitBGM() override;          // music switch on
    void BGMOnOff(bool vOn) override; // takes effect at the next BGMPlay
    void AddBGM(const QString& vFileName) override;
    // Starts track vBGMNo from its beginning; the track that already plays
    // is left alone. With the switch off it stops the music instead.
    void BGMPlay(std::int16_t vBGMNo, bool voNotLoop) override;
    void BGMStop() override;       // stops, frees the track, forgets it
    bool GetBGMStopped() override; // true whenever no track is open or it ended

    std::int16_t CurrentTrack() const; // -1 after a stop, 0 before any

    // Frees everything and closes the audio device. Safe more than once.
    void Shutdown();

    // The track file is read on a worker thread, so a requested track starts
    // playing a few tens of milliseconds after BGMPlay returns; until then
    // it counts as open and playing. Waits for a load under way and starts
    // its track now (for tests and measurements).
    void WaitForLoad();

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace zorbel

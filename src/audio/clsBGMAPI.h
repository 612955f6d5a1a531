// Background music: one MIDI track at a time, looping or once-only,
// polled by the main window's 75 ms timer.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace zorbel
{

class clsBGMAPI
{
public:
    static clsBGMAPI& instance();
    ~clsBGMAPI();
    clsBGMAPI(const clsBGMAPI&) = delete;
    clsBGMAPI& operator=(const clsBGMAPI&) = delete;

    // The polling step: restarts a stopped looping track, closes a stopped
    // once-only track. Acts only on a track that is open.
    void CalledByTimer();
    void InitBGM();          // music switch on
    void BGMOnOff(bool vOn); // takes effect at the next BGMPlay
    void AddBGM(const QString& vFileName);
    // Starts track vBGMNo from its beginning; the track that already plays
    // is left alone. With the switch off it stops the music instead.
    void BGMPlay(std::int16_t vBGMNo, bool voNotLoop);
    void BGMStop();       // stops, frees the track, forgets it
    bool GetBGMStopped(); // true whenever no track is open or it ended

    std::int16_t CurrentTrack() const; // -1 after a stop, 0 before any

    // Frees everything and closes the audio device. Safe more than once.
    void Shutdown();

    // Test seam: called with the track number each time a track is
    // actually started (not when the same track is asked for again).
    std::function<void(int)> playHook;

    // The track file is read on a worker thread, so a requested track starts
    // playing a few tens of milliseconds after BGMPlay returns; until then
    // it counts as open and playing. Waits for a load under way and starts
    // its track now (for tests and measurements).
    void WaitForLoad();

private:
    clsBGMAPI();
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace zorbel

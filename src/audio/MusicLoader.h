// Loads MIDI tracks on a worker thread.
//
// Loading a MIDI file through the mixer's FluidSynth backend builds a new
// synthesizer and reads the whole SoundFont each time, which takes tens of
// milliseconds (more on a busy machine): too long for the user-interface
// thread when a round starts. The worker does only the reading, the check
// (MidiCheck.h) and the loading; every other mixer call stays on the
// user-interface thread, which takes the finished track and starts it.
#pragma once

#include "audio/PlainFile.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

struct _Mix_Music;

namespace zorbel::audio
{

class MusicLoader
{
public:
    struct Result {
        std::uint64_t ticket = 0;
        _Mix_Music* music = nullptr; // null when the file was refused or could not be loaded
        double lengthSeconds = 0.0;  // from the tune's tempo map; 0 when refused
        std::string error;
    };
    // How the worker reads a track's file: at most limit bytes of path.
    using ReadFile = std::function<FileBytes(const std::string& path, std::size_t limit)>;

    // notify runs on the worker thread each time a result is ready.
    explicit MusicLoader(std::function<void()> notify, ReadFile read = readPlainFile);
    ~MusicLoader();
    MusicLoader(const MusicLoader&) = delete;
    MusicLoader& operator=(const MusicLoader&) = delete;

    // Asks for path to be loaded under ticket. A request that has not been
    // started yet is replaced: only the newest one matters.
    void request(std::uint64_t ticket, const std::string& path);
    // Drops a request that has not been started yet.
    void cancel();
    // Takes one finished result; false when there is none. The caller owns
    // the music in it.
    bool take(Result& out);
    // Waits until no request is waiting or being loaded.
    void waitIdle();
    // Ends the worker and frees every result nobody took. Must run while the
    // audio device is still open. A load in the mixer is waited for (the
    // check keeps it short), and so is notify; a worker still reading its
    // file after a grace of a second (a file on a share that stopped
    // answering) is left behind instead: it ends by itself once the read
    // returns, and calls neither the mixer nor notify.
    void stop();

private:
    struct Shared; // what the worker uses; it lives as long as the worker
    std::function<void()> notify_;
    ReadFile read_;
    std::shared_ptr<Shared> shared_; // null while no worker runs
    std::thread thread_;
};

} // namespace zorbel::audio

// Loads MIDI tracks on a worker thread.
//
// Loading a MIDI file through the mixer's FluidSynth backend builds a new
// synthesizer and reads the whole SoundFont each time, which takes tens of
// milliseconds (more on a busy machine): too long for the user-interface
// thread when a round starts. The worker does only the reading, the check
// (MidiCheck.h) and the loading; every other mixer call stays on the
// user-interface thread, which takes the finished track and starts it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
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
        double lengthSeconds = 0.0; // from the tune's tempo map; 0 when refused
        std::string error;
    };

    // notify runs on the worker thread each time a result is ready.
    explicit MusicLoader(std::function<void()> notify);
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
    // Waits for the load under way, ends the thread and frees every result
    // nobody took. Must run while the audio device is still open.
    void stop();

private:
    struct Request {
        std::uint64_t ticket;
        std::string path;
    };
    void run();

    std::function<void()> notify_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    bool busy_ = false; // the worker is loading a request
    std::optional<Request> pending_;
    std::deque<Result> done_;
    bool quit_ = false;
    std::thread thread_;
};

} // namespace zorbel::audio

#include "audio/MusicLoader.h"

#include "audio/MidiCheck.h"

#include <SDL2/SDL_mixer.h>
#include <SDL2/SDL_rwops.h>
#include <SDL2/SDL_thread.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace zorbel::audio
{

namespace
{

// A read of a few kilobytes that has not returned after this long is stuck.
constexpr std::chrono::seconds kReadGrace{1};

} // namespace

struct MusicLoader::Shared {
    struct Request {
        std::uint64_t ticket;
        std::string path;
    };
    std::function<void()> notify;
    ReadFile read;
    std::mutex mutex;
    std::condition_variable wake; // a request came, or the quit
    std::condition_variable idle; // a result is ready, or the worker ended
    std::optional<Request> pending;
    std::deque<Result> done;
    bool busy = false;    // the worker is reading or loading a request
    bool reading = false; // ... and is still reading its file
    bool quit = false;
    bool ended = false; // the worker returned

    void run();
};

MusicLoader::MusicLoader(std::function<void()> notify, ReadFile read)
    : notify_(std::move(notify)), read_(std::move(read))
{
}

MusicLoader::~MusicLoader()
{
    stop();
}

void MusicLoader::request(std::uint64_t ticket, const std::string& path)
{
    if (!shared_) {
        shared_ = std::make_shared<Shared>();
        shared_->notify = notify_;
        shared_->read = read_;
        // The worker holds the shared part too, so that it can outlive us.
        thread_ = std::thread([s = shared_] {
            s->run();
            // SDL keeps its error text per thread and frees it by itself
            // only for threads it started.
            SDL_TLSCleanup();
            {
                std::lock_guard lock(s->mutex);
                s->ended = true;
            }
            s->idle.notify_all();
        });
    }
    {
        std::lock_guard lock(shared_->mutex);
        shared_->pending = Shared::Request{ticket, path};
    }
    shared_->wake.notify_one();
}

void MusicLoader::cancel()
{
    if (!shared_)
        return;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->pending.reset();
    }
    shared_->idle.notify_all();
}

bool MusicLoader::take(Result& out)
{
    if (!shared_)
        return false;
    std::lock_guard lock(shared_->mutex);
    if (shared_->done.empty())
        return false;
    out = std::move(shared_->done.front());
    shared_->done.pop_front();
    return true;
}

void MusicLoader::waitIdle()
{
    if (!shared_)
        return;
    Shared& s = *shared_;
    std::unique_lock lock(s.mutex);
    s.idle.wait(lock, [&s] { return !s.busy && !s.pending.has_value(); });
}

void MusicLoader::stop()
{
    if (!shared_)
        return;
    Shared& s = *shared_;
    std::unique_lock lock(s.mutex);
    s.quit = true;
    s.pending.reset();
    s.wake.notify_one();
    // Once it reads with the quit set, the worker touches nothing but the
    // shared part: it drops what it read and ends.
    s.idle.wait(lock, [&s] { return s.ended || s.reading; });
    s.idle.wait_for(lock, kReadGrace, [&s] { return s.ended; });
    const bool ended = s.ended;
    for (Result& r : s.done)
        Mix_FreeMusic(r.music); // a null music is ignored
    s.done.clear();
    lock.unlock();
    if (ended)
        thread_.join();
    else
        thread_.detach();
    shared_.reset();
}

void MusicLoader::Shared::run()
{
    for (;;) {
        Request job;
        {
            std::unique_lock lock(mutex);
            wake.wait(lock, [this] { return quit || pending.has_value(); });
            if (quit)
                return;
            job = std::move(*pending);
            pending.reset();
            busy = reading = true;
        }

        // The file is read once, with a size cap, and checked; the mixer gets
        // the very bytes that passed, so nothing can change in between. A
        // cut or garbled tune never reaches FluidSynth, which can spin on one
        // for good, holding the mixer's lock.
        Result result;
        result.ticket = job.ticket;
        {
            const FileBytes file = read(job.path, kMaxMidiBytes + 1);
            {
                std::lock_guard lock(mutex);
                if (quit)
                    return;
                reading = false;
            }
            result.error = file.error;
            if (result.error.empty()) {
                const MidiCheck check = checkMidi(file.bytes.data(), file.bytes.size());
                result.lengthSeconds = check.seconds;
                if (!check.ok)
                    result.error = check.error;
                else if (SDL_RWops* rw =
                             SDL_RWFromConstMem(file.bytes.data(), int(file.bytes.size())))
                    // FluidSynth copies the bytes while loading; the mixer closes rw.
                    result.music = Mix_LoadMUSType_RW(rw, MUS_MID, 1);
                if (check.ok && !result.music)
                    result.error = Mix_GetError(); // SDL keeps its error text per thread
            }
        } // the bytes go before the result is reported

        {
            std::lock_guard lock(mutex);
            done.push_back(std::move(result));
            busy = false;
        }
        idle.notify_all();
        if (notify)
            notify();
    }
}

} // namespace zorbel::audio

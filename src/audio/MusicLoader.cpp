#include "audio/MusicLoader.h"

#include "audio/MidiCheck.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <SDL2/SDL_mixer.h>
#include <SDL2/SDL_rwops.h>
#include <SDL2/SDL_thread.h>

namespace zorbel::audio
{

MusicLoader::MusicLoader(std::function<void()> notify) : notify_(std::move(notify)) {}

MusicLoader::~MusicLoader()
{
    stop();
}

void MusicLoader::request(std::uint64_t ticket, const std::string& path)
{
    {
        std::lock_guard lock(mutex_);
        pending_ = Request{ticket, path};
        quit_ = false;
        if (!thread_.joinable())
            thread_ = std::thread([this] {
                run();
                // SDL keeps its error text per thread and frees it by itself
                // only for threads it started.
                SDL_TLSCleanup();
            });
    }
    wake_.notify_one();
}

void MusicLoader::cancel()
{
    {
        std::lock_guard lock(mutex_);
        pending_.reset();
    }
    idle_.notify_all();
}

bool MusicLoader::take(Result& out)
{
    std::lock_guard lock(mutex_);
    if (done_.empty())
        return false;
    out = std::move(done_.front());
    done_.pop_front();
    return true;
}

void MusicLoader::waitIdle()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !busy_ && !pending_.has_value(); });
}

void MusicLoader::stop()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        pending_.reset();
    }
    wake_.notify_one();
    if (thread_.joinable())
        thread_.join();
    std::lock_guard lock(mutex_);
    for (Result& r : done_)
        Mix_FreeMusic(r.music); // a null music is ignored
    done_.clear();
}

void MusicLoader::run()
{
    for (;;) {
        Request job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return quit_ || pending_.has_value(); });
            if (quit_)
                return;
            job = std::move(*pending_);
            pending_.reset();
            busy_ = true;
        }

        Result result;
        result.ticket = job.ticket;
        // The file is read once, with a size cap, and checked; the mixer gets
        // the very bytes that passed, so nothing can change in between. A
        // cut or garbled tune never reaches FluidSynth, which can spin on one
        // for good, holding the mixer's lock.
        QFile file(QFile::decodeName(QByteArray::fromStdString(job.path)));
        if (!file.exists()) {
            result.error = "no such file";
        } else if (!file.open(QIODevice::ReadOnly)) {
            result.error = file.errorString().toStdString();
        } else {
            const QByteArray bytes = file.read(qint64(kMaxMidiBytes) + 1);
            const MidiCheck check = checkMidi(
                reinterpret_cast<const unsigned char*>(bytes.constData()), std::size_t(bytes.size()));
            result.lengthSeconds = check.seconds;
            if (!check.ok)
                result.error = check.error;
            else if (SDL_RWops* rw = SDL_RWFromConstMem(bytes.constData(), int(bytes.size())))
                // FluidSynth copies the bytes while loading; the mixer closes rw.
                result.music = Mix_LoadMUSType_RW(rw, MUS_MID, 1);
            if (check.ok && !result.music)
                result.error = Mix_GetError(); // SDL keeps its error text per thread
        }

        {
            std::lock_guard lock(mutex_);
            done_.push_back(std::move(result));
            busy_ = false;
        }
        idle_.notify_all();
        if (notify_)
            notify_();
    }
}

} // namespace zorbel::audio

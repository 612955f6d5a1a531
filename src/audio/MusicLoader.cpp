#include "audio/MusicLoader.h"

#include "audio/MidiLength.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <SDL2/SDL_mixer.h>

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
            thread_ = std::thread([this] { run(); });
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
        const QString path = QFile::decodeName(QByteArray::fromStdString(job.path));
        // The mixer takes any file named .mid for MIDI and only finds out
        // while playing that it is not; reading it first keeps such a file
        // from being started (and, looping, restarted) over and over.
        result.lengthSeconds = midiLengthSeconds(path);
        if (!QFile::exists(path))
            result.error = "no such file";
        else if (result.lengthSeconds < 0.0)
            result.error = "not a readable MIDI file";
        else if (result.lengthSeconds == 0.0)
            result.error = "the tune is empty";
        else if (!(result.music = Mix_LoadMUS(job.path.c_str())))
            result.error = Mix_GetError(); // SDL keeps its error text per thread

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

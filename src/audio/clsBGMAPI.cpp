// Background music over SDL2_mixer, MIDI rendered by its FluidSynth backend.
//
// A track is "open" from the moment it is requested until it is stopped, or
// until the poll closes it after a once-only run. While open it is first
// loading (on the worker thread), then playing. "Stopped" is reported
// whenever no track is open, and for an open track once it has ended.
//
// Why the track is watched the way it is:
// - FluidSynth reports the end of a tune only two to four seconds after the
//   last note (release tail plus a fixed wait). A looping track therefore
//   loops inside the mixer, without a gap; a once-only track counts as ended
//   when its length, read from the MIDI file, has passed since it started,
//   or when the mixer says so, whichever comes first.
// - A Mix_Music that has played to its end is never started again: every
//   (re)start loads the file afresh and the old one is freed.
// - No mixer function is called from an SDL callback; the end of a track is
//   only ever noticed by polling from the user-interface thread.
#include "audio/clsBGMAPI.h"

#include "audio/AudioDevice.h"
#include "audio/MusicLoader.h"
#include "common/Logging.h"

#include <QCoreApplication>
#include <QFile>
#include <QObject>
#include <QStringList>

#include <SDL2/SDL_mixer.h>

#include <chrono>
#include <optional>

namespace zorbel
{

namespace
{

using Clock = std::chrono::steady_clock;

// A once-only track counts as ended this long after its last event, which
// covers the output buffer of the device.
constexpr std::chrono::milliseconds kEndGrace{100};

enum class TrackState { Closed, Loading, Playing };

} // namespace

struct clsBGMAPI::Impl {
    bool on = false;
    QStringList tracks;
    bool loop = false;
    std::int16_t current = 0;

    TrackState state = TrackState::Closed;
    Mix_Music* music = nullptr;
    std::optional<Clock::time_point> endsAt; // once-only track: its length from the file
    std::uint64_t ticket = 0;                // the load the open track waits for
    clsBGMAPI* owner = nullptr;              // whose track a finished load wakes
    QString folder;                          // where the tracks are
    QStringList soundFontDirs;               // for opening the device
    QString loadingPath;
    // Track numbers and files, each warned about once. Only this thread
    // warns: the worker hands its errors back with the results.
    WarnOnce warned;

    bool holdsDevice = false;
    std::unique_ptr<audio::MusicLoader> loader;
    // Lives on the user-interface thread; the worker posts "a track is
    // ready" to it so that the track starts without waiting for the poll.
    std::unique_ptr<QObject> wakeTarget;

    bool ensureDevice();
    void startLoad();
    void collect();
    void freeMusic();
};

bool clsBGMAPI::Impl::ensureDevice()
{
    if (!holdsDevice)
        holdsDevice = audio::acquire(soundFontDirs);
    return holdsDevice && audio::midiAvailable();
}

// Opens track `current`: hands its file to the worker. Without a device or
// without MIDI the track stays closed and silent.
void clsBGMAPI::Impl::startLoad()
{
    if (!ensureDevice())
        return;
    if (!loader) {
        if (QCoreApplication::instance() && !wakeTarget)
            wakeTarget = std::make_unique<QObject>();
        QObject* target = wakeTarget.get();
        loader = std::make_unique<audio::MusicLoader>([target, player = owner] {
            // Runs on the worker. The target outlives every call (Shutdown
            // stops the loader, which waits for a call under way and lets
            // none start later, before it deletes the target), and a call
            // still queued when the target goes is dropped by Qt; the owner
            // outlives its target.
            if (target)
                QMetaObject::invokeMethod(
                    target, [player] { player->GetBGMStopped(); }, Qt::QueuedConnection);
        });
    }
    loadingPath = tracks.at(current - 1);
    ++ticket;
    state = TrackState::Loading;
    endsAt.reset();
    loader->request(ticket, QFile::encodeName(loadingPath).toStdString());
}

// Takes the loads the worker has finished: starts the one the open track
// waits for, frees any that are no longer wanted.
void clsBGMAPI::Impl::collect()
{
    if (!loader)
        return;
    audio::MusicLoader::Result r;
    while (loader->take(r)) {
        if (r.ticket != ticket || state != TrackState::Loading) {
            Mix_FreeMusic(r.music);
            continue;
        }
        if (!r.music) {
            if (warned.firstTime(QStringLiteral("file:") + loadingPath))
                qCWarning(lcAudio, "cannot play %s (%s)", qUtf8Printable(loadingPath),
                          r.error.c_str());
            state = TrackState::Closed;
            continue;
        }
        music = r.music;
        Mix_VolumeMusic(audio::kMusicVolume);
        if (Mix_PlayMusic(music, loop ? -1 : 1) != 0) {
            if (warned.firstTime(QStringLiteral("file:") + loadingPath))
                qCWarning(lcAudio, "cannot play %s (%s)", qUtf8Printable(loadingPath),
                          Mix_GetError());
            freeMusic();
            state = TrackState::Closed;
            continue;
        }
        state = TrackState::Playing;
        if (!loop)
            endsAt = Clock::now() +
                     std::chrono::duration_cast<Clock::duration>(
                         std::chrono::duration<double>(r.lengthSeconds)) +
                     kEndGrace;
    }
}

void clsBGMAPI::Impl::freeMusic()
{
    if (music) {
        Mix_HaltMusic();
        Mix_FreeMusic(music);
        music = nullptr;
    }
    endsAt.reset();
}

clsBGMAPI::clsBGMAPI(const QString& folder, const QStringList& soundFontDirs)
    : d_(std::make_unique<Impl>())
{
    d_->owner = this;
    d_->folder = folder;
    d_->soundFontDirs = soundFontDirs;
}

clsBGMAPI::~clsBGMAPI()
{
    Shutdown();
}

void clsBGMAPI::CalledByTimer()
{
    if (!GetBGMStopped() || d_->state != TrackState::Playing)
        return;
    if (d_->loop) {
        // The mixer loops the track by itself; this only happens when it
        // stopped anyway. Start it afresh from a new load.
        d_->freeMusic();
        d_->state = TrackState::Closed;
        d_->startLoad();
    } else {
        d_->freeMusic();
        d_->state = TrackState::Closed;
    }
}

void clsBGMAPI::InitBGM()
{
    d_->on = true;
}

void clsBGMAPI::BGMOnOff(bool vOn)
{
    d_->on = vOn;
}

void clsBGMAPI::AddBGM(const QString& vFileName)
{
    d_->tracks.append(d_->folder + vFileName);
}

void clsBGMAPI::BGMPlay(std::int16_t vBGMNo, bool voNotLoop)
{
    if (!d_->on) {
        BGMStop();
        return;
    }
    if (vBGMNo < 1 || vBGMNo > d_->tracks.size()) {
        // Never asked for by the game; whatever plays goes on.
        if (d_->warned.firstTime(QStringLiteral("track:%1").arg(vBGMNo)))
            qCWarning(lcAudio, "no music track number %d", vBGMNo);
        return;
    }
    if (vBGMNo == d_->current)
        return;
    BGMStop();
    d_->loop = !voNotLoop;
    d_->current = vBGMNo;
    d_->startLoad();
}

void clsBGMAPI::BGMStop()
{
    if (d_->loader)
        d_->loader->cancel();
    ++d_->ticket; // a load still under way is freed when it arrives
    d_->freeMusic();
    d_->state = TrackState::Closed;
    d_->loop = false;
    d_->current = -1;
}

bool clsBGMAPI::GetBGMStopped()
{
    d_->collect();
    switch (d_->state) {
    case TrackState::Closed:
        return true;
    case TrackState::Loading:
        return false;
    case TrackState::Playing:
        break;
    }
    if (d_->endsAt && Clock::now() >= *d_->endsAt)
        return true;
    return Mix_PlayingMusic() == 0;
}

std::int16_t clsBGMAPI::CurrentTrack() const
{
    return d_->current;
}

void clsBGMAPI::WaitForLoad()
{
    if (d_->loader) {
        d_->loader->waitIdle();
        d_->collect();
    }
}

void clsBGMAPI::Shutdown()
{
    if (d_->loader) {
        d_->loader->stop();
        d_->loader.reset();
    }
    d_->wakeTarget.reset();
    BGMStop();
    if (d_->holdsDevice) {
        audio::release();
        d_->holdsDevice = false;
    }
}

} // namespace zorbel

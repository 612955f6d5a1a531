// Sound effects over SDL2_mixer: every effect plays on mixer channel 0, so a
// new one cuts off the one still sounding.
#include "audio/Sound.h"

#include "audio/AudioDevice.h"
#include "audio/PlainFile.h"

#include <QFile>

#include <SDL2/SDL_mixer.h>

namespace zorbel
{

namespace
{
constexpr int kChannel = 0;
// Our longest sound is 1.5 s; this is a minute and a half of CD audio.
constexpr std::size_t kMaxBytes = 16 * 1024 * 1024;
} // namespace

Sound::Sound(const QString& folder, const QStringList& soundFontDirs)
    : folder_(folder), soundFontDirs_(soundFontDirs)
{
}

Sound::~Sound()
{
    Shutdown();
}

void Sound::Add(const QString& FileName)
{
    entries_.push_back(Entry{folder_ + FileName});
}

void Sound::PlayAsync(std::int16_t SoundNumber, std::int16_t LoopFlg, std::int16_t,
                      std::int16_t NoStopFlg)
{
    if (!SoundOn)
        return;
    if (SoundNumber < 1 || SoundNumber > static_cast<int>(entries_.size())) {
        if (warned_.firstTime(QStringLiteral("sound:%1").arg(SoundNumber)))
            qCWarning(lcAudio, "no sound number %d", SoundNumber);
        return;
    }
    if (!holdsDevice_)
        holdsDevice_ = audio::acquire(soundFontDirs_);
    if (!holdsDevice_)
        return;
    if (NoStopFlg && Mix_Playing(kChannel))
        return;
    Mix_Chunk* chunk = chunkFor(SoundNumber);
    if (!chunk) {
        // Silence rather than an alert sound; what was playing stops, as
        // it would for a sound that plays.
        Mix_HaltChannel(kChannel);
        return;
    }
    Mix_PlayChannel(kChannel, chunk, LoopFlg ? -1 : 0);
}

Mix_Chunk* Sound::chunkFor(int number)
{
    Entry& e = entries_[static_cast<std::size_t>(number - 1)];
    if (!e.chunk && !e.failed) {
        // Read here rather than by the mixer, which would block the game in
        // open() on a named pipe in the sound's place.
        const audio::FileBytes file =
            audio::readPlainFile(QFile::encodeName(e.path).toStdString(), kMaxBytes + 1);
        QString why = QString::fromStdString(file.error);
        if (why.isEmpty() && file.bytes.size() > kMaxBytes) {
            why = QStringLiteral("larger than 16 MiB");
        } else if (why.isEmpty()) {
            // The mixer decodes a copy and closes rw.
            SDL_RWops* rw = SDL_RWFromConstMem(file.bytes.data(), int(file.bytes.size()));
            e.chunk = rw ? Mix_LoadWAV_RW(rw, 1) : nullptr;
            if (!e.chunk)
                why = QString::fromUtf8(Mix_GetError());
        }
        if (!e.chunk) {
            e.failed = true;
            if (warned_.firstTime(QStringLiteral("file:") + e.path))
                qCWarning(lcAudio, "cannot play %s (%s)", qUtf8Printable(e.path),
                          qUtf8Printable(why));
        }
    }
    return e.chunk;
}

void Sound::StopSound()
{
    if (holdsDevice_)
        Mix_HaltChannel(kChannel);
}

void Sound::RemoveAll()
{
    freeChunks();
    entries_.clear();
}

void Sound::freeChunks()
{
    if (holdsDevice_)
        Mix_HaltChannel(kChannel);
    for (Entry& e : entries_) {
        // Chunks exist only while the device is held.
        Mix_FreeChunk(e.chunk);
        e.chunk = nullptr;
        e.failed = false;
    }
}

void Sound::Shutdown()
{
    freeChunks();
    if (holdsDevice_) {
        audio::release();
        holdsDevice_ = false;
    }
}

} // namespace zorbel

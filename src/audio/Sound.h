// Numbered sound effects, played on one channel without blocking.
#pragma once

#include "audio/AudioDevice.h"
#include "audio/AudioInterfaces.h"
#include "common/Logging.h"

#include <QString>

#include <cstdint>
#include <vector>

struct Mix_Chunk;

namespace zorbel
{

class Sound final : public SoundEffects
{
public:
    // Sounds read from `folder` (ending with "/"). Any number may exist at
    // once (they share the audio device and its one channel). The device,
    // when this opens it, looks for its SoundFont in soundFontDirs.
    explicit Sound(const QString& folder,
                   const QStringList& soundFontDirs = audio::defaultSoundFontDirs());
    ~Sound(); // shuts down
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    bool SoundOn = false; // nothing reaches the mixer while this is false

    // Appends the folder + FileName to the list; numbered from 1.
    void Add(const QString& FileName) override;
    void SetSoundOn(bool on) override { SoundOn = on; }

    // Plays entry SoundNumber; a new request cuts off the one playing
    // unless NoStopFlg is set; LoopFlg loops until the next request.
    // Never waits for the sound: ASYNCFlg is accepted but every sound plays
    // asynchronously. A number that was never registered is ignored.
    void PlayAsync(std::int16_t SoundNumber, std::int16_t LoopFlg, std::int16_t ASYNCFlg,
                   std::int16_t NoStopFlg);
    void play(SoundCue cue) override { PlayAsync(static_cast<std::int16_t>(cue), 0, 1, 0); }
    void StopSound();
    void RemoveAll();

    // Frees every loaded sound. Safe to call more than once.
    void Shutdown();

private:
    QString folder_;
    QStringList soundFontDirs_;
    // The loaded sound of entry i + 1, read from its file at its first play.
    struct Entry {
        QString path;
        Mix_Chunk* chunk = nullptr;
        bool failed = false; // could not be read: not tried again
    };
    Mix_Chunk* chunkFor(int number);
    void freeChunks();

    std::vector<Entry> entries_;
    bool holdsDevice_ = false;
    WarnOnce warned_; // numbers and files, each warned about once
};

} // namespace zorbel

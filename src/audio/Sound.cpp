// Placeholder until the audio is built: silent.
#include "audio/Sound.h"

namespace zorbel {

Sound& Sound::instance()
{
    static Sound s;
    return s;
}

void Sound::Add(const QString&) {}
void Sound::PlayAsync(std::int16_t SoundNumber, std::int16_t, std::int16_t, std::int16_t)
{
    if (SoundOn && playHook)
        playHook(SoundNumber);
}
void Sound::StopSound() {}
void Sound::RemoveAll() {}
void Sound::Shutdown() {}

} // namespace zorbel

#include "audio/AudioDevice.h"

#include "common/Logging.h"

#include <QDir>
#include <QFileInfo>

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <fluidsynth.h>

namespace zorbel::audio
{

namespace
{

// Plain values only, so nothing here is destroyed before the audio objects
// of the program that still call release() on their way out.
int g_holders = 0; // how many objects hold the device
bool g_open = false;
bool g_failed = false; // no usable device: never tried again in this run
bool g_midi = false;

// What opening the device warned about, for the whole run: a device opened
// again after everybody let go says nothing new. Unlike the values above it
// may go before the audio objects at the end of the program: only opening
// the device warns, and on their way out they only release it.
WarnOnce& deviceWarnings()
{
    static WarnOnce warned;
    return warned;
}

QString sdlError()
{
    return QString::fromUtf8(SDL_GetError());
}

// SDL_mixer builds a new FluidSynth synthesizer for every track it loads.
// Each one sets up FluidSynth's patch library afresh when no other
// synthesizer exists, and that set-up leaves a few kilobytes behind every
// time. One idle synthesizer, held for as long as the device is open, keeps
// the library set up, so loading a track leaves nothing behind.
fluid_settings_t* g_keeperSettings = nullptr;
fluid_synth_t* g_keeper = nullptr;

void holdSynthesizer()
{
    if (g_keeper)
        return;
    g_keeperSettings = new_fluid_settings();
    if (!g_keeperSettings)
        return;
    // It never plays: keep it as small as FluidSynth allows.
    fluid_settings_setint(g_keeperSettings, "synth.polyphony", 1);
    fluid_settings_setint(g_keeperSettings, "synth.reverb.active", 0);
    fluid_settings_setint(g_keeperSettings, "synth.chorus.active", 0);
    g_keeper = new_fluid_synth(g_keeperSettings);
}

void dropSynthesizer()
{
    if (g_keeper)
        delete_fluid_synth(g_keeper);
    if (g_keeperSettings)
        delete_fluid_settings(g_keeperSettings);
    g_keeper = nullptr;
    g_keeperSettings = nullptr;
}

void closeDevice()
{
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    Mix_CloseAudio();
    dropSynthesizer();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    g_open = false;
    g_midi = false;
}

bool openDevice(const QStringList& dirs)
{
    // SDL must not take over SIGINT and SIGTERM: the window closes (and
    // saves) on them itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Zorbel");
    // MIDI goes through FluidSynth only. Timidity would otherwise be retried
    // (and fail for want of its configuration) at every track load.
    SDL_SetHint("SDL_MIXER_DISABLE_TIMIDITY", "1");

    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        if (deviceWarnings().firstTime(QStringLiteral("device")))
            qCWarning(lcAudio, "no audio device (%s); sounds and music are off",
                      qUtf8Printable(sdlError()));
        return false;
    }

    const QString soundFont = findSoundFont(dirs);
    if (soundFont.isEmpty()) {
        if (deviceWarnings().firstTime(QStringLiteral("soundfont")))
            qCWarning(lcAudio, "no General MIDI SoundFont in %s; music is off",
                      qUtf8Printable(dirs.join(QStringLiteral(", "))));
    } else {
        // Exactly one path, given before the device opens: the FluidSynth
        // backend checks it when the device opens and loads it per track.
        Mix_SetSoundFonts(QFile::encodeName(soundFont).constData());
        Mix_Init(MIX_INIT_MID);
    }

    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
        if (deviceWarnings().firstTime(QStringLiteral("device")))
            qCWarning(lcAudio, "cannot open the audio device (%s); sounds and music are off",
                      Mix_GetError());
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }

    // The sound effects own channel 0 and nothing else plays chunks.
    Mix_AllocateChannels(1);
    Mix_VolumeMusic(kMusicVolume);

    g_midi = !soundFont.isEmpty() && Mix_HasMusicDecoder("FLUIDSYNTH");
    if (!soundFont.isEmpty() && !g_midi) {
        if (deviceWarnings().firstTime(QStringLiteral("fluidsynth")))
            qCWarning(lcAudio, "FluidSynth cannot use %s (%s); music is off",
                      qUtf8Printable(soundFont), Mix_GetError());
    }
    if (g_midi)
        holdSynthesizer();
    g_open = true;
    return true;
}

} // namespace

bool acquire(const QStringList& soundFontDirs)
{
    if (!g_open) {
        if (g_failed)
            return false;
        if (!openDevice(soundFontDirs)) {
            g_failed = true;
            return false;
        }
    }
    ++g_holders;
    return true;
}

void release()
{
    if (g_holders == 0)
        return;
    if (--g_holders == 0 && g_open)
        closeDevice();
}

bool isOpen()
{
    return g_open;
}

bool midiAvailable()
{
    return g_open && g_midi;
}

QString findSoundFont(const QStringList& dirs)
{
    const QStringList names = {QStringLiteral("TimGM6mb"), QStringLiteral("default-GM")};
    const QStringList suffixes = {QStringLiteral(".sf2"), QStringLiteral(".sf3")};
    for (const QString& name : names) {
        for (const QString& dir : dirs) {
            for (const QString& suffix : suffixes) {
                const QString path = QDir(dir).filePath(name + suffix);
                const QFileInfo info(path);
                // A path with ';' would be split in two by the mixer.
                if (info.isFile() && info.isReadable() && !path.contains(QLatin1Char(';')))
                    return path;
            }
        }
    }
    return {};
}

QStringList defaultSoundFontDirs()
{
    return {QStringLiteral("/usr/share/sounds/sf2/"), QStringLiteral("/usr/share/sounds/sf3/")};
}

} // namespace zorbel::audio

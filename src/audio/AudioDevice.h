// The one audio device shared by the sound effects and the music.
//
// Opened on first need by whichever Sound or clsBGMAPI object needs it,
// closed when the last of them lets go, so they may shut down in any order.
// Both are handed the folders to look for a SoundFont in (the game leaves
// the default ones, tests give their own); the one that opens the device
// decides which SoundFont it keeps.
// Everything here is called from the user-interface thread only.
#pragma once

#include <QString>
#include <QStringList>

namespace zorbel::audio
{

// The folders searched at run time (Debian's usual places).
QStringList defaultSoundFontDirs();

// Opens the device if needed and counts one more holder. False when there
// is no usable device (then everything stays silent; the cause is warned
// about once for the whole run and the device is not tried again). Each
// object holds the device at most once and releases what it acquired.
// The call that opens the device looks for the SoundFont in soundFontDirs
// (see findSoundFont); while the device stays open it keeps that one.
bool acquire(const QStringList& soundFontDirs = defaultSoundFontDirs());

// One holder lets go; the device closes when nobody holds it any more.
void release();

bool isOpen();

// True when the open device can play MIDI: a SoundFont was found and the
// FluidSynth backend took it.
bool midiAvailable();

// Music volume of the mixer (of 128). The FluidSynth backend turns it into
// a synthesizer gain of volume * 1.2 / 128; at 80 (gain 0.75) our loudest
// tune peaks near 0.6 of full scale, which leaves room for a sound effect
// on top.
constexpr int kMusicVolume = 80;

// The SoundFont to use: the first TimGM6mb file in any of dirs, otherwise
// the first default-GM file; each name is tried as .sf2 and then .sf3.
// Empty when there is none. Links are followed; a dangling link, a folder or
// an unreadable file does not count.
QString findSoundFont(const QStringList& dirs);

} // namespace zorbel::audio

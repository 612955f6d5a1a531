// The sound effects, the music and the hints of the information line, by
// name, with the file or the text of each in one table.
#pragma once

#include <array>
#include <cstdint>

namespace zorbel
{

// The sound effects, numbered in the order they are registered.
enum class SoundCue : std::int16_t {
    Fanfare = 1, // a stage passed
    Buzzer,      // a stage failed
    Drums,       // the demonstration
    Beep,        // a button
};

// The file of each sound effect, in registration order (Fanfare first).
inline constexpr std::array<const char*, 4> kSoundCueFiles = {"fanfale1.wav", "buzzer1.wav",
                                                              "drums2.wav", "pi2.wav"};

// The music tracks, numbered from 1 in this order. The round's tune is
// TrackForRound's; the menu and the ending have their own.
inline constexpr std::array<const char*, 8> kTrackFiles = {
    "rg1.mid", "rg2.mid", "rg3.mid", "rg4.mid", "rg5.mid", "rg7.mid", "rg8.mid", "rg9.mid"};
inline constexpr std::int16_t kTrackMenu = 7;
inline constexpr std::int16_t kTrackEnding = 8;

// The information line's hints.
enum class Hint : std::int16_t {
    ChoosePractice = 1, // the menu before level 3
    FillTheBoard,       // a round starts
    PassMark,           // a stage failed: Retry
    WellDone,           // a stage passed
    BackToMenu,         // practice, or left for the menu
    SecondStage,        // the SECOND stage's fixed cells
    ClickToHide,        // the menu from level 3
    YouAreGreat,        // the game completed
};

// The hint's text (UTF-8).
const char* HintText(Hint hint);

} // namespace zorbel

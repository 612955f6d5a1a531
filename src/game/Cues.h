// The sound effects and the hints of the information line, by name, with
// the file or the text of each in one table.
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

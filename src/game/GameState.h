// The game's lasting state in one shape: where the player stands in a
// level, the progress that zorbel.ini keeps, and the player's switches.
// The settings file converts to and from these at its edge; everything
// else passes them around whole.
#pragma once

#include <array>
#include <cstdint>

namespace zorbel
{

// Where the player is in a level.
enum class StageState : std::int16_t {
    LevelDone, // a level was just completed: Try goes back to the menu
    Practice,  // practice, and the menu
    First,
    Second, // the first CellCount / 15 cells (rounded down) are fixed
    Third,  // level 5: the game takes a cell every three seconds
};

// The player's three switches: sound effects, music, information line.
struct OptionFlags {
    bool SoundOn = true;
    bool BGMOn = true;
    bool InfoOn = true;

    bool operator==(const OptionFlags&) const = default;
};

// What the player has reached.
struct Progress {
    std::int16_t LevelMax = 1;              // highest unlocked level, 1..5
    std::array<std::int16_t, 6> MaxScore{}; // best real-game score per level 1..5
    bool ClearFlg = false;                  // the whole game has been completed

    bool operator==(const Progress&) const = default;
};

// Everything zorbel.ini keeps.
struct GameData {
    Progress progress;
    OptionFlags options;

    bool operator==(const GameData&) const = default;
};

// The level and stage being played, with the progress they are judged against.
struct Standing {
    std::int16_t Level = 1; // 1..5 in play; 6 once level 5 is completed
    StageState Stage = StageState::First;
    Progress progress;
};

} // namespace zorbel

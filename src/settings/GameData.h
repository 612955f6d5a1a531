// Reading and saving the game's progress and options in zorbel.ini.
#pragma once

#include <array>
#include <cstdint>

namespace zorbel {

class INI;

struct GameData {
    std::int16_t LevelMax = 1;
    std::array<std::int16_t, 6> MaxScore{};  // entries 1..5 are stored
    bool ClearFlg = false;
    bool SoundOn = true;
    bool BGMOn = true;
    bool InfoOn = true;
};

// Reads the eleven keys; without the "OK" marker, returns the defaults.
// Values out of range are clamped or replaced by the key's default.
GameData ReadGameData(const INI& ini);

// Writes all eleven keys in one atomic file write.
void SaveGameData(INI& ini, const GameData& data);

} // namespace zorbel

// Placeholder until the settings file is built.
#include "settings/GameData.h"

#include "settings/INI.h"

namespace zorbel {

GameData ReadGameData(const INI&) { return {}; }
void SaveGameData(INI&, const GameData&) {}

} // namespace zorbel

// Reading and saving the game's progress and options in zorbel.ini.
#pragma once

#include "game/GameState.h"
#include "settings/INI.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

namespace zorbel
{

// Reads the eleven keys; without the "OK" marker, returns the defaults.
// Values out of range are clamped or replaced by the key's default.
GameData ReadGameData(const INI& ini);

// Writes all eleven keys in one atomic file write. Progress never goes down:
// the level, the best scores and the completion read from the file first
// are kept where they are higher (another copy of the game may have saved
// them meanwhile); the options are written as given. Returns false when the
// file could not be written (the old file stays as it was).
bool SaveGameData(INI& ini, const GameData& data);

// The eleven entries in file order, holding the values of data in the
// file's text forms.
QList<INI::Entry> GameDataEntries(const GameData& data);

// The game data from the eleven texts read for GameDataEntries' keys, in
// the same order.
GameData GameDataFromValues(const QStringList& values);

// A number in the file: one blank before zero and positive values, a minus
// sign before negative ones (" 3", "-1").
QString FormatIniNumber(int value);
// A flag in the file: "True" or "False".
QString FormatIniFlag(bool value);

// The leading decimal number of a text (leading blanks skipped, trailing
// text ignored, none at all gives 0), rounded to the nearest integer with
// halves going to the even neighbour. Empty when it does not fit 16 bits.
std::optional<std::int16_t> ReadIniNumber(const QString& text);
// "True" or "False" in any letter case, or a number (true when not zero).
// Empty for any other text.
std::optional<bool> ReadIniFlag(const QString& text);

} // namespace zorbel

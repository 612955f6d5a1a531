// How the text of one answer cell is read. A cell holds at most one
// character; only the ASCII digits 0-9 count as digits.
#pragma once

#include <cstdint>
#include <string_view>

namespace zorbel
{

// A change of a cell is accepted (flashes, moves on) when its text is a
// digit: "0" or a number above 0.
bool IsAcceptedDigit(std::string_view text);

// A cell counts as filled when its text begins with a digit.
bool CellFilled(std::string_view text);

// The digit a cell holds for scoring: 0..9; an empty cell or a text that
// does not begin with a digit reads as 0.
std::int16_t DigitOf(std::string_view text);

// What a cell keeps when several characters reach it at once (a paste or a
// drop): only the last character, as if it had been typed last.
std::string_view LastCharacter(std::string_view utf8);

} // namespace zorbel

#include "game/CellRules.h"

namespace zorbel
{

namespace
{
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
} // namespace

bool IsAcceptedDigit(std::string_view text)
{
    return text.size() == 1 && isDigit(text[0]);
}

bool CellFilled(std::string_view text)
{
    return !text.empty() && isDigit(text[0]);
}

std::int16_t DigitOf(std::string_view text)
{
    return CellFilled(text) ? static_cast<std::int16_t>(text[0] - '0') : std::int16_t{0};
}

std::string_view LastCharacter(std::string_view utf8)
{
    if (utf8.empty())
        return utf8;
    // Step back over UTF-8 continuation bytes to the start of the last character.
    std::size_t start = utf8.size() - 1;
    while (start > 0 && (static_cast<unsigned char>(utf8[start]) & 0xC0) == 0x80)
        --start;
    return utf8.substr(start);
}

} // namespace zorbel

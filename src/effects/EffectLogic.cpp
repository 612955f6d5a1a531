#include "effects/EffectLogic.h"

#include <algorithm>

namespace zorbel
{

std::optional<std::string> BannerText(int tick, int stage, std::string_view digits)
{
    if (tick > kBannerLastTick)
        return std::nullopt;
    std::string work(digits.substr(0, kBannerDigits));
    work.resize(kBannerDigits, '0');

    const int wiped = std::min(7 * std::max(tick, 0), 155);
    const char stageDigit = static_cast<char>('1' + std::clamp(stage, 0, 2));
    std::fill_n(work.begin(), wiped, stageDigit);

    if (tick > 22) {
        static constexpr std::string_view kOrdinals = "1ST2ND3RD4TH";
        const std::string label = " " +
                                  std::string(kOrdinals.substr(
                                      static_cast<std::size_t>(std::clamp(stage, 0, 3)) * 3, 3)) +
                                  " stage ";
        work.replace(72, 11, label); // characters 73..83, counted from 1
    }

    std::string display;
    display.reserve(163);
    for (int line = 0; line < 5; ++line) {
        if (line > 0)
            display += "\r\n";
        display.append(work, static_cast<std::size_t>(line) * 31, 31);
    }
    return display;
}

int NextSCTick(int scTick)
{
    return (scTick + 1) % 100;
}

std::string WaitingText(int scTick)
{
    std::string text = "----";
    text[static_cast<std::size_t>(scTick & 3)] = '?';
    return text.substr(0, 3);
}

int FlashGrey(int flashCount)
{
    return 255 * (flashCount % 2 != 0 ? 1 : 0);
}

char St3Digit(int cell)
{
    return static_cast<char>('0' + cell % 10);
}

bool St3Finished(int nextCell, int cellCount)
{
    return nextCell > cellCount * 0.8;
}

const std::string_view EndPoints =
    "0390102005400975069009150840085509900765111007051260064513950600139506601335079512450975"
    "1170117010951290097514700900160507951740064519050510202504202130030022501380183014851920"
    "1575201016502115174022201980153021451470232514402475139526401335282012602880139528801575"
    "2895174028951905289520702895223528952400211528502250277523702700247526402625259527902565"
    "2955255026700930322510354365063042900750421508554140096040351095396012153855136536901455"
    "3540148543501485433516354335180043201950432021154320228043352400435025503555295534653060"
    "3375316532703195316533153105342030003570291036902835378025804245448533454380343542153480"
    "40803570393036453765372035254260";

EndingStep EndingPosition(int tick)
{
    EndingStep step;
    step.cell = tick - 1;
    // The table is read through 40 zeros followed by the table: group t
    // (characters 8t+1..8t+8) applies on tick t, so ticks 1..4 and the ticks
    // past the end of the table hide their cells.
    const int tableIndex = tick - 5;
    if (tableIndex < 0 || static_cast<std::size_t>(tableIndex) * 8 + 8 > EndPoints.size())
        return step;
    const std::string_view group = EndPoints.substr(static_cast<std::size_t>(tableIndex) * 8, 8);
    auto value = [](std::string_view digits) {
        int v = 0;
        for (char c : digits)
            v = v * 10 + (c - '0');
        return v;
    };
    step.x = value(group.substr(0, 4));
    step.y = value(group.substr(4, 4));
    step.hidden = step.x == 0 || step.y == 0;
    return step;
}

int FarewellBlue(int tick)
{
    return (tick & 7) * 32;
}

int NextEndTick(int tick)
{
    const int next = tick + 1;
    return next > kEndingCloseTick + 8 ? next - 8 : next;
}

} // namespace zorbel

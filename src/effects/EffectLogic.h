// What the timed effects show on a given tick, as pure functions: the
// window's timers call these and apply the answer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zorbel
{

// ---- Stage banner (message board) ----
inline constexpr int kBannerDigits = 156;  // random digits drawn per tick
inline constexpr int kBannerLastTick = 40; // tick 41 hides the board

// The board's text on tick `tick` (1..40) of the banner for `stage` (0..2):
// five lines of 31 characters joined by CR LF. `digits` holds the tick's
// 156 fresh random digits. Past tick 40 there is nothing to show.
std::optional<std::string> BannerText(int tick, int stage, std::string_view digits);

// ---- Waiting indicator ----
int NextSCTick(int scTick);          // (scTick + 1) mod 100
std::string WaitingText(int scTick); // "?--", "-?-", "--?" or "---"

// ---- Digit flash ----
// Text grey level for a countdown value: 255 (white) when odd, 0 when even.
int FlashGrey(int flashCount);

// ---- THIRD-stage overwrite ----
char St3Digit(int cell);                       // the cell index mod 10
bool St3Finished(int nextCell, int cellCount); // nextCell > cellCount * 0.8

// ---- Ending ----
// The ending's coordinate table: 81 points of 8 digits (X then Y, twips).
extern const std::string_view EndPoints;

struct EndingStep {
    int cell = 0;       // the cell this tick moves or hides (tick - 1)
    bool hidden = true; // X or Y reads as 0: the cell is hidden
    int x = 0;          // left edge, twips within the board
    int y = 0;          // top edge, twips within the board
};
// The drawing step for tick 1..100.
EndingStep EndingPosition(int tick);

inline constexpr int kEndingDrawTicks = 100;
inline constexpr int kEndingCloseTick = 181; // first tick past 180

// Blue part of the farewell's background on tick t: (t & 7) * 32.
int FarewellBlue(int tick);

// The ending's tick counter after `tick`. Past the closing tick it wraps
// back by 8, so it never grows without bound yet keeps the flicker's phase.
int NextEndTick(int tick);

} // namespace zorbel

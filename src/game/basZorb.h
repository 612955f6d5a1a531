// Program-wide game state, the level table and the randomness score.
//
// This is the core of the game and is plain C++: it needs no Qt and no
// window, so the scoring tool and the tests use it directly.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace zorbel
{

inline constexpr int kMaxCells = 100; // the board always has 100 cells
inline constexpr double kPassMark = 80;

// The board as the scoring sees it. The progress and the switches are kept
// apart, in GameState.h's shapes.
struct basZorb {
    std::int16_t CellCount = 0;                   // cells in play for the current level
    std::array<std::int16_t, kMaxCells> Digits{}; // digits read from the board by 採点
    std::string DecInfoText;                      // score details of the last scoring (UTF-8)

    // Scores the first CellCount entries of Digits and rebuilds DecInfoText.
    double CalcScore();
};

// Cells of a level: 0 -> 3, 1..5 -> 30/40/60/80/100, anything else -> 0.
std::int16_t CellsForLevel(std::int16_t level);

// Stages of a level: 3 for level 5, 2 otherwise.
std::int16_t StageCount(std::int16_t level);

// Cells fixed at the start of a SECOND stage: CellCount / 15, rounded down.
std::int16_t FixedCellCount(std::int16_t cellCount);

struct ScoreResult {
    double score = 0;
    std::string details; // four lines joined by CR LF (only when asked for)
};

// All that the score is worked out from: the number of digits, how often
// each digit comes, and how often each size of step (0 to 9) comes between
// neighbours.
struct DigitTally {
    int n = 0;
    std::array<int, 10> counts{};
    std::array<int, 10> steps{};
};

DigitTally TallyDigits(std::span<const std::int16_t> digits);

// The scoring formula from a tally of 1..100 digits.
ScoreResult ScoreTally(const DigitTally& tally, bool wantDetails);

// The scoring formula itself, for any sequence of 1..100 digits 0..9.
// `details` is filled only when wantDetails is true (the scoring tool
// skips it for speed). The arithmetic is IEEE double in the order the
// rules give it, with whole-number deductions and a clamp to 0..100.
ScoreResult ScoreDigits(std::span<const std::int16_t> digits, bool wantDetails);

// Writes a number the way the score details show it: one leading blank,
// whole numbers without a point, otherwise the shortest exact form.
std::string FormatDetailNumber(double value);

// The shortest decimal form that reads back as the same double ("88", "38.2").
std::string FormatShortest(double value);

} // namespace zorbel

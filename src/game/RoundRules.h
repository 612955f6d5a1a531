// The rules of a round that decide things: the verdict for a score, what a
// pass or a failure does to the progress, which tune a round plays and how
// long the result suspense lasts. Pure functions, tested without a window.
#pragma once

#include "game/Cues.h"
#include "game/GameState.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zorbel
{

enum class VerdictColour { None, Red, Blue };

struct Verdict {
    std::string text; // "Nice!", "Great!!", "Excellent!!!", "Valueable...", "Fault..." or empty
    VerdictColour colour = VerdictColour::None;
};

// Verdict word and colour for a real-game score. A fractional score that
// falls between two bands (only possible on the 3-cell level 0) gets none.
Verdict VerdictFor(double score);

// Flicker ticks before the result shows: 40 in level 5's SECOND and THIRD
// stages, 12 otherwise.
int ResultTickLimit(std::int16_t level, StageState stage);

// Music track (1..8) that a round of this level and stage plays, looping;
// 0 when no track is to be requested (a level outside 1..5).
std::int16_t TrackForRound(std::int16_t level, StageState stage);

// A real-game stage: FIRST, SECOND or THIRD.
bool IsRealStage(StageState stage);

// The place of a real-game stage in its level: 0, 1, 2 for FIRST, SECOND
// and THIRD (the stage banner counts by it); -1 for any other state.
int StageNumber(StageState stage);

// lblStage's caption: "FIRST stage", "SECONDstage", "THIRD stage", and
// "Practice mode" for every other state.
const char* StageCaption(StageState stage);

// What the Try button does after a real-game round.
enum class TryStep {
    NextStage,   // the next stage of the level
    Retry,       // the same level again
    GoToLevel,   // the level was completed: on to after.Level from the menu
    GameCleared, // the last level was completed: the ending
};

// What the result display does after a real-game round.
struct Judgement {
    Standing after;
    SoundCue sound = SoundCue::Buzzer; // the fanfare on a pass
    std::vector<Hint> infos;           // hints to show, in order
    TryStep tryStep = TryStep::Retry;  // what Try does next (the UI words it)
    bool disableRetire = false;        // a completed level leaves no round to retire from
    bool scoreRed = false;             // the score turns red on a pass, black on a failure
    Verdict verdict;
};

// Judges a real-game score (before.Stage FIRST, SECOND or THIRD).
Judgement JudgeResult(const Standing& before, double score);

// The best score of a level only ever grows; a score is rounded to a whole
// number (halves to even) before it is stored. Levels outside 1..5 keep none.
void RecordBestScore(std::array<std::int16_t, 6>& maxScore, std::int16_t level, double score);

} // namespace zorbel

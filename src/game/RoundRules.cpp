#include "game/RoundRules.h"

#include "game/basZorb.h"

#include <cmath>

namespace zorbel
{

Verdict VerdictFor(double score)
{
    if (score >= 95 && score <= 100)
        return {"Excellent!!!", VerdictColour::Red};
    if (score >= 90 && score <= 94)
        return {"Great!!", VerdictColour::Red};
    if (score >= 80 && score <= 89)
        return {"Nice!", VerdictColour::Red};
    if (score >= 70 && score <= 79)
        return {"Valueable...", VerdictColour::Blue};
    if (score >= 0 && score <= 69)
        return {"Fault...", VerdictColour::Blue};
    return {};
}

int ResultTickLimit(std::int16_t level, std::int16_t stage)
{
    return (level == 5 && stage >= 1) ? 40 : 12;
}

std::int16_t TrackForRound(std::int16_t level, std::int16_t stage)
{
    if (stage < 0)
        return 6; // practice
    if (stage >= 2)
        return 1; // THIRD stage
    if (level < 1 || level > 5)
        return 0;
    static constexpr std::int16_t kFirst[6] = {0, 4, 4, 3, 3, 5};
    static constexpr std::int16_t kSecond[6] = {0, 2, 2, 5, 5, 1};
    return stage == 0 ? kFirst[level] : kSecond[level];
}

void RecordBestScore(std::array<std::int16_t, 6>& maxScore, std::int16_t level, double score)
{
    if (level < 1 || level > 5)
        return;
    auto& best = maxScore[static_cast<std::size_t>(level)];
    if (score > best)
        best = static_cast<std::int16_t>(std::nearbyint(score));
}

Judgement JudgeResult(const Progress& before, double score)
{
    Judgement j;
    j.after = before;
    Progress& p = j.after;
    RecordBestScore(p.MaxScore, p.Level, score);
    j.verdict = VerdictFor(score);

    if (score >= kPassMark) {
        j.passed = true;
        j.sound = 1;
        j.infos.push_back(4);
        j.scoreRed = true;
        p.Stage = static_cast<std::int16_t>(p.Stage + 1);
        if (p.Stage < StageCount(p.Level)) {
            j.tryStep = TryStep::NextStage;
            return j;
        }
        p.Level = static_cast<std::int16_t>(p.Level + 1);
        if (p.LevelMax < p.Level)
            p.LevelMax = p.Level;
        j.disableRetire = true;
        if (p.Level < 6) {
            p.Stage = -2;
            j.tryStep = TryStep::GoToLevel;
        } else {
            p.ClearFlg = true;
            p.LevelMax = 5;
            j.tryStep = TryStep::GameCleared;
            j.infos.push_back(8);
        }
        return j;
    }

    j.sound = 2;
    j.infos.push_back(3);
    p.Stage = -1;
    j.tryStep = TryStep::Retry;
    return j;
}

} // namespace zorbel

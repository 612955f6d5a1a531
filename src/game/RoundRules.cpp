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

int ResultTickLimit(std::int16_t level, StageState stage)
{
    return (level == 5 && (stage == StageState::Second || stage == StageState::Third)) ? 40 : 12;
}

std::int16_t TrackForRound(std::int16_t level, StageState stage)
{
    if (!IsRealStage(stage))
        return 6; // practice
    if (stage == StageState::Third)
        return 1;
    if (level < 1 || level > 5)
        return 0;
    static constexpr std::int16_t kFirst[6] = {0, 4, 4, 3, 3, 5};
    static constexpr std::int16_t kSecond[6] = {0, 2, 2, 5, 5, 1};
    return stage == StageState::First ? kFirst[level] : kSecond[level];
}

bool IsRealStage(StageState stage)
{
    return StageNumber(stage) >= 0;
}

int StageNumber(StageState stage)
{
    switch (stage) {
    case StageState::First:
        return 0;
    case StageState::Second:
        return 1;
    case StageState::Third:
        return 2;
    case StageState::LevelDone:
    case StageState::Practice:
        break;
    }
    return -1;
}

const char* StageCaption(StageState stage)
{
    switch (stage) {
    case StageState::First:
        return "FIRST stage";
    case StageState::Second:
        return "SECONDstage";
    case StageState::Third:
        return "THIRD stage";
    case StageState::LevelDone:
    case StageState::Practice:
        break;
    }
    return "Practice mode";
}

void RecordBestScore(std::array<std::int16_t, 6>& maxScore, std::int16_t level, double score)
{
    if (level < 1 || level > 5)
        return;
    auto& best = maxScore[static_cast<std::size_t>(level)];
    if (score > best)
        best = static_cast<std::int16_t>(std::nearbyint(score));
}

Judgement JudgeResult(const Standing& before, double score)
{
    Judgement j;
    j.after = before;
    Standing& s = j.after;
    Progress& p = s.progress;
    RecordBestScore(p.MaxScore, s.Level, score);
    j.verdict = VerdictFor(score);

    if (score >= kPassMark) {
        j.sound = SoundCue::Fanfare;
        j.infos.push_back(Hint::WellDone);
        j.scoreRed = true;
        const int next = StageNumber(s.Stage) + 1;
        if (next < StageCount(s.Level)) {
            s.Stage = next == 1 ? StageState::Second : StageState::Third;
            j.tryStep = TryStep::NextStage;
            return j;
        }
        s.Level = static_cast<std::int16_t>(s.Level + 1);
        if (p.LevelMax < s.Level)
            p.LevelMax = s.Level;
        j.disableRetire = true;
        s.Stage = StageState::LevelDone;
        if (s.Level < 6) {
            j.tryStep = TryStep::GoToLevel;
        } else {
            p.ClearFlg = true;
            p.LevelMax = 5;
            j.tryStep = TryStep::GameCleared;
            j.infos.push_back(Hint::YouAreGreat);
        }
        return j;
    }

    j.sound = SoundCue::Buzzer;
    j.infos.push_back(Hint::PassMark);
    s.Stage = StageState::Practice;
    j.tryStep = TryStep::Retry;
    return j;
}

} // namespace zorbel

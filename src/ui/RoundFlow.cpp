#include "ui/RoundFlow.h"

#include "game/Random.h"

#include <QtGlobal>

#include <cmath>

namespace zorbel
{

QString ThreeDigits(double value)
{
    return QString::asprintf("%03d", static_cast<int>(std::nearbyint(value)));
}

QString TryCaption(const Judgement& judgement)
{
    switch (judgement.tryStep) {
    case TryStep::NextStage:
        return QStringLiteral("NextStage");
    case TryStep::GoToLevel:
        return QStringLiteral("Go to Level") + QString::number(judgement.after.Level);
    case TryStep::GameCleared:
        return QStringLiteral("Good Job!!!");
    case TryStep::Retry:
        break;
    }
    return QStringLiteral("Retry");
}

RoundFlow::RoundFlow(Random& random, QObject* parent) : QObject(parent), random_(random)
{
    timResult.setObjectName(QStringLiteral("timResult"));
    timResult.setInterval(50);
    timResult.setTimerType(Qt::PreciseTimer);
    connect(&timResult, &QTimer::timeout, this, &RoundFlow::timResult_Timer);
}

void RoundFlow::Load(const GameData& saved)
{
    standing_.progress = saved.progress;
    options_ = saved.options;
    standing_.Level = saved.progress.LevelMax;
}

Buttons RoundFlow::buttons() const
{
    switch (phase_) {
    case Phase::Menu:
    case Phase::Ending:
        return {};
    case Phase::Typing:
    case Phase::Counting:
        return {offered_, false, true, practice_};
    case Phase::Judged:
        return {false, true, retireLeft_, practice_};
    }
    return {};
}

void RoundFlow::EnterMenu()
{
    // A result still counting would judge the old board later on.
    StopCount();
    standing_.Stage = StageState::Practice;
    phase_ = Phase::Menu;
}

std::int16_t RoundFlow::NextLevel()
{
    const int levelMax = qBound<int>(1, standing_.progress.LevelMax, 5);
    const int level = std::max<int>(standing_.Level, 0);
    standing_.Level = static_cast<std::int16_t>((level % levelMax) + 1);
    return standing_.Level;
}

std::int16_t RoundFlow::KeepLevel()
{
    standing_.Level = static_cast<std::int16_t>(standing_.Level - 1);
    return NextLevel();
}

void RoundFlow::ChoosePractice()
{
    practice_ = true;
    standing_.Stage = StageState::Practice;
}

void RoundFlow::ChooseRealGame()
{
    practice_ = false;
    standing_.Stage = StageState::First;
}

int RoundFlow::SetupCells()
{
    zorb_.CellCount = CellsForLevel(standing_.Level);
    return zorb_.CellCount;
}

RoundPlan RoundFlow::StartRound()
{
    StopCount();
    phase_ = Phase::Typing;
    offered_ = takenAway_ = false;
    const StageState stage = standing_.Stage;
    RoundPlan plan;
    plan.track = TrackForRound(standing_.Level, stage);
    plan.banner = RealGame();
    SetupCells();
    if (stage == StageState::Second) {
        plan.fixedCells = FixedCellCount(zorb_.CellCount);
        plan.fixedDigit = QChar(u'0' + random_.Digit());
    }
    plan.takesCells = stage == StageState::Third;
    plan.hint = stage == StageState::Second ? Hint::SecondStage : Hint::FillTheBoard;
    return plan;
}

bool RoundFlow::CellChanged(int index, bool holdsDigit, bool boardFull)
{
    if (!holdsDigit) {
        if (RealGame() && index < zorb_.CellCount) {
            takenAway_ = takenAway_ || offered_;
            offered_ = false;
        }
        return false;
    }
    // Once judged, the board waits for Try: a digit typed now offers nothing.
    if ((index == zorb_.CellCount - 1 || takenAway_) && boardFull && phase_ != Phase::Judged) {
        takenAway_ = false;
        offered_ = true;
        return true;
    }
    return false;
}

void RoundFlow::BeginResult(const std::array<std::int16_t, kMaxCells>& digits)
{
    zorb_.Digits = digits;
    ResultTick = 0;
    phase_ = Phase::Counting;
    timResult.start();
}

void RoundFlow::StopCount()
{
    if (!timResult.isActive())
        return;
    timResult.stop();
    emit countStopped();
}

void RoundFlow::timResult_Timer()
{
    ResultTick += 1;
    if (ResultTick <= ResultTickLimit(standing_.Level, standing_.Stage)) {
        emit countText(ThreeDigits(static_cast<int>(random_.Next() * 100)));
        return;
    }
    timResult.stop();

    RoundResult result;
    result.score = zorb_.CalcScore();
    result.scoreText = ThreeDigits(result.score);
    result.details = QString::fromStdString(zorb_.DecInfoText)
                         .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (!RealGame()) {
        phase_ = Phase::Typing; // practice: the score and its details, nothing else
        emit resultReady(result);
        return;
    }

    const Progress before = standing_.progress;
    result.judged = true;
    result.judgement = JudgeResult(standing_, result.score);
    standing_ = result.judgement.after;
    phase_ = Phase::Judged;
    offered_ = takenAway_ = false;
    retireLeft_ = !result.judgement.disableRetire;
    emit resultReady(result);
    if (standing_.progress != before)
        emit progressChanged();
}

RoundFlow::TryAction RoundFlow::Try()
{
    if (GameCleared()) {
        phase_ = Phase::Ending;
        return TryAction::Ending;
    }
    switch (standing_.Stage) {
    case StageState::LevelDone:
        return TryAction::Menu;
    case StageState::Practice:
        return TryAction::RealGame;
    case StageState::First:
    case StageState::Second:
    case StageState::Third:
        break;
    }
    return TryAction::NextRound;
}

} // namespace zorbel

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

RoundFlow::RoundFlow(QObject* parent) : QObject(parent)
{
    timResult.setObjectName(QStringLiteral("timResult"));
    timResult.setInterval(50);
    timResult.setTimerType(Qt::PreciseTimer);
    connect(&timResult, &QTimer::timeout, this, &RoundFlow::timResult_Timer);
}

void RoundFlow::Load(const GameData& saved)
{
    Zorb.LevelMax = saved.LevelMax;
    for (std::size_t i = 1; i <= 5; ++i)
        Zorb.MaxScore[i] = saved.MaxScore[i];
    clearFlg_ = saved.ClearFlg;
    Zorb.SoundOn = saved.SoundOn;
    Zorb.BGMOn = saved.BGMOn;
    Zorb.InfoOn = saved.InfoOn;
    level_ = Zorb.LevelMax;
}

void RoundFlow::SetOptions(const OptionFlags& o)
{
    Zorb.SoundOn = o.SoundOn;
    Zorb.BGMOn = o.BGMOn;
    Zorb.InfoOn = o.InfoOn;
}

GameData RoundFlow::Saved() const
{
    GameData data;
    data.LevelMax = Zorb.LevelMax;
    data.MaxScore = Zorb.MaxScore;
    data.ClearFlg = clearFlg_;
    data.SoundOn = Zorb.SoundOn;
    data.BGMOn = Zorb.BGMOn;
    data.InfoOn = Zorb.InfoOn;
    return data;
}

void RoundFlow::EnterMenu()
{
    stage_ = StageState::Practice;
    // A result still counting would judge the old board later on.
    StopCount();
}

std::int16_t RoundFlow::NextLevel()
{
    const int levelMax = qBound<int>(1, Zorb.LevelMax, 5);
    const int level = std::max<int>(level_, 0);
    level_ = static_cast<std::int16_t>((level % levelMax) + 1);
    return level_;
}

std::int16_t RoundFlow::KeepLevel()
{
    level_ = static_cast<std::int16_t>(level_ - 1);
    return NextLevel();
}

int RoundFlow::SetupCells()
{
    Zorb.CellCount = CellsForLevel(level_);
    return Zorb.CellCount;
}

RoundPlan RoundFlow::StartRound()
{
    StopCount();
    RoundPlan plan;
    plan.track = TrackForRound(level_, static_cast<std::int16_t>(stage_));
    plan.banner = RealGame();
    SetupCells();
    if (stage_ == StageState::Second) {
        plan.fixedCells = FixedCellCount(Zorb.CellCount);
        plan.fixedDigit = QChar(u'0' + Rnd::Digit());
    }
    plan.takesCells = stage_ == StageState::Third;
    plan.hint = stage_ == StageState::Second ? 6 : 2;
    return plan;
}

void RoundFlow::BeginResult(const std::array<std::int16_t, kMaxCells>& digits)
{
    Zorb.Digits = digits;
    ResultTick = 0;
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
    if (ResultTick <= ResultTickLimit(level_, static_cast<std::int16_t>(stage_))) {
        emit countText(ThreeDigits(static_cast<int>(Rnd::Next() * 100)));
        return;
    }
    timResult.stop();

    RoundResult result;
    result.score = Zorb.CalcScore();
    result.scoreText = ThreeDigits(result.score);
    result.details = QString::fromStdString(Zorb.DecInfoText)
                         .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (!RealGame()) {
        emit resultReady(result); // practice: the score and its details, nothing else
        return;
    }

    Progress before;
    before.Level = level_;
    before.Stage = static_cast<std::int16_t>(stage_);
    before.LevelMax = Zorb.LevelMax;
    before.MaxScore = Zorb.MaxScore;
    before.ClearFlg = clearFlg_;
    result.judged = true;
    result.judgement = JudgeResult(before, result.score);
    const Progress& after = result.judgement.after;
    const bool progressed = after.LevelMax != before.LevelMax ||
                            after.MaxScore != before.MaxScore || after.ClearFlg != before.ClearFlg;
    Zorb.MaxScore = after.MaxScore;
    stage_ = static_cast<StageState>(after.Stage);
    level_ = after.Level;
    Zorb.LevelMax = after.LevelMax;
    clearFlg_ = after.ClearFlg;
    emit resultReady(result);
    if (progressed)
        emit progressChanged();
}

RoundFlow::TryAction RoundFlow::Try() const
{
    if (GameCleared())
        return TryAction::Ending;
    switch (stage_) {
    case StageState::LevelDone:
        return TryAction::Menu;
    case StageState::Practice:
        return TryAction::RealGame;
    default:
        return TryAction::NextRound;
    }
}

} // namespace zorbel

// The round flow without the window: the level and stage being played,
// the result count after 採点, and what a result does to the progress.
// The window forwards its handlers here and shows what it is told through
// the return values and signals.
#pragma once

#include "game/RoundRules.h"
#include "game/basZorb.h"
#include "settings/GameData.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>

namespace zorbel
{

// Where the player is. The numbers are the stage numbers the rules use.
enum class StageState : std::int16_t {
    LevelDone = -2, // a level was just completed: Try goes back to the menu
    Practice = -1,  // practice, and the menu
    First = 0,
    Second = 1, // the first CellCount / 15 cells (rounded down) are fixed
    Third = 2,  // level 5: the game takes a cell every three seconds
};

// Three digits with leading zeros, as the "000" pattern writes a score.
QString ThreeDigits(double value);

// The Try button's caption for what it does next: "NextStage", "Retry",
// "Go to Level3", "Good Job!!!".
QString TryCaption(const Judgement& judgement);

// How a round starts.
struct RoundPlan {
    std::int16_t track = 0;  // music to start (0: none)
    bool banner = false;     // the stage banner runs (real game)
    int fixedCells = 0;      // SECOND stage: cells written and fixed
    QChar fixedDigit;        // ... with this digit
    bool takesCells = false; // THIRD stage
    int hint = 2;            // information line
};

// What a finished result count shows.
struct RoundResult {
    double score = 0;
    QString scoreText;   // three digits
    QString details;     // the details panel's text, lines joined by LF
    bool judged = false; // real game: `judgement` says the rest
    Judgement judgement;
};

class RoundFlow : public QObject
{
    Q_OBJECT
public:
    explicit RoundFlow(QObject* parent = nullptr);

    basZorb Zorb; // cell count, digits, options and progress

    // Saved progress and options in, and out for saving.
    void Load(const GameData& saved);
    GameData Saved() const;

    std::int16_t Level() const { return level_; }
    StageState Stage() const { return stage_; }
    bool ClearFlg() const { return clearFlg_; }
    OptionFlags Options() const { return {Zorb.SoundOn, Zorb.BGMOn, Zorb.InfoOn}; }
    void SetOptions(const OptionFlags& o);
    void ToggleInfo() { Zorb.InfoOn = !Zorb.InfoOn; }
    bool RealGame() const { return static_cast<std::int16_t>(stage_) >= 0; }
    bool GameCleared() const { return level_ >= 6; } // the ending follows

    // Back on the menu: practice state, no result counting.
    void EnterMenu();
    // The level button: the next unlocked level, 1 after the highest.
    std::int16_t NextLevel();
    // The menu shows the current level again (or level 1 when it is out of
    // reach): one step back, then the level button's step.
    std::int16_t KeepLevel();

    void ChoosePractice() { stage_ = StageState::Practice; }
    void ChooseRealGame() { stage_ = StageState::First; }

    // Cells of the current level (also sets Zorb.CellCount).
    int SetupCells();
    // A new round of the current level and stage.
    RoundPlan StartRound();

    // 採点: the digits of the cells in play, then the result count.
    void BeginResult(const std::array<std::int16_t, kMaxCells>& digits);
    bool Counting() const { return timResult.isActive(); }
    // Cuts a running count short (the round is left).
    void StopCount();

    // What Try does now.
    enum class TryAction { Ending, Menu, RealGame, NextRound };
    TryAction Try() const;

public slots:
    void timResult_Timer(); // one 50 ms step of the count

signals:
    void countText(const QString& text); // a random number during the count
    void countStopped();                 // a count was cut short
    void resultReady(const zorbel::RoundResult& result);
    void progressChanged(); // LevelMax, a best score or ClearFlg went up: save now

private:
    std::int16_t level_ = 0;
    StageState stage_ = StageState::Practice;
    bool clearFlg_ = false;
    int ResultTick = 0;
    QTimer timResult{this}; // a child named "timResult", for tools that watch it
};

} // namespace zorbel

// The round flow without the window: the level and stage being played, the
// round's phase, which buttons it offers, the result count after 採点, and
// what a result does to the progress. The window forwards its handlers here
// and shows what it is told through the return values and signals.
#pragma once

#include "game/Cues.h"
#include "game/GameState.h"
#include "game/RoundRules.h"
#include "game/basZorb.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>

namespace zorbel
{

class Random;

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
    Hint hint = Hint::FillTheBoard;
};

// What a finished result count shows.
struct RoundResult {
    double score = 0;
    QString scoreText;   // three digits
    QString details;     // the details panel's text, lines joined by LF
    bool judged = false; // real game: `judgement` says the rest
    Judgement judgement;
};

// The round's phase.
enum class Phase {
    Menu,     // the title menu
    Typing,   // a round on the board (in practice also after its result)
    Counting, // 採点 was pressed: the result count runs
    Judged,   // a real-game result shows: Try leads on
    Ending,   // the ending runs
};

// Which of the result column's buttons are enabled.
struct Buttons {
    bool score = false;   // cmdChk
    bool tryNext = false; // cmdTry
    bool retire = false;  // cmdRetire
    bool example = false; // cmdEx

    bool operator==(const Buttons&) const = default;
};

class RoundFlow : public QObject
{
    Q_OBJECT
public:
    // Every draw of the round (fixed digits, the count) comes from random.
    explicit RoundFlow(Random& random, QObject* parent = nullptr);

    // Saved progress and options in, and out for saving.
    void Load(const GameData& saved);
    GameData Saved() const { return {standing_.progress, options_}; }

    const basZorb& Zorb() const { return zorb_; } // the board as last scored
    int CellCount() const { return zorb_.CellCount; }
    std::int16_t Level() const { return standing_.Level; }
    StageState Stage() const { return standing_.Stage; }
    const Progress& progress() const { return standing_.progress; }
    bool ClearFlg() const { return standing_.progress.ClearFlg; }
    const OptionFlags& Options() const { return options_; }
    void SetOptions(const OptionFlags& o) { options_ = o; }
    void ToggleInfo() { options_.InfoOn = !options_.InfoOn; }
    bool RealGame() const { return IsRealStage(standing_.Stage); }
    bool GameCleared() const { return standing_.Level >= 6; } // the ending follows

    Phase phase() const { return phase_; }
    bool Counting() const { return phase_ == Phase::Counting; }
    Buttons buttons() const;

    // Back on the menu: practice state, no result counting.
    void EnterMenu();
    // The level button: the next unlocked level, 1 after the highest.
    std::int16_t NextLevel();
    // The menu shows the current level again (or level 1 when it is out of
    // reach): one step back, then the level button's step.
    std::int16_t KeepLevel();

    // The two menu buttons: practice (with the demonstration) or the real game.
    void ChoosePractice();
    void ChooseRealGame();

    // Cells of the current level (also sets the CellCount).
    int SetupCells();
    // A new round of the current level and stage.
    RoundPlan StartRound();

    // A cell in play was changed: it now holds a digit, or it is blank. True
    // when this offers 採点, which then takes the focus: the last cell filled
    // the board, or a corrected digit filled it again after a blank took 採点
    // away. In the real game a blank takes 採点 away, so an empty cell is
    // never scored as 0.
    bool CellChanged(int index, bool holdsDigit, bool boardFull);
    // The demonstration filled the board: 採点 stays offered after its count.
    void OfferScore() { offered_ = true; }

    // 採点: the digits of the cells in play, then the result count.
    void BeginResult(const std::array<std::int16_t, kMaxCells>& digits);
    // Cuts a running count short (the round is left).
    void StopCount();

    // What Try does now.
    enum class TryAction { Ending, Menu, RealGame, NextRound };
    TryAction Try();

public slots:
    void timResult_Timer(); // one 50 ms step of the count

signals:
    void countText(const QString& text); // a random number during the count
    void countStopped();                 // a count was cut short
    void resultReady(const zorbel::RoundResult& result);
    void progressChanged(); // LevelMax, a best score or ClearFlg went up: save now

private:
    Random& random_;
    basZorb zorb_;
    Standing standing_{1, StageState::Practice, {}};
    OptionFlags options_;
    Phase phase_ = Phase::Menu;
    bool practice_ = false;   // the round was chosen with 練習
    bool offered_ = false;    // 採点 is offered
    bool takenAway_ = false;  // a blank took 採点 away from a full board
    bool retireLeft_ = false; // a judged round still has a round to retire from
    int ResultTick = 0;
    QTimer timResult{this}; // a child named "timResult", for tools that watch it
};

} // namespace zorbel

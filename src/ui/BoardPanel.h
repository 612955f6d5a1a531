// The board (picMain): the level and stage labels, the verdict, the ? button
// and the answer cells with their input rules, the typing flash and the
// THIRD stage's overwrites. What a change means for the round is the round
// flow's business: the board says what happened through its signals.
#pragma once

#include "game/GameState.h"
#include "game/RoundRules.h"
#include "game/basZorb.h"

#include <QList>
#include <QWidget>

#include <array>
#include <cstdint>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zorbel
{

class AnswerCell;
class TextFlash;
class ThirdStageOverwrite;
struct RoundPlan;

class BoardPanel : public QWidget
{
    Q_OBJECT
public:
    // flashLayer: the window-wide layer the THIRD stage lights up.
    BoardPanel(QWidget* flashLayer, QWidget* parent);

    QList<QLineEdit*> cellEdits() const;

    // Start-up: ten columns of ten cells, numbered down each column.
    void placeCells();
    // The cells of a level show, each named by its place.
    void setCellCount(int count);
    void showLevelStage(std::int16_t level, StageState stage);
    void showVerdict(const Verdict& verdict);
    void clearVerdict();
    // A new round: the cells emptied and free, SECOND-stage cells fixed,
    // the THIRD stage's overwrites started, the focus on the first free cell.
    void startRound(const RoundPlan& plan);
    // 採点: every cell in play free again, and the digits they hold.
    std::array<std::int16_t, kMaxCells> readDigits();
    void focusNextFreeCell(int from);
    void stopTaking();  // the THIRD stage's overwrites end
    void stopEffects(); // ... and a running flash too (shutdown)
    void setHelpEnabled(bool on);

signals:
    // A cell in play now holds a digit; boardFull: every cell in play does.
    void digitTyped(int index, bool boardFull);
    // A cell in play was emptied.
    void cellBlanked(int index);
    void helpClicked();

private:
    void cellChanged(int index);
    void cellTaken(int index, bool hadFocus);
    bool allCellsFilled() const;

    int count_ = 0;
    QLabel* lblLevel = nullptr;
    QLabel* lblStage = nullptr;
    QLabel* lblOkNo = nullptr;
    QPushButton* cmdHelp = nullptr;
    QFrame* Line1 = nullptr;
    QList<AnswerCell*> txtAns;
    TextFlash* flash = nullptr;                // timTextFlash
    ThirdStageOverwrite* thirdStage = nullptr; // timSt3
};

} // namespace zorbel

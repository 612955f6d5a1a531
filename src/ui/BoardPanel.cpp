#include "ui/BoardPanel.h"

#include "effects/CellLook.h"
#include "effects/Look.h"
#include "effects/TextFlash.h"
#include "effects/ThirdStageOverwrite.h"
#include "game/CellRules.h"
#include "ui/AnswerCell.h"
#include "ui/Controls.h"
#include "ui/RoundFlow.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace zorbel
{

using look::Face;

BoardPanel::BoardPanel(QWidget* flashLayer, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("picMain"));
    look::place(this, 0, 0, 4935, 4215);
    // The board keeps its own background, so the THIRD stage's yellow flash
    // lights up only the window around it.
    look::setBackground(this, look::buttonFace());
    setFocusPolicy(Qt::ClickFocus);
    hide();

    lblLevel = makeLabel(this, QStringLiteral("Level 1 "),
                         look::font(Face::PGothic, 11.25, false, true), 120, 120, 780, 225);
    lblStage = makeLabel(this, QStringLiteral("Practice"),
                         look::font(Face::PGothic, 11.25, true, true), 1080, 120, 930, 225);
    lblOkNo = makeLabel(this, QString(), look::font(Face::PMincho, 11.25, true, true), 3240, 120,
                        105, 225);
    cmdHelp = makeButton(this, QStringLiteral("?"), look::font(Face::PGothic, 11.25, true), 4680,
                         120, 210, 255);
    cmdHelp->setFocusPolicy(Qt::NoFocus);
    cmdHelp->setAccessibleName(QStringLiteral("ヘルプ"));
    connect(cmdHelp, &QPushButton::clicked, this, &BoardPanel::helpClicked);
    Line1 = makeLine(this, 0, 360, 5280);
    nameControls({{lblLevel, "lblLevel"},
                  {lblStage, "lblStage"},
                  {lblOkNo, "lblOkNo"},
                  {cmdHelp, "cmdHelp"}});

    // The 100 answer cells exist from the start, hidden until start-up
    // places them.
    for (int i = 0; i < kMaxCells; ++i) {
        auto* cell = new AnswerCell(i, this);
        look::place(cell, 120, 480, 375, 330);
        cell->hide();
        cell->setObjectName(QStringLiteral("txtAns%1").arg(i));
        connect(cell, &AnswerCell::changed, this, &BoardPanel::cellChanged);
        txtAns.append(cell);
    }
    flash = new TextFlash(cellEdits(), this);
    thirdStage = new ThirdStageOverwrite(cellEdits(), flashLayer, this);
    connect(thirdStage, &ThirdStageOverwrite::cellTaken, this, &BoardPanel::cellTaken);
}

QList<QLineEdit*> BoardPanel::cellEdits() const
{
    QList<QLineEdit*> edits;
    for (AnswerCell* c : txtAns)
        edits.append(c);
    return edits;
}

void BoardPanel::placeCells()
{
    const int lineTop = Line1->y();
    for (int k = 0; k < kMaxCells; ++k) {
        txtAns[k]->move(32 * (k / 10), lineTop + 24 * (k % 10) + 8);
        txtAns[k]->show();
    }
}

void BoardPanel::setCellCount(int count)
{
    count_ = count;
    for (int i = 0; i < kMaxCells; ++i) {
        txtAns[i]->setVisible(i < count);
        txtAns[i]->setAccessibleName(QStringLiteral("マス %1/%2").arg(i + 1).arg(count));
    }
}

void BoardPanel::showLevelStage(std::int16_t level, StageState stage)
{
    // The level number is written with the blank that stands for its sign.
    setCaption(lblLevel, QStringLiteral("Level") + (level >= 0 ? QStringLiteral(" ") : QString()) +
                             QString::number(level) + QStringLiteral("  "));
    setCaption(lblStage, QString::fromLatin1(StageCaption(stage)));
    look::setTextColor(lblStage, IsRealStage(stage) ? QColor(0, 0, 128) : QColor(0, 0, 0));
}

void BoardPanel::showVerdict(const Verdict& verdict)
{
    setCaption(lblOkNo, QString::fromStdString(verdict.text));
    look::setTextColor(lblOkNo, verdict.colour == VerdictColour::Blue ? QColor(0, 0, 255)
                                                                      : QColor(255, 0, 0));
}

void BoardPanel::clearVerdict()
{
    setCaption(lblOkNo, QString());
}

void BoardPanel::startRound(const RoundPlan& plan)
{
    // Every cell in play is emptied and free again. A cell keeps its text
    // colour: yellow once a flash has ended on it, in later rounds too. A
    // flash still running ends now, as it would a moment later.
    flash->settle();
    for (int i = 0; i < count_; ++i) {
        AnswerCell* cell = txtAns[i];
        cell->setText(QString());
        cell->setEnabled(true);
        cell->setReadOnly(false);
        cells::setBackground(cell, cells::kBlack);
        cell->setAccessibleDescription(QString());
    }
    clearVerdict();
    if (plan.fixedCells > 0) {
        // The same random digit in the first cells; each write is taken
        // like a typed digit, then the cell is fixed.
        for (int i = 0; i < plan.fixedCells; ++i)
            txtAns[i]->setText(plan.fixedDigit);
        for (int i = 0; i < plan.fixedCells; ++i) {
            cells::setBackground(txtAns[i], cells::kFixedBackground);
            txtAns[i]->setReadOnly(true);
            txtAns[i]->setEnabled(false);
            txtAns[i]->setAccessibleDescription(QStringLiteral("固定されたマス"));
        }
        txtAns[plan.fixedCells]->setFocus();
        return;
    }
    if (plan.takesCells)
        thirdStage->start(count_);
    txtAns[0]->setFocus();
}

std::array<std::int16_t, kMaxCells> BoardPanel::readDigits()
{
    std::array<std::int16_t, kMaxCells> digits{};
    for (int i = 0; i < count_; ++i) {
        AnswerCell* cell = txtAns[i];
        cell->setEnabled(true);
        cell->setReadOnly(false);
        cells::setBackground(cell, cells::kBlack);
        cell->setAccessibleDescription(QString());
        digits[static_cast<std::size_t>(i)] = DigitOf(cell->text().toStdString());
    }
    return digits;
}

void BoardPanel::stopTaking()
{
    thirdStage->stop();
}

void BoardPanel::stopEffects()
{
    thirdStage->stop();
    flash->stop();
}

void BoardPanel::setHelpEnabled(bool on)
{
    cmdHelp->setEnabled(on);
}

bool BoardPanel::allCellsFilled() const
{
    for (int i = 0; i < count_; ++i)
        if (!CellFilled(txtAns[i]->text().toStdString()))
            return false;
    return true;
}

void BoardPanel::focusNextFreeCell(int from)
{
    for (int i = from; i < count_; ++i) {
        if (txtAns[i]->isEnabled() && !txtAns[i]->isReadOnly()) {
            txtAns[i]->setFocus();
            return;
        }
    }
    // No free cell left: the focus goes nowhere rather than to a fixed cell.
    if (QWidget* f = window()->focusWidget())
        f->clearFocus();
}

void BoardPanel::cellChanged(int index)
{
    const std::string text = txtAns[index]->text().toStdString();
    if (IsAcceptedDigit(text)) {
        flash->start(index);
        emit digitTyped(index, allCellsFilled());
    } else if (index < count_ && !CellFilled(text)) {
        emit cellBlanked(index);
    }
}

void BoardPanel::cellTaken(int index, bool hadFocus)
{
    // A flash running on the cell just taken is settled, and the player's
    // focus moves on to the next free cell: a taken cell is disabled, and a
    // disabled cell holding the focus would trap the keyboard.
    if (flash->isFlashing(index))
        flash->settle();
    txtAns[index]->setAccessibleDescription(QStringLiteral("ゲームが取ったマス"));
    if (hadFocus || !window()->focusWidget())
        focusNextFreeCell(index + 1);
}

} // namespace zorbel

// The main window's round: the cells' changes, StartRound, 採点 and its
// result, Try, retiring, the demonstration and the score-details panel.
// Building, start-up, shutdown and the menu are in frmMain.cpp.
#include "ui/frmMain.h"

#include "audio/AudioInterfaces.h"
#include "effects/Demonstration.h"
#include "effects/Ending.h"
#include "effects/MessageBoard.h"
#include "ui/BoardPanel.h"
#include "ui/ClickLabel.h"
#include "ui/Prompter.h"
#include "ui/ResultColumn.h"
#include "ui/RoundFlow.h"
#include "ui/TitleMenu.h"

namespace zorbel
{

// ---------------------------------------------------------------- cells

void frmMain::SetupCells()
{
    picMain->setCellCount(flow_->SetupCells());
}

void frmMain::digitTyped(int index, bool boardFull)
{
    // The last cell gives 採点 and its focus once the board is full; so does
    // a corrected digit that fills the board again.
    if (flow_->CellChanged(index, true, boardFull)) {
        updateButtons();
        result_->focusScore();
        return;
    }
    if (index < flow_->CellCount() - 1)
        picMain->focusNextFreeCell(index + 1);
}

void frmMain::cellBlanked(int index)
{
    flow_->CellChanged(index, false, false);
    updateButtons();
}

// ---------------------------------------------------------------- round flow

void frmMain::StartRound()
{
    const RoundPlan plan = flow_->StartRound();
    if (plan.banner)
        banner->start(StageNumber(flow_->Stage()));
    if (plan.track > 0)
        music_.BGMPlay(plan.track, false);

    title_->hide();
    picMain->show();
    picMain->raise();
    if (txtMB->isVisible())
        txtMB->raise();

    ShowLevelStage();
    picMain->setCellCount(flow_->CellCount()); // the flow's StartRound has set it
    picMain->startRound(plan);
    ShowInfo(plan.hint);
    result_->startRound();
    updateButtons();
}

void frmMain::cmdChk_Click()
{
    if (flow_->RealGame()) {
        sound_.play(SoundCue::Beep);
        music_.BGMStop();
    }
    const auto digits = picMain->readDigits();
    result_->beginCount();
    banner->stop();
    flow_->BeginResult(digits);
    result_->stopWaiting();
    picMain->stopTaking();
}

void frmMain::showResult(const RoundResult& result)
{
    scoredOnce_ = true;
    result_->showResult(result);
    if (!result.judged)
        return; // practice: the score and its details, nothing else

    const Judgement& j = result.judgement;
    updateButtons();
    sound_.play(j.sound);
    for (Hint h : j.infos)
        ShowInfo(h);
    picMain->showVerdict(j.verdict);
    result_->setTryCaption(TryCaption(j));
    // Leave the focus somewhere harmless, so a stray Space or Enter does not
    // press Try.
    picMain->setFocus();
}

void frmMain::cmdTry_Click()
{
    switch (flow_->Try()) {
    case RoundFlow::TryAction::Ending:
        picMain->setHelpEnabled(false);
        updateButtons();
        lblInfo->hide();
        ending->start(flow_->Options().BGMOn);
        music_.BGMPlay(kTrackEnding, true);
        picMain->resize(picMain->width(), height());
        picMain->setFocus();
        break;
    case RoundFlow::TryAction::Menu:
        ReturnToMenu();
        break;
    case RoundFlow::TryAction::RealGame:
        cmdTitleTry_Click();
        break;
    case RoundFlow::TryAction::NextRound:
        sound_.play(SoundCue::Beep);
        StartRound();
        break;
    }
}

void frmMain::cmdRetire_Click()
{
    sound_.play(SoundCue::Beep);
    if (flow_->RealGame()) {
        if (!prompter_.askYesNo(this, QStringLiteral("リタイア"),
                                QStringLiteral("リタイアしますか？")))
            return;
    }
    // The round's timers ran on while the question was open, and a result
    // may have come in meanwhile (even one that completed the level): a Yes
    // still leaves for the menu, with whatever progress that result saved.
    ShowInfo(Hint::BackToMenu);
    picMain->clearVerdict();
    ReturnToMenu();
}

void frmMain::cmdEx_Click()
{
    sound_.play(SoundCue::Drums);
    ShowLevelStage();
    FillWithRandomDigits(picMain->cellEdits(), flow_->CellCount(), random_);
    ShowInfo(Hint::BackToMenu);
    cmdChk_Click();
    flow_->OfferScore();
    updateButtons();
}

void frmMain::lblResultStatic_Click()
{
    // During the ending only the window's close box acts.
    if (ending->isRunning())
        return;
    if (flow_->ClearFlg() && !flow_->Options().InfoOn)
        result_->openDetails();
}

void frmMain::cmdDecInfoOk_Click()
{
    if (ending->isRunning())
        return;
    sound_.play(SoundCue::Beep);
    result_->closeDetails();
}

} // namespace zorbel

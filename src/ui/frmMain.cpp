// The main window: building and wiring its pieces, start-up, shutdown, the
// title menu, the information line and the help. The round itself is in
// frmMainRound.cpp.
#include "ui/frmMain.h"

#include "audio/AudioInterfaces.h"
#include "effects/Ending.h"
#include "effects/Look.h"
#include "effects/MessageBoard.h"
#include "settings/GameData.h"
#include "settings/INI.h"
#include "ui/BoardPanel.h"
#include "ui/ClickLabel.h"
#include "ui/Controls.h"
#include "ui/Prompter.h"
#include "ui/ResultColumn.h"
#include "ui/RoundFlow.h"
#include "ui/TitleMenu.h"
#include "ui/frmOption.h"
#include "ui/frmTitle.h"

#include <QCloseEvent>
#include <QScreen>
#include <QShortcut>

namespace zorbel
{

namespace
{

// The credit line shown when the hints are switched off.
const QString kCreditLine = QStringLiteral("Zorbel ver1.01  ―  乱数になりきるゲーム");

} // namespace

frmMain::frmMain(const Services& services, QWidget* parent)
    : QWidget(parent), sound_(services.sound), music_(services.music), prompter_(services.prompter),
      settings_(services.settings), random_(services.random), programDir_(services.programDir),
      showSplash_(services.showSplash)
{
    flow_ = new RoundFlow(random_, this);
    flow_->setObjectName(QStringLiteral("flow"));

    setWindowTitle(QStringLiteral("Zorbel ver1.01"));
    setAccessibleName(windowTitle());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(look::px(6630), look::px(4560));
    setFont(look::font(look::Face::Default, 9));
    look::setBackground(this, look::buttonFace());

    // The THIRD stage's yellow flash: a layer under every control, covering
    // the window.
    auto* flashLayer = new QWidget(this);
    flashLayer->setGeometry(rect());
    title_ = new TitleMenu(this);
    picMain = new BoardPanel(flashLayer, this);
    result_ = new ResultColumn(this);

    txtMB = new MessageBoardBox(this);
    txtMB->setObjectName(QStringLiteral("txtMB"));
    look::place(txtMB, 2460, 1920, 2955, 1035);
    txtMB->setText(QStringLiteral("Text1"));
    txtMB->hide();
    lblInfo = new ClickLabel(QStringLiteral("Label1"), this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    look::place(lblInfo, 120, 4320, 495, 180);
    lblInfo->adjustSize();
    lblInfo->setCursor(Qt::PointingHandCursor);

    banner = new MessageBoard(txtMB, random_, this);
    ending = new Ending(picMain->cellEdits(), txtMB, this);
    // The music poll runs from the window's creation, also while the splash
    // is up and before any track has been opened.
    tmrBGMLoop.setObjectName(QStringLiteral("tmrBGMLoop"));
    tmrBGMLoop.setInterval(75);
    tmrBGMLoop.start();
    connectPieces();
}

frmMain::~frmMain() = default;

void frmMain::connectPieces()
{
    connect(flow_, &RoundFlow::countText, result_, &ResultColumn::showCount);
    // Whatever cuts a count short shows "点です" again, as its end would.
    connect(flow_, &RoundFlow::countStopped, result_, &ResultColumn::countEnded);
    connect(flow_, &RoundFlow::resultReady, this, &frmMain::showResult);
    // Progress is on disk as soon as a result raises it, not only on the way
    // back to the menu or at exit: a crash after passing a level must not
    // lose the level.
    connect(flow_, &RoundFlow::progressChanged, this, &frmMain::SaveGameData);

    connect(title_, &TitleMenu::practiceClicked, this, &frmMain::cmdTitlePractice_Click);
    connect(title_, &TitleMenu::realGameClicked, this, &frmMain::cmdTitleTry_Click);
    connect(title_, &TitleMenu::levelClicked, this, &frmMain::cmdTitleLevel_Click);
    connect(title_, &TitleMenu::helpClicked, this, &frmMain::OpenHelp);
    connect(title_, &TitleMenu::optionsClicked, this, &frmMain::cmdOption_Click);
    connect(picMain, &BoardPanel::helpClicked, this, &frmMain::OpenHelp);
    connect(picMain, &BoardPanel::digitTyped, this, &frmMain::digitTyped);
    connect(picMain, &BoardPanel::cellBlanked, this, &frmMain::cellBlanked);
    connect(result_, &ResultColumn::scoreClicked, this, &frmMain::cmdChk_Click);
    connect(result_, &ResultColumn::tryClicked, this, &frmMain::cmdTry_Click);
    connect(result_, &ResultColumn::retireClicked, this, &frmMain::cmdRetire_Click);
    connect(result_, &ResultColumn::exampleClicked, this, &frmMain::cmdEx_Click);
    connect(result_, &ResultColumn::labelClicked, this, &frmMain::lblResultStatic_Click);
    connect(result_, &ResultColumn::detailsClosed, this, &frmMain::cmdDecInfoOk_Click);
    connect(lblInfo, &ClickLabel::clicked, this, &frmMain::lblInfo_Click);
    connect(ending, &Ending::quitWhenMusicEnds, this, [this] { QuitPending = true; });
    connect(ending, &Ending::closeRequested, this, &QWidget::close);
    connect(&tmrBGMLoop, &QTimer::timeout, this, &frmMain::tmrBGMLoop_Timer);

    // F1 opens the help wherever ? or ﾍﾙﾌﾟ would, as on every desktop; a key
    // shortcut, so a cell holding the focus keeps its digit.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] {
        if (!ending->isRunning())
            OpenHelp();
    });
}

// ---------------------------------------------------------------- start-up

void frmMain::Form_Load()
{
    if (loaded_)
        return;
    loaded_ = true;

    settings_.SetIniFileName(QStringLiteral("zorbel.ini"));
    for (const char* file : kSoundCueFiles)
        sound_.Add(QString::fromLatin1(file));
    music_.InitBGM();
    for (const char* file : kTrackFiles)
        music_.AddBGM(QString::fromLatin1(file));

    if (showSplash_) {
        frmTitle splash(random_);
        splash.exec();
    }

    picMain->placeCells();
    flow_->Load(ReadGameData(settings_));
    sound_.SetSoundOn(flow_->Options().SoundOn);
    music_.BGMOnOff(flow_->Options().BGMOn);

    SetupCells();
    ReturnToMenu();
    loadComplete_ = true;

    // A close asked for while loading (a signal during the splash) is carried
    // out now that the progress has been read: it saves what was read, never
    // the defaults over it.
    if (closePending_)
        close();
}

void frmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!centred_) {
        centred_ = true;
        if (QScreen* s = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(s->availableGeometry().center());
            move(frame.topLeft());
        }
    }
}

// ---------------------------------------------------------------- shutdown

void frmMain::closeEvent(QCloseEvent* event)
{
    if (loaded_ && !loadComplete_) {
        closePending_ = true;
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    tmrBGMLoop.stop();
    flow_->StopCount();
    result_->stopWaiting();
    picMain->stopEffects();
    banner->stop();
    ending->stop();
    music_.BGMStop();
    if (loadComplete_)
        SaveGameData();
}

void frmMain::SaveGameData()
{
    ::zorbel::SaveGameData(settings_, flow_->Saved());
}

void frmMain::updateButtons()
{
    result_->setButtons(flow_->buttons());
}

// ---------------------------------------------------------------- menu

void frmMain::ReturnToMenu()
{
    music_.BGMPlay(kTrackMenu, false);
    flow_->EnterMenu();
    banner->stop();
    picMain->stopTaking();
    updateButtons();
    title_->offerLevelChoice(flow_->progress().LevelMax >= 2);
    picMain->hide();
    title_->show();
    result_->showMenu();
    ShowLevelStage();
    ShowInfo(flow_->Level() >= 3 ? Hint::ClickToHide : Hint::ChoosePractice);
    flow_->KeepLevel();
    showTitleLevel();
    SaveGameData();
    // No button keeps the focus: a key still held from the board must not
    // start the next round by itself.
    setFocus();
}

void frmMain::ShowLevelStage()
{
    picMain->showLevelStage(flow_->Level(), flow_->Stage());
}

void frmMain::cmdTitleLevel_Click()
{
    flow_->NextLevel();
    showTitleLevel();
}

void frmMain::showTitleLevel()
{
    const std::int16_t level = flow_->Level();
    title_->showLevel(level, flow_->progress().MaxScore[static_cast<std::size_t>(level)]);
}

void frmMain::cmdTitlePractice_Click()
{
    sound_.play(SoundCue::Beep);
    flow_->ChoosePractice();
    StartRound();
}

void frmMain::cmdTitleTry_Click()
{
    sound_.play(SoundCue::Beep);
    flow_->ChooseRealGame();
    StartRound();
}

void frmMain::cmdOption_Click()
{
    sound_.play(SoundCue::Beep);
    {
        frmOption dialog(sound_, music_, flow_->Options(), this);
        if (dialog.exec() == QDialog::Accepted)
            flow_->SetOptions(dialog.chosen());
    }
    if (unloaded_)
        return; // the window was closed (a signal) while the dialog was open
    ReturnToMenu();
}

// ---------------------------------------------------------------- information line and help

void frmMain::ShowInfo(Hint hint)
{
    InfoNo = hint;
    ShowInfo();
}

void frmMain::ShowInfo()
{
    setCaption(lblInfo,
               flow_->Options().InfoOn ? QString::fromUtf8(HintText(InfoNo)) : kCreditLine);
}

void frmMain::lblInfo_Click()
{
    flow_->ToggleInfo();
    ShowInfo();
}

void frmMain::OpenHelp()
{
    const QString path = programDir_ + QStringLiteral("html/index.htm");
    // Opened from the board after a scoring, the address carries the board
    // last scored (#board=...), so the page's analyser opens on it; from the
    // menu, or before any scoring, it is the plain help address.
    QString fragment;
    if (scoredOnce_ && flow_->phase() != Phase::Menu) {
        fragment = QStringLiteral("board=");
        const basZorb& board = flow_->Zorb();
        for (int i = 0; i < board.CellCount; ++i)
            fragment += QChar(u'0' + board.Digits[static_cast<std::size_t>(i)]);
    }
    if (!prompter_.ShellExe(path, fragment))
        prompter_.showError(this, QStringLiteral("Zorbel"),
                            QStringLiteral("ヘルプファイルを開けません。"));
}

// ---------------------------------------------------------------- music poll

void frmMain::tmrBGMLoop_Timer()
{
    if (music_.GetBGMStopped() && QuitPending) {
        close();
        return;
    }
    music_.CalledByTimer();
}

} // namespace zorbel

#include "ui/frmMain.h"

#include "audio/AudioInterfaces.h"
#include "effects/CellLook.h"
#include "effects/Demonstration.h"
#include "effects/Ending.h"
#include "effects/Look.h"
#include "effects/MessageBoard.h"
#include "effects/TextFlash.h"
#include "effects/ThirdStageOverwrite.h"
#include "effects/WaitingIndicator.h"
#include "game/CellRules.h"
#include "settings/GameData.h"
#include "settings/INI.h"
#include "ui/AnswerCell.h"
#include "ui/ClickLabel.h"
#include "ui/Prompter.h"
#include "ui/RoundFlow.h"
#include "ui/frmOption.h"
#include "ui/frmTitle.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

namespace zorbel
{

using look::Face;
using look::place;

namespace
{

const char* const kHints[8] = {
    "初めは練習を選んでお手本を見るのが良いでしょう。",
    "全てのマス目を0～9の乱数で埋めてから、採点ボタンを押して下さい。",
    "合格点は80点以上です。Retryボタンで再挑戦出来ます。",
    "お見事!! 次のステージ／レベルに進みます。",
    "本番を開始するときはメニューに戻って下さい。",
    "SECONDステージでは、最初の数マスは固定されています。",
    "このインフォメーションはクリックすると消えます。",
    "あなたはスゴイ！！",
};

const char* const kSoundFiles[4] = {"fanfale1.wav", "buzzer1.wav", "drums2.wav", "pi2.wav"};
const char* const kTrackFiles[8] = {"rg1.mid", "rg2.mid", "rg3.mid", "rg4.mid",
                                    "rg5.mid", "rg7.mid", "rg8.mid", "rg9.mid"};

constexpr int kSoundDrums = 3;
constexpr int kSoundBeep = 4;
constexpr int kTrackMenu = 7;
constexpr int kTrackEnding = 8;

// The credit line shown when the hints are switched off.
const QString kCreditLine = QStringLiteral("Zorbel ver1.01  ―  乱数になりきるゲーム");

QString InfoText(int n)
{
    if (n < 1 || n > 8)
        return QString();
    return QString::fromUtf8(kHints[n - 1]);
}

QLabel* makeLabel(QWidget* parent, const QString& text, const QFont& f, int l, int t, int w, int h)
{
    auto* label = new QLabel(text, parent);
    label->setFont(f);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(label, l, t, w, h);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& text, const QFont& f, int l, int t, int w,
                        int h)
{
    auto* b = new QPushButton(text, parent);
    b->setFont(f);
    // Enter presses a focused button too, not only Space.
    b->setAutoDefault(true);
    place(b, l, t, w, h);
    return b;
}

QFrame* makeLine(QWidget* parent, int x1, int y, int x2)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    line->setGeometry(look::px(x1), look::px(y), look::px(x2 - x1), 1);
    return line;
}

} // namespace

frmMain::frmMain(const Services& services, QWidget* parent)
    : QWidget(parent), sound_(services.sound), music_(services.music), prompter_(services.prompter),
      settings_(services.settings), programDir_(services.programDir),
      showSplash_(services.showSplash)
{
    flow_ = new RoundFlow(this);
    flow_->setObjectName(QStringLiteral("flow"));
    connect(flow_, &RoundFlow::countText, this,
            [this](const QString& text) { setCaption(lblScore, text); });
    // Whatever cuts a count short shows "点です" again, as its end would.
    connect(flow_, &RoundFlow::countStopped, this, [this] { lblResultStatic[1]->show(); });
    connect(flow_, &RoundFlow::resultReady, this, &frmMain::showResult);
    // Progress is on disk as soon as a result raises it, not only on the way
    // back to the menu or at exit: a crash after passing a level must not
    // lose the level.
    connect(flow_, &RoundFlow::progressChanged, this, &frmMain::SaveGameData);

    setWindowTitle(QStringLiteral("Zorbel ver1.01"));
    setAccessibleName(windowTitle());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(look::px(6630), look::px(4560));
    setFont(look::font(Face::Default, 9));
    look::setBackground(this, look::buttonFace());

    buildTitleArea();
    buildBoard();
    buildResultColumn();
    buildOverlays();
    buildEffects();

    // Names for every control, so the game can be driven from outside the
    // way a player does (tests, accessibility tools).
    // clang-format off
    const std::pair<QObject*, const char*> names[] = {
        {lblTitleLevel, "lblTitleLevel"}, {lblTitleStage, "lblTitleStage"},
        {lblTitleRDMax, "lblTitleRDMax"}, {lblTitleMaxScore, "lblTitleMaxScore"},
        {cmdTitlePractice, "cmdTitlePractice"}, {cmdTitleTry, "cmdTitleTry"},
        {cmdTitleLevel, "cmdTitleLevel"}, {cmdTitleHelp, "cmdTitleHelp"},
        {cmdOption, "cmdOption"}, {picMain, "picMain"}, {lblLevel, "lblLevel"},
        {lblStage, "lblStage"}, {lblOkNo, "lblOkNo"}, {cmdHelp, "cmdHelp"},
        {lblResultStatic[0], "lblResultStatic0"}, {lblResultStatic[1], "lblResultStatic1"},
        {lblScore, "lblScore"}, {cmdChk, "cmdChk"}, {cmdTry, "cmdTry"},
        {cmdRetire, "cmdRetire"}, {cmdEx, "cmdEx"}, {picDecInfo, "picDecInfo"},
        {txtDecInfo, "txtDecInfo"}, {cmdDecInfoOk, "cmdDecInfoOk"}, {txtMB, "txtMB"},
        {lblInfo, "lblInfo"}};
    // clang-format on
    for (const auto& [object, name] : names)
        object->setObjectName(QString::fromLatin1(name));
    for (int i = 0; i < txtAns.size(); ++i)
        txtAns[i]->setObjectName(QStringLiteral("txtAns%1").arg(i));

    // F1 opens the help wherever ? or ﾍﾙﾌﾟ would, as on every desktop; a key
    // shortcut, so a cell holding the focus keeps its digit.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] {
        if (!ending->isRunning())
            OpenHelp();
    });
}

frmMain::~frmMain() = default;

void frmMain::buildTitleArea()
{
    lblStatic[0] = makeLabel(this, QStringLiteral("LEVEL"),
                             look::font(Face::PMincho, 24, false, true), 240, 360, 1455, 495);
    lblTitleLevel = makeLabel(this, QStringLiteral("1"), look::font(Face::PMincho, 24, true, true),
                              2040, 360, 495, 495);
    Line2 = makeLine(this, 240, 840, 4320);
    const QFont italic = look::font(Face::PMincho, 12, false, true);
    const QFont boldItalic = look::font(Face::PMincho, 12, true, true);
    lblStatic[4] = makeLabel(this, QStringLiteral("ステージ数"), italic, 1440, 1080, 1095, 240);
    lblTitleStage = makeLabel(this, QStringLiteral("2"), boldItalic, 3360, 1080, 150, 240);
    lblStatic[1] = makeLabel(this, QStringLiteral("乱数の数"), italic, 1440, 1440, 945, 240);
    lblTitleRDMax = makeLabel(this, QStringLiteral("000"), boldItalic, 3000, 1440, 420, 240);
    lblStatic[2] = makeLabel(this, QStringLiteral("合格点"), italic, 1440, 1800, 720, 240);
    lblStatic[3] = makeLabel(this, QStringLiteral("080点"), boldItalic, 3000, 1800, 675, 240);
    lblStatic[6] = makeLabel(this, QStringLiteral("本番最高点"), italic, 1440, 2160, 1200, 240);
    lblTitleMaxScore = makeLabel(this, QStringLiteral("000点"), boldItalic, 3000, 2160, 675, 240);
    for (QLabel* grows : {lblStatic[0], lblStatic[4], lblTitleStage, lblStatic[1], lblTitleRDMax,
                          lblStatic[2], lblStatic[3], lblStatic[6], lblTitleMaxScore})
        grows->adjustSize();

    const QFont buttonFont = look::font(Face::PMincho, 12);
    cmdTitlePractice = makeButton(this, QStringLiteral("練習"), buttonFont, 600, 2760, 1575, 495);
    cmdTitleTry = makeButton(this, QStringLiteral("本番"), buttonFont, 2640, 2760, 1575, 495);
    const QFont plain = look::font(Face::Default, 9);
    cmdTitleLevel = makeButton(this, QStringLiteral("ﾚﾍﾞﾙ選択"), plain, 840, 3360, 975, 495);
    cmdTitleHelp = makeButton(this, QStringLiteral("ﾍﾙﾌﾟ"), plain, 1920, 3360, 975, 495);
    cmdOption = makeButton(this, QStringLiteral("設定"), plain, 3000, 3360, 975, 495);

    connect(cmdTitlePractice, &QPushButton::clicked, this, &frmMain::cmdTitlePractice_Click);
    connect(cmdTitleTry, &QPushButton::clicked, this, &frmMain::cmdTitleTry_Click);
    connect(cmdTitleLevel, &QPushButton::clicked, this, &frmMain::cmdTitleLevel_Click);
    connect(cmdTitleHelp, &QPushButton::clicked, this, &frmMain::OpenHelp);
    connect(cmdOption, &QPushButton::clicked, this, &frmMain::cmdOption_Click);
}

void frmMain::buildBoard()
{
    picMain = new QWidget(this);
    place(picMain, 0, 0, 4935, 4215);
    // The board keeps its own background, so the THIRD stage's yellow flash
    // lights up only the window around it.
    look::setBackground(picMain, look::buttonFace());
    picMain->setFocusPolicy(Qt::ClickFocus);
    picMain->hide();

    lblLevel = makeLabel(picMain, QStringLiteral("Level 1 "),
                         look::font(Face::PGothic, 11.25, false, true), 120, 120, 780, 225);
    lblStage = makeLabel(picMain, QStringLiteral("Practice"),
                         look::font(Face::PGothic, 11.25, true, true), 1080, 120, 930, 225);
    lblOkNo = makeLabel(picMain, QString(), look::font(Face::PMincho, 11.25, true, true), 3240, 120,
                        105, 225);
    cmdHelp = makeButton(picMain, QStringLiteral("?"), look::font(Face::PGothic, 11.25, true), 4680,
                         120, 210, 255);
    cmdHelp->setFocusPolicy(Qt::NoFocus);
    cmdHelp->setAccessibleName(QStringLiteral("ヘルプ"));
    connect(cmdHelp, &QPushButton::clicked, this, &frmMain::OpenHelp);
    Line1 = makeLine(picMain, 0, 360, 5280);

    // The 100 answer cells exist from the start, hidden until start-up
    // places them.
    for (int i = 0; i < kMaxCells; ++i) {
        auto* cell = new AnswerCell(i, picMain);
        place(cell, 120, 480, 375, 330);
        cell->hide();
        connect(cell, &AnswerCell::changed, this, &frmMain::txtAns_Change);
        txtAns.append(cell);
    }
}

void frmMain::buildResultColumn()
{
    lblResultStatic[0] = new ClickLabel(QStringLiteral("ただいまの乱数は"), this);
    place(lblResultStatic[0], 5040, 360, 1380, 180);
    lblResultStatic[0]->adjustSize();
    lblScore = makeLabel(this, QStringLiteral("***"), look::font(Face::FixedSys, 36, true), 4920,
                         600, 1500, 900);
    lblScore->adjustSize();
    lblResultStatic[1] = new ClickLabel(QStringLiteral("点です"), this);
    place(lblResultStatic[1], 5400, 1440, 525, 180);
    lblResultStatic[1]->adjustSize();
    for (ClickLabel* l : lblResultStatic)
        connect(l, &ClickLabel::clicked, this, &frmMain::lblResultStatic_Click);

    cmdChk = makeButton(this, QStringLiteral("採点"), look::font(Face::PMincho, 11.25), 5040, 1800,
                        1215, 495);
    cmdTry = makeButton(this, QStringLiteral("Try"), look::font(Face::Default, 9), 5040, 2400, 1215,
                        495);
    cmdRetire = makeButton(this, QStringLiteral("メニューへ"), look::font(Face::Default, 9), 5040,
                           3000, 1215, 495);
    cmdEx = makeButton(this, QStringLiteral("お手本"), look::font(Face::Default, 9), 5040, 3600,
                       1215, 495);
    for (QPushButton* b : {cmdChk, cmdTry, cmdRetire, cmdEx})
        b->setEnabled(false);
    connect(cmdChk, &QPushButton::clicked, this, &frmMain::cmdChk_Click);
    connect(cmdTry, &QPushButton::clicked, this, &frmMain::cmdTry_Click);
    connect(cmdRetire, &QPushButton::clicked, this, &frmMain::cmdRetire_Click);
    connect(cmdEx, &QPushButton::clicked, this, &frmMain::cmdEx_Click);
}

void frmMain::buildOverlays()
{
    picDecInfo = new QWidget(this);
    place(picDecInfo, 5040, 1680, 1575, 2535);
    look::setBackground(picDecInfo, look::buttonFace());
    lblStatic[7] = makeLabel(picDecInfo, QStringLiteral("採点結果詳細"),
                             look::font(Face::Default, 9), 240, 120, 1080, 180);
    lblStatic[7]->adjustSize();
    txtDecInfo = new QPlainTextEdit(picDecInfo);
    place(txtDecInfo, 0, 360, 1575, 1695);
    txtDecInfo->setFont(look::font(Face::PGothic, 8.25));
    txtDecInfo->setReadOnly(true);
    txtDecInfo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    look::setColour(txtDecInfo, {QPalette::Base}, Qt::white);
    look::setColour(txtDecInfo, {QPalette::Text}, look::vbColor(0x00004040));
    cmdDecInfoOk = makeButton(picDecInfo, QStringLiteral("Ok"), look::font(Face::Default, 9), 240,
                              2160, 1095, 255);
    connect(cmdDecInfoOk, &QPushButton::clicked, this, &frmMain::cmdDecInfoOk_Click);
    picDecInfo->hide();

    txtMB = new MessageBoardBox(this);
    place(txtMB, 2460, 1920, 2955, 1035);
    txtMB->setText(QStringLiteral("Text1"));
    txtMB->hide();

    lblInfo = new ClickLabel(QStringLiteral("Label1"), this);
    place(lblInfo, 120, 4320, 495, 180);
    lblInfo->adjustSize();
    lblInfo->setCursor(Qt::PointingHandCursor);
    connect(lblInfo, &ClickLabel::clicked, this, &frmMain::lblInfo_Click);
}

void frmMain::buildEffects()
{
    QList<QLineEdit*> edits = cellEdits();
    waiting = new WaitingIndicator(lblScore, this);
    flash = new TextFlash(edits, this);
    // The THIRD stage's yellow flash: a layer under every control, covering
    // the window.
    auto* flashLayer = new QWidget(this);
    flashLayer->setGeometry(rect());
    thirdStage = new ThirdStageOverwrite(edits, flashLayer, this);
    connect(thirdStage, &ThirdStageOverwrite::cellTaken, this, &frmMain::cellTaken);
    banner = new MessageBoard(txtMB, this);
    ending = new Ending(edits, txtMB, this);
    connect(ending, &Ending::quitWhenMusicEnds, this, [this] { QuitPending = true; });
    connect(ending, &Ending::closeRequested, this, &QWidget::close);

    // The music poll runs from the window's creation, also while the splash
    // is up and before any track has been opened.
    tmrBGMLoop.setObjectName(QStringLiteral("tmrBGMLoop"));
    tmrBGMLoop.setInterval(75);
    connect(&tmrBGMLoop, &QTimer::timeout, this, &frmMain::tmrBGMLoop_Timer);
    tmrBGMLoop.start();
}

QList<QLineEdit*> frmMain::cellEdits() const
{
    QList<QLineEdit*> edits;
    for (AnswerCell* c : txtAns)
        edits.append(c);
    return edits;
}

// ---------------------------------------------------------------- start-up

void frmMain::Form_Load()
{
    if (loaded_)
        return;
    loaded_ = true;

    settings_.SetIniFileName(QStringLiteral("zorbel.ini"));

    for (const char* file : kSoundFiles)
        sound_.Add(QString::fromLatin1(file));

    music_.InitBGM();
    for (const char* file : kTrackFiles)
        music_.AddBGM(QString::fromLatin1(file));

    if (showSplash_) {
        frmTitle splash;
        splash.exec();
    }

    // Place the cells: ten columns of ten, numbered down each column.
    createCells();

    flow_->Load(ReadGameData(settings_));
    sound_.SetSoundOn(flow_->Zorb.SoundOn);
    music_.BGMOnOff(flow_->Zorb.BGMOn);

    SetupCells();
    ReturnToMenu();
    loadComplete_ = true;

    // A close asked for while loading (a signal during the splash) is carried
    // out now that the progress has been read: it saves what was read, never
    // the defaults over it.
    if (closePending_)
        close();
}

void frmMain::createCells()
{
    const int lineTop = Line1->y();
    for (int k = 0; k < kMaxCells; ++k) {
        AnswerCell* cell = txtAns[k];
        cell->move(32 * (k / 10), lineTop + 24 * (k % 10) + 8);
        cell->show();
    }
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
    waiting->stop();
    thirdStage->stop();
    flash->stop();
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

void frmMain::playSound(int n)
{
    sound_.PlayAsync(static_cast<std::int16_t>(n), 0, 1, 0);
}

// ---------------------------------------------------------------- menu

void frmMain::setTitleVisible(bool visible)
{
    // While the board covers the title area, its controls are out of reach
    // of the mouse and of the Tab key alike.
    for (QWidget* w : std::initializer_list<QWidget*>{
             lblStatic[0], lblTitleLevel, Line2, lblStatic[4], lblTitleStage, lblStatic[1],
             lblTitleRDMax, lblStatic[2], lblStatic[3], lblStatic[6], lblTitleMaxScore,
             cmdTitlePractice, cmdTitleTry, cmdTitleLevel, cmdTitleHelp, cmdOption})
        w->setVisible(visible);
}

void frmMain::setCaption(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();
}

void frmMain::ReturnToMenu()
{
    music_.BGMPlay(kTrackMenu, false);
    flow_->EnterMenu();
    banner->stop();
    waiting->stop();
    thirdStage->stop();
    for (QPushButton* b : {cmdChk, cmdRetire, cmdTry, cmdEx})
        b->setEnabled(false);
    cmdTitleLevel->setEnabled(flow_->Zorb.LevelMax >= 2);
    picMain->hide();
    setTitleVisible(true);
    setCaption(lblScore, QStringLiteral("***"));
    lblScore->setAccessibleDescription(QString());
    look::setTextColor(lblScore, look::buttonText());
    ShowLevelStage();
    ShowInfo(flow_->Level() >= 3 ? 7 : 1);
    flow_->KeepLevel();
    showTitleLevel();
    SaveGameData();
    // No button keeps the focus: a key still held from the board must not
    // start the next round by itself.
    setFocus();
}

void frmMain::ShowLevelStage()
{
    // The level number is written with the blank that stands for its sign.
    const int level = flow_->Level();
    setCaption(lblLevel, QStringLiteral("Level") + (level >= 0 ? QStringLiteral(" ") : QString()) +
                             QString::number(level) + QStringLiteral("  "));
    const auto stage = static_cast<int>(flow_->Stage());
    if (stage < 0) {
        setCaption(lblStage, QStringLiteral("Practice mode"));
        look::setTextColor(lblStage, QColor(0, 0, 0));
    } else {
        const QString names = QStringLiteral("FIRST SECONDTHIRD ");
        setCaption(lblStage, names.mid(qBound(0, stage, 2) * 6, 6) + QStringLiteral("stage"));
        look::setTextColor(lblStage, QColor(0, 0, 128));
    }
}

void frmMain::cmdTitleLevel_Click()
{
    flow_->NextLevel();
    showTitleLevel();
}

void frmMain::showTitleLevel()
{
    const std::int16_t level = flow_->Level();
    lblTitleLevel->setText(QString::number(level)); // a fixed-size label
    setCaption(lblTitleRDMax, ThreeDigits(CellsForLevel(level)));
    setCaption(lblTitleMaxScore,
               ThreeDigits(flow_->Zorb.MaxScore[static_cast<std::size_t>(level)]) +
                   QStringLiteral("点"));
    setCaption(lblTitleStage, level >= 5 ? QStringLiteral("3") : QStringLiteral("2"));
}

void frmMain::cmdTitlePractice_Click()
{
    playSound(kSoundBeep);
    flow_->ChoosePractice();
    cmdEx->setEnabled(true);
    StartRound();
}

void frmMain::cmdTitleTry_Click()
{
    playSound(kSoundBeep);
    flow_->ChooseRealGame();
    cmdEx->setEnabled(false);
    StartRound();
}

void frmMain::cmdOption_Click()
{
    playSound(kSoundBeep);
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

void frmMain::ShowInfo(int n)
{
    if (n > 0)
        InfoNo = static_cast<std::int16_t>(n);
    setCaption(lblInfo, flow_->Zorb.InfoOn ? InfoText(InfoNo) : kCreditLine);
}

void frmMain::lblInfo_Click()
{
    flow_->ToggleInfo();
    ShowInfo(0);
}

void frmMain::OpenHelp()
{
    const QString path = programDir_ + QStringLiteral("html/index.htm");
    // Opened from the board after a scoring, the address carries the board
    // last scored (#board=...), so the page's analyser opens on it; from the
    // menu, or before any scoring, it is the plain help address.
    QString fragment;
    if (scoredOnce_ && picMain->isVisible()) {
        fragment = QStringLiteral("board=");
        for (int i = 0; i < flow_->Zorb.CellCount; ++i)
            fragment += QChar(u'0' + flow_->Zorb.Digits[static_cast<std::size_t>(i)]);
    }
    if (!prompter_.ShellExe(path, fragment))
        prompter_.showError(this, QStringLiteral("Zorbel"),
                            QStringLiteral("ヘルプファイルを開けません。"));
}

// ---------------------------------------------------------------- cells

void frmMain::SetupCells()
{
    const int count = flow_->SetupCells();
    for (int i = 0; i < kMaxCells; ++i) {
        txtAns[i]->setVisible(i < count);
        txtAns[i]->setAccessibleName(QStringLiteral("マス %1/%2").arg(i + 1).arg(count));
    }
}

bool frmMain::allCellsFilled() const
{
    for (int i = 0; i < flow_->Zorb.CellCount && i < txtAns.size(); ++i)
        if (!CellFilled(txtAns[i]->text().toStdString()))
            return false;
    return true;
}

void frmMain::focusNextFreeCell(int from)
{
    for (int i = from; i < flow_->Zorb.CellCount && i < txtAns.size(); ++i) {
        if (txtAns[i]->isEnabled() && !txtAns[i]->isReadOnly()) {
            txtAns[i]->setFocus();
            return;
        }
    }
    // No free cell left: the focus goes nowhere rather than to a fixed cell.
    if (QWidget* f = focusWidget())
        f->clearFocus();
}

void frmMain::txtAns_Change(int index)
{
    if (index < 0 || index >= txtAns.size())
        return;
    AnswerCell* cell = txtAns[index];
    const std::string text = cell->text().toStdString();
    const int count = flow_->Zorb.CellCount;
    if (!IsAcceptedDigit(text)) {
        // In the real game a cell that no longer holds a digit takes the
        // 採点 button away again, so an empty cell is never scored as 0.
        if (flow_->RealGame() && index < count && !CellFilled(text)) {
            chkTakenAway_ = chkTakenAway_ || cmdChk->isEnabled();
            cmdChk->setEnabled(false);
        }
        return;
    }

    flash->start(index);

    // The last cell gives 採点 and its focus once the board is full. So does
    // a corrected digit: every key empties its cell first, and 採点 taken
    // away by that blank comes back as soon as the board is full again.
    if ((index == count - 1 || chkTakenAway_) && allCellsFilled() && !cmdTry->isEnabled()) {
        chkTakenAway_ = false;
        cmdChk->setEnabled(true);
        cmdChk->setFocus();
        return;
    }
    if (index < count - 1)
        focusNextFreeCell(index + 1);
}

void frmMain::cellTaken(int index, bool hadFocus)
{
    // A flash running on the cell just taken is settled, and the player's
    // focus moves on to the next free cell: a taken cell is disabled, and a
    // disabled cell holding the focus would trap the keyboard.
    if (flash->isFlashing(index))
        flash->settle();
    txtAns[index]->setAccessibleDescription(QStringLiteral("ゲームが取ったマス"));
    if (hadFocus || !focusWidget())
        focusNextFreeCell(index + 1);
}

// ---------------------------------------------------------------- round flow

void frmMain::StartRound()
{
    const RoundPlan plan = flow_->StartRound();
    if (plan.banner)
        banner->start(static_cast<int>(flow_->Stage()));
    if (plan.track > 0)
        music_.BGMPlay(plan.track, false);

    setTitleVisible(false);
    picMain->show();
    picMain->raise();
    if (txtMB->isVisible())
        txtMB->raise();
    if (picDecInfo->isVisible())
        picDecInfo->raise();

    ShowLevelStage();
    setCaption(lblScore, QStringLiteral("---"));
    lblScore->setAccessibleDescription(QString());
    SetupCells();

    // Every cell in play is emptied and free again. A cell keeps its text
    // colour: yellow once a flash has ended on it, in later rounds too. A
    // flash still running ends now, as it would a moment later.
    flash->settle();
    const int count = flow_->Zorb.CellCount;
    for (int i = 0; i < count; ++i) {
        AnswerCell* cell = txtAns[i];
        cell->setText(QString());
        cell->setEnabled(true);
        cell->setReadOnly(false);
        cells::setBackground(cell, cells::kBlack);
        cell->setAccessibleDescription(QString());
    }

    chkTakenAway_ = false;
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
    } else {
        if (plan.takesCells)
            thirdStage->start(count);
        txtAns[0]->setFocus();
    }

    ShowInfo(plan.hint);
    setCaption(lblOkNo, QString());
    look::setTextColor(lblScore, QColor(0, 0, 0));
    cmdRetire->setEnabled(true);
    cmdChk->setEnabled(false);
    cmdTry->setEnabled(false);
    waiting->start();
}

void frmMain::cmdChk_Click()
{
    if (flow_->RealGame()) {
        playSound(kSoundBeep);
        music_.BGMStop();
    }
    std::array<std::int16_t, kMaxCells> digits{};
    for (int i = 0; i < flow_->Zorb.CellCount; ++i) {
        AnswerCell* cell = txtAns[i];
        cell->setEnabled(true);
        cell->setReadOnly(false);
        cells::setBackground(cell, cells::kBlack);
        cell->setAccessibleDescription(QString());
        digits[static_cast<std::size_t>(i)] = DigitOf(cell->text().toStdString());
    }
    lblResultStatic[0]->show();
    lblResultStatic[1]->hide();
    lblScore->show();

    banner->stop();
    flow_->BeginResult(digits);
    waiting->stop();
    thirdStage->stop();
}

void frmMain::showResult(const RoundResult& result)
{
    scoredOnce_ = true;
    lblResultStatic[1]->show();
    setCaption(lblScore, result.scoreText);
    txtDecInfo->setPlainText(result.details);
    // A screen reader announces the final score (and the verdict) once,
    // not every number of the count before it.
    const QString verdict =
        result.judged ? QString::fromStdString(result.judgement.verdict.text) : QString();
    lblScore->setAccessibleDescription(
        (QStringLiteral("%1 点 %2").arg(result.scoreText, verdict)).trimmed());
    if (!result.judged)
        return; // practice: the score and its details, nothing else

    const Judgement& j = result.judgement;
    cmdTry->setEnabled(true);
    cmdChk->setEnabled(false);
    playSound(j.sound);
    for (int n : j.infos)
        ShowInfo(n);
    look::setTextColor(lblScore, j.scoreRed ? QColor(255, 0, 0) : QColor(0, 0, 0));
    setCaption(lblOkNo, QString::fromStdString(j.verdict.text));
    look::setTextColor(lblOkNo, j.verdict.colour == VerdictColour::Blue ? QColor(0, 0, 255)
                                                                        : QColor(255, 0, 0));
    if (j.disableRetire)
        cmdRetire->setEnabled(false);
    cmdTry->setText(TryCaption(j));

    // Leave the focus somewhere harmless, so a stray Space or Enter does not
    // press Try.
    picMain->setFocus();
}

void frmMain::cmdTry_Click()
{
    switch (flow_->Try()) {
    case RoundFlow::TryAction::Ending:
        cmdHelp->setEnabled(false);
        cmdTry->setEnabled(false);
        lblInfo->hide();
        ending->start(flow_->Zorb.BGMOn);
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
        playSound(kSoundBeep);
        StartRound();
        break;
    }
}

void frmMain::cmdRetire_Click()
{
    playSound(kSoundBeep);
    if (flow_->RealGame()) {
        if (!prompter_.askYesNo(this, QStringLiteral("リタイア"),
                                QStringLiteral("リタイアしますか？")))
            return;
    }
    // The round's timers ran on while the question was open, and a result
    // may have come in meanwhile (even one that completed the level): a Yes
    // still leaves for the menu, with whatever progress that result saved.
    ShowInfo(5);
    setCaption(lblOkNo, QString());
    ReturnToMenu();
}

void frmMain::cmdEx_Click()
{
    playSound(kSoundDrums);
    ShowLevelStage();
    FillWithRandomDigits(cellEdits(), flow_->Zorb.CellCount);
    ShowInfo(5);
    cmdChk_Click();
    cmdChk->setEnabled(true);
}

void frmMain::lblResultStatic_Click()
{
    // During the ending only the window's close box acts.
    if (ending->isRunning())
        return;
    if (flow_->ClearFlg() && !flow_->Zorb.InfoOn) {
        picDecInfo->show();
        picDecInfo->raise();
    }
}

void frmMain::cmdDecInfoOk_Click()
{
    if (ending->isRunning())
        return;
    playSound(kSoundBeep);
    picDecInfo->hide();
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

#include "ui/frmMain.h"

#include "audio/Sound.h"
#include "audio/clsBGMAPI.h"
#include "common/clsCommon.h"
#include "effects/CellLook.h"
#include "effects/Demonstration.h"
#include "effects/Ending.h"
#include "effects/MessageBoard.h"
#include "effects/Palette.h"
#include "effects/TextFlash.h"
#include "effects/ThirdStageOverwrite.h"
#include "effects/WaitingIndicator.h"
#include "game/CellRules.h"
#include "game/Random.h"
#include "game/RoundRules.h"
#include "settings/GameData.h"
#include "settings/INI.h"
#include "ui/AnswerCell.h"
#include "ui/ClickLabel.h"
#include "ui/Look.h"
#include "ui/Prompter.h"
#include "ui/frmOption.h"
#include "ui/frmTitle.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace zorbel
{

using look::Face;
using look::place;

namespace
{

bool g_showSplash = true;

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

void playSound(int n)
{
    Sound::instance().PlayAsync(static_cast<std::int16_t>(n), 0, 1, 0);
}

// Three digits with leading zeros, as the "000" pattern writes them.
QString threeDigits(double value)
{
    return QString::asprintf("%03d", static_cast<int>(std::nearbyint(value)));
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

const QString frmMain::kCreditLine = QStringLiteral("Zorbel ver1.01  ―  乱数になりきるゲーム");

QString frmMain::InfoText(int n)
{
    if (n < 1 || n > 8)
        return QString();
    return QString::fromUtf8(kHints[n - 1]);
}

void frmMain::setShowSplash(bool show)
{
    g_showSplash = show;
}

frmMain::frmMain(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Zorbel ver1.01"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(look::px(6630), look::px(4560));
    setFont(look::font(Face::Default, 9));
    look::setBackground(this, look::buttonFace());

    buildTitleArea();
    buildBoard();
    buildResultColumn();
    buildOverlays();
    buildTimers();
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
    connect(cmdTitleHelp, &QPushButton::clicked, this, &frmMain::cmdTitleHelp_Click);
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
    connect(cmdHelp, &QPushButton::clicked, this, &frmMain::cmdHelp_Click);
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
    setColour(txtDecInfo, {QPalette::Base}, Qt::white);
    setColour(txtDecInfo, {QPalette::Text}, look::vbColor(0x00004040));
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

void frmMain::buildTimers()
{
    QList<QLineEdit*> edits = cellEdits();
    waiting = new WaitingIndicator(lblScore, this);
    flash = new TextFlash(edits, this);
    // The THIRD stage's yellow flash: a layer under every control, covering
    // the window.
    auto* flashLayer = new QWidget(this);
    flashLayer->setGeometry(rect());
    thirdStage = new ThirdStageOverwrite(edits, flashLayer, AutoInput, this);
    thirdStage->cellTaken = [this](int index, bool hadFocus) { cellTaken(index, hadFocus); };
    banner = new MessageBoard(txtMB, this);
    ending = new Ending(edits, txtMB, this);
    ending->musicOn = [this] { return Zorb.BGMOn; };
    ending->setQuitPending = [this] { QuitPending = true; };
    ending->closeWindow = [this] { close(); };

    timResult.setInterval(50);
    timResult.setTimerType(Qt::PreciseTimer);
    connect(&timResult, &QTimer::timeout, this, &frmMain::timResult_Timer);

    // The music poll runs from the window's creation, also while the splash
    // is up and before any track has been opened.
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

    INI::instance().SetIniFileName(QStringLiteral("zorbel.ini"));

    for (const char* file : kSoundFiles)
        Sound::instance().Add(QString::fromLatin1(file));

    clsBGMAPI& bgm = clsBGMAPI::instance();
    bgm.InitBGM();
    for (const char* file : kTrackFiles)
        bgm.AddBGM(QString::fromLatin1(file));

    if (g_showSplash) {
        frmTitle splash;
        splash.exec();
    }

    // Place the cells: ten columns of ten, numbered down each column.
    createCells();

    const GameData saved = ReadGameData(INI::instance());
    Zorb.LevelMax = saved.LevelMax;
    for (int i = 1; i <= 5; ++i)
        Zorb.MaxScore[static_cast<std::size_t>(i)] = saved.MaxScore[static_cast<std::size_t>(i)];
    ClearFlg = saved.ClearFlg;
    Zorb.SoundOn = saved.SoundOn;
    Zorb.BGMOn = saved.BGMOn;
    Zorb.InfoOn = saved.InfoOn;

    Level = Zorb.LevelMax;

    Sound::instance().SoundOn = Zorb.SoundOn;
    bgm.BGMOnOff(Zorb.BGMOn);

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
    for (QTimer* t : {&tmrBGMLoop, &timResult, &waiting->timSCAction, &thirdStage->timSt3,
                      &flash->timTextFlash, &banner->timMB, &ending->timEnd})
        t->stop();
    clsBGMAPI::instance().BGMStop();
    if (loadComplete_)
        SaveGameData();
}

void frmMain::SaveGameData()
{
    GameData toSave;
    toSave.LevelMax = Zorb.LevelMax;
    toSave.MaxScore = Zorb.MaxScore;
    toSave.ClearFlg = ClearFlg;
    toSave.SoundOn = Zorb.SoundOn;
    toSave.BGMOn = Zorb.BGMOn;
    toSave.InfoOn = Zorb.InfoOn;
    ::zorbel::SaveGameData(INI::instance(), toSave);
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
    clsBGMAPI::instance().BGMPlay(kTrackMenu, false);
    Stage = -1;
    // A result still counting would judge the old board later on.
    timResult.stop();
    banner->stop();
    waiting->stop();
    thirdStage->stop();
    for (QPushButton* b : {cmdChk, cmdRetire, cmdTry, cmdEx})
        b->setEnabled(false);
    cmdTitleLevel->setEnabled(Zorb.LevelMax >= 2);
    picMain->hide();
    setTitleVisible(true);
    setCaption(lblScore, QStringLiteral("***"));
    look::setTextColor(lblScore, look::buttonText());
    ShowLevelStage();
    ShowInfo(Level >= 3 ? 7 : 1);
    Level = static_cast<std::int16_t>(Level - 1);
    cmdTitleLevel_Click();
    SaveGameData();
    // No button keeps the focus: a key still held from the board must not
    // start the next round by itself.
    setFocus();
}

void frmMain::ShowLevelStage()
{
    // The level number is written with the blank that stands for its sign.
    setCaption(lblLevel, QStringLiteral("Level") + (Level >= 0 ? QStringLiteral(" ") : QString()) +
                             QString::number(Level) + QStringLiteral("  "));
    if (Stage < 0) {
        setCaption(lblStage, QStringLiteral("Practice mode"));
        look::setTextColor(lblStage, QColor(0, 0, 0));
    } else {
        const QString names = QStringLiteral("FIRST SECONDTHIRD ");
        setCaption(lblStage, names.mid(qBound(0, int(Stage), 2) * 6, 6) + QStringLiteral("stage"));
        look::setTextColor(lblStage, QColor(0, 0, 128));
    }
}

void frmMain::cmdTitleLevel_Click()
{
    const int levelMax = qBound<int>(1, Zorb.LevelMax, 5);
    int level = Level;
    if (level < 0)
        level = 0;
    Level = static_cast<std::int16_t>((level % levelMax) + 1);
    setCaption(lblTitleLevel, QString::number(Level));
    setCaption(lblTitleRDMax, threeDigits(CellsForLevel(Level)));
    setCaption(lblTitleMaxScore,
               threeDigits(Zorb.MaxScore[static_cast<std::size_t>(Level)]) + QStringLiteral("点"));
    setCaption(lblTitleStage, Level >= 5 ? QStringLiteral("3") : QStringLiteral("2"));
}

void frmMain::cmdTitlePractice_Click()
{
    playSound(kSoundBeep);
    Stage = -1;
    cmdEx->setEnabled(true);
    StartRound();
}

void frmMain::cmdTitleTry_Click()
{
    playSound(kSoundBeep);
    Stage = 0;
    cmdEx->setEnabled(false);
    StartRound();
}

void frmMain::cmdOption_Click()
{
    playSound(kSoundBeep);
    {
        frmOption dialog(Zorb.SoundOn, Zorb.BGMOn, Zorb.InfoOn, this);
        dialog.exec();
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
    setCaption(lblInfo, Zorb.InfoOn ? InfoText(InfoNo) : kCreditLine);
}

void frmMain::lblInfo_Click()
{
    Zorb.InfoOn = !Zorb.InfoOn;
    ShowInfo(0);
}

void frmMain::OpenHelp()
{
    const QString path = clsCommon::GetPath() + QStringLiteral("html/index.htm");
    if (clsCommon::ShellExe(path) <= 32)
        Prompter::showError(this, QStringLiteral("Zorbel"),
                            QStringLiteral("ヘルプファイルを開けません。"));
}

// ---------------------------------------------------------------- cells

void frmMain::SetupCells()
{
    Zorb.CellCount = CellsForLevel(Level);
    for (int i = 0; i < kMaxCells; ++i)
        txtAns[i]->setVisible(i < Zorb.CellCount);
}

bool frmMain::allCellsFilled() const
{
    for (int i = 0; i < Zorb.CellCount && i < txtAns.size(); ++i)
        if (!CellFilled(txtAns[i]->text().toStdString()))
            return false;
    return true;
}

void frmMain::focusNextFreeCell(int from)
{
    for (int i = from; i < Zorb.CellCount && i < txtAns.size(); ++i) {
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
    if (AutoInput || !IsAcceptedDigit(text)) {
        // In the real game a cell that no longer holds a digit takes the
        // 採点 button away again, so an empty cell is never scored as 0.
        if (!AutoInput && Stage >= 0 && index < Zorb.CellCount && !CellFilled(text))
            cmdChk->setEnabled(false);
        return;
    }

    flash->start(index);

    if (index == Zorb.CellCount - 1) {
        if (allCellsFilled() && !cmdTry->isEnabled()) {
            cmdChk->setEnabled(true);
            cmdChk->setFocus();
        }
        return;
    }
    if (index < Zorb.CellCount - 1)
        focusNextFreeCell(index + 1);
}

void frmMain::cellTaken(int index, bool hadFocus)
{
    // A flash running on the cell just taken is settled, and the player's
    // focus moves on to the next free cell.
    if (flash->FlashCount > 0 && flash->FlashCell == index)
        flash->settle();
    if (hadFocus || !focusWidget())
        focusNextFreeCell(index + 1);
}

// ---------------------------------------------------------------- round flow

void frmMain::StartRound()
{
    timResult.stop();

    const std::int16_t track = TrackForRound(Level, Stage);
    if (Stage >= 0)
        banner->start(Stage);
    if (track > 0)
        clsBGMAPI::instance().BGMPlay(track, false);

    setTitleVisible(false);
    picMain->show();
    picMain->raise();
    if (txtMB->isVisible())
        txtMB->raise();
    if (picDecInfo->isVisible())
        picDecInfo->raise();

    ShowLevelStage();
    setCaption(lblScore, QStringLiteral("---"));
    SetupCells();

    // Every cell in play starts fresh, whatever the last round left on it.
    flash->cancel();
    for (int i = 0; i < Zorb.CellCount; ++i) {
        AnswerCell* cell = txtAns[i];
        cell->setText(QString());
        cell->setEnabled(true);
        cell->setReadOnly(false);
        cells::setBackground(cell, cells::kBlack);
        cells::setTextColour(cell, cells::kDesignText);
        cells::setBold(cell, false);
    }

    if (Stage == 1) {
        // The same random digit in the first CellCount \ 15 cells; each
        // write is taken like a typed digit, then the cell is fixed.
        const QString digit(QChar(u'0' + Rnd::Digit()));
        const int fixed = FixedCellCount(Zorb.CellCount);
        for (int i = 0; i < fixed; ++i)
            txtAns[i]->setText(digit);
        for (int i = 0; i < fixed; ++i) {
            cells::setBackground(txtAns[i], cells::kFixedBackground);
            txtAns[i]->setReadOnly(true);
            txtAns[i]->setEnabled(false);
        }
        txtAns[fixed]->setFocus();
    } else if (Stage == 2) {
        thirdStage->start(Zorb.CellCount);
        txtAns[0]->setFocus();
    } else {
        txtAns[0]->setFocus();
    }

    ShowInfo(Stage == 1 ? 6 : 2);
    setCaption(lblOkNo, QString());
    look::setTextColor(lblScore, QColor(0, 0, 0));
    cmdRetire->setEnabled(true);
    cmdChk->setEnabled(false);
    cmdTry->setEnabled(false);
    waiting->start();
}

void frmMain::cmdChk_Click()
{
    if (Stage >= 0) {
        playSound(kSoundBeep);
        clsBGMAPI::instance().BGMStop();
    }
    for (int i = 0; i < Zorb.CellCount; ++i) {
        AnswerCell* cell = txtAns[i];
        cell->setEnabled(true);
        cell->setReadOnly(false);
        cells::setBackground(cell, cells::kBlack);
        Zorb.Digits[static_cast<std::size_t>(i)] = DigitOf(cell->text().toStdString());
    }
    lblResultStatic[0]->show();
    lblResultStatic[1]->hide();
    lblScore->show();

    ResultTick = 0;
    banner->stop();
    timResult.start();
    waiting->stop();
    thirdStage->stop();
}

void frmMain::timResult_Timer()
{
    ResultTick += 1;
    const int limit = ResultTickLimit(Level, Stage);
    if (ResultTick <= limit) {
        setCaption(lblScore, threeDigits(static_cast<int>(Rnd::Next() * 100)));
        return;
    }

    timResult.stop();
    lblResultStatic[1]->show();
    const double score = Zorb.CalcScore();
    setCaption(lblScore, threeDigits(score));
    txtDecInfo->setPlainText(QString::fromStdString(Zorb.DecInfoText)
                                 .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));

    if (Stage < 0)
        return; // practice: the score and its details, nothing else

    Progress before;
    before.Level = Level;
    before.Stage = Stage;
    before.LevelMax = Zorb.LevelMax;
    before.MaxScore = Zorb.MaxScore;
    before.ClearFlg = ClearFlg;
    const Judgement j = JudgeResult(before, score);

    Zorb.MaxScore = j.after.MaxScore;
    cmdTry->setEnabled(true);
    cmdChk->setEnabled(false);
    playSound(j.sound);
    for (int n : j.infos)
        ShowInfo(n);
    look::setTextColor(lblScore, j.scoreRed ? QColor(255, 0, 0) : QColor(0, 0, 0));
    setCaption(lblOkNo, QString::fromStdString(j.verdict.text));
    look::setTextColor(lblOkNo, j.verdict.colour == VerdictColour::Blue ? QColor(0, 0, 255)
                                                                        : QColor(255, 0, 0));
    Stage = j.after.Stage;
    Level = j.after.Level;
    Zorb.LevelMax = j.after.LevelMax;
    ClearFlg = j.after.ClearFlg;
    if (j.disableRetire)
        cmdRetire->setEnabled(false);
    cmdTry->setText(QString::fromStdString(j.tryCaption));

    // Leave the focus somewhere harmless, so a stray Space or Enter does not
    // press Try.
    picMain->setFocus();
}

void frmMain::cmdTry_Click()
{
    if (Level >= 6) {
        cmdHelp->setEnabled(false);
        cmdTry->setEnabled(false);
        lblInfo->hide();
        ending->start();
        clsBGMAPI::instance().BGMPlay(kTrackEnding, true);
        picMain->resize(picMain->width(), height());
        picMain->setFocus();
        return;
    }
    switch (Stage) {
    case -2:
        ReturnToMenu();
        break;
    case -1:
        cmdTitleTry_Click();
        break;
    default:
        playSound(kSoundBeep);
        StartRound();
        break;
    }
}

void frmMain::cmdRetire_Click()
{
    playSound(kSoundBeep);
    if (Stage >= 0) {
        if (!Prompter::askYesNo(this, QStringLiteral("リタイア"),
                                QStringLiteral("リタイアしますか？")))
            return;
    }
    // The round's timers ran on while the question was open. If the result
    // came in meanwhile and completed the level, there is no round left to
    // retire from: Try leads on from here.
    if (!cmdRetire->isEnabled())
        return;
    ShowInfo(5);
    setCaption(lblOkNo, QString());
    ReturnToMenu();
}

void frmMain::cmdEx_Click()
{
    playSound(kSoundDrums);
    ShowLevelStage();
    FillWithRandomDigits(cellEdits(), Zorb.CellCount, AutoInput);
    ShowInfo(5);
    cmdChk_Click();
    cmdChk->setEnabled(true);
}

void frmMain::lblResultStatic_Click()
{
    // During the ending only the window's close box acts.
    if (ending->isRunning())
        return;
    if (ClearFlg && !Zorb.InfoOn) {
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
    clsBGMAPI& bgm = clsBGMAPI::instance();
    if (bgm.GetBGMStopped() && QuitPending) {
        close();
        return;
    }
    bgm.CalledByTimer();
}

} // namespace zorbel

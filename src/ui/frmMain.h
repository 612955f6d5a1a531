// The main window: the title menu and the play board in one window,
// start-up and shutdown. The round flow itself lives in RoundFlow; the
// window shows it and forwards its handlers there.
#pragma once

#include <QList>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QPlainTextEdit;

namespace zorbel
{

class AnswerCell;
class BackgroundMusic;
class ClickLabel;
class Ending;
class INI;
class MessageBoard;
class MessageBoardBox;
class Prompter;
class RoundFlow;
class SoundEffects;
class TextFlash;
class ThirdStageOverwrite;
class WaitingIndicator;
struct RoundResult;

class frmMain : public QWidget
{
    Q_OBJECT
public:
    // What the window needs from outside; all must outlive it.
    struct Services {
        SoundEffects& sound;
        BackgroundMusic& music;
        Prompter& prompter;
        INI& settings;
        QString programDir; // ends with "/": the help page is in html/ there
        bool showSplash = true;
    };

    explicit frmMain(const Services& services, QWidget* parent = nullptr);
    ~frmMain() override;

    // Start-up: settings, sounds, music, splash, cells, saved progress,
    // then the title menu. The window is shown by the caller afterwards.
    void Form_Load();

    // True once the window has been closed (shutdown has run).
    bool isUnloaded() const { return unloaded_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // ---- Procedures ----
    void StartRound();
    void ReturnToMenu();
    void ShowLevelStage();
    void SetupCells();
    void ShowInfo(int n);
    void OpenHelp();
    void SaveGameData();
    void Form_Unload();

    // ---- Event handlers ----
    void cmdChk_Click();
    void cmdTry_Click();
    void cmdRetire_Click();
    void cmdEx_Click();
    void cmdTitleLevel_Click();
    void showTitleLevel();
    void cmdTitlePractice_Click();
    void cmdTitleTry_Click();
    void cmdOption_Click();
    void lblResultStatic_Click();
    void cmdDecInfoOk_Click();
    void lblInfo_Click();
    void txtAns_Change(int index);
    void tmrBGMLoop_Timer();
    void showResult(const RoundResult& result);

    // ---- Building ----
    void buildTitleArea();
    void buildBoard();
    void buildResultColumn();
    void buildOverlays();
    void buildEffects();
    void createCells();
    void setTitleVisible(bool visible);
    void setCaption(QLabel* label, const QString& text);
    void focusNextFreeCell(int from);
    void cellTaken(int index, bool hadFocus);
    bool allCellsFilled() const;
    void playSound(int n);
    QList<QLineEdit*> cellEdits() const;

    SoundEffects& sound_;
    BackgroundMusic& music_;
    Prompter& prompter_;
    INI& settings_;
    const QString programDir_;
    const bool showSplash_;

    RoundFlow* flow_ = nullptr;
    std::int16_t InfoNo = 0;
    bool QuitPending = false;
    bool scoredOnce_ = false;   // a board was scored: the help opens on it
    bool chkTakenAway_ = false; // a blank took 採点 away from a full board

    // ---- Controls ----
    std::array<QLabel*, 8> lblStatic{};
    QLabel* lblTitleLevel = nullptr;
    QFrame* Line2 = nullptr;
    QLabel* lblTitleStage = nullptr;
    QLabel* lblTitleRDMax = nullptr;
    QLabel* lblTitleMaxScore = nullptr;
    QPushButton* cmdTitlePractice = nullptr;
    QPushButton* cmdTitleTry = nullptr;
    QPushButton* cmdTitleLevel = nullptr;
    QPushButton* cmdTitleHelp = nullptr;
    QPushButton* cmdOption = nullptr;

    QWidget* picMain = nullptr;
    QLabel* lblLevel = nullptr;
    QLabel* lblStage = nullptr;
    QLabel* lblOkNo = nullptr;
    QPushButton* cmdHelp = nullptr;
    QFrame* Line1 = nullptr;
    QList<AnswerCell*> txtAns;

    std::array<ClickLabel*, 2> lblResultStatic{};
    QLabel* lblScore = nullptr;
    QPushButton* cmdChk = nullptr;
    QPushButton* cmdTry = nullptr;
    QPushButton* cmdRetire = nullptr;
    QPushButton* cmdEx = nullptr;

    QWidget* picDecInfo = nullptr;
    QPlainTextEdit* txtDecInfo = nullptr;
    QPushButton* cmdDecInfoOk = nullptr;
    MessageBoardBox* txtMB = nullptr;
    ClickLabel* lblInfo = nullptr;

    // ---- Timers and timed effects ----
    QTimer tmrBGMLoop{this};             // a child named "tmrBGMLoop", for tools that watch it
    WaitingIndicator* waiting = nullptr; // timSCAction
    ThirdStageOverwrite* thirdStage = nullptr; // timSt3
    TextFlash* flash = nullptr;                // timTextFlash
    MessageBoard* banner = nullptr;            // timMB
    Ending* ending = nullptr;                  // timEnd

    bool loaded_ = false;
    bool loadComplete_ = false;
    bool closePending_ = false;
    bool unloaded_ = false;
    bool centred_ = false;
};

} // namespace zorbel

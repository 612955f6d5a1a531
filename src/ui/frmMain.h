// The main window: the title menu, the board and the result column in one
// window, the information line and the overlays, start-up and shutdown.
// The round flow decides; the window wires its pieces to it and shows what
// it is told.
#pragma once

#include "game/Cues.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>

namespace zorbel
{

class BackgroundMusic;
class BoardPanel;
class ClickLabel;
class Ending;
class INI;
class MessageBoard;
class MessageBoardBox;
class Prompter;
class Random;
class ResultColumn;
class RoundFlow;
class SoundEffects;
class TitleMenu;
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
        Random& random;     // the splash seeds it from the clock
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
    void ShowInfo(Hint hint);
    void ShowInfo(); // the current hint again, or the credit line
    void OpenHelp();
    void SaveGameData();
    void Form_Unload();

    // ---- Event handlers ----
    void cmdChk_Click();
    void cmdTry_Click();
    void cmdRetire_Click();
    void cmdEx_Click();
    void cmdTitleLevel_Click();
    void cmdTitlePractice_Click();
    void cmdTitleTry_Click();
    void cmdOption_Click();
    void lblResultStatic_Click();
    void cmdDecInfoOk_Click();
    void lblInfo_Click();
    void digitTyped(int index, bool boardFull);
    void cellBlanked(int index);
    void tmrBGMLoop_Timer();
    void showResult(const RoundResult& result);

    void connectPieces();
    void showTitleLevel();
    void updateButtons();

    SoundEffects& sound_;
    BackgroundMusic& music_;
    Prompter& prompter_;
    INI& settings_;
    Random& random_;
    const QString programDir_;
    const bool showSplash_;

    RoundFlow* flow_ = nullptr;
    Hint InfoNo = Hint::ChoosePractice;
    bool QuitPending = false;
    bool scoredOnce_ = false; // a board was scored: the help opens on it

    TitleMenu* title_ = nullptr;
    BoardPanel* picMain = nullptr;
    ResultColumn* result_ = nullptr;
    MessageBoardBox* txtMB = nullptr;
    ClickLabel* lblInfo = nullptr;

    QTimer tmrBGMLoop{this};        // a child named "tmrBGMLoop", for tools that watch it
    MessageBoard* banner = nullptr; // timMB
    Ending* ending = nullptr;       // timEnd

    bool loaded_ = false;
    bool loadComplete_ = false;
    bool closePending_ = false;
    bool unloaded_ = false;
    bool centred_ = false;
};

} // namespace zorbel

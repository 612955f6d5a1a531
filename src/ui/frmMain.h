// The main window: the title menu and the play board in one window, the
// round flow, and start-up and shutdown.
#pragma once

#include "game/basZorb.h"

#include <QList>
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
class ClickLabel;
class Ending;
class MessageBoard;
class MessageBoardBox;
class TextFlash;
class ThirdStageOverwrite;
class WaitingIndicator;

class frmMain : public QWidget
{
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Start-up: settings, sounds, music, splash, cells, saved progress,
    // then the title menu. The window is shown by the caller afterwards.
    void Form_Load();

    // ---- Game state ----
    basZorb Zorb; // the program-wide state: cell count, digits, options, progress
    std::int16_t Level = 0;
    std::int16_t Stage = 0;
    bool ClearFlg = false;
    int ResultTick = 0;
    bool AutoInput = false;
    std::int16_t InfoNo = 0;
    bool QuitPending = false;

    // ---- Procedures ----
    void StartRound();
    void ReturnToMenu();
    void ShowLevelStage();
    void SetupCells();
    void ShowInfo(int n);
    void OpenHelp();
    void SaveGameData();

    // ---- Event handlers (public so tests can drive them) ----
    void cmdChk_Click();
    void cmdTry_Click();
    void cmdRetire_Click();
    void cmdEx_Click();
    void cmdTitleLevel_Click();
    void cmdTitlePractice_Click();
    void cmdTitleTry_Click();
    void cmdOption_Click();
    void cmdTitleHelp_Click() { OpenHelp(); }
    void cmdHelp_Click() { OpenHelp(); }
    void lblResultStatic_Click();
    void cmdDecInfoOk_Click();
    void lblInfo_Click();
    void txtAns_Change(int index);
    void timResult_Timer();
    void tmrBGMLoop_Timer();

    // The credit line shown when the hints are switched off.
    static const QString kCreditLine;
    static QString InfoText(int n);

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
    QTimer tmrBGMLoop;
    QTimer timResult;
    WaitingIndicator* waiting = nullptr;       // timSCAction
    ThirdStageOverwrite* thirdStage = nullptr; // timSt3
    TextFlash* flash = nullptr;                // timTextFlash
    MessageBoard* banner = nullptr;            // timMB
    Ending* ending = nullptr;                  // timEnd

    // True once the window has been closed (shutdown has run).
    bool isUnloaded() const { return unloaded_; }

    // Tests run start-up without the splash's pause.
    static void setShowSplash(bool show);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildTitleArea();
    void buildBoard();
    void buildResultColumn();
    void buildOverlays();
    void buildTimers();
    void createCells();
    void Form_Unload();
    void setTitleVisible(bool visible);
    void setCaption(QLabel* label, const QString& text);
    void focusNextFreeCell(int from);
    void cellTaken(int index, bool hadFocus);
    bool allCellsFilled() const;
    QList<QLineEdit*> cellEdits() const;

    bool loaded_ = false;
    bool loadComplete_ = false;
    bool closePending_ = false;
    bool unloaded_ = false;
    bool centred_ = false;
};

} // namespace zorbel

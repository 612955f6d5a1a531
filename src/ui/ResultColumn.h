// The result column: "ただいまの乱数は ... 点です" with the score, the four
// round buttons (採点, Try, メニューへ, お手本) and the score-details panel
// that opens over them. The waiting animation on the score lives here too.
#pragma once

#include <QWidget>

#include <array>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace zorbel
{

class ClickLabel;
class WaitingIndicator;
struct Buttons;
struct RoundResult;

class ResultColumn : public QWidget
{
    Q_OBJECT
public:
    explicit ResultColumn(QWidget* parent);

    QLabel* scoreLabel() const { return lblScore; }

    void setButtons(const Buttons& b);
    void setTryCaption(const QString& text);
    void focusScore(); // 採点 takes the focus

    void showMenu();   // "***" in the button text colour
    void startRound(); // "---" in black, the waiting animation on
    void beginCount(); // the count runs where the score will be
    void showCount(const QString& text);
    void countEnded(); // "点です" again
    // The score and its details; a screen reader hears it once, with the verdict.
    void showResult(const RoundResult& result);
    void stopWaiting();

    void openDetails();
    void closeDetails();

signals:
    void scoreClicked();
    void tryClicked();
    void retireClicked();
    void exampleClicked();
    void labelClicked();  // either result label
    void detailsClosed(); // the panel's Ok

private:
    void buildDetails();

    std::array<ClickLabel*, 2> lblResultStatic{};
    QLabel* lblScore = nullptr;
    QPushButton* cmdChk = nullptr;
    QPushButton* cmdTry = nullptr;
    QPushButton* cmdRetire = nullptr;
    QPushButton* cmdEx = nullptr;
    QWidget* picDecInfo = nullptr;
    QPlainTextEdit* txtDecInfo = nullptr;
    QPushButton* cmdDecInfoOk = nullptr;
    WaitingIndicator* waiting = nullptr; // timSCAction
};

} // namespace zorbel

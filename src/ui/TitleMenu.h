// The title menu: the chosen level with its stages, cells, pass mark and
// best score, and the five menu buttons. It lies under the board, which
// covers it during a round.
#pragma once

#include <QWidget>

#include <array>
#include <cstdint>

class QFrame;
class QLabel;
class QPushButton;

namespace zorbel
{

class TitleMenu : public QWidget
{
    Q_OBJECT
public:
    explicit TitleMenu(QWidget* parent);

    // The labels for a level: its number, stages, cells and best score.
    void showLevel(std::int16_t level, std::int16_t best);
    // ﾚﾍﾞﾙ選択 is offered once a second level is unlocked.
    void offerLevelChoice(bool on);

signals:
    void practiceClicked();
    void realGameClicked();
    void levelClicked();
    void helpClicked();
    void optionsClicked();

private:
    std::array<QLabel*, 7> lblStatic{};
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
};

} // namespace zorbel

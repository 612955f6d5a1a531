#include "ui/TitleMenu.h"

#include "effects/Look.h"
#include "game/basZorb.h"
#include "ui/Controls.h"
#include "ui/RoundFlow.h"

#include <QLabel>
#include <QPushButton>

namespace zorbel
{

using look::Face;

TitleMenu::TitleMenu(QWidget* parent) : QWidget(parent)
{
    look::place(this, 0, 0, 4935, 4215);
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

    connect(cmdTitlePractice, &QPushButton::clicked, this, &TitleMenu::practiceClicked);
    connect(cmdTitleTry, &QPushButton::clicked, this, &TitleMenu::realGameClicked);
    connect(cmdTitleLevel, &QPushButton::clicked, this, &TitleMenu::levelClicked);
    connect(cmdTitleHelp, &QPushButton::clicked, this, &TitleMenu::helpClicked);
    connect(cmdOption, &QPushButton::clicked, this, &TitleMenu::optionsClicked);

    // clang-format off
    nameControls({
        {lblTitleLevel, "lblTitleLevel"}, {lblTitleStage, "lblTitleStage"},
        {lblTitleRDMax, "lblTitleRDMax"}, {lblTitleMaxScore, "lblTitleMaxScore"},
        {cmdTitlePractice, "cmdTitlePractice"}, {cmdTitleTry, "cmdTitleTry"},
        {cmdTitleLevel, "cmdTitleLevel"}, {cmdTitleHelp, "cmdTitleHelp"},
        {cmdOption, "cmdOption"}});
    // clang-format on
}

void TitleMenu::showLevel(std::int16_t level, std::int16_t best)
{
    lblTitleLevel->setText(QString::number(level)); // a fixed-size label
    setCaption(lblTitleRDMax, ThreeDigits(CellsForLevel(level)));
    setCaption(lblTitleMaxScore, ThreeDigits(best) + QStringLiteral("点"));
    setCaption(lblTitleStage, QString::number(StageCount(level)));
}

void TitleMenu::offerLevelChoice(bool on)
{
    cmdTitleLevel->setEnabled(on);
}

} // namespace zorbel

#include "ui/ResultColumn.h"

#include "effects/Look.h"
#include "effects/WaitingIndicator.h"
#include "ui/ClickLabel.h"
#include "ui/Controls.h"
#include "ui/RoundFlow.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace zorbel
{

using look::Face;

namespace
{
// The column's left edge in twips; its controls are placed from the
// window's design positions less this.
constexpr int kLeft = 4920;
} // namespace

ResultColumn::ResultColumn(QWidget* parent) : QWidget(parent)
{
    look::place(this, kLeft, 0, 6630 - kLeft, 4215);
    lblResultStatic[0] = new ClickLabel(QStringLiteral("ただいまの乱数は"), this);
    look::place(lblResultStatic[0], 5040 - kLeft, 360, 1380, 180);
    lblScore = makeLabel(this, QStringLiteral("***"), look::font(Face::FixedSys, 36, true),
                         4920 - kLeft, 600, 1500, 900);
    lblResultStatic[1] = new ClickLabel(QStringLiteral("点です"), this);
    look::place(lblResultStatic[1], 5400 - kLeft, 1440, 525, 180);
    for (QLabel* l : {static_cast<QLabel*>(lblResultStatic[0]), lblScore,
                      static_cast<QLabel*>(lblResultStatic[1])})
        l->adjustSize();
    for (ClickLabel* l : lblResultStatic)
        connect(l, &ClickLabel::clicked, this, &ResultColumn::labelClicked);

    const QFont plain = look::font(Face::Default, 9);
    cmdChk = makeButton(this, QStringLiteral("採点"), look::font(Face::PMincho, 11.25),
                        5040 - kLeft, 1800, 1215, 495);
    cmdTry = makeButton(this, QStringLiteral("Try"), plain, 5040 - kLeft, 2400, 1215, 495);
    cmdRetire =
        makeButton(this, QStringLiteral("メニューへ"), plain, 5040 - kLeft, 3000, 1215, 495);
    cmdEx = makeButton(this, QStringLiteral("お手本"), plain, 5040 - kLeft, 3600, 1215, 495);
    setButtons({});
    connect(cmdChk, &QPushButton::clicked, this, &ResultColumn::scoreClicked);
    connect(cmdTry, &QPushButton::clicked, this, &ResultColumn::tryClicked);
    connect(cmdRetire, &QPushButton::clicked, this, &ResultColumn::retireClicked);
    connect(cmdEx, &QPushButton::clicked, this, &ResultColumn::exampleClicked);
    buildDetails();
    waiting = new WaitingIndicator(lblScore, this);

    // clang-format off
    nameControls({
        {lblResultStatic[0], "lblResultStatic0"}, {lblResultStatic[1], "lblResultStatic1"},
        {lblScore, "lblScore"}, {cmdChk, "cmdChk"}, {cmdTry, "cmdTry"},
        {cmdRetire, "cmdRetire"}, {cmdEx, "cmdEx"}, {picDecInfo, "picDecInfo"},
        {txtDecInfo, "txtDecInfo"}, {cmdDecInfoOk, "cmdDecInfoOk"}});
    // clang-format on
}

void ResultColumn::buildDetails()
{
    picDecInfo = new QWidget(this);
    look::place(picDecInfo, 5040 - kLeft, 1680, 1575, 2535);
    look::setBackground(picDecInfo, look::buttonFace());
    QLabel* heading = makeLabel(picDecInfo, QStringLiteral("採点結果詳細"),
                                look::font(Face::Default, 9), 240, 120, 1080, 180);
    heading->adjustSize();
    txtDecInfo = new QPlainTextEdit(picDecInfo);
    look::place(txtDecInfo, 0, 360, 1575, 1695);
    txtDecInfo->setFont(look::font(Face::PGothic, 8.25));
    txtDecInfo->setReadOnly(true);
    txtDecInfo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    look::setColour(txtDecInfo, {QPalette::Base}, Qt::white);
    look::setColour(txtDecInfo, {QPalette::Text}, look::vbColor(0x00004040));
    cmdDecInfoOk = makeButton(picDecInfo, QStringLiteral("Ok"), look::font(Face::Default, 9), 240,
                              2160, 1095, 255);
    connect(cmdDecInfoOk, &QPushButton::clicked, this, &ResultColumn::detailsClosed);
    picDecInfo->hide();
}

void ResultColumn::setButtons(const Buttons& b)
{
    cmdChk->setEnabled(b.score);
    cmdTry->setEnabled(b.tryNext);
    cmdRetire->setEnabled(b.retire);
    cmdEx->setEnabled(b.example);
}

void ResultColumn::setTryCaption(const QString& text)
{
    cmdTry->setText(text);
}

void ResultColumn::focusScore()
{
    cmdChk->setFocus();
}

void ResultColumn::showMenu()
{
    waiting->stop();
    setCaption(lblScore, QStringLiteral("***"));
    lblScore->setAccessibleDescription(QString());
    look::setTextColor(lblScore, look::buttonText());
}

void ResultColumn::startRound()
{
    setCaption(lblScore, QStringLiteral("---"));
    lblScore->setAccessibleDescription(QString());
    look::setTextColor(lblScore, QColor(0, 0, 0));
    waiting->start();
}

void ResultColumn::beginCount()
{
    lblResultStatic[0]->show();
    lblResultStatic[1]->hide();
    lblScore->show();
}

void ResultColumn::showCount(const QString& text)
{
    setCaption(lblScore, text);
}

void ResultColumn::countEnded()
{
    lblResultStatic[1]->show();
}

void ResultColumn::stopWaiting()
{
    waiting->stop();
}

void ResultColumn::showResult(const RoundResult& result)
{
    lblResultStatic[1]->show();
    setCaption(lblScore, result.scoreText);
    txtDecInfo->setPlainText(result.details);
    const QString verdict =
        result.judged ? QString::fromStdString(result.judgement.verdict.text) : QString();
    lblScore->setAccessibleDescription(
        (QStringLiteral("%1 点 %2").arg(result.scoreText, verdict)).trimmed());
    if (result.judged)
        look::setTextColor(lblScore,
                           result.judgement.scoreRed ? QColor(255, 0, 0) : QColor(0, 0, 0));
}

void ResultColumn::openDetails()
{
    picDecInfo->show();
    picDecInfo->raise();
}

void ResultColumn::closeDetails()
{
    picDecInfo->hide();
}

} // namespace zorbel

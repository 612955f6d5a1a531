// The main window, driven as a player does: captions, keys and focus, the
// timed effects, retiring, help and the details panel.
#include "Fakes.h"

#include "effects/CellLook.h"
#include "effects/Ending.h"
#include "effects/MessageBoard.h"
#include "effects/TextFlash.h"
#include "effects/ThirdStageOverwrite.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTimer>

using namespace zorbel;
using namespace zorbel::testing;

namespace
{
const char* const kLevel5 =
    "[Dummy]\nDummy=OK\n[GameData]\nLevelMax= 5\nMaxScore5= 85\n[Option]\nBGMOn=False\n";

QString focusName()
{
    QWidget* f = QApplication::focusWidget();
    return f ? f->objectName() : QString();
}

// A key carrying `text`, as a keyboard sends it.
void sendKey(QWidget* w, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
}

// Scores `board` through the round flow and shows the result.
void score(const Game& g, const char* board)
{
    g.flow()->BeginResult(digitsOf(board));
    g.finish();
}
} // namespace

class TestWindow : public QObject
{
    Q_OBJECT
private slots:
    // Start-up from the saved progress; the information line and the details
    // panel (shown after a clear, with the hints off).
    void startUp_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QString>("stages");
        QTest::addColumn<QString>("best");
        QTest::addColumn<QString>("info");
        QTest::addColumn<bool>("details");
        const QByteArray cleared = "[Dummy]\nDummy=OK\n[GameData]\nClearFlg=True\n";
        const QString hint1 = "初めは練習を選んでお手本を見るのが良いでしょう。";
        const QString hint7 = "このインフォメーションはクリックすると消えます。";
        const QString credit = "Zorbel ver1.01  ―  乱数になりきるゲーム";
        QTest::newRow("empty folder") << QByteArray() << "1"
                                      << "030"
                                      << "2"
                                      << "000点" << hint1 << false;
        QTest::newRow("level 5") << QByteArray(kLevel5) << "5"
                                 << "100"
                                 << "3"
                                 << "085点" << hint7 << false;
        QTest::newRow("cleared") << cleared << "1"
                                 << "030"
                                 << "2"
                                 << "000点" << hint1 << false;
        QTest::newRow("cleared, hints off") << cleared + "[Option]\nInfoOn=False\n"
                                            << "1"
                                            << "030"
                                            << "2"
                                            << "000点" << credit << true;
    }
    void startUp()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, details);
        Game g(ini);
        QCOMPARE(g.w->windowTitle(), QString("Zorbel ver1.01"));
        QCOMPARE(g.w->size(), QSize(442, 304));
        QCOMPARE(g.get("lblTitleLevel")->size(), QSize(33, 33)); // fixed, whatever it shows
        QTEST(g.text("lblTitleLevel"), "level");
        QTEST(g.text("lblTitleRDMax"), "cells");
        QTEST(g.text("lblTitleStage"), "stages");
        QTEST(g.text("lblTitleMaxScore"), "best");
        QCOMPARE(g.button("cmdTitleLevel")->isEnabled(), ini.contains("LevelMax= 5"));
        QTEST(g.text("lblInfo"), "info");
        QCOMPARE(g.music.tracks, QList<int>{7});
        if (ini.contains("LevelMax= 5"))
            return;
        g.click("cmdTitlePractice");
        g.click("lblInfo"); // a hint asked for while they are off is remembered
        QCOMPARE(g.text("lblInfo") == "Zorbel ver1.01  ―  乱数になりきるゲーム", !details);
        g.click("lblInfo");
        g.type(kScore88);
        g.click("cmdChk");
        g.finish();
        g.click("lblResultStatic0");
        QCOMPARE(g.get("picDecInfo")->isVisible(), details);
        QVERIFY(g.get<QPlainTextEdit>("txtDecInfo")->toPlainText().startsWith("*素点 112"));
        g.click("cmdDecInfoOk");
        QVERIFY(!g.get("picDecInfo")->isVisible());
    }

    // A typed real-game round at level 1, judged, and the way on.
    void verdicts_data()
    {
        QTest::addColumn<QString>("board");
        QTest::addColumn<QString>("score");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QString>("tryCaption");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<int>("sound");
        QTest::addColumn<QString>("nextStage");
        QTest::newRow("pass") << kScore88 << "088"
                              << "Nice!"
                              << "NextStage"
                              << "お見事!! 次のステージ／レベルに進みます。" << 1 << "SECONDstage";
        QTest::newRow("fail") << kScore71 << "071"
                              << "Valueable..."
                              << "Retry"
                              << "合格点は80点以上です。Retryボタンで再挑戦出来ます。" << 2
                              << "FIRST stage";
    }
    void verdicts()
    {
        QFETCH(QString, board);
        Game g;
        g.click("cmdTitleTry");
        QVERIFY(g.get("picMain")->isVisible() && !g.get("cmdTitleTry")->isVisible());
        QCOMPARE(g.text("lblLevel"), QString("Level 1  "));
        QCOMPARE(g.text("lblStage"), QString("FIRST stage"));
        QCOMPARE(g.text("lblInfo"),
                 QString("全てのマス目を0～9の乱数で埋めてから、採点ボタンを押して下さい。"));
        auto* banner = g.w->findChild<MessageBoard*>();
        QVERIFY(banner->isRunning());
        g.type(board);
        QCOMPARE(focusName(), QString("cmdChk"));
        g.click("cmdChk");
        QVERIFY(!banner->isRunning());
        g.finish();
        QTEST(g.text("lblScore"), "score");
        QTEST(g.text("lblOkNo"), "verdict");
        QTEST(g.button("cmdTry")->text(), "tryCaption");
        QTEST(g.text("lblInfo"), "hint");
        QTEST(g.sound.played.last(), "sound");
        // The best score is on disk at once, before any menu or exit.
        QVERIFY(g.ini().contains(board == kScore88 ? "MaxScore1= 88" : "MaxScore1= 71"));
        g.click("cmdTry");
        QTEST(g.text("lblStage"), "nextStage");
        QCOMPARE(g.cell(5)->text(), QString());
        // Yellow once flashed, bold no more, in the next round too (29 was
        // still flashing when the round ended).
        for (int i : {5, 29})
            QVERIFY(cells::textColour(g.cell(i)) == QColor(255, 255, 0) &&
                    !g.cell(i)->font().bold());
        if (board == kScore71)
            return;
        // SECOND stage: the first two cells hold one digit, fixed.
        QCOMPARE(g.text("lblInfo"),
                 QString("SECONDステージでは、最初の数マスは固定されています。"));
        const QString fixed = g.cell(0)->text();
        QTest::keyClicks(g.cell(0), "7");
        QCOMPARE(QStringList({g.cell(0)->text(), g.cell(1)->text()}), QStringList({fixed, fixed}));
        QVERIFY(fixed.size() == 1 && !g.cell(1)->isEnabled() && g.cell(2)->isEnabled());
        QCOMPARE(cells::background(g.cell(1)), QColor(192, 192, 192));
        QCOMPARE(focusName(), QString("txtAns2"));
        score(g, kScore88);
        QCOMPARE(g.button("cmdTry")->text(), QString("Go to Level2"));
        QVERIFY(!g.button("cmdRetire")->isEnabled() && g.ini().contains("LevelMax= 2"));
        g.click("cmdTry");
        QCOMPARE(g.text("lblTitleLevel") + g.text("lblTitleRDMax"), QString("2040"));
    }

    // A key in cell 5, on an empty or a full board: only ASCII digits count
    // and flash; a corrected digit on a full real-game board keeps 採点, a
    // blank takes it away.
    void keys_data()
    {
        QTest::addColumn<bool>("practice");
        QTest::addColumn<bool>("full");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("check");
        QTest::addColumn<QString>("focus");
        QTest::newRow("digit") << true << false << "7"
                               << "7" << false << "txtAns6";
        QTest::newRow("zero") << true << false << "0"
                              << "0" << false << "txtAns6";
        QTest::newRow("letter") << true << false << "a"
                                << "a" << false << "txtAns5";
        QTest::newRow("full-width digit") << true << false << "７"
                                          << "７" << false << "txtAns5";
        QTest::newRow("real, full, digit") << false << true << "1"
                                           << "1" << true << "cmdChk";
        QTest::newRow("real, full, Backspace") << false << true << "\b"
                                               << "" << false << "txtAns5";
        QTest::newRow("practice, full, digit") << true << true << "1"
                                               << "1" << true << "txtAns6";
    }
    void keys()
    {
        QFETCH(bool, practice);
        QFETCH(bool, full);
        QFETCH(QString, text);
        Game g;
        g.click(practice ? "cmdTitlePractice" : "cmdTitleTry");
        if (full)
            g.type(kScore88);
        QCOMPARE(g.button("cmdChk")->isEnabled(), full);
        QTest::mouseClick(g.cell(5), Qt::LeftButton);
        QFETCH(QString, key);
        sendKey(g.cell(5), key);
        QCOMPARE(g.cell(5)->text(), text);
        QTEST(g.button("cmdChk")->isEnabled(), "check");
        QTEST(focusName(), "focus");
        const bool flashing = !text.isEmpty() && QString("0123456789").contains(text);
        QCOMPARE(g.w->findChild<TextFlash*>()->isFlashing(5), flashing);
        QCOMPARE(g.cell(5)->font().bold(), flashing);
        QTest::keyClicks(g.cell(6), "1"); // the next digit settles the flash: yellow
        if (flashing)
            QCOMPARE(cells::textColour(g.cell(5)), QColor(255, 255, 0));
        g.cell(7)->insert(QStringLiteral("12あ")); // pasted text keeps its last character
        QCOMPARE(g.cell(7)->text(), QString("あ"));
    }

    // Retiring asks in the real game only; a count cut short shows 点です.
    void retire_data()
    {
        QTest::addColumn<bool>("practice");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QList<QStringList>>("asked");
        QTest::addColumn<bool>("retired");
        const QList<QStringList> question{{"リタイア", "リタイアしますか？"}};
        QTest::newRow("practice") << true << true << QList<QStringList>() << true;
        QTest::newRow("real, Yes") << false << true << question << true;
        QTest::newRow("real, No") << false << false << question << false;
    }
    void retire()
    {
        QFETCH(bool, practice);
        QFETCH(bool, yes);
        QFETCH(bool, retired);
        Game g;
        g.prompter.yes = yes;
        g.click(practice ? "cmdTitlePractice" : "cmdTitleTry");
        if (practice) { // the demonstration fills the board and scores it
            QCOMPARE(g.text("lblStage"), QString("Practice mode"));
            g.click("cmdEx");
            QCOMPARE(g.sound.played, (QList<int>{4, 3})); // beep, drums
            QVERIFY(g.cell(29)->text().at(0).isDigit());
            QCOMPARE(g.text("lblInfo"), QString("本番を開始するときはメニューに戻って下さい。"));
        } else {
            g.type(kScore88);
            g.click("cmdChk");
        }
        QVERIFY(g.flow()->Counting() && !g.get("lblResultStatic1")->isVisible());
        g.click("cmdRetire");
        QTEST(g.prompter.asked, "asked");
        QCOMPARE(g.get("picMain")->isVisible(), !retired);
        QCOMPARE(g.get("lblResultStatic1")->isVisible(), retired);
        QCOMPARE(g.flow()->Counting(), !retired);
        if (retired)
            QCOMPARE(g.text("lblScore") + g.text("lblInfo"),
                     QString("***初めは練習を選んでお手本を見るのが良いでしょう。"));
    }

    // A result that completes the level while the retire question is open
    // does not swallow the Yes.
    void retireWhileTheLevelIsCompleted()
    {
        Game g;
        g.click("cmdTitleTry");
        score(g, kScore88);
        g.click("cmdTry");
        g.prompter.whileAsking = [&g] { score(g, kScore88); };
        g.click("cmdRetire");
        QVERIFY(!g.get("picMain")->isVisible() && g.text("lblOkNo").isEmpty());
        QCOMPARE(g.text("lblTitleLevel") + g.text("lblInfo"),
                 QString("2初めは練習を選んでお手本を見るのが良いでしょう。"));
    }

    // Level 5: the THIRD stage takes cells; clearing it saves and ends the game.
    void thirdStageAndEnding()
    {
        Game g(kLevel5);
        g.click("cmdTitleTry");
        for (int stage = 0; stage < 2; ++stage) {
            score(g, kPass100);
            g.click("cmdTry");
        }
        QCOMPARE(g.text("lblStage"), QString("THIRD stage"));
        QCOMPARE(g.music.tracks.last(), 1);
        g.type("123");
        QCOMPARE(focusName(), QString("txtAns3"));
        // A flash is nine ticks of 40 ms; the game takes a cell every 3 s.
        auto* flash = g.w->findChild<TextFlash*>();
        for (int i = 0; i < 9; ++i, flash->timTextFlash_Timer())
            QVERIFY(flash->isFlashing(2));
        QVERIFY(!flash->isFlashing(2));
        QCOMPARE(QList<int>({g.w->findChild<QTimer*>("timTextFlash")->interval(),
                             g.w->findChild<QTimer*>("timSt3")->interval()}),
                 QList<int>({40, 3000}));
        g.cell(1)->setFocus();
        auto* third = g.w->findChild<ThirdStageOverwrite*>();
        third->timSt3_Timer();
        third->timSt3_Timer();
        QCOMPARE(g.cell(0)->text() + g.cell(1)->text(), QString("01"));
        QVERIFY(!g.cell(0)->isEnabled() && !g.cell(1)->isEnabled());
        QCOMPARE(focusName(), QString("txtAns2"));
        score(g, kPass100);
        QCOMPARE(g.button("cmdTry")->text(), QString("Good Job!!!"));
        QCOMPARE(g.text("lblInfo"), QString("あなたはスゴイ！！"));
        QVERIFY(g.ini().contains("ClearFlg=True"));
        g.click("cmdTry");
        auto* ending = g.w->findChild<Ending*>();
        QVERIFY(ending->isRunning());
        int ticks = 0;
        for (; g.w->isVisible() && ticks < 1000; ++ticks)
            ending->timEnd_Timer();
        QCOMPARE(ticks, 181);
        QVERIFY(g.w->isUnloaded());
    }

    // What a screen reader sees: named cells, ? and window; the score and
    // verdict once the count has ended.
    void accessibility()
    {
        Game g(kLevel5);
        g.click("cmdTitleTry");
        score(g, kPass100);
        g.click("cmdTry"); // SECOND stage, 6 fixed cells
        auto a11y = [&g](const char* name, QAccessible::Text t) {
            return QAccessible::queryAccessibleInterface(g.get(name))->text(t);
        };
        QCOMPARE(
            QStringList(
                {a11y("txtAns2", QAccessible::Name), a11y("txtAns2", QAccessible::Description),
                 a11y("txtAns6", QAccessible::Description), a11y("cmdHelp", QAccessible::Name),
                 QAccessible::queryAccessibleInterface(g.w.get())->text(QAccessible::Name)}),
            QStringList({"マス 3/100", "固定されたマス", "", "ヘルプ", "Zorbel ver1.01"}));
        score(g, kPass100);
        QCOMPARE(a11y("lblScore", QAccessible::Description), QString("092 点 Great!!"));
    }

    // F1 opens the help on the menu and on the board; a cell keeps its digit.
    void helpKey()
    {
        Game g;
        QTest::keyClick(g.w.get(), Qt::Key_F1);
        g.click("cmdTitlePractice");
        g.type("7");
        QTest::keyClick(g.cell(0), Qt::Key_F1);
        QCOMPARE(g.prompter.opened.size(), 2);
        QCOMPARE(g.cell(0)->text(), QString("7"));
    }

    // The options dialog's OK reaches the window and the file; Cancel changes nothing.
    void options()
    {
        Game g;
        for (const char* button : {"cmdCancel", "cmdOK"}) {
            QTimer::singleShot(0, [button] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                dialog->findChild<QCheckBox*>("chkInfo")->click();
                dialog->findChild<QPushButton*>(button)->click();
            });
            g.click("cmdOption");
        }
        QCOMPARE(g.text("lblInfo"), QString("Zorbel ver1.01  ―  乱数になりきるゲーム"));
        QVERIFY(g.ini().contains("InfoOn=False"));
    }

    // Help: the page in the program folder, on the board last scored.
    void help_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QString>("fragment");
        QTest::addColumn<bool>("error");
        const QString board = "board=" + QString(kScore88);
        QTest::newRow("title, not opened") << "title" << false << "" << true;
        QTest::newRow("title, opened") << "title" << true << "" << false;
        QTest::newRow("board, unscored") << "board" << true << "" << false;
        QTest::newRow("board, scored") << "scored" << true << board << false;
        QTest::newRow("board, scored, not opened") << "scored" << false << board << true;
    }
    void help()
    {
        QFETCH(QString, where);
        QFETCH(bool, opened);
        Game g;
        g.prompter.shellResult = opened;
        if (where != "title")
            g.click("cmdTitlePractice");
        if (where == "scored") {
            g.type(kScore88);
            g.click("cmdChk");
            g.finish();
        }
        g.click(where == "title" ? "cmdTitleHelp" : "cmdHelp");
        QFETCH(QString, fragment);
        const QStringList page{g.dir.path() + "/html/index.htm", fragment};
        QCOMPARE(g.prompter.opened, QList<QStringList>{page});
        QFETCH(bool, error);
        const QList<QStringList> box{{"Zorbel", "ヘルプファイルを開けません。"}};
        QCOMPARE(g.prompter.asked, error ? box : QList<QStringList>());
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"

// Whole rounds through the real window: scoring, judging, stages, levels.
#include "GameDriver.h"

#include "effects/CellLook.h"
#include "effects/MessageBoard.h"
#include "effects/ThirdStageOverwrite.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>

using namespace zorbel;
using namespace zorbel::testing;

class TestRounds : public QObject
{
    Q_OBJECT
private slots:
    void levelOneThroughBothStages()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.cmdTitleTry->click();
        QCOMPARE(int(w.Stage), 0);
        QVERIFY(w.picMain->isVisible());
        QCOMPARE(w.lblScore->text(), QString("---"));
        QVERIFY(w.cmdRetire->isEnabled());
        QVERIFY(!w.cmdEx->isEnabled());
        QCOMPARE(g.tracks.last(), 4);

        g.playRound(kScore88);
        QCOMPARE(w.lblScore->text(), QString("088"));
        QCOMPARE(w.lblOkNo->text(), QString("Nice!"));
        QCOMPARE(w.lblOkNo->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(w.lblScore->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QCOMPARE(w.cmdTry->text(), QString("NextStage"));
        QVERIFY(w.cmdTry->isEnabled());
        QVERIFY(!w.cmdChk->isEnabled());
        QCOMPARE(int(w.Stage), 1);
        QCOMPARE(int(w.Zorb.MaxScore[1]), 88);
        QVERIFY(g.sounds.contains(1));
        QVERIFY(w.txtDecInfo->toPlainText().startsWith(QString::fromUtf8("*素点 112")));
        QCOMPARE(w.lblInfo->text(), frmMain::InfoText(4));

        // SECOND stage: two fixed cells with the same digit, grey and locked.
        w.cmdTry->click();
        QCOMPARE(w.lblStage->text(), QString("SECONDstage"));
        QCOMPARE(g.tracks.last(), 2);
        QCOMPARE(w.lblInfo->text(), frmMain::InfoText(6));
        for (int i = 0; i < 2; ++i) {
            QVERIFY(!w.txtAns[i]->isEnabled());
            QCOMPARE(cells::background(w.txtAns[i]), QColor(192, 192, 192));
            QCOMPARE(w.txtAns[i]->text(), w.txtAns[0]->text());
        }
        QVERIFY(w.txtAns[2]->isEnabled());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.txtAns[2]));
        // A key in a fixed cell does nothing.
        QTest::keyClick(w.txtAns[0], Qt::Key_Delete);
        QVERIFY(!w.txtAns[0]->text().isEmpty());

        g.playRound(passingSequence(30, g.fixedPrefix()));
        QCOMPARE(w.cmdTry->text(), QString("Go to Level2"));
        QVERIFY(!w.cmdRetire->isEnabled());
        QCOMPARE(int(w.Stage), -2);
        QCOMPARE(int(w.Level), 2);
        QCOMPARE(int(w.Zorb.LevelMax), 2);
        QVERIFY(w.Zorb.MaxScore[1] >= 90);

        w.cmdTry->click();
        QVERIFY(!w.picMain->isVisible());
        QCOMPARE(w.lblTitleLevel->text(), QString("2"));
        QCOMPARE(w.lblTitleRDMax->text(), QString("040"));
        QVERIFY(w.cmdTitleLevel->isEnabled());
        QVERIFY(g.iniText().contains("LevelMax= 2"));
    }

    void failureAndRetry()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.cmdTitleTry->click();
        g.playRound(kScore71);
        QCOMPARE(w.lblScore->text(), QString("071"));
        QCOMPARE(w.lblOkNo->text(), QString("Valueable..."));
        QCOMPARE(w.lblOkNo->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(w.lblScore->palette().color(QPalette::WindowText), QColor(0, 0, 0));
        QCOMPARE(w.cmdTry->text(), QString("Retry"));
        QCOMPARE(int(w.Stage), -1);
        QVERIFY(g.sounds.contains(2));
        QCOMPARE(w.lblInfo->text(), frmMain::InfoText(3));

        w.cmdTry->click();
        QCOMPARE(int(w.Stage), 0);
        QCOMPARE(w.lblStage->text(), QString("FIRST stage"));
        for (int i = 0; i < 30; ++i)
            QVERIFY(w.txtAns[i]->text().isEmpty());
        QVERIFY(!w.cmdTry->isEnabled());
        QCOMPARE(w.lblOkNo->text(), QString());
    }

    void failingSecondStageRestartsFirst()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.cmdTitleTry->click();
        g.playRound(kScore88);
        w.cmdTry->click();
        g.playRound(std::string(30, w.txtAns[0]->text().toLatin1().at(0)));
        QCOMPARE(w.lblOkNo->text(), QString("Fault..."));
        w.cmdTry->click();
        QCOMPARE(int(w.Stage), 0);
        for (int i = 0; i < 30; ++i) {
            QVERIFY(w.txtAns[i]->isEnabled());
            QCOMPARE(cells::background(w.txtAns[i]), QColor(0, 0, 0));
        }
    }

    void retire_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("No") << false;
        QTest::newRow("Yes") << true;
    }
    void retire()
    {
        QFETCH(bool, yes);
        GameDriver g;
        frmMain& w = *g.w;
        w.cmdTitleTry->click();
        g.playRound(kScore88);
        w.cmdTry->click(); // SECOND stage
        g.answerYes = yes;
        g.prompts.clear();
        w.cmdRetire->click();
        QCOMPARE(g.prompts, QStringList{QString::fromUtf8("リタイア|リタイアしますか？")});
        if (!yes) {
            QCOMPARE(int(w.Stage), 1);
            QVERIFY(w.picMain->isVisible());
            QVERIFY(w.banner->isRunning());
        } else {
            QCOMPARE(int(w.Stage), -1);
            QVERIFY(!w.picMain->isVisible());
            QCOMPARE(w.lblInfo->text(), frmMain::InfoText(1));
            QVERIFY(!w.banner->isRunning());
            // The abandoned SECOND stage's grey cells do not carry over.
            w.cmdTitleTry->click();
            QCOMPARE(cells::background(w.txtAns[0]), QColor(0, 0, 0));
            QVERIFY(w.txtAns[0]->isEnabled());
        }
    }

    void resultArrivingDuringRetireQuestion()
    {
        // The timers tick while the question is open: the result completes
        // level 1 before the player answers Yes.
        GameDriver g;
        frmMain& w = *g.w;
        w.cmdTitleTry->click();
        g.playRound(kScore88);
        w.cmdTry->click();
        g.typeBoard(passingSequence(30, g.fixedPrefix()).substr(2), 2);
        w.cmdChk->click();
        Prompter::setHandler([&](Prompter::Kind, const QString&, const QString&) {
            g.finishResult();
            return Prompter::Answer::Yes;
        });
        w.cmdRetire->click();
        QCOMPARE(w.cmdTry->text(), QString("Go to Level2"));
        QVERIFY(w.picMain->isVisible());
        QCOMPARE(int(w.Stage), -2);
        w.cmdTry->click();
        QCOMPARE(w.lblTitleLevel->text(), QString("2"));
    }

    void practiceRetiresWithoutQuestionAndKeepsBest()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.cmdTitlePractice->click();
        QVERIFY(w.cmdEx->isEnabled());
        QCOMPARE(g.tracks.last(), 6);
        QVERIFY(!w.banner->isRunning());
        g.typeBoard(kScore88);
        g.sounds.clear();
        w.cmdChk->click();
        g.finishResult();
        QCOMPARE(w.lblScore->text(), QString("088"));
        QCOMPARE(w.lblOkNo->text(), QString());
        QVERIFY(g.sounds.isEmpty());
        QVERIFY(w.cmdChk->isEnabled());
        QVERIFY(!w.cmdTry->isEnabled());
        QCOMPARE(int(w.Zorb.MaxScore[1]), 0);
        w.cmdRetire->click();
        QVERIFY(g.prompts.isEmpty());
        QVERIFY(!w.picMain->isVisible());
    }

    void bestScoreOnlyGrows()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.cmdTitleTry->click();
        g.playRound(kScore88);
        QCOMPARE(int(w.Zorb.MaxScore[1]), 88);
        w.cmdRetire->click(); // answered Yes
        w.cmdTitleTry->click();
        g.playRound(kScore71);
        QCOMPARE(int(w.Zorb.MaxScore[1]), 88);
        w.cmdRetire->click();
        QCOMPARE(w.lblTitleMaxScore->text(), QString("088点"));
    }

    void flickerLengths_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("ticks");
        QTest::newRow("L1 FIRST") << 1 << 0 << 13;
        QTest::newRow("L5 FIRST") << 5 << 0 << 13;
        QTest::newRow("L5 SECOND") << 5 << 1 << 41;
        QTest::newRow("L5 THIRD") << 5 << 2 << 41;
        QTest::newRow("L5 practice") << 5 << -1 << 13;
    }
    void flickerLengths()
    {
        QFETCH(int, level);
        QFETCH(int, stage);
        GameDriver g;
        frmMain& w = *g.w;
        w.Zorb.LevelMax = 5;
        w.Level = static_cast<std::int16_t>(level);
        w.Stage = static_cast<std::int16_t>(stage);
        w.StartRound();
        for (int i = 0; i < w.Zorb.CellCount; ++i)
            if (w.txtAns[i]->isEnabled())
                g.type(i, '5');
        w.cmdChk_Click();
        int ticks = 0;
        while (w.timResult.isActive()) {
            w.timResult_Timer();
            ++ticks;
            if (w.timResult.isActive()) {
                const int shown = w.lblScore->text().toInt();
                QVERIFY(w.lblScore->text().size() == 3 && shown >= 0 && shown <= 99);
            }
        }
        QTEST(ticks, "ticks");
    }

    void levelFiveCompletion()
    {
        GameDriver g;
        frmMain& w = *g.w;
        g.startStage(5, 2);
        QCOMPARE(w.lblStage->text(), QString("THIRD stage"));
        QVERIFY(w.thirdStage->isRunning());
        QCOMPARE(g.tracks.last(), 1);
        g.playRound(passingSequence(100));
        QCOMPARE(w.cmdTry->text(), QString("Good Job!!!"));
        QCOMPARE(int(w.Level), 6);
        QCOMPARE(int(w.Zorb.LevelMax), 5);
        QVERIFY(w.ClearFlg);
        QVERIFY(!w.cmdRetire->isEnabled());
        QCOMPARE(w.lblInfo->text(), frmMain::InfoText(8));
        QVERIFY(!w.thirdStage->isRunning());
    }

    void staleResultNeverJudgesNewRound()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.cmdTitlePractice->click();
        w.cmdEx->click(); // the demonstration starts a result count
        QVERIFY(w.timResult.isActive());
        w.cmdRetire->click(); // back to the menu at once
        QVERIFY(!w.timResult.isActive());
        w.cmdTitleTry->click();
        QVERIFY(!w.timResult.isActive());
        QCOMPARE(int(w.Stage), 0);
        QCOMPARE(w.lblScore->text(), QString("---"));
    }

    void detailsPanelOnlyAfterClearWithHintsOff_data()
    {
        QTest::addColumn<bool>("clear");
        QTest::addColumn<bool>("infoOn");
        QTest::addColumn<bool>("opens");
        QTest::newRow("not cleared") << false << false << false;
        QTest::newRow("cleared, hints on") << true << true << false;
        QTest::newRow("cleared, hints off") << true << false << true;
    }
    void detailsPanelOnlyAfterClearWithHintsOff()
    {
        QFETCH(bool, clear);
        QFETCH(bool, infoOn);
        GameDriver g;
        frmMain& w = *g.w;
        w.ClearFlg = clear;
        w.Zorb.InfoOn = infoOn;
        w.cmdTitlePractice->click();
        g.typeBoard(kScore88);
        w.cmdChk->click();
        g.finishResult();
        QTest::mouseClick(w.lblResultStatic[1], Qt::LeftButton);
        QTEST(w.picDecInfo->isVisible(), "opens");
        if (w.picDecInfo->isVisible()) {
            QCOMPARE(w.txtDecInfo->toPlainText(),
                     QString::fromStdString(w.Zorb.DecInfoText).replace("\r\n", "\n"));
            w.cmdDecInfoOk->click();
            QVERIFY(!w.picDecInfo->isVisible());
        }
    }
};

QTEST_MAIN(TestRounds)
#include "test_rounds.moc"

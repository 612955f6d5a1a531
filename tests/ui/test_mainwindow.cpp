// The main window: start-up, the title menu, typing in the cells.
#include "GameDriver.h"

#include "effects/CellLook.h"
#include "effects/TextFlash.h"
#include "ui/ClickLabel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>

using namespace zorbel;
using namespace zorbel::testing;

namespace
{
int visibleCells(const frmMain& w)
{
    int n = 0;
    for (AnswerCell* c : w.txtAns)
        n += c->isHidden() ? 0 : 1;
    return n;
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void firstRunInEmptyFolder()
    {
        GameDriver g;
        frmMain& w = *g.w;
        QCOMPARE(w.windowTitle(), QString("Zorbel ver1.01"));
        QCOMPARE(w.size(), QSize(442, 304));
        QCOMPARE(int(w.Level), 1);
        QCOMPARE(int(w.Stage), -1);
        QVERIFY(!w.cmdTitleLevel->isEnabled());
        QCOMPARE(w.lblTitleLevel->text(), QString("1"));
        QCOMPARE(w.lblTitleRDMax->text(), QString("030"));
        QCOMPARE(w.lblTitleStage->text(), QString("2"));
        QCOMPARE(w.lblTitleMaxScore->text(), QString("000点"));
        QCOMPARE(w.lblScore->text(), QString("***"));
        QVERIFY(!w.picMain->isVisible());
        QCOMPARE(w.txtAns.size(), 100);
        QCOMPARE(visibleCells(w), 30);
        QCOMPARE(w.lblInfo->text(), frmMain::InfoText(1));
        for (QPushButton* b : {w.cmdChk, w.cmdTry, w.cmdRetire, w.cmdEx})
            QVERIFY(!b->isEnabled());
        QVERIFY(w.Zorb.SoundOn && w.Zorb.BGMOn && w.Zorb.InfoOn);
        QVERIFY(!w.ClearFlg);
        QCOMPARE(g.tracks, QList<int>{7});
        // The settings file exists at once, with every key.
        const QString ini = g.iniText();
        for (const char* key : {"Dummy=OK", "LevelMax= 1", "MaxScore1= 0", "MaxScore5= 0",
                                "ClearFlg=False", "SoundOn=True", "BGMOn=True", "InfoOn=True"})
            QVERIFY2(ini.contains(key), key);
    }

    void startsOnHighestLevel()
    {
        GameDriver g(
            true,
            "[Dummy]\nDummy=OK\n[GameData]\nLevelMax= 5\nMaxScore5= 85\n[Option]\nInfoOn=True\n");
        frmMain& w = *g.w;
        QCOMPARE(int(w.Level), 5);
        QVERIFY(w.cmdTitleLevel->isEnabled());
        QCOMPARE(w.lblTitleLevel->text(), QString("5"));
        QCOMPARE(w.lblTitleRDMax->text(), QString("100"));
        QCOMPARE(w.lblTitleStage->text(), QString("3"));
        QCOMPARE(w.lblTitleMaxScore->text(), QString("085点"));
        QCOMPARE(visibleCells(w), 100);
        QCOMPARE(w.lblInfo->text(), frmMain::InfoText(7));
        // Level select cycles 1..LevelMax.
        QStringList seen;
        for (int i = 0; i < 6; ++i) {
            w.cmdTitleLevel->click();
            seen << w.lblTitleLevel->text();
        }
        QCOMPARE(seen, (QStringList{"1", "2", "3", "4", "5", "1"}));
    }

    void outOfRangeFileIsUsable()
    {
        GameDriver g(
            true,
            "[Dummy]\nDummy=OK\n[GameData]\nLevelMax=0\nMaxScore1=500\n[Option]\nSoundOn=maybe\n");
        frmMain& w = *g.w;
        QVERIFY(w.Zorb.LevelMax >= 1 && w.Zorb.LevelMax <= 5);
        QVERIFY(w.Level >= 1 && w.Level <= w.Zorb.LevelMax);
        w.cmdTitleLevel_Click();
        QVERIFY(w.Zorb.MaxScore[1] >= 0 && w.Zorb.MaxScore[1] <= 100);
        w.cmdTitleTry->click();
        QCOMPARE(visibleCells(w), int(CellsForLevel(w.Level)));
    }

    void levelAndStageLabels_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("stage");
        QTest::addColumn<QString>("levelText");
        QTest::addColumn<QString>("stageText");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("practice") << 3 << -1 << "Level 3  "
                                  << "Practice mode" << QColor(0, 0, 0);
        QTest::newRow("first") << 1 << 0 << "Level 1  "
                               << "FIRST stage" << QColor(0, 0, 128);
        QTest::newRow("second") << 4 << 1 << "Level 4  "
                                << "SECONDstage" << QColor(0, 0, 128);
        QTest::newRow("third") << 5 << 2 << "Level 5  "
                               << "THIRD stage" << QColor(0, 0, 128);
    }
    void levelAndStageLabels()
    {
        QFETCH(int, level);
        QFETCH(int, stage);
        GameDriver g;
        g.w->Level = static_cast<std::int16_t>(level);
        g.w->Stage = static_cast<std::int16_t>(stage);
        g.w->ShowLevelStage();
        QTEST(g.w->lblLevel->text(), "levelText");
        QTEST(g.w->lblStage->text(), "stageText");
        QTEST(g.w->lblStage->palette().color(QPalette::WindowText), "colour");
    }

    void typingInCells_data()
    {
        QTest::addColumn<int>("cell");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("flashing");
        QTest::addColumn<int>("focusAfter");
        QTest::newRow("digit 7 in cell 4") << 4 << "7"
                                           << "7" << true << 5;
        QTest::newRow("7 then 3") << 4 << "73"
                                  << "3" << true << 5;
        QTest::newRow("zero") << 0 << "0"
                              << "0" << true << 1;
        QTest::newRow("letter") << 6 << "a"
                                << "a" << false << 6;
        QTest::newRow("full-width seven is not a digit")
            << 6 << QString::fromUtf8("７") << QString::fromUtf8("７") << false << 6;
        QTest::newRow("digit then Delete empties") << 2 << "5\x7f"
                                                   << "" << true << 2;
    }
    void typingInCells()
    {
        QFETCH(int, cell);
        QFETCH(QString, keys);
        GameDriver g;
        frmMain& w = *g.w;
        w.cmdTitlePractice->click();
        AnswerCell* c = w.txtAns[cell];
        c->setFocus();
        for (QChar k : keys) {
            if (k == QChar(0x7f)) {
                c->setFocus();
                QTest::keyClick(c, Qt::Key_Delete);
            } else {
                // A key event carrying the character, as a keyboard sends it.
                c->setFocus();
                const int key =
                    k.unicode() < 0x80 ? QChar(k).toUpper().unicode() : int(Qt::Key_unknown);
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(k));
                QApplication::sendEvent(c, &press);
                QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(k));
                QApplication::sendEvent(c, &release);
            }
        }
        QTEST(c->text(), "text");
        QFETCH(bool, flashing);
        QCOMPARE(w.flash->isRunning(), flashing);
        if (flashing && !c->text().isEmpty()) {
            QCOMPARE(w.flash->FlashCell, cell);
            QCOMPARE(cells::textColour(c), QColor(255, 255, 255));
            QVERIFY(c->font().bold());
        }
        QFETCH(int, focusAfter);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.txtAns[focusAfter]));
        QVERIFY(!w.cmdChk->isEnabled());
    }

    void lastCellEnablesScoring()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.cmdTitleTry->click();
        g.typeBoard(kScore88);
        QVERIFY(w.cmdChk->isEnabled());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.cmdChk));
        // A Delete in any cell takes the button away again in the real game...
        QTest::keyClick(w.txtAns[12], Qt::Key_Delete);
        QVERIFY(!w.cmdChk->isEnabled());
        // ...and only the last cell brings it back, once every cell holds a digit.
        g.type(29, '7');
        QVERIFY(!w.cmdChk->isEnabled());
        g.type(12, '3');
        QVERIFY(!w.cmdChk->isEnabled());
        g.type(29, '7');
        QVERIFY(w.cmdChk->isEnabled());
        // Also while the result is counting: pressing 採点 again must not
        // score an emptied cell as 0.
        w.cmdChk->click();
        QTest::keyClick(w.txtAns[3], Qt::Key_Delete);
        QVERIFY(!w.cmdChk->isEnabled());
    }

    void pastedTextKeepsLastCharacter()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.cmdTitlePractice->click();
        w.txtAns[3]->insert(QStringLiteral("123"));
        QCOMPARE(w.txtAns[3]->text(), QString("3"));
        w.txtAns[4]->insert(QString::fromUtf8("12あ"));
        QCOMPARE(w.txtAns[4]->text(), QString::fromUtf8("あ"));
    }

    void flashSettlesAndRestarts()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.cmdTitlePractice->click();
        g.type(0, '4');
        g.type(1, '5');
        // The first digit settled at once: yellow, regular weight.
        QCOMPARE(cells::textColour(w.txtAns[0]), QColor(255, 255, 0));
        QVERIFY(!w.txtAns[0]->font().bold());
        QCOMPARE(w.flash->FlashCell, 1);
        QList<QColor> seen;
        while (w.flash->isRunning()) {
            w.flash->timTextFlash_Timer();
            seen << cells::textColour(w.txtAns[1]);
        }
        QCOMPARE(seen.size(), 9);
        QCOMPARE(seen.first(), QColor(255, 255, 255));
        QCOMPARE(seen.at(1), QColor(0, 0, 0));
        QCOMPARE(seen.last(), QColor(255, 255, 0));
        QVERIFY(!w.txtAns[1]->font().bold());
        QCOMPARE(w.flash->FlashCount, 0);
    }

    void infoLineToggles()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.lblInfo_Click();
        QCOMPARE(w.lblInfo->text(), frmMain::kCreditLine);
        QVERIFY(!w.Zorb.InfoOn);
        // A hint asked for while the hints are off is remembered.
        w.cmdTitlePractice->click();
        QCOMPARE(w.lblInfo->text(), frmMain::kCreditLine);
        w.lblInfo_Click();
        QCOMPARE(w.lblInfo->text(), frmMain::InfoText(2));
        w.lblInfo_Click();
        w.lblInfo_Click();
        QCOMPARE(w.lblInfo->text(), frmMain::InfoText(2));
    }

    void helpMissingShowsOneError()
    {
        GameDriver g;
        g.w->cmdTitleHelp->click();
        QCOMPARE(g.prompts, QStringList{QString::fromUtf8("Zorbel|ヘルプファイルを開けません。")});
        g.w->cmdTitlePractice->click();
        g.w->cmdHelp->click();
        QCOMPARE(g.prompts.size(), 2);
    }

    void closeSavesProgress()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.Zorb.LevelMax = 3;
        w.Zorb.MaxScore[2] = 91;
        w.ClearFlg = true;
        w.Zorb.BGMOn = false;
        w.cmdTitleTry->click(); // in the middle of a round
        w.close();
        const QString ini = g.iniText();
        QVERIFY(ini.contains("LevelMax= 3"));
        QVERIFY(ini.contains("MaxScore2= 91"));
        QVERIFY(ini.contains("ClearFlg=True"));
        QVERIFY(ini.contains("BGMOn=False"));
    }

    void titleControlsOutOfReachDuringPlay()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.cmdTitlePractice->click();
        for (QWidget* t : std::initializer_list<QWidget*>{
                 w.cmdTitlePractice, w.cmdTitleTry, w.cmdTitleLevel, w.cmdTitleHelp, w.cmdOption})
            QVERIFY(!t->isVisible());
        w.cmdRetire->click();
        QVERIFY(w.cmdTitleTry->isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"

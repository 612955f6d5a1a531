// The presentation around a round: banner, waiting indicator, THIRD-stage
// overwrite, demonstration, options dialog, ending, and a whole game.
#include "GameDriver.h"

#include "effects/CellLook.h"
#include "effects/Ending.h"
#include "effects/MessageBoard.h"
#include "effects/TextFlash.h"
#include "effects/ThirdStageOverwrite.h"
#include "effects/WaitingIndicator.h"
#include "ui/frmOption.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTimer>

using namespace zorbel;
using namespace zorbel::testing;

namespace
{
// Answers the options dialog once it is open.
void whenDialogOpens(std::function<void(frmOption*)> act)
{
    QTimer::singleShot(0, [act] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<frmOption*>(top); d && d->isVisible()) {
                act(d);
                return;
            }
    });
}
} // namespace

class TestPresentation : public QObject
{
    Q_OBJECT
private slots:
    void bannerAnnouncesEachStage()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.cmdTitleTry->click();
        QVERIFY(w.banner->isRunning());
        w.banner->timMB_Timer();
        QVERIFY(w.txtMB->isVisible());
        QCOMPARE(w.txtMB->text().split("\r\n").size(), 5);
        while (w.banner->MBTick < 23)
            w.banner->timMB_Timer();
        QCOMPARE(w.txtMB->text().split("\r\n").at(2), QString("1111111111 1ST stage 1111111111"));
        while (w.banner->isRunning())
            w.banner->timMB_Timer();
        QCOMPARE(w.banner->MBTick, 41);
        QVERIFY(!w.txtMB->isVisible());

        // 採点 hides a running banner at once.
        w.cmdRetire->click();
        w.cmdTitleTry->click();
        w.banner->timMB_Timer();
        g.typeBoard(kScore88);
        w.cmdChk->click();
        QVERIFY(!w.txtMB->isVisible());
        QVERIFY(!w.banner->isRunning());
    }

    void practiceHasNoBanner()
    {
        GameDriver g;
        g.w->cmdTitlePractice->click();
        QVERIFY(!g.w->banner->isRunning());
    }

    void waitingIndicatorWalks()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.cmdTitlePractice->click();
        QVERIFY(w.waiting->isRunning());
        QStringList seen;
        for (int i = 0; i < 4; ++i) {
            w.waiting->timSCAction_Timer();
            seen << w.lblScore->text();
        }
        seen.sort();
        QCOMPARE(seen, (QStringList{"---", "--?", "-?-", "?--"}));
        g.typeBoard(kScore88);
        w.cmdChk->click();
        QVERIFY(!w.waiting->isRunning());
    }

    void thirdStageTakesCells()
    {
        GameDriver g;
        frmMain& w = *g.w;
        g.startStage(5, 2);
        // The player types into cells 0..2; the game then takes cell 0.
        g.type(0, '9');
        g.type(1, '8');
        g.type(2, '7');
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.txtAns[3]));
        w.thirdStage->timSt3_Timer();
        QCOMPARE(w.txtAns[0]->text(), QString("0"));
        QVERIFY(!w.txtAns[0]->isEnabled());
        QCOMPARE(cells::background(w.txtAns[0]), QColor(192, 192, 192));
        QVERIFY(w.thirdStage->isFlashing());
        QCOMPARE(w.flash->FlashCell, 2); // the overwrite started no flash
        QVERIFY(w.thirdStage->flashOff.isActive());
        w.thirdStage->flashOff.stop();
        w.thirdStage->endFlash();
        QVERIFY(!w.thirdStage->isFlashing());

        // Focus in the next cell to be taken moves on to a free cell.
        w.txtAns[1]->setFocus();
        w.thirdStage->timSt3_Timer();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.txtAns[2]));
        int ticks = 2;
        while (w.thirdStage->isRunning()) {
            w.thirdStage->timSt3_Timer();
            ++ticks;
        }
        QCOMPARE(ticks, 81);
        for (int i = 0; i < 100; ++i) {
            if (i <= 80) {
                QCOMPARE(w.txtAns[i]->text(), QString(QChar('0' + i % 10)));
                QVERIFY(!w.txtAns[i]->isEnabled());
            } else {
                QVERIFY(w.txtAns[i]->isEnabled());
            }
        }
        // Typing into the last free cells still leads to 採点.
        for (int i = 81; i < 100; ++i)
            g.type(i, '5');
        QVERIFY(w.cmdChk->isEnabled());
        w.cmdChk->click();
        for (int i = 0; i < 100; ++i)
            QVERIFY(w.txtAns[i]->isEnabled());
    }

    void demonstrationFillsTheBoard()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.Zorb.LevelMax = 2;
        w.Level = 2;
        w.cmdTitlePractice->click();
        g.type(0, '3');
        g.type(1, 'x');
        w.flash->cancel();
        w.txtAns[55]->setText(QStringLiteral("q")); // a hidden cell
        QWidget* focus = QApplication::focusWidget();
        g.sounds.clear();
        w.cmdEx->click();
        QCOMPARE(g.sounds.first(), 3);
        for (int i = 0; i < 40; ++i) {
            QCOMPARE(w.txtAns[i]->text().size(), 1);
            QVERIFY(w.txtAns[i]->text().at(0).isDigit());
        }
        QCOMPARE(w.txtAns[55]->text(), QString("q"));
        QVERIFY(!w.flash->isRunning());
        QCOMPARE(QApplication::focusWidget(), focus);
        QVERIFY(w.cmdChk->isEnabled());
        QVERIFY(w.timResult.isActive());
        QCOMPARE(w.lblInfo->text(), frmMain::InfoText(5));
        // A second press draws a fresh board (40 equal digits by chance: 1 in 10^40).
        auto board = [&w] {
            QString digits;
            for (int i = 0; i < 40; ++i)
                digits += w.txtAns[i]->text();
            return digits;
        };
        const QString first = board();
        g.finishResult();
        w.cmdEx->click();
        QVERIFY(board() != first);
    }

    void optionsDialog_data()
    {
        QTest::addColumn<int>("how"); // 0 OK, 1 Cancel, 2 Esc, 3 close box
        QTest::addColumn<bool>("applied");
        QTest::newRow("OK") << 0 << true;
        QTest::newRow("Cancel") << 1 << false;
        QTest::newRow("Esc") << 2 << false;
        QTest::newRow("close box") << 3 << false;
    }
    void optionsDialog()
    {
        QFETCH(int, how);
        QFETCH(bool, applied);
        GameDriver g;
        frmMain& w = *g.w;
        QFile::remove(g.iniPath());
        whenDialogOpens([how](frmOption* d) {
            d->chkBGM->setChecked(false);
            d->chkInfo->setChecked(false);
            switch (how) {
            case 0:
                d->cmdOK->click();
                break;
            case 1:
                d->cmdCancel->click();
                break;
            case 2:
                QTest::keyClick(d, Qt::Key_Escape);
                break;
            default:
                d->close();
                break;
            }
        });
        w.cmdOption->click();
        QCOMPARE(w.Zorb.BGMOn, !applied);
        QCOMPARE(w.Zorb.InfoOn, !applied);
        QVERIFY(w.Zorb.SoundOn);
        // Whichever way it closed, the menu is back and the file was rewritten.
        QVERIFY(w.cmdTitleTry->isVisible());
        QVERIFY(g.iniText().contains(applied ? "BGMOn=False" : "BGMOn=True"));
        QCOMPARE(w.lblInfo->text(), applied ? frmMain::kCreditLine : frmMain::InfoText(1));
        if (applied)
            QCOMPARE(clsBGMAPI::instance().CurrentTrack(), std::int16_t(-1));
    }

    void endingClosesOnTick181WithMusicOff()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.Zorb.BGMOn = false;
        g.startStage(5, 2);
        g.playRound(passingSequence(100));
        QCOMPARE(w.cmdTry->text(), QString("Good Job!!!"));
        w.cmdTry->click();
        QVERIFY(w.ending->isRunning());
        // Only the close box acts now: not even the hidden details panel.
        w.Zorb.InfoOn = false;
        w.lblResultStatic_Click();
        QVERIFY(!w.picDecInfo->isVisible());
        QVERIFY(!w.cmdHelp->isEnabled());
        QVERIFY(!w.cmdTry->isEnabled());
        QVERIFY(!w.cmdRetire->isEnabled());
        QVERIFY(!w.lblInfo->isVisible());
        QCOMPARE(w.picMain->height(), w.height());
        for (int t = 1; t <= 4; ++t) {
            w.ending->timEnd_Timer();
            QVERIFY(w.txtAns[t - 1]->isHidden());
        }
        w.ending->timEnd_Timer();
        QCOMPARE(w.txtAns[4]->pos(), QPoint(390 / 15, 1020 / 15));
        QVERIFY(!w.txtAns[4]->isEnabled());
        QVERIFY(w.txtAns[4]->isReadOnly());
        while (w.ending->EndTick < 100)
            w.ending->timEnd_Timer();
        QCOMPARE(w.txtAns[84]->pos(), QPoint(3525 / 15, 4260 / 15));
        QVERIFY(w.txtAns[99]->isHidden());
        w.ending->timEnd_Timer();
        QCOMPARE(w.txtMB->text(), QString("\r\n\r\nSee you again!"));
        QVERIFY(w.txtMB->isBold());
        QCOMPARE(w.txtMB->backgroundColour(), QColor(255, 255, 160));
        while (w.ending->EndTick < 180) {
            w.ending->timEnd_Timer();
            QVERIFY(w.isVisible());
        }
        w.ending->timEnd_Timer();
        QVERIFY(!w.isVisible());
        QVERIFY(g.iniText().contains("ClearFlg=True"));
    }

    void endingWaitsForTuneWithMusicOn()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.Level = 6;
        w.Zorb.BGMOn = true;
        w.ClearFlg = true;
        w.cmdTry_Click();
        while (w.ending->EndTick < 181)
            w.ending->timEnd_Timer();
        QVERIFY(w.QuitPending);
        // The tune reports stopped (this program folder has no tunes), so the
        // poll closes the window.
        QVERIFY(clsBGMAPI::instance().GetBGMStopped());
        w.tmrBGMLoop_Timer();
        QVERIFY(!w.isVisible());
    }

    void endingGivesUpWaitingAfterAMinute()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.Level = 6;
        w.Zorb.BGMOn = true;
        w.cmdTry_Click();
        w.tmrBGMLoop.stop(); // a tune that never reports its end
        int ticks = 0;
        while (w.isVisible() && ticks < 1000000) {
            w.ending->timEnd_Timer();
            ++ticks;
        }
        QVERIFY(!w.isVisible());
        QCOMPARE(ticks, 181 + Ending::kMaxWaitTicks);
        QVERIFY(w.ending->EndTick > 181 && w.ending->EndTick <= 189);
    }

    void wholeGameFromEmptyFolder()
    {
        GameDriver g;
        frmMain& w = *g.w;
        w.Zorb.BGMOn = false;
        for (int level = 1; level <= 5; ++level) {
            QCOMPARE(int(w.Level), level);
            w.cmdTitleTry->click();
            g.passLevel();
            if (level < 5) {
                QCOMPARE(w.cmdTry->text(), QString("Go to Level%1").arg(level + 1));
                w.cmdTry->click();
                QCOMPARE(int(w.Zorb.LevelMax), level + 1);
            }
        }
        QCOMPARE(w.cmdTry->text(), QString("Good Job!!!"));
        w.cmdTry->click();
        int ticks = 0;
        while (w.isVisible() && ticks < 5000) {
            w.ending->timEnd_Timer();
            ++ticks;
        }
        QCOMPARE(ticks, 181);
        const QString ini = g.iniText();
        QVERIFY(ini.contains("LevelMax= 5"));
        QVERIFY(ini.contains("ClearFlg=True"));
        for (int level = 1; level <= 5; ++level)
            QVERIFY(ini.contains(QString("MaxScore%1= 9").arg(level)) ||
                    ini.contains(QString("MaxScore%1= 100").arg(level)));
    }
};

QTEST_MAIN(TestPresentation)
#include "test_presentation.moc"

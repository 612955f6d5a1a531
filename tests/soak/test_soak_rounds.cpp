// Long runs of the real main window with every timer stepped by hand: a
// thousand rounds played, scored and abandoned, the THIRD stage's flash
// again and again, and ten hours of the ending. Nothing may grow.
#include "ui/GameDriver.h"

#include "audio/AudioDevice.h"
#include "effects/EffectLogic.h"
#include "effects/Ending.h"
#include "effects/MessageBoard.h"
#include "effects/TextFlash.h"
#include "effects/ThirdStageOverwrite.h"
#include "effects/WaitingIndicator.h"
#include "game/RoundRules.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QLabel>
#include <QPixmapCache>
#include <QScopeGuard>
#include <QSet>

#include <malloc.h>
#include <random>
#include <unistd.h>

using namespace zorbel;
using namespace zorbel::testing;

namespace
{

// Under AddressSanitizer freed memory sits in quarantine: the figures say
// nothing about leaks.
#ifdef __SANITIZE_ADDRESS__
constexpr bool kMemoryFiguresMeaningful = false;
#else
constexpr bool kMemoryFiguresMeaningful = true;
#endif

const QByteArray kLevelFive = "[Dummy]\nDummy=OK\n[GameData]\nLevelMax=5\n";

// Objects, widgets and timers below the window; timers running for the
// window and its parts; widgets, windows and objects of the application;
// then bytes handed out by malloc and not freed, and resident bytes.
QList<qint64> census(frmMain& w)
{
    QList<QObject*> owners = w.findChildren<QObject*>(); // and the member timers:
    owners << &w << &w.tmrBGMLoop << &w.timResult << &w.waiting->timSCAction
           << &w.thirdStage->timSt3 << &w.thirdStage->flashOff << &w.flash->timTextFlash
           << &w.banner->timMB << &w.ending->timEnd;
    qint64 running = 0;
    for (QObject* o : owners)
        running += QAbstractEventDispatcher::instance()->registeredTimers(o).size();
    QFile statm("/proc/self/statm");
    statm.open(QIODevice::ReadOnly);
    const qint64 residentPages = statm.readAll().split(' ').value(1).toLongLong();
    return {w.findChildren<QObject*>().size(),
            w.findChildren<QWidget*>().size(),
            w.findChildren<QTimer*>().size(),
            running,
            QApplication::allWidgets().size(),
            QApplication::topLevelWidgets().size(),
            qApp->children().size(),
            qint64(mallinfo2().uordblks),
            residentPages * ::sysconf(_SC_PAGESIZE)};
}

// One tick of the THIRD stage, its yellow flash ended at once.
void thirdStageTick(frmMain& w)
{
    w.thirdStage->timSt3_Timer();
    w.thirdStage->flashOff.stop();
    w.thirdStage->endFlash();
}

} // namespace

class TestSoakRounds : public QObject
{
    Q_OBJECT

    // Writes a board into the free cells. Every tenth board is typed key by
    // key; the others are set as the cells' text, which raises the same
    // change handling for less work. In the THIRD stage the game takes
    // cells a little faster than they are filled.
    void fill(frmMain& w, const std::string& digits)
    {
        const bool typed = (fills_++ % 10) == 0;
        for (std::size_t i = 0; i < digits.size(); ++i) {
            AnswerCell* cell = w.txtAns[static_cast<int>(i)];
            if (typed && cell->isEnabled())
                QTest::keyClick(cell, digits[i]);
            else if (cell->isEnabled())
                cell->setText(QString(QChar::fromLatin1(digits[i])));
            w.flash->timTextFlash_Timer();
            for (std::size_t k = 0; k <= i % 2 && w.thirdStage->isRunning(); ++k)
                thirdStageTick(w);
        }
        while (w.flash->isRunning())
            w.flash->timTextFlash_Timer();
    }

    // The banner to its end, the waiting indicator and the music poll.
    void settle(frmMain& w)
    {
        int ticks = 0;
        for (; w.banner->isRunning() && ticks < 100; ++ticks)
            w.banner->timMB_Timer();
        QVERIFY(ticks == 0 || ticks == kBannerLastTick + 1);
        QVERIFY(!w.txtMB->isVisible());
        for (int i = 0; i < 3; ++i)
            w.waiting->timSCAction_Timer();
        w.tmrBGMLoop_Timer();
    }

    void score(GameDriver& g, const QString& next = {})
    {
        const int limit = ResultTickLimit(g.w->Level, g.w->Stage);
        QVERIFY(g.w->cmdChk->isEnabled());
        g.w->cmdChk->click();
        QCOMPARE(g.finishResult(), limit + 1);
        if (!next.isEmpty())
            QCOMPARE(g.w->cmdTry->text(), next);
    }

    std::string randomDigits(int n)
    {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += static_cast<char>('0' + rng_() % 10);
        return s;
    }

    // One of the kinds of round played over and over, from the title menu
    // back to it.
    void playRound(GameDriver& g, int kind, int level)
    {
        frmMain& w = *g.w;
        for (int i = 0; i < 5 && w.Level != level; ++i)
            w.cmdTitleLevel->click();
        QCOMPARE(int(w.Level), level);
        ++rounds_;
        switch (kind) {
        case 0: // practice
            w.cmdTitlePractice->click();
            settle(w);
            fill(w, randomDigits(w.Zorb.CellCount));
            score(g);
            break;
        case 1: // practice with the demonstration, then scored once more
            w.cmdTitlePractice->click();
            settle(w);
            w.cmdEx->click();
            g.finishResult();
            score(g);
            break;
        case 2: // FIRST stage passed, SECOND left half filled under its banner
            w.cmdTitleTry->click();
            settle(w);
            fill(w, passingSequence(w.Zorb.CellCount));
            score(g, "NextStage");
            w.cmdTry->click();
            ++rounds_;
            for (int i = 0; i < 10; ++i)
                w.banner->timMB_Timer();
            fill(w, randomDigits(w.Zorb.CellCount / 2));
            g.prompts.clear();
            w.cmdRetire->click();
            QCOMPARE(g.prompts.size(), 1); // "really give up?"
            return;
        case 3: // a board that fails, the same run of steps over and over
            w.cmdTitleTry->click();
            settle(w);
            fill(w, QByteArray(kScore71).repeated(4).left(w.Zorb.CellCount).toStdString());
            score(g, "Retry");
            break;
        case 4: // the THIRD stage taking cells while the board is filled
            g.startStage(5, 2);
            QVERIFY(w.thirdStage->isRunning());
            settle(w);
            fill(w, randomDigits(100));
            QVERIFY(!w.thirdStage->isRunning());
            score(g, "Retry");
            break;
        default: // left during the result's suspense
            w.cmdTitleTry->click();
            for (int i = 0; i < 5; ++i)
                w.banner->timMB_Timer();
            fill(w, passingSequence(w.Zorb.CellCount));
            w.cmdChk->click();
            for (int i = 0; i < 5; ++i)
                w.timResult_Timer();
            QVERIFY(w.timResult.isActive());
            break;
        }
        w.cmdRetire->click();
    }

    int rounds_ = 0;
    int fills_ = 0;
    std::minstd_rand rng_{2024};

private slots:
    void initTestCase()
    {
        // With no SoundFont no tune is ever loaded: the runs stay quick and
        // deterministic. Sounds still reach the (dummy) audio device.
        static QTemporaryDir noSoundFonts;
        audio::setSoundFontDirs({noSoundFonts.path()});
    }

    void thousandRoundsLeaveNothingBehind()
    {
        // Qt's own pixmap cache is bounded by its limit; off, so that it
        // neither hides nor mimics growth of the game's own.
        const int cacheLimit = QPixmapCache::cacheLimit();
        QPixmapCache::setCacheLimit(0);
        auto restoreCache = qScopeGuard([cacheLimit] { QPixmapCache::setCacheLimit(cacheLimit); });

        Sound::instance().RemoveAll();
        GameDriver g(true, kLevelFive);
        frmMain& w = *g.w;
        for (const char* f :
             {"fanfale1.wav", "buzzer1.wav", "drums2.wav", "pi2.wav"}) // read at first play
            QVERIFY(QFile::copy(QStringLiteral(ZORBEL_PROGRAM_DIR "/") + f, g.dir.filePath(f)));
        QList<qint64> at100;
        for (int sequence = 0; rounds_ < 1000; ++sequence) {
            int kind = sequence % 6;
            int level = 1 + (sequence / 6) % 4 + (kind == 1); // demonstration at 2 to 5
            if (kind == 4 && sequence % 36 != 4) {
                kind = 3; // the THIRD stage now and then, else a failure at level 5
                level = 5;
            }
            playRound(g, kind, level);
            if (QTest::currentTestFailed())
                return;
            // Back on an idle title menu.
            QVERIFY(w.picMain->isHidden());
            QCOMPARE(int(w.Stage), -1);
            QVERIFY(!w.timResult.isActive() && !w.banner->isRunning() && !w.waiting->isRunning() &&
                    !w.thirdStage->isRunning() && !w.flash->isRunning() && !w.ending->isRunning());
            QCoreApplication::processEvents(); // deferred deletes, repaints
            if (at100.isEmpty() && rounds_ >= 100)
                at100 = census(w);
        }
        const QList<qint64> at1000 = census(w);
        QCOMPARE(at1000.mid(0, 7), at100.mid(0, 7));
        QCOMPARE(at1000[3], 1); // the music poll, nothing else
        // The allocator and font caches wobble a little; a leak of a
        // kilobyte a round shows well above these bounds.
        if (kMemoryFiguresMeaningful) {
            QCOMPARE_LT(at1000[7] - at100[7], 512 * 1024);
            QCOMPARE_LT(at1000[8] - at100[8], 2 * 1024 * 1024);
        }
        QVERIFY(g.iniText().contains("LevelMax= 5"));
    }

    void thirdStageFlashesLeaveNoMemoryBehind()
    {
        if (!kMemoryFiguresMeaningful)
            QSKIP("memory figures mean nothing under AddressSanitizer");
        GameDriver g(true, kLevelFive);
        qint64 before = 0;
        for (int i = 0; i < 30; ++i) {
            if (i == 5) {
                QCoreApplication::processEvents();
                before = census(*g.w)[7];
            }
            g.startStage(5, 2);
            while (g.w->thirdStage->isRunning())
                thirdStageTick(*g.w);
            g.w->cmdRetire->click();
        }
        QCoreApplication::processEvents();
        QCOMPARE_LT(census(*g.w)[7] - before, 256 * 1024);
    }

    // A tune that never ends and the give-up switched off: 600,000 ticks
    // of 60 ms are ten hours of the ending.
    void endingWaitsTenHours()
    {
        GameDriver g(true, kLevelFive);
        frmMain& w = *g.w;
        g.startStage(5, 2);
        g.playRound(passingSequence(100));
        QCOMPARE(w.cmdTry->text(), QString("Good Job!!!"));
        w.cmdTry->click();
        QVERIFY(w.ending->isRunning());
        w.tmrBGMLoop.stop();
        w.ending->timEnd.stop();
        w.ending->closeWindow = {};

        constexpr int kTicks = 600'000;
        QSet<int> blues;
        int maxEndTick = 0;
        for (int i = 1; i <= kTicks; ++i) {
            w.ending->timEnd_Timer();
            maxEndTick = std::max(maxEndTick, w.ending->EndTick);
            if (i > kTicks - 8)
                blues.insert(w.txtMB->backgroundColour().blue());
        }
        QVERIFY(w.isVisible() && w.QuitPending);
        QCOMPARE_LE(maxEndTick, kEndingCloseTick + 8);
        QCOMPARE_GT(w.ending->EndTick, kEndingCloseTick);
        // Still flickering through its eight shades.
        QCOMPARE(blues, (QSet<int>{0, 32, 64, 96, 128, 160, 192, 224}));
        QCOMPARE(w.txtMB->text(), QString("\r\n\r\nSee you again!"));

        // Once the tune ends the poll closes the window and saves.
        w.tmrBGMLoop_Timer();
        QVERIFY(!w.isVisible());
        QVERIFY(g.iniText().contains("ClearFlg=True"));
    }
};

QTEST_MAIN(TestSoakRounds)
#include "test_soak_rounds.moc"

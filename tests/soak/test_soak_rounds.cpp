// Long runs of the real main window, with every timer stepped by hand: a
// thousand rounds played, scored and abandoned, and ten hours of the ending
// waiting for a tune that never stops. Nothing may grow on the way.
#include "SoakSupport.h"
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
#include <QTemporaryDir>
#include <QTimer>

#include <climits>
#include <malloc.h>
#include <map>

using namespace zorbel;
using namespace zorbel::testing;

namespace
{

// What is counted to see whether anything piles up between rounds.
struct Census {
    int objects = 0;      // QObjects below the window
    int widgets = 0;      // widgets below the window
    int timers = 0;       // QTimers below the window
    int running = 0;      // timers registered with the event loop by the window and its parts
    int appWidgets = 0;   // every widget of the application
    int topLevels = 0;    // windows, dialogs, message boxes
    int appChildren = 0;  // objects parented to the application
    qint64 resident = 0;  // bytes
    qint64 heapInUse = 0; // bytes handed out by malloc and not freed
};

Census census(const frmMain& w)
{
    Census c;
    c.objects = static_cast<int>(w.findChildren<QObject*>().size());
    c.widgets = static_cast<int>(w.findChildren<QWidget*>().size());
    c.timers = static_cast<int>(w.findChildren<QTimer*>().size());
    // The window's own timers are members, not children: count them too.
    QList<const QObject*> owners{&w,
                                 &w.tmrBGMLoop,
                                 &w.timResult,
                                 &w.waiting->timSCAction,
                                 &w.thirdStage->timSt3,
                                 &w.thirdStage->flashOff,
                                 &w.flash->timTextFlash,
                                 &w.banner->timMB,
                                 &w.ending->timEnd};
    for (const QObject* o : w.findChildren<QObject*>())
        owners.append(o);
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    for (const QObject* o : owners)
        c.running += static_cast<int>(dispatcher->registeredTimers(const_cast<QObject*>(o)).size());
    c.appWidgets = static_cast<int>(QApplication::allWidgets().size());
    c.topLevels = static_cast<int>(QApplication::topLevelWidgets().size());
    c.appChildren = static_cast<int>(qApp->children().size());
    c.resident = soak::residentBytes();
    c.heapInUse = static_cast<qint64>(mallinfo2().uordblks);
    return c;
}

// A plain digit stream of its own, so the boards typed do not depend on the
// game's random generator.
class Digits
{
public:
    std::string next(int n)
    {
        std::string s;
        for (int i = 0; i < n; ++i) {
            state_ ^= state_ << 13;
            state_ ^= state_ >> 7;
            state_ ^= state_ << 17;
            s += static_cast<char>('0' + state_ % 10);
        }
        return s;
    }

private:
    std::uint64_t state_ = 0x2545F4914F6CDD1DULL;
};

// A board that fails: the same run of steps over and over.
std::string failingSequence(int n)
{
    std::string s;
    while (static_cast<int>(s.size()) < n)
        s += "0123456789";
    s.resize(static_cast<std::size_t>(n));
    return s;
}

} // namespace

class TestSoakRounds : public QObject
{
    Q_OBJECT

    // A round's board, written into the free cells from the first one on.
    // Every tenth board is typed key by key; the others go in through the
    // cells' text, which raises the same change handling with less work.
    void fill(GameDriver& g, const std::string& digits, bool withSt3 = false)
    {
        frmMain& w = *g.w;
        const bool typed = (fills_++ % 10) == 0;
        for (std::size_t i = 0; i < digits.size(); ++i) {
            AnswerCell* cell = w.txtAns[static_cast<int>(i)];
            if (!cell->isEnabled())
                continue;
            if (typed)
                QTest::keyClick(cell, digits[i]);
            else
                cell->setText(QString(QChar::fromLatin1(digits[i])));
            w.flash->timTextFlash_Timer();
            // The THIRD stage takes cells a little faster than they are
            // typed, so it soon takes empty cells ahead of the player.
            for (int k = 0; withSt3 && k < 1 + static_cast<int>(i % 2); ++k) {
                if (!w.thirdStage->isRunning())
                    break;
                w.thirdStage->timSt3_Timer();
                w.thirdStage->flashOff.stop();
                w.thirdStage->endFlash();
            }
        }
        while (w.flash->isRunning())
            w.flash->timTextFlash_Timer();
    }

    // Starts a round by the given button and counts it.
    void begin(QPushButton* button)
    {
        button->click();
        ++rounds_;
    }

    void bannerToEnd(frmMain& w)
    {
        QVERIFY(w.banner->isRunning());
        int ticks = 0;
        while (w.banner->isRunning() && ticks < 100) {
            w.banner->timMB_Timer();
            ++ticks;
        }
        QCOMPARE(ticks, kBannerLastTick + 1);
        QVERIFY(!w.txtMB->isVisible());
    }

    void waitAWhile(frmMain& w)
    {
        for (int i = 0; i < 3; ++i)
            w.waiting->timSCAction_Timer();
        w.tmrBGMLoop_Timer();
    }

    void score(GameDriver& g)
    {
        frmMain& w = *g.w;
        QVERIFY(w.cmdChk->isEnabled());
        const int limit = ResultTickLimit(w.Level, w.Stage);
        w.cmdChk->click();
        QCOMPARE(g.finishResult(), limit + 1);
    }

    void selectLevel(frmMain& w, int level)
    {
        for (int i = 0; i < 5 && w.Level != level; ++i)
            w.cmdTitleLevel->click();
        QCOMPARE(int(w.Level), level);
    }

    const std::string& passing(int n, char fixedDigit = 0)
    {
        const auto key = std::make_pair(n, fixedDigit);
        auto it = passing_.find(key);
        if (it == passing_.end()) {
            const std::string prefix =
                fixedDigit ? std::string(static_cast<std::size_t>(FixedCellCount(n)), fixedDigit)
                           : std::string();
            it = passing_.emplace(key, passingSequence(n, prefix)).first;
        }
        return it->second;
    }

    // Back on the title menu with nothing left running.
    void checkIdleMenu(frmMain& w)
    {
        QVERIFY(w.picMain->isHidden());
        QCOMPARE(int(w.Stage), -1);
        QVERIFY(!w.timResult.isActive());
        QVERIFY(!w.banner->isRunning());
        QVERIFY(!w.waiting->isRunning());
        QVERIFY(!w.thirdStage->isRunning());
        QVERIFY(!w.flash->isRunning());
        QVERIFY(!w.ending->isRunning());
        QCOMPARE(w.txtAns.size(), qsizetype(kMaxCells));
    }

    // ---- the kinds of round played over and over ----

    void practiceTyped(GameDriver& g, int level)
    {
        frmMain& w = *g.w;
        selectLevel(w, level);
        begin(w.cmdTitlePractice);
        waitAWhile(w);
        fill(g, digits_.next(w.Zorb.CellCount));
        score(g);
        QCOMPARE(w.lblScore->text().size(), 3);
        w.cmdRetire->click();
    }

    void practiceDemonstration(GameDriver& g, int level)
    {
        frmMain& w = *g.w;
        selectLevel(w, level);
        begin(w.cmdTitlePractice);
        waitAWhile(w);
        w.cmdEx->click();
        g.finishResult();
        // The demonstration's board may be scored once more by hand.
        score(g);
        w.cmdRetire->click();
    }

    // Passes the FIRST stage, then leaves the SECOND one half typed while
    // its banner is still running.
    void realPassThenAbandon(GameDriver& g, int level)
    {
        frmMain& w = *g.w;
        selectLevel(w, level);
        begin(w.cmdTitleTry);
        bannerToEnd(w);
        waitAWhile(w);
        fill(g, passing(w.Zorb.CellCount));
        score(g);
        QCOMPARE(w.cmdTry->text(), QString("NextStage"));
        begin(w.cmdTry);
        for (int i = 0; i < 10; ++i)
            w.banner->timMB_Timer();
        const std::string half = digits_.next(w.Zorb.CellCount / 2);
        fill(g, half);
        const int promptsBefore = static_cast<int>(g.prompts.size());
        w.cmdRetire->click();
        QCOMPARE(static_cast<int>(g.prompts.size()), promptsBefore + 1);
    }

    void realFail(GameDriver& g, int level)
    {
        frmMain& w = *g.w;
        selectLevel(w, level);
        begin(w.cmdTitleTry);
        bannerToEnd(w);
        waitAWhile(w);
        fill(g, failingSequence(w.Zorb.CellCount));
        score(g);
        QCOMPARE(w.cmdTry->text(), QString("Retry"));
        w.cmdRetire->click();
    }

    // Level 5 up to its THIRD stage, where the game takes cells while the
    // board is typed; that board fails.
    void levelFiveThirdStage(GameDriver& g)
    {
        frmMain& w = *g.w;
        selectLevel(w, 5);
        begin(w.cmdTitleTry);
        bannerToEnd(w);
        fill(g, passing(100));
        score(g);
        QCOMPARE(w.cmdTry->text(), QString("NextStage"));
        begin(w.cmdTry);
        bannerToEnd(w);
        const char fixed = w.txtAns[0]->text().toLatin1().at(0);
        fill(g, passing(100, fixed));
        score(g);
        QCOMPARE(int(w.Stage), 2);
        begin(w.cmdTry);
        bannerToEnd(w);
        QVERIFY(w.thirdStage->isRunning());
        waitAWhile(w);
        fill(g, digits_.next(100), true);
        QVERIFY(!w.thirdStage->isRunning()); // it took its share of the cells
        score(g);
        QCOMPARE(w.cmdTry->text(), QString("Retry"));
        w.cmdRetire->click();
    }

    // Leaves in the middle of the result's suspense.
    void abandonDuringResult(GameDriver& g, int level)
    {
        frmMain& w = *g.w;
        selectLevel(w, level);
        begin(w.cmdTitleTry);
        for (int i = 0; i < 5; ++i)
            w.banner->timMB_Timer();
        fill(g, passing(w.Zorb.CellCount));
        w.cmdChk->click();
        for (int i = 0; i < 5; ++i)
            w.timResult_Timer();
        QVERIFY(w.timResult.isActive());
        w.cmdRetire->click();
    }

    int rounds_ = 0;
    int fills_ = 0;
    Digits digits_;
    std::map<std::pair<int, char>, std::string> passing_;

private slots:
    void initTestCase()
    {
        // The music is asked for at every round, but with no SoundFont no
        // tune is ever loaded: the run stays deterministic and quick.
        // Sounds still reach the (dummy) audio device.
        static QTemporaryDir noSoundFonts;
        audio::setSoundFontDirs({noSoundFonts.path()});
    }

    void thousandRoundsLeaveNothingBehind()
    {
        // The style's pixmap cache is Qt's own, bounded by its size limit;
        // it is switched off here so that it does not hide or mimic growth
        // of the game's own. (What it does under the THIRD stage's flashes
        // is tested on its own below.)
        const int cacheLimit = QPixmapCache::cacheLimit();
        QPixmapCache::setCacheLimit(0);
        auto restoreCache = qScopeGuard([cacheLimit] { QPixmapCache::setCacheLimit(cacheLimit); });

        Sound::instance().RemoveAll();
        GameDriver g(true, soak::iniWith(5, true));
        frmMain& w = *g.w;
        QCOMPARE(int(w.Zorb.LevelMax), 5);
        QVERIFY(w.Zorb.SoundOn);
        // The sound effects are read at their first play: they really play
        // (on the dummy device) all along.
        for (const QString& f : soak::kWaveFiles)
            QVERIFY(soak::copyTree(QStringLiteral(ZORBEL_PROGRAM_DIR "/") + f, g.dir.filePath(f)));

        Census at100;
        bool have100 = false;
        int sequence = 0;
        while (rounds_ < 1000) {
            const int level = 1 + (sequence / 6) % 4; // levels 1..4 in turn
            switch (sequence % 6) {
            case 0:
                practiceTyped(g, level);
                break;
            case 1:
                practiceDemonstration(g, level + 1);
                break;
            case 2:
                realPassThenAbandon(g, level);
                break;
            case 3:
                realFail(g, level);
                break;
            case 4:
                if (sequence % 36 == 4)
                    levelFiveThirdStage(g);
                else
                    realFail(g, 5);
                break;
            default:
                abandonDuringResult(g, level);
                break;
            }
            if (QTest::currentTestFailed())
                return;
            ++sequence;
            checkIdleMenu(w);
            if (QTest::currentTestFailed())
                return;
            // Queued work (deferred deletes, repaints) is done between rounds
            // as it would be in a running game.
            QCoreApplication::processEvents();
            if (!have100 && rounds_ >= 100) {
                at100 = census(w);
                have100 = true;
            }
        }
        const Census at1000 = census(w);
        qInfo("%d rounds: objects %d/%d, widgets %d/%d, application widgets %d/%d, "
              "running timers %d/%d, heap in use %lld/%lld kB, resident %lld/%lld kB "
              "(round 100/round 1000)",
              rounds_, at100.objects, at1000.objects, at100.widgets, at1000.widgets,
              at100.appWidgets, at1000.appWidgets, at100.running, at1000.running,
              at100.heapInUse / 1024, at1000.heapInUse / 1024, at100.resident / 1024,
              at1000.resident / 1024);

        QCOMPARE(at1000.objects, at100.objects);
        QCOMPARE(at1000.widgets, at100.widgets);
        QCOMPARE(at1000.timers, at100.timers);
        QCOMPARE(at1000.running, at100.running);
        QCOMPARE(at1000.running, 1); // the music poll, nothing else
        QCOMPARE(at1000.appWidgets, at100.appWidgets);
        QCOMPARE(at1000.topLevels, at100.topLevels);
        QCOMPARE(at1000.appChildren, at100.appChildren);
        QCOMPARE(static_cast<int>(w.findChildren<AnswerCell*>().size()), kMaxCells);
        // The allocator and the font caches wobble a little; a leak of a
        // kilobyte a round would show well above these bounds.
        if (soak::kMemoryFiguresMeaningful) {
            QVERIFY2(at1000.heapInUse - at100.heapInUse < 512 * 1024,
                     qPrintable(QString("heap in use grew by %1 kB between round 100 and 1000")
                                    .arg((at1000.heapInUse - at100.heapInUse) / 1024)));
            QVERIFY2(at1000.resident - at100.resident < 2 * 1024 * 1024,
                     qPrintable(QString("resident memory grew by %1 kB between round 100 and 1000")
                                    .arg((at1000.resident - at100.resident) / 1024)));
        }
        // Every return to the menu wrote the settings file; it is whole.
        QVERIFY(g.iniText().contains("Dummy=OK"));
        QVERIFY(g.iniText().contains("LevelMax= 5"));
    }

    // The THIRD stage flashes the whole window yellow every three seconds.
    // Played again and again, that must not make the program grow.
    void thirdStageFlashesLeaveNoMemoryBehind()
    {
        if (!soak::kMemoryFiguresMeaningful)
            QSKIP("memory figures mean nothing under AddressSanitizer");
        GameDriver g(true, soak::iniWith(5, false));
        frmMain& w = *g.w;
        auto playThirdStage = [&w] {
            w.Level = 5;
            w.Stage = 2;
            w.StartRound();
            while (w.thirdStage->isRunning()) {
                w.thirdStage->timSt3_Timer();
                w.thirdStage->flashOff.stop();
                w.thirdStage->endFlash();
            }
            w.cmdRetire->click();
        };
        for (int i = 0; i < 5; ++i)
            playThirdStage();
        QCoreApplication::processEvents();
        const qint64 before = census(w).heapInUse;
        constexpr int kStages = 25;
        for (int i = 0; i < kStages; ++i)
            playThirdStage();
        QCoreApplication::processEvents();
        const qint64 grown = census(w).heapInUse - before;
        qInfo("heap in use grew by %lld kB over %d THIRD stages", grown / 1024, kStages);
        QVERIFY2(grown < 256 * 1024,
                 qPrintable(QString("heap in use grew by %1 kB").arg(grown / 1024)));
    }

    // The tick counter alone, over ten hours of 60 ms ticks and far beyond:
    // it settles into an eight-tick cycle past the closing tick.
    void endTickCounterStaysSmall()
    {
        int t = 0;
        QSet<int> phases;
        for (long long i = 1; i <= 10'000'000; ++i) {
            t = NextEndTick(t);
            if (i <= kEndingCloseTick + 8) {
                QCOMPARE(t, static_cast<int>(i));
            } else if (t <= kEndingCloseTick || t > kEndingCloseTick + 8) {
                QFAIL(qPrintable(QString("tick %1 gave EndTick %2").arg(i).arg(t)));
            }
            if (i > 10'000'000 - 8)
                phases.insert(FarewellBlue(t));
        }
        QCOMPARE(phases.size(), 8); // all eight shades of the flicker
        // The counter fits the 16-bit number it is meant to be.
        QVERIFY(t < SHRT_MAX);
    }

    // The real ending, waiting on a tune that never stops and with the
    // give-up switched off: 600,000 ticks of 60 ms are ten hours.
    void endingWaitsTenHours()
    {
        GameDriver g(true, soak::iniWith(5, true));
        frmMain& w = *g.w;
        selectLevel(w, 5);
        w.cmdTitleTry->click();
        g.passLevel();
        QCOMPARE(w.cmdTry->text(), QString("Good Job!!!"));
        w.cmdTry->click();
        QVERIFY(w.ending->isRunning());
        QVERIFY(w.Zorb.BGMOn);

        // The tune never reports its end and the game never gives up. The
        // real timers are stopped so that only the ticks below count.
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
            if (i % 50'000 == 0)
                QCoreApplication::processEvents(); // let the box repaint now and then
        }
        QVERIFY(w.isVisible());
        QVERIFY(w.QuitPending);
        QVERIFY(maxEndTick <= kEndingCloseTick + 8);
        QVERIFY(w.ending->EndTick > kEndingCloseTick);
        QCOMPARE(w.ending->farewellWait, kTicks - (kEndingCloseTick - 1));
        // Still flickering through its eight shades after ten hours.
        QCOMPARE(blues, (QSet<int>{0, 32, 64, 96, 128, 160, 192, 224}));
        QCOMPARE(w.txtMB->text(), QString("\r\n\r\nSee you again!"));
        QVERIFY(w.txtMB->isVisible());

        // Once the tune ends the poll closes the window and saves.
        w.tmrBGMLoop_Timer();
        QVERIFY(clsBGMAPI::instance().GetBGMStopped());
        QVERIFY(!w.isVisible());
        QVERIFY(g.iniText().contains("ClearFlg=True"));
    }
};

QTEST_MAIN(TestSoakRounds)
#include "test_soak_rounds.moc"

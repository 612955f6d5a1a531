// Measures the real game window: start-up, idle CPU, memory over many
// rounds, timer fidelity and how long a round start holds up the
// user-interface thread.
//
// Usage: bench_game MODE --dir PROGRAM_FOLDER [options]
//   prepare     fills PROGRAM_FOLDER with links to the built sounds, tunes,
//               help page and icon, and writes a settings file (--music)
//   shown       starts like the game and prints "shown_ns" at the first frame
//   idle        CPU time per minute: --where menu|round|banner --seconds S
//   memory      resident size after start-up and over --rounds N rounds
//   timers      tick intervals of timMB, timTextFlash, timResult, timEnd
//               (--ticks N intervals each)
//   roundstart  time spent in a round start with music on and off
//               (--rounds N of each)
// --music on|off sets the music switch in the settings file (default on).
// The program folder is a scratch folder: the game writes its settings there.
#include "BenchUtil.h"

#include "audio/Sound.h"
#include "audio/clsBGMAPI.h"
#include "common/clsCommon.h"
#include "effects/Ending.h"
#include "effects/MessageBoard.h"
#include "effects/TextFlash.h"
#include "game/Random.h"
#include "ui/AnswerCell.h"
#include "ui/Look.h"
#include "ui/Prompter.h"
#include "ui/SignalCloser.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QPushButton>

#include <cstdlib>
#include <memory>

using zorbel::clsBGMAPI;
using zorbel::frmMain;

namespace
{

struct Options {
    QString mode;
    QString dir;
    bool music = true;
    QString where = QStringLiteral("menu");
    int seconds = 20;
    int rounds = 100;
    int ticks = 120;
};

[[noreturn]] void usage(const char* why)
{
    std::fprintf(stderr,
                 "bench_game: %s\n"
                 "usage: bench_game prepare|shown|idle|memory|timers|roundstart --dir FOLDER\n"
                 "       [--music on|off] [--where menu|round|banner] [--seconds S]\n"
                 "       [--rounds N] [--ticks N]\n",
                 why);
    std::exit(2);
}

Options parse(int argc, char** argv)
{
    Options o;
    if (argc < 2)
        usage("no mode given");
    o.mode = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const QByteArray key = argv[i];
        if (i + 1 >= argc)
            usage("an option lacks its value");
        const QString value = QString::fromLocal8Bit(argv[++i]);
        if (key == "--dir")
            o.dir = QDir(value).absolutePath();
        else if (key == "--music")
            o.music = value != QLatin1String("off");
        else if (key == "--where")
            o.where = value;
        else if (key == "--seconds")
            o.seconds = value.toInt();
        else if (key == "--rounds")
            o.rounds = value.toInt();
        else if (key == "--ticks")
            o.ticks = value.toInt();
        else
            usage("unknown option");
    }
    if (o.dir.isEmpty())
        usage("--dir is required");
    return o;
}

// The settings file of a player who has just started: level 1, every
// switch on except, on request, the music.
void writeSettings(const QString& dir, bool music)
{
    QFile f(QDir(dir).filePath(QStringLiteral("zorbel.ini")));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
        std::exit(1);
    }
    f.write("[Dummy]\nDummy=OK\n[GameData]\nLevelMax= 1\nMaxScore1= 0\nMaxScore2= 0\n"
            "MaxScore3= 0\nMaxScore4= 0\nMaxScore5= 0\nClearFlg=False\n[Option]\n"
            "SoundOn=True\n");
    f.write(music ? "BGMOn=True\n" : "BGMOn=False\n");
    f.write("InfoOn=True\n");
}

// Links the built program files into the scratch folder, so the game finds
// its sounds and tunes there and writes its settings there, not beside the
// real program.
int prepare(const Options& o)
{
    const QDir program(QStringLiteral(ZORBEL_PROGRAM_DIR));
    QDir().mkpath(o.dir);
    const QDir target(o.dir);
    int tracks = 0, sounds = 0;
    const QStringList names =
        program.entryList({QStringLiteral("*.wav"), QStringLiteral("*.mid"),
                           QStringLiteral("zorbel.png"), QStringLiteral("html")},
                          QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        QFile::remove(target.filePath(name));
        if (!QFile::link(program.filePath(name), target.filePath(name))) {
            std::fprintf(stderr, "cannot link %s\n", qPrintable(name));
            return 1;
        }
        tracks += name.endsWith(QLatin1String(".mid"));
        sounds += name.endsWith(QLatin1String(".wav"));
    }
    writeSettings(o.dir, o.music);
    std::printf("prepare.tracks %d\nprepare.sounds %d\n", tracks, sounds);
    return 0;
}

// The same application set-up as the game's main().
void setUpApplication(QApplication& app, const QString& dir)
{
    QApplication::setApplicationName(QStringLiteral("zorbel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zorbel"));
    QGuiApplication::setDesktopFileName(QStringLiteral("zorbel"));
    zorbel::clsCommon::SetPathOverride(dir);
    zorbel::look::applyLightStyle(app);
    QApplication::setWindowIcon(QIcon(zorbel::clsCommon::GetPath() + QStringLiteral("zorbel.png")));
    QApplication::setQuitOnLastWindowClosed(false);
    frmMain::setShowSplash(false);
}

// Lets queued work, deferred deletions, paints and a track load finish.
void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    clsBGMAPI::instance().WaitForLoad();
    QCoreApplication::processEvents();
}

// Types one digit into a cell, the way a key press ends up in it.
void typeDigit(frmMain& w, int cell, int digit)
{
    w.txtAns[cell]->setText(QString(QChar(u'0' + digit)));
}

// Back to the title menu the way the player goes: メニューへ, answering the
// retire question with Yes; after a completed level Try leads there.
void backToMenu(frmMain& w)
{
    if (w.cmdRetire->isEnabled())
        w.cmdRetire_Click();
    else
        w.cmdTry_Click();
    settle();
}

// One round with every timer stepped by hand: three real-game rounds with
// typed digits, then a practice round with the demonstration.
void playRound(frmMain& w, int round)
{
    if (round % 4 == 3) {
        w.cmdTitlePractice_Click();
        settle();
        w.cmdEx_Click();
    } else {
        w.cmdTitleTry_Click();
        settle();
        while (w.banner->isRunning())
            w.banner->timMB_Timer();
        for (int i = 0; i < w.Zorb.CellCount; ++i) {
            if (!w.txtAns[i]->isEnabled() || w.txtAns[i]->isReadOnly())
                continue;
            typeDigit(w, i, zorbel::Rnd::Digit());
            while (w.flash->isRunning())
                w.flash->timTextFlash_Timer();
            if (i % 10 == 9)
                QCoreApplication::processEvents();
        }
        if (!w.cmdChk->isEnabled()) {
            std::fprintf(stderr, "round %d: the board is full but 採点 is not enabled\n", round);
            std::exit(1);
        }
        w.cmdChk_Click();
    }
    while (w.timResult.isActive())
        w.timResult_Timer();
    QCoreApplication::processEvents();
    backToMenu(w);
}

struct Game {
    explicit Game(const Options& o)
    {
        writeSettings(o.dir, o.music);
        zorbel::Prompter::setHandler([](zorbel::Prompter::Kind, const QString&, const QString&) {
            return zorbel::Prompter::Answer::Yes;
        });
        w = std::make_unique<frmMain>();
        w->Form_Load();
        w->show();
        zorbel::Rnd::Seed(20240601);
        settle();
    }
    ~Game()
    {
        w->close();
        w.reset();
        clsBGMAPI::instance().Shutdown();
        zorbel::Sound::instance().Shutdown();
    }
    std::unique_ptr<frmMain> w;
};

int shown(QApplication& app, long long mainNs)
{
    bench::mark("main", mainNs);
    bench::mark("app");
    frmMain window;
    zorbel::SignalCloser closer(&window);
    bench::FirstFrame probe(&window, bench::reportShownAndExit);
    bench::mark("built");
    window.Form_Load();
    bench::mark("loaded");
    window.show();
    return app.exec();
}

int idle(const Options& o)
{
    Game g(o);
    frmMain& w = *g.w;
    if (o.where != QLatin1String("menu")) {
        w.cmdTitleTry_Click();
        settle();
    }
    if (o.where == QLatin1String("banner")) {
        // Keep the banner running for the whole measurement.
        QObject::connect(&w.banner->timMB, &QTimer::timeout, &w, [&w] {
            if (!w.banner->isRunning())
                w.banner->start(w.Stage);
        });
    } else if (o.where == QLatin1String("round")) {
        bench::runFor(2000); // the banner's 1.6 s pass; the waiting indicator runs on
    }
    bench::runFor(1000);
    const double c0 = bench::cpuSeconds();
    const long long t0 = bench::monotonicNs();
    bench::runFor(o.seconds * 1000);
    const double cpu = bench::cpuSeconds() - c0;
    const double wall = static_cast<double>(bench::monotonicNs() - t0) / 1e9;
    const QByteArray key = "idle." + o.where.toLatin1() + (o.music ? ".music_on" : ".music_off");
    std::printf("%s.cpu_s_per_min %.4f\n", key.constData(), cpu / wall * 60.0);
    std::printf("%s.core_pct %.4f\n", key.constData(), cpu / wall * 100.0);
    if (o.where == QLatin1String("round") && w.banner->isRunning())
        std::fprintf(stderr, "the banner was still running during the measurement\n");
    return 0;
}

void printMemory(const char* when)
{
    std::printf("memory.%s.peak_mb %.1f\n", when, bench::mb(bench::statusKb("VmHWM")));
    std::printf("memory.%s.rss_mb %.1f\n", when, bench::mb(bench::statusKb("VmRSS")));
    std::printf("memory.%s.heap_mb %.2f\n", when, bench::heapInUseMb());
}

int memory(const Options& o)
{
    Game g(o);
    bench::runFor(500);
    printMemory("startup");
    for (int round = 1; round <= o.rounds; ++round) {
        playRound(*g.w, round);
        if (round == 10)
            printMemory("round10");
    }
    printMemory("final");
    std::printf("memory.rounds %d\n", o.rounds);
    return 0;
}

// Logs `ticks` intervals of one timer under the real event loop. `restart`
// starts the effect again whenever its tick handler has stopped it.
bench::TickStats collect(QTimer& timer, int ticks, const std::function<void()>& start,
                         const std::function<bool()>& running, const std::function<void()>& restart)
{
    bench::TickLog log;
    bool done = false;
    // Connected after the effect's own handler, so it runs after each tick.
    const auto c = QObject::connect(&timer, &QTimer::timeout, [&] {
        if (done)
            return;
        log.tick();
        if (static_cast<int>(log.intervals.size()) >= ticks) {
            done = true;
            QCoreApplication::exit(0);
            return;
        }
        if (!running()) {
            log.newRun();
            restart();
        }
    });
    start();
    QCoreApplication::exec();
    QObject::disconnect(c);
    timer.stop();
    return bench::tickStats(log.intervals, timer.interval());
}

int timers(const Options& o)
{
    Game g(o);
    frmMain& w = *g.w;
    bench::runFor(500);

    // The stage banner of a real-game round, started again when it ends.
    const auto mb = collect(
        w.banner->timMB, o.ticks,
        [&w] {
            w.cmdTitleTry_Click();
            settle();
        },
        [&w] { return w.banner->isRunning(); }, [&w] { w.banner->start(w.Stage); });
    w.banner->stop();

    // The flash of a typed digit: nine ticks, then the next digit.
    int typed = 0;
    auto typeNext = [&w, &typed] {
        // Each pass over the board types other digits, so every cell changes.
        const int n = w.Zorb.CellCount;
        typeDigit(w, typed % n, (typed + typed / n) % 10);
        ++typed;
    };
    const auto flash = collect(
        w.flash->timTextFlash, o.ticks, typeNext, [&w] { return w.flash->isRunning(); }, typeNext);

    // The result count-down of a practice round, scored again when it ends.
    backToMenu(w);
    const auto result = collect(
        w.timResult, o.ticks,
        [&w] {
            w.cmdTitlePractice_Click();
            settle();
            w.cmdEx_Click();
        },
        [&w] { return w.timResult.isActive(); }, [&w] { w.cmdChk_Click(); });

    // The ending; it closes the window on its 181st tick, so it is measured
    // only up to there.
    const int endTicks = std::min(o.ticks, 170);
    const auto end = collect(
        w.ending->timEnd, endTicks, [&w] { w.ending->start(); },
        [&w] { return w.ending->isRunning(); }, [] {});

    bench::printTicks("timers.timMB", mb);
    bench::printTicks("timers.timTextFlash", flash);
    bench::printTicks("timers.timResult", result);
    bench::printTicks("timers.timEnd", end);
    return 0;
}

int roundStart(const Options& o)
{
    Game g(o);
    frmMain& w = *g.w;
    clsBGMAPI& bgm = clsBGMAPI::instance();
    std::vector<double> on, off;
    for (int i = 0; i < 2 * o.rounds; ++i) {
        // Alternate, so drift on a shared machine hits both alike.
        const bool music = (i % 2 == 0) == (i / 2 % 2 == 0);
        w.Zorb.BGMOn = music;
        bgm.BGMOnOff(music);
        w.ReturnToMenu(); // the title tune plays when the music is on
        settle();
        bench::runFor(100);
        const long long t0 = bench::monotonicNs();
        w.cmdTitleTry_Click(); // starts the round and its own tune
        const double ms = static_cast<double>(bench::monotonicNs() - t0) / 1e6;
        (music ? on : off).push_back(ms);
        settle();
        backToMenu(w);
    }
    auto print = [](const char* name, std::vector<double> v) {
        std::sort(v.begin(), v.end());
        std::printf("roundstart.%s.median_ms %.3f\n", name, bench::median(v));
        std::printf("roundstart.%s.max_ms %.3f\n", name, v.back());
    };
    print("music_on", on);
    print("music_off", off);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const long long mainNs = bench::monotonicNs();
    const Options o = parse(argc, argv);
    if (o.mode == QLatin1String("prepare"))
        return prepare(o);

    QApplication app(argc, argv);
    setUpApplication(app, o.dir);
    if (o.mode == QLatin1String("shown"))
        return shown(app, mainNs);
    if (o.mode == QLatin1String("idle"))
        return idle(o);
    if (o.mode == QLatin1String("memory"))
        return memory(o);
    if (o.mode == QLatin1String("timers"))
        return timers(o);
    if (o.mode == QLatin1String("roundstart"))
        return roundStart(o);
    usage("unknown mode");
}

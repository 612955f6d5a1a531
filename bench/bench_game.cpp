// Measures the real game window: start-up, idle CPU, memory over many
// rounds, timer fidelity and how long a round start holds up the
// user-interface thread.
//
// Usage: bench_game MODE --dir SETTINGS_FOLDER [options]
//   prepare     writes a settings file into SETTINGS_FOLDER (--music)
//   shown       starts like the game and prints "shown_ns" at the first frame
//   idle        CPU time per minute: --where menu|round|banner --seconds S
//   memory      resident size after start-up and over --rounds N rounds
//   timers      tick intervals of timMB, timTextFlash, timResult, timEnd
//               (--ticks N intervals each)
//   roundstart  time spent in a round start with music on and off
//               (--rounds N of each)
// --music on|off sets the music switch in the settings file (default on).
// The settings folder is a scratch folder: the game writes its settings there.
#include "BenchUtil.h"

#include "audio/Sound.h"
#include "audio/clsBGMAPI.h"
#include "effects/Ending.h"
#include "effects/Look.h"
#include "effects/MessageBoard.h"
#include "effects/TextFlash.h"
#include "game/Random.h"
#include "settings/INI.h"
#include "ui/Prompter.h"
#include "ui/RoundFlow.h"
#include "ui/SignalCloser.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdint>
#include <cstdlib>
#include <memory>

using zorbel::frmMain;

// The build folder is the game's program folder: the game, its sounds, tunes,
// help page and icon.
const QString kProgramDir = QStringLiteral(ZORBEL_PROGRAM_DIR "/");

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
    QDir().mkpath(dir);
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

// Writes the settings file and checks that the build holds the program's
// sounds and tunes.
int prepare(const Options& o)
{
    const QDir program(kProgramDir);
    writeSettings(o.dir, o.music);
    std::printf("prepare.tracks %lld\nprepare.sounds %lld\n",
                static_cast<long long>(program.entryList({QStringLiteral("*.mid")}).size()),
                static_cast<long long>(program.entryList({QStringLiteral("*.wav")}).size()));
    return 0;
}

// The same application set-up as the game's main().
void setUpApplication(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("zorbel"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.zorbel.Zorbel"));
    zorbel::installQtJapanese(app);
    zorbel::look::applyLightStyle(app);
    QApplication::setWindowIcon(QIcon(kProgramDir + QStringLiteral("zorbel.png")));
    QApplication::setQuitOnLastWindowClosed(false);
}

// Answers every question Yes (retiring from a round) and opens nothing.
class YesPrompter final : public zorbel::Prompter
{
public:
    bool askYesNo(QWidget*, const QString&, const QString&) override { return true; }
    void showError(QWidget*, const QString&, const QString& text) override
    {
        std::fprintf(stderr, "error box: %s\n", qPrintable(text));
    }
    bool ShellExe(const QString&, const QString&) override { return true; }
};

// The window and what it is handed, built as main() builds them (without
// the splash screen), and the parts the benchmarks drive, found by name.
struct Game {
    explicit Game(const QString& dir) : settings(dir)
    {
        for (int i = 0; i < zorbel::kMaxCells; ++i)
            cells.append(w.findChild<QLineEdit*>(QStringLiteral("txtAns%1").arg(i)));
        if (!flow || !banner || !flash || !ending || cells.contains(nullptr))
            qFatal("bench_game: the window lacks a part the benchmarks drive");
    }
    ~Game() { w.close(); }

    QPushButton* button(const char* name)
    {
        auto* b = w.findChild<QPushButton*>(QLatin1String(name));
        if (!b)
            qFatal("bench_game: no button %s", name);
        return b;
    }
    void click(const char* name) { button(name)->click(); }
    bool enabled(const char* name) { return button(name)->isEnabled(); }
    // Lets queued work, deferred deletions, paints and a track load finish.
    void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        music.WaitForLoad();
        QCoreApplication::processEvents();
    }
    int stage() const { return zorbel::StageNumber(flow->Stage()); }

    zorbel::Sound sound{kProgramDir};
    zorbel::clsBGMAPI music{kProgramDir};
    YesPrompter prompter;
    zorbel::INI settings;
    zorbel::Random random;
    frmMain w{{sound, music, prompter, settings, random, kProgramDir, false}};
    zorbel::RoundFlow* flow = w.findChild<zorbel::RoundFlow*>(QStringLiteral("flow"));
    zorbel::MessageBoard* banner = w.findChild<zorbel::MessageBoard*>();
    zorbel::TextFlash* flash = w.findChild<zorbel::TextFlash*>();
    zorbel::Ending* ending = w.findChild<zorbel::Ending*>();
    QList<QLineEdit*> cells;
};

// A new player's settings, the window loaded and shown, a fixed seed.
void start(Game& g, const Options& o)
{
    writeSettings(o.dir, o.music);
    g.w.Form_Load();
    g.w.show();
    g.random.Seed(20240601);
    g.settle();
}

// Back to the title menu the way the player goes: メニューへ, answering the
// retire question with Yes; after a completed level Try leads there.
void backToMenu(Game& g)
{
    g.click(g.enabled("cmdRetire") ? "cmdRetire" : "cmdTry");
    g.settle();
}

// One round with every timer stepped by hand: three real-game rounds with
// typed digits, then a practice round with the demonstration.
void playRound(Game& g, int round)
{
    if (round % 4 == 3) {
        g.click("cmdTitlePractice");
        g.settle();
        g.click("cmdEx");
    } else {
        g.click("cmdTitleTry");
        g.settle();
        while (g.banner->isRunning())
            g.banner->timMB_Timer();
        for (int i = 0; i < g.flow->CellCount(); ++i) {
            if (!g.cells[i]->isEnabled() || g.cells[i]->isReadOnly())
                continue;
            g.cells[i]->setText(QString(QChar(u'0' + g.random.Digit())));
            while (g.flash->isRunning())
                g.flash->timTextFlash_Timer();
            if (i % 10 == 9)
                QCoreApplication::processEvents();
        }
        if (!g.enabled("cmdChk"))
            qFatal("round %d: the board is full but 採点 is not enabled", round);
        g.click("cmdChk");
    }
    while (g.flow->Counting())
        g.flow->timResult_Timer();
    QCoreApplication::processEvents();
    backToMenu(g);
}

// The timer of an effect, found by its design name; `tick` runs right after
// the effect's own handler on every timeout.
QTimer* watchTimer(QObject* effect, const char* name, QObject* context, std::function<void()> tick)
{
    auto* timer = effect->findChild<QTimer*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
    if (!timer) {
        std::fprintf(stderr, "no timer %s\n", name);
        std::exit(1);
    }
    QObject::connect(timer, &QTimer::timeout, context, std::move(tick));
    return timer;
}

int shown(const Options& o, long long mainNs)
{
    bench::mark("main", mainNs);
    bench::mark("app");
    Game g(o.dir);
    zorbel::SignalCloser closer(&g.w);
    bench::FirstFrame probe(&g.w, bench::reportShownAndExit);
    bench::mark("built");
    g.w.Form_Load();
    bench::mark("loaded");
    g.w.show();
    return QCoreApplication::exec();
}

int idle(const Options& o)
{
    Game g(o.dir);
    start(g, o);
    if (o.where != QLatin1String("menu")) {
        g.click("cmdTitleTry");
        g.settle();
    }
    // "banner": the banner starts again whenever it ends.
    QObject again;
    if (o.where == QLatin1String("banner"))
        watchTimer(g.banner, "timMB", &again, [&g] {
            if (!g.banner->isRunning())
                g.banner->start(g.stage());
        });
    if (o.where == QLatin1String("round"))
        bench::runFor(2000); // the banner's 1.6 s pass; the waiting indicator runs on
    bench::runFor(1000);
    const double c0 = bench::cpuSeconds();
    const long long t0 = bench::monotonicNs();
    bench::runFor(o.seconds * 1000);
    const double cpu = bench::cpuSeconds() - c0;
    const double wall = static_cast<double>(bench::monotonicNs() - t0) / 1e9;
    const QByteArray key = "idle." + o.where.toLatin1() + (o.music ? ".music_on" : ".music_off");
    std::printf("%s.cpu_s_per_min %.4f\n", key.constData(), cpu / wall * 60.0);
    std::printf("%s.core_pct %.4f\n", key.constData(), cpu / wall * 100.0);
    if (o.where == QLatin1String("round") && g.banner->isRunning())
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
    Game g(o.dir);
    start(g, o);
    bench::runFor(500);
    printMemory("startup");
    for (int round = 1; round <= o.rounds; ++round) {
        playRound(g, round);
        if (round == 10)
            printMemory("round10");
    }
    printMemory("final");
    std::printf("memory.rounds %d\n", o.rounds);
    return 0;
}

// Logs `ticks` intervals of an effect's timer under the real event loop.
// `restart` starts the effect again whenever its tick handler has stopped it.
bench::TickStats collect(QObject* effect, const char* timerName, int ticks,
                         const std::function<void()>& start, const std::function<bool()>& running,
                         const std::function<void()>& restart)
{
    bench::TickLog log;
    bool done = false;
    QObject context;
    QTimer* timer = watchTimer(effect, timerName, &context, [&] {
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
    timer->stop();
    return bench::tickStats(log.intervals, timer->interval());
}

int timers(const Options& o)
{
    Game g(o.dir);
    start(g, o);
    bench::runFor(500);

    // The stage banner of a real-game round, started again when it ends.
    const auto mb = collect(
        g.banner, "timMB", o.ticks,
        [&g] {
            g.click("cmdTitleTry");
            g.settle();
        },
        [&g] { return g.banner->isRunning(); }, [&g] { g.banner->start(g.stage()); });
    g.banner->stop();

    // The flash of a typed digit: nine ticks, then the next digit.
    int typed = 0;
    auto typeNext = [&g, &typed] {
        // Each pass over the board types other digits, so every cell changes.
        const int n = g.flow->CellCount();
        g.cells[typed % n]->setText(QString(QChar(u'0' + (typed + typed / n) % 10)));
        ++typed;
    };
    const auto flash = collect(
        g.flash, "timTextFlash", o.ticks, typeNext, [&g] { return g.flash->isRunning(); }, typeNext);

    // The result count-down of a practice round, scored again when it ends.
    backToMenu(g);
    const auto result = collect(
        g.flow, "timResult", o.ticks,
        [&g] {
            g.click("cmdTitlePractice");
            g.settle();
            g.click("cmdEx");
        },
        [&g] { return g.flow->Counting(); }, [&g] { g.click("cmdChk"); });

    // The ending; it closes the window on its 181st tick, so it is measured
    // only up to there.
    const auto end = collect(
        g.ending, "timEnd", std::min(o.ticks, 170), [&g] { g.ending->start(g.flow->Options().BGMOn); },
        [&g] { return g.ending->isRunning(); }, [] {});

    bench::printTicks("timers.timMB", mb);
    bench::printTicks("timers.timTextFlash", flash);
    bench::printTicks("timers.timResult", result);
    bench::printTicks("timers.timEnd", end);
    return 0;
}

int roundStart(const Options& o)
{
    Game g(o.dir);
    start(g, o);
    std::vector<double> on, off;
    // Alternate (on off off on ...), so drift on a shared machine hits both
    // alike. Each setting is made before going back to the menu, so the
    // title tune plays there when the music is on.
    auto musicFor = [](int i) { return (i % 2 == 0) == (i / 2 % 2 == 0); };
    for (int i = 0; i < 2 * o.rounds; ++i) {
        const bool music = musicFor(i);
        bench::runFor(100);
        const long long t0 = bench::monotonicNs();
        g.click("cmdTitleTry"); // starts the round and its own tune
        const double ms = static_cast<double>(bench::monotonicNs() - t0) / 1e6;
        (music ? on : off).push_back(ms);
        g.settle();
        zorbel::OptionFlags options = g.flow->Options();
        options.BGMOn = musicFor(i + 1);
        g.flow->SetOptions(options);
        g.music.BGMOnOff(musicFor(i + 1));
        backToMenu(g);
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
    setUpApplication(app);
    if (o.mode == QLatin1String("shown"))
        return shown(o, mainNs);
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

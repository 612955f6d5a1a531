// The baseline for the game's measurements: a bare Qt Widgets window of the
// game window's size, with nothing in it, started and run the same way.
//
// Usage: bare_window [--shown | --idle SECONDS | --rss | --timers TICKS]
//   --shown   (default) prints "shown_ns" at the first frame and exits
//   --idle    CPU time used while the window sits idle
//   --rss     resident size once the window is up
//   --timers  tick intervals of plain precise 40, 50 and 60 ms timers
#include "BenchUtil.h"

#include <QApplication>
#include <QWidget>

#include <cstdlib>
#include <cstring>

namespace
{

// The game window is 6630 x 4560 twips, 442 x 304 pixels.
constexpr int kWidth = 442;
constexpr int kHeight = 304;

void timerBaseline(int ticks)
{
    for (int nominal : {40, 50, 60}) {
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(nominal);
        bench::TickLog log;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            log.tick();
            if (static_cast<int>(log.intervals.size()) >= ticks)
                QCoreApplication::exit(0);
        });
        timer.start();
        QCoreApplication::exec();
        timer.stop();
        const QByteArray name = "bare.timer" + QByteArray::number(nominal);
        bench::printTicks(name.constData(), bench::tickStats(log.intervals, nominal));
    }
}

} // namespace

int main(int argc, char** argv)
{
    const long long mainNs = bench::monotonicNs();
    QApplication app(argc, argv);
    const long long appNs = bench::monotonicNs();
    const char* mode = argc > 1 ? argv[1] : "--shown";
    const int arg = argc > 2 ? std::atoi(argv[2]) : 0;

    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(kWidth, kHeight);

    if (std::strcmp(mode, "--shown") == 0) {
        bench::mark("main", mainNs);
        bench::mark("app", appNs);
        bench::FirstFrame probe(&window, bench::reportShownAndExit);
        window.show();
        return app.exec();
    }

    window.show();
    bench::runFor(1000); // let the first frames and any start-up work pass

    if (std::strcmp(mode, "--idle") == 0) {
        const double c0 = bench::cpuSeconds();
        const long long t0 = bench::monotonicNs();
        bench::runFor(arg * 1000);
        const double cpu = bench::cpuSeconds() - c0;
        const double wall = static_cast<double>(bench::monotonicNs() - t0) / 1e9;
        std::printf("bare.idle.cpu_s_per_min %.4f\n", cpu / wall * 60.0);
        std::printf("bare.idle.core_pct %.4f\n", cpu / wall * 100.0);
    } else if (std::strcmp(mode, "--rss") == 0) {
        std::printf("bare.rss.peak_mb %.1f\n", bench::mb(bench::statusKb("VmHWM")));
        std::printf("bare.rss.now_mb %.1f\n", bench::mb(bench::statusKb("VmRSS")));
    } else if (std::strcmp(mode, "--timers") == 0) {
        timerBaseline(arg > 0 ? arg : 100);
    } else {
        std::fprintf(stderr, "unknown mode %s\n", mode);
        return 2;
    }
    return 0;
}

// Small measuring helpers shared by the benchmark programs: clocks, CPU
// time, resident size, tick statistics and the "first frame" probe.
//
// Every program prints its results as "key value" lines on standard output,
// which bench/run.sh collects into one table.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <malloc.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace bench
{

// CLOCK_MONOTONIC is one clock for the whole machine, so a time taken in a
// child process can be compared with one taken in its launcher.
inline long long monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// User plus system CPU time of the whole process (all its threads).
inline double cpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

// A "Vm...:" line of /proc/self/status in kB, or -1.
inline long statusKb(const char* key)
{
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long value = -1;
    const std::size_t n = std::strlen(key);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, key, n) == 0 && line[n] == ':') {
            value = std::strtol(line + n + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(f);
    return value;
}

inline double mb(long kb)
{
    return static_cast<double>(kb) / 1024.0;
}

// Bytes the C heap has handed out and not taken back.
inline double heapInUseMb()
{
    return static_cast<double>(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

inline double median(std::vector<double> v)
{
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2.0;
}

// Intervals between the ticks of one timer, against its nominal interval.
struct TickStats {
    int intervals = 0;
    double meanInterval = 0;   // ms
    double meanDeviation = 0;  // mean of |interval - nominal|, ms
    double worstDeviation = 0; // largest |interval - nominal|, ms
    int missed = 0;            // gaps longer than 1.5 times the nominal interval
};

inline TickStats tickStats(const std::vector<double>& intervalsMs, double nominalMs)
{
    TickStats s;
    s.intervals = static_cast<int>(intervalsMs.size());
    if (intervalsMs.empty())
        return s;
    double sum = 0, dev = 0;
    for (double d : intervalsMs) {
        sum += d;
        const double off = std::fabs(d - nominalMs);
        dev += off;
        s.worstDeviation = std::max(s.worstDeviation, off);
        if (d > 1.5 * nominalMs)
            ++s.missed;
    }
    s.meanInterval = sum / s.intervals;
    s.meanDeviation = dev / s.intervals;
    return s;
}

inline void printTicks(const char* name, const TickStats& s)
{
    std::printf("%s.intervals %d\n", name, s.intervals);
    std::printf("%s.mean_interval_ms %.3f\n", name, s.meanInterval);
    std::printf("%s.mean_dev_ms %.3f\n", name, s.meanDeviation);
    std::printf("%s.worst_dev_ms %.3f\n", name, s.worstDeviation);
    std::printf("%s.missed %d\n", name, s.missed);
}

// Logs the intervals between the timeouts of one timer. Only ticks of the
// same run are paired: call newRun() whenever the timer is started afresh.
class TickLog
{
public:
    void tick()
    {
        const long long now = monotonicNs();
        if (last_ >= 0)
            intervals.push_back(static_cast<double>(now - last_) / 1e6);
        last_ = now;
    }
    void newRun() { last_ = -1; }
    std::vector<double> intervals;

private:
    long long last_ = -1;
};

// Notes the time a start-up step was reached, for the launcher. Standard
// output is a pipe there, so this is only buffered until the first frame.
inline void mark(const char* step, long long ns = monotonicNs())
{
    std::printf("%s_ns %lld\n", step, ns);
}

// Calls `done` once, right after the watched widget's first paint has been
// handled: the queued call runs when the whole frame (children included) has
// been painted and handed to the platform.
class FirstFrame : public QObject
{
public:
    FirstFrame(QObject* watched, std::function<void()> done) : done_(std::move(done))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && done_) {
            mark("paint"); // the first paint begins
            watched->removeEventFilter(this);
            auto done = std::move(done_);
            done_ = nullptr;
            QTimer::singleShot(0, this, std::move(done));
        }
        return false;
    }

private:
    std::function<void()> done_;
};

// Prints the monotonic time of the first frame for the launcher and leaves
// at once: what happens after the window is up is not part of start-up.
inline void reportShownAndExit()
{
    mark("shown");
    // CPU time does not depend on what else the machine is doing.
    std::printf("cpu_ms %.3f\n", cpuSeconds() * 1000.0);
    std::fflush(stdout);
    std::_Exit(0);
}

// Runs the event loop for `ms` milliseconds.
inline void runFor(int ms)
{
    QTimer t;
    t.setSingleShot(true);
    t.setTimerType(Qt::PreciseTimer);
    QObject::connect(&t, &QTimer::timeout, QCoreApplication::instance(),
                     [] { QCoreApplication::exit(0); });
    t.start(ms);
    QCoreApplication::exec();
}

} // namespace bench

// Times programs from process start to their first frame.
//
// Usage: bench_startup RUNS PROGRAM [ARGS...] [--vs PROGRAM [ARGS...]]
// Each program must print "shown_ns <CLOCK_MONOTONIC ns>" when its window's
// first frame is done, then exit. The launcher reads the clock just before
// it spawns the process, so the figure covers loading the program and its
// libraries too. With --vs the two programs run in turn (A B B A ...), so a
// busy moment on a shared machine hits both alike; one run of each before
// the timed ones fills the file cache.
//
// Prints "<label>.median_ms", "<label>.min_ms" and "<label>.max_ms" for
// label a and, with --vs, b. Any other "<name>_ns <time>" line a program
// prints marks a step of its start-up: "<label>.<name>.median_ms" gives the
// median time from spawn to that step. A "<name>_ms <value>" line is a
// figure of its own (such as CPU time) whose median is reported the same way.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace
{

long long monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

using Marks = std::map<std::string, double>; // step -> ms since spawn

// Runs the program once and fills `marks` with the milliseconds from spawn to
// each step it reported ("shown" is the first frame); false when it never
// reported its first frame.
bool runOnce(const std::vector<char*>& argv, int timeoutMs, Marks& marks)
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);

    const long long start = monotonicNs();
    pid_t pid = -1;
    const int err = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (err != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", argv[0], std::strerror(err));
        close(fds[0]);
        return false;
    }

    std::string out;
    char buf[512];
    const long long deadline = start + static_cast<long long>(timeoutMs) * 1000000LL;
    for (;;) {
        const long long left = (deadline - monotonicNs()) / 1000000LL;
        if (left <= 0)
            break;
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0)
            break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }

    marks.clear();
    std::istringstream lines(out);
    std::string key;
    std::string value;
    while (lines >> key >> value) {
        const auto ends = [&key](const char* suffix) {
            const std::size_t n = std::strlen(suffix);
            return key.size() > n && key.compare(key.size() - n, n, suffix) == 0;
        };
        if (ends("_ns"))
            marks[key.substr(0, key.size() - 3)] =
                static_cast<double>(std::atoll(value.c_str()) - start) / 1e6;
        else if (ends("_ms"))
            marks[key.substr(0, key.size() - 3)] = std::atof(value.c_str());
    }
    if (!marks.count("shown")) {
        std::fprintf(stderr, "%s reported no first frame\n", argv[0]);
        return false;
    }
    return true;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2.0;
}

void report(const char* label, const std::map<std::string, std::vector<double>>& runs)
{
    const std::vector<double>& shown = runs.at("shown");
    std::printf("%s.median_ms %.1f\n%s.min_ms %.1f\n%s.max_ms %.1f\n%s.runs %zu\n", label,
                median(shown), label, *std::min_element(shown.begin(), shown.end()), label,
                *std::max_element(shown.begin(), shown.end()), label, shown.size());
    for (const auto& [step, v] : runs)
        if (step != "shown")
            std::printf("%s.%s.median_ms %.1f\n", label, step.c_str(), median(v));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_startup RUNS PROGRAM [ARGS...] [--vs PROGRAM ...]\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    std::vector<char*> a, b;
    std::vector<char*>* cur = &a;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--vs") == 0) {
            cur = &b;
            continue;
        }
        cur->push_back(argv[i]);
    }
    a.push_back(nullptr);
    if (!b.empty())
        b.push_back(nullptr);

    constexpr int kTimeoutMs = 30000;
    std::map<std::string, std::vector<double>> ta, tb;
    Marks marks;
    bool ok = runOnce(a, kTimeoutMs, marks) && (b.empty() || runOnce(b, kTimeoutMs, marks));
    for (int i = 0; ok && i < runs; ++i) {
        const bool aFirst = b.empty() || (i % 2 == 0) == (i / 2 % 2 == 0);
        for (int k = 0; k < (b.empty() ? 1 : 2); ++k) {
            const bool isA = (k == 0) == aFirst;
            if (!runOnce(isA ? a : b, kTimeoutMs, marks)) {
                ok = false;
                break;
            }
            for (const auto& [step, ms] : marks)
                (isA ? ta : tb)[step].push_back(ms);
        }
    }
    if (!ok)
        return 1;
    report("a", ta);
    if (!b.empty())
        report("b", tb);
    return 0;
}

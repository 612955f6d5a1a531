#include "ui/SignalCloser.h"

#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace zorbel
{

namespace
{
int g_fds[2] = {-1, -1};

// Only async-signal-safe work here: one byte down the pipe, read later by
// the event loop.
extern "C" void onUnixSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(g_fds[0], &byte, 1);
}
} // namespace

SignalCloser::SignalCloser(QWidget* window) : QObject(window), window_(window)
{
    if (g_fds[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_fds) != 0)
        return;
    notifier_ = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SignalCloser::onSignal);

    struct sigaction sa = {};
    sa.sa_handler = onUnixSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
}

SignalCloser::~SignalCloser()
{
    struct sigaction sa = {};
    sa.sa_handler = SIG_DFL;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
}

void SignalCloser::onSignal()
{
    char buf[16];
    [[maybe_unused]] ssize_t n = ::read(g_fds[1], buf, sizeof buf);
    window_->close();
}

} // namespace zorbel

#include "SessionEndSignals.h"

#include <QDebug>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// [0] is written by the handler, [1] read on the event loop.
int g_pipe[2] = {-1, -1};

// A signal handler may only do async-signal-safe work: it hands the signal's
// number to the event loop through the socket and returns.
void onSignal(int signalNumber)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // A full socket means the loop has a wake-up pending already.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[0], &byte, 1);
    errno = saved;
}

constexpr int kCount = sizeof(kSignals) / sizeof(kSignals[0]);
struct sigaction g_previous[kCount];
bool g_taken[kCount] = {};

void takeSignals()
{
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < kCount; ++i) {
        // A signal the session ignores (started with nohup) stays ignored:
        // a closed terminal must not quit the program then.
        g_taken[i] = ::sigaction(kSignals[i], nullptr, &g_previous[i]) == 0 && g_previous[i].sa_handler != SIG_IGN;
        if (g_taken[i])
            ::sigaction(kSignals[i], &action, nullptr);
    }
}

void giveSignalsBack()
{
    for (int i = 0; i < kCount; ++i) {
        if (g_taken[i])
            ::sigaction(kSignals[i], &g_previous[i], nullptr);
        g_taken[i] = false;
    }
}

}

void SessionEndSignals::ignoreFromNowOn()
{
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (int i = 0; i < kCount; ++i) {
        if (!g_taken[i])
            continue;
        ::sigaction(kSignals[i], &ignore, nullptr);
        g_previous[i] = ignore;
    }
}

SessionEndSignals::SessionEndSignals(QObject* parent) : QObject(parent)
{
    if (g_pipe[0] >= 0) {
        qWarning() << "session-end signals: already handled by another object";
        return;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) {
        qWarning() << "session-end signals: no socket pair:" << strerror(errno);
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    m_notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SessionEndSignals::readPending);
    takeSignals();
}

SessionEndSignals::~SessionEndSignals()
{
    if (!m_notifier)
        return;
    giveSignalsBack();
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void SessionEndSignals::readPending()
{
    unsigned char byte = 0;
    while (::read(g_pipe[1], &byte, 1) == 1) {
        qInfo() << "session-end signal" << int(byte);
        emit endRequested(int(byte));
    }
}

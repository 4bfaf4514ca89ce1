#include "CrashSignals.h"

#include <execinfo.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace {

struct Slot
{
    int signal;
    int kind;
    struct sigaction previous;
    bool installed;
};

Slot g_slots[] = {
    {SIGSEGV, CrashSignals::Faults, {}, false},
    {SIGBUS, CrashSignals::Faults, {}, false},
    {SIGFPE, CrashSignals::Faults, {}, false},
    {SIGILL, CrashSignals::Faults, {}, false},
    {SIGABRT, CrashSignals::Aborts, {}, false},
};

CrashSignals::Entry g_entry = nullptr;
// Large enough for the handler's frame, the captured backtrace and the
// unwinder, even when the crash was a stack overflow.
constexpr std::size_t kAltStackSize = 256 * 1024;

void onSignal(int signal, siginfo_t* info, void*)
{
    const int savedErrno = errno;
    CrashSignals::Crash crash;
    crash.signal = signal;
    crash.code = info ? info->si_code : 0;
    crash.faultAddress = reinterpret_cast<std::uintptr_t>(info ? info->si_addr : nullptr);
    crash.threadId = CrashSignals::currentThreadId();
    // The other thread cannot walk this thread's stack: take it here.
    crash.frameCount = backtrace(crash.frames, CrashSignals::kMaxFrames);
    if (g_entry)
        g_entry(crash);
    errno = savedErrno;
}

bool installOne(Slot& slot)
{
    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_sigaction = &onSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    return sigaction(slot.signal, &action, slot.installed ? nullptr : &slot.previous) == 0;
}

bool giveThreadAltStack()
{
    stack_t current;
    if (sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE)
        && current.ss_size >= kAltStackSize)
        return true;
    // Never freed: the stack must outlive every crash of this thread. Kept
    // per thread so that leak checkers see it as owned memory.
    static thread_local char* altStack = nullptr;
    if (!altStack)
        altStack = new char[kAltStackSize];
    stack_t stack;
    stack.ss_sp = altStack;
    stack.ss_size = kAltStackSize;
    stack.ss_flags = 0;
    return sigaltstack(&stack, nullptr) == 0;
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

bool writeText(int fd, const char* text)
{
    return writeAll(fd, text, std::strlen(text));
}

bool writeNumber(int fd, long value)
{
    char buffer[24];
    char* end = buffer + sizeof(buffer);
    char* p = end;
    const bool negative = value < 0;
    unsigned long magnitude = negative ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    do {
        *--p = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative)
        *--p = '-';
    return writeAll(fd, p, std::size_t(end - p));
}

bool writeHex(int fd, std::uintptr_t value)
{
    char buffer[2 + 2 * sizeof(value)];
    buffer[0] = '0';
    buffer[1] = 'x';
    for (std::size_t i = 0; i < 2 * sizeof(value); ++i) {
        const unsigned digit = unsigned(value >> (4 * (2 * sizeof(value) - 1 - i))) & 0xf;
        buffer[2 + i] = char(digit < 10 ? '0' + digit : 'a' + digit - 10);
    }
    return writeAll(fd, buffer, sizeof(buffer));
}

const char* signalName(int signal)
{
    switch (signal) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    case SIGABRT: return "SIGABRT";
    default: return "unknown";
    }
}

}

bool CrashSignals::install(int kinds, Entry entry)
{
    g_entry = entry;
    // The first backtrace() loads the unwinder, which allocates: do it now,
    // never for the first time inside a crash.
    void* warmUp[1];
    backtrace(warmUp, 1);
    giveThreadAltStack();
    bool any = false;
    for (Slot& slot : g_slots) {
        if (!(kinds & slot.kind))
            continue;
        if (installOne(slot)) {
            slot.installed = true;
            any = true;
        }
    }
    return any;
}

void CrashSignals::restorePrevious()
{
    for (Slot& slot : g_slots) {
        if (slot.installed)
            sigaction(slot.signal, &slot.previous, nullptr);
    }
}

void CrashSignals::reinstall()
{
    for (Slot& slot : g_slots) {
        if (slot.installed)
            installOne(slot);
    }
}

void CrashSignals::useDefault(int signal)
{
    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

void CrashSignals::resend(int signal)
{
    syscall(SYS_tgkill, getpid(), currentThreadId(), signal);
}

void CrashSignals::parkForever()
{
    for (;;)
        pause();
}

long CrashSignals::currentThreadId()
{
    return static_cast<long>(syscall(SYS_gettid));
}

bool CrashSignals::writeReport(const char* path, const Crash& crash, long handlerThreadId, const char* note)
{
    // The report quotes the log's note: only the author may read it.
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = writeText(fd, "crash report\nsignal: ") && writeNumber(fd, crash.signal)
        && writeText(fd, " ") && writeText(fd, signalName(crash.signal))
        && writeText(fd, "\ncode: ") && writeNumber(fd, crash.code)
        && writeText(fd, "\nfault address: ") && writeHex(fd, crash.faultAddress)
        && writeText(fd, "\nprocess: ") && writeNumber(fd, static_cast<long>(getpid()))
        && writeText(fd, "\ncrashed thread: ") && writeNumber(fd, crash.threadId)
        && writeText(fd, "\nhandler thread: ") && writeNumber(fd, handlerThreadId)
        && writeText(fd, "\n") && (!note || writeText(fd, note))
        && writeText(fd, "backtrace:\n");
    if (ok && crash.frameCount > 0)
        backtrace_symbols_fd(const_cast<void* const*>(crash.frames), crash.frameCount, fd);
    ok = ok && writeText(fd, "end of report\n") && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

CrashWakeup::CrashWakeup()
{
    if (::pipe2(m_fds, O_CLOEXEC) != 0) {
        m_fds[0] = -1;
        m_fds[1] = -1;
    }
}

CrashWakeup::~CrashWakeup()
{
    for (int fd : m_fds) {
        if (fd >= 0)
            ::close(fd);
    }
}

void CrashWakeup::post()
{
    const char token = 1;
    writeAll(m_fds[1], &token, 1);
}

bool CrashWakeup::wait(int timeoutMs)
{
    for (;;) {
        struct pollfd ready = {m_fds[0], POLLIN, 0};
        const int polled = ::poll(&ready, 1, timeoutMs < 0 ? -1 : timeoutMs);
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            return false;
        char token = 0;
        const ssize_t got = ::read(m_fds[0], &token, 1);
        if (got < 0 && errno == EINTR)
            continue;
        return got == 1;
    }
}

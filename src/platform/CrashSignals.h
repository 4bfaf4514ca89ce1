#pragma once

#include <cstddef>
#include <cstdint>

// The operating system's side of crash handling: which signals count as a
// crash, the alternate stack they run on, the wake-up channel between the
// crashed thread and the crash handler's thread, and the dump report itself.
// Everything a crashed thread calls here is async-signal-safe.
class CrashSignals
{
public:
    // Groups of crash signals, as bits.
    enum Kind {
        Faults = 1, // bad memory access, bus error, arithmetic fault, illegal instruction
        Aborts = 2, // abort(): failed runtime checks, pure virtual calls, std::terminate
    };

    static constexpr int kMaxFrames = 64;

    // What the crashed thread knows about its crash; captured on that thread
    // before the dump is handed to another thread.
    struct Crash
    {
        int signal = 0;
        int code = 0;
        std::uintptr_t faultAddress = 0;
        long threadId = 0;
        void* frames[kMaxFrames] = {};
        int frameCount = 0;
    };

    // Called on the crashed thread, on the alternate stack.
    using Entry = void (*)(const Crash& crash);

    // Installs entry for the signals of the given kinds (remembering what was
    // installed before) and gives the calling thread an alternate stack, so
    // that a stack overflow can still be reported. False when nothing could
    // be installed.
    static bool install(int kinds, Entry entry);
    // Puts back what was installed before install().
    static void restorePrevious();
    // Installs entry again after restorePrevious().
    static void reinstall();
    // Makes the signal's action the default one (for most crash signals:
    // end the process, with a core file where enabled).
    static void useDefault(int signal);
    // Sends the signal again to the calling thread; it is delivered when the
    // current handler returns, to whatever is installed then.
    static void resend(int signal);
    // Blocks the calling thread for good (a second crash while one is handled).
    [[noreturn]] static void parkForever();

    static long currentThreadId();

    // Writes the dump report: creates the file (never over an existing one)
    // and writes the crash, the thread ids, the backtrace and the note.
    static bool writeReport(const char* path, const Crash& crash, long handlerThreadId, const char* note);
};

// A one-shot hand-off between threads that a signal handler may use on both
// ends: post() from one thread wakes one wait() on another.
class CrashWakeup
{
public:
    CrashWakeup();
    ~CrashWakeup();
    CrashWakeup(const CrashWakeup&) = delete;
    CrashWakeup& operator=(const CrashWakeup&) = delete;

    bool isValid() const { return m_fds[0] >= 0 && m_fds[1] >= 0; }
    void post();
    // timeoutMs < 0 waits without a time-out. False on time-out or failure.
    bool wait(int timeoutMs = -1);

private:
    int m_fds[2] = {-1, -1};
};

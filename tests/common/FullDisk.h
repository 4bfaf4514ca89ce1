#pragma once

#include <csignal>
#include <sys/resource.h>

// While the object lives, no file of the process grows past room bytes: a
// write beyond fails as on a full disk, also for root, for whom file modes do
// not bind. One byte refuses every write; some tens of kilobytes let small
// commits into the write-ahead log (past its 32 KB index) and refuse large
// ones.
class FullDisk
{
public:
    explicit FullDisk(rlim_t room = 1)
    {
        m_previousSignal = std::signal(SIGXFSZ, SIG_IGN);
        m_ok = getrlimit(RLIMIT_FSIZE, &m_previous) == 0;
        rlimit limit = m_previous;
        limit.rlim_cur = room;
        m_ok = m_ok && setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FullDisk() { makeRoom(); }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool ok() const { return m_ok; }
    // The disk takes writes again before the object goes.
    void makeRoom()
    {
        if (!m_ok)
            return;
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousSignal);
        m_ok = false;
    }

private:
    rlimit m_previous{};
    void (*m_previousSignal)(int) = nullptr;
    bool m_ok = false;
};

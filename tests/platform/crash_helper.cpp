// A client that crashes on purpose: starts logging (and with it the crash
// handler) the way the client does, then crashes as its first argument says.
//
//   crash_helper <log file> segv|abort|thread|overflow|vanish

#include "Log/CLog.h"
#include "Log/QBreakpad/handler/QBreakpadHandler.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {
// Comes from outside so that the compiler cannot see the bad address coming.
volatile std::uintptr_t g_badAddress = 0;
volatile int g_depthLimit = 1 << 30;
}

extern "C" __attribute__((noinline)) void helperCrashHere()
{
    *reinterpret_cast<volatile int*>(g_badAddress) = 1;
}

extern "C" __attribute__((noinline)) int helperRecurse(int depth)
{
    volatile char frame[512];
    frame[depth % 512] = char(depth);
    if (depth >= g_depthLimit)
        return frame[0];
    return helperRecurse(depth + 1) + frame[0];
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("crash-helper"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.2.3"));
    if (argc < 3)
        return 2;
    g_badAddress = std::strtoull(std::getenv("BAD_ADDRESS") ? std::getenv("BAD_ADDRESS") : "16", nullptr, 0);
    CLog::instance()->init(QString::fromLocal8Bit(argv[1]));
    if (!QBreakpadHandler::instance()->crashHandler())
        std::printf("no crash handler\n");
    std::fflush(stdout);

    const QByteArray mode = argv[2];
    if (mode == "segv") {
        helperCrashHere();
    } else if (mode == "abort") {
        std::abort();
    } else if (mode == "thread") {
        std::thread worker(&helperCrashHere);
        worker.join();
    } else if (mode == "overflow") {
        return helperRecurse(0);
    } else if (mode == "vanish") {
        // The dump folder is gone when the crash comes: nothing can be written.
        QDir(QBreakpadHandler::instance()->dumpPath()).removeRecursively();
        helperCrashHere();
    }
    return 0;
}

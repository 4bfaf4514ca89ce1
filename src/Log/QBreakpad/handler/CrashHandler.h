#pragma once

#include "platform/CrashSignals.h"

#include <QByteArray>
#include <QString>

#include <atomic>

// Writes a dump of a crashing process into the dump folder, from a thread of
// its own that is started in advance: the crashed thread's stack may be the
// very thing that is broken, so it only hands the crash over and waits.
// Created once at start-up and never destroyed.
class CrashHandler
{
public:
    // Bits of the handler types: which crashes are taken.
    enum HandlerType {
        HANDLER_NONE = 0,
        HANDLER_EXCEPTION = 1,         // bad memory access and other faults
        HANDLER_INVALID_PARAMETER = 2, // runtime checks that end in abort()
        HANDLER_PURECALL = 4,          // pure virtual calls (they end in abort() too)
        HANDLER_ALL = 7,
    };

    // Asked first on the handler thread; false means no dump for this crash.
    using FilterCallback = bool (*)(void* context, const CrashSignals::Crash* crash);
    // Told the outcome on the handler thread; its result decides whether the
    // crash counts as handled (the process then ends by its signal at once)
    // or goes on to what was installed before this handler.
    using MinidumpCallback = bool (*)(const char* dumpPath, const char* minidumpId, void* context,
                                      const CrashSignals::Crash* crash, bool succeeded);

    CrashHandler(const QString& dumpPath, FilterCallback filter, MinidumpCallback callback,
                 void* callbackContext, int handlerTypes);
    CrashHandler(const CrashHandler&) = delete;
    CrashHandler& operator=(const CrashHandler&) = delete;

    // The identifier every dump of this handler is named after (made once).
    QString dumpId() const;
    // "<dump folder>/<identifier>.dmp"
    QString dumpFilePath() const;
    bool isHandlerThreadRunning() const { return m_threadRunning.load(); }
    // Extra lines written into every dump (program, log file); set on the
    // GUI thread, read only while a crash is handled.
    void setNote(const QByteArray& note);

private:
    static void handleSignal(const CrashSignals::Crash& crash);
    bool writeDumpOnHandlerThread(const CrashSignals::Crash& crash);
    void handlerThreadMain();
    bool writeDump(const CrashSignals::Crash& crash);

    FilterCallback m_filter = nullptr;
    MinidumpCallback m_callback = nullptr;
    void* m_callbackContext = nullptr;
    int m_handlerTypes = HANDLER_NONE;

    // Fixed buffers: nothing is allocated while a crash is handled.
    char m_dumpFolder[4096] = {};
    char m_dumpId[40] = {};
    char m_dumpPath[4096] = {};
    char m_note[2048] = {};

    CrashWakeup m_start;
    CrashWakeup m_done;
    std::atomic<bool> m_threadRunning{false};
    std::atomic<long> m_handlerThreadId{0};
    bool m_shutdown = false;

    // The request handed to the handler thread, and its answer.
    std::atomic<const CrashSignals::Crash*> m_requestCrash{nullptr};
    std::atomic<bool> m_result{false};
};

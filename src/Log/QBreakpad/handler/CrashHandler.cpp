#include "CrashHandler.h"

#include <QFile>
#include <QUuid>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// A crashed thread does not wait for ever on a handler thread that itself
// got stuck (say, in an allocator lock the crash left taken).
constexpr int kHandlerWaitMs = 15000;
constexpr int kHandlerStartWaitMs = 10000;

std::mutex g_registerLock;
// Handlers in creation order; the newest handles crashes. Never freed.
std::vector<CrashHandler*>* g_handlerStack = nullptr;
// The thread whose crash is being handled, 0 when none.
std::atomic<long> g_busyThread{0};

void copyTruncated(char* target, std::size_t capacity, const QByteArray& text)
{
    const std::size_t length = std::min(capacity - 1, std::size_t(text.size()));
    std::memcpy(target, text.constData(), length);
    target[length] = '\0';
}

}

CrashHandler::CrashHandler(const QString& dumpPath, FilterCallback filter, MinidumpCallback callback,
                           void* callbackContext, int handlerTypes)
    : m_filter(filter)
    , m_callback(callback)
    , m_callbackContext(callbackContext)
    , m_handlerTypes(handlerTypes)
{
    if (m_start.isValid() && m_done.isValid()) {
        try {
            std::thread(&CrashHandler::handlerThreadMain, this).detach();
            // The thread says it is ready by one "done" before any crash can use it.
            m_threadRunning = m_done.wait(kHandlerStartWaitMs);
        } catch (const std::system_error&) {
            m_threadRunning = false;
        }
    }

    const QByteArray folder = QFile::encodeName(dumpPath);
    copyTruncated(m_dumpFolder, sizeof(m_dumpFolder), folder);
    copyTruncated(m_dumpId, sizeof(m_dumpId), QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1());
    copyTruncated(m_dumpPath, sizeof(m_dumpPath), folder + '/' + QByteArray(m_dumpId) + ".dmp");

    if (m_handlerTypes == HANDLER_NONE)
        return;
    std::lock_guard<std::mutex> lock(g_registerLock);
    if (!g_handlerStack)
        g_handlerStack = new std::vector<CrashHandler*>;
    g_handlerStack->push_back(this);
    int kinds = 0;
    if (m_handlerTypes & HANDLER_EXCEPTION)
        kinds |= CrashSignals::Faults;
    if (m_handlerTypes & (HANDLER_INVALID_PARAMETER | HANDLER_PURECALL))
        kinds |= CrashSignals::Aborts;
    CrashSignals::install(kinds, &CrashHandler::handleSignal);
}

QString CrashHandler::dumpId() const
{
    return QString::fromLatin1(m_dumpId);
}

QString CrashHandler::dumpFilePath() const
{
    return QFile::decodeName(m_dumpPath);
}

void CrashHandler::setNote(const QByteArray& note)
{
    copyTruncated(m_note, sizeof(m_note), note);
}

void CrashHandler::handleSignal(const CrashSignals::Crash& crash)
{
    long idle = 0;
    if (!g_busyThread.compare_exchange_strong(idle, crash.threadId)) {
        if (idle == crash.threadId) {
            // A crash inside crash handling: what was there before takes it.
            CrashSignals::restorePrevious();
            CrashSignals::resend(crash.signal);
            return;
        }
        // Another thread's crash is being handled and will end the process.
        CrashSignals::parkForever();
    }
    CrashHandler* handler = g_handlerStack && !g_handlerStack->empty() ? g_handlerStack->back() : nullptr;
    // From here a crash of this thread goes to what was installed before us.
    CrashSignals::restorePrevious();
    const bool handled = handler && handler->writeDumpOnHandlerThread(crash);
    // Handled: the process ends by its signal without further reporting;
    // otherwise the previous handler gets the crash.
    if (handled)
        CrashSignals::useDefault(crash.signal);
    // Delivered when this handler returns; a raised signal, unlike a faulting
    // instruction, would not come back by itself.
    CrashSignals::resend(crash.signal);
    g_busyThread = 0;
}

bool CrashHandler::writeDumpOnHandlerThread(const CrashSignals::Crash& crash)
{
    if (!m_threadRunning.load())
        return false;
    m_requestCrash = &crash;
    m_result = false;
    m_start.post();
    const bool answered = m_done.wait(kHandlerWaitMs);
    const bool result = answered && m_result;
    m_requestCrash = nullptr;
    return result;
}

void CrashHandler::handlerThreadMain()
{
    m_handlerThreadId = CrashSignals::currentThreadId();
    m_done.post();
    for (;;) {
        if (!m_start.wait()) {
            m_threadRunning = false;
            return;
        }
        if (m_shutdown)
            return;
        const CrashSignals::Crash* crash = m_requestCrash;
        bool result = false;
        if (crash && (!m_filter || m_filter(m_callbackContext, crash))) {
            const bool written = writeDump(*crash);
            result = m_callback ? m_callback(m_dumpFolder, m_dumpId, m_callbackContext, crash, written) : written;
        }
        m_result = result;
        m_done.post();
    }
}

bool CrashHandler::writeDump(const CrashSignals::Crash& crash)
{
    if (m_dumpPath[0] == '\0')
        return false;
    return CrashSignals::writeReport(m_dumpPath, crash, m_handlerThreadId.load(), m_note);
}

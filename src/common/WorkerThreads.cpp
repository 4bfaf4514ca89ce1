#include "WorkerThreads.h"

#include <QCoreApplication>
#include <QList>
#include <QPointer>
#include <QThread>

namespace WorkerThreads {
namespace {

// Never freed: the application's destructor runs stopAll after the
// function statics of the program may be gone.
QList<QPointer<QThread>>& adopted()
{
    static auto* threads = []() {
        qAddPostRoutine(stopAll);
        return new QList<QPointer<QThread>>;
    }();
    return *threads;
}

} // namespace

void adopt(QThread* thread)
{
    if (thread == nullptr)
        return;
    QList<QPointer<QThread>>& threads = adopted();
    threads.removeAll(QPointer<QThread>());
    threads.append(thread);
    // A quit ends the workers before its own clean-up runs on; the post
    // routine catches an application that goes without a quit.
    static bool hooked = false;
    if (!hooked && QCoreApplication::instance() != nullptr) {
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &stopAll);
        hooked = true;
    }
}

void stopAll()
{
    const QList<QPointer<QThread>> threads = adopted();
    // All are asked first, so that they wind down side by side.
    for (const QPointer<QThread>& thread : threads) {
        if (thread) {
            thread->requestInterruption();
            thread->quit();
        }
    }
    for (const QPointer<QThread>& thread : threads) {
        if (thread)
            thread->wait();
    }
    adopted().removeAll(QPointer<QThread>());
}

} // namespace WorkerThreads

// A long chapter's save commits megabytes and syncs them to disk, and under
// load that alone holds the window past what an author notices. The save
// runs on a worker thread with a connection of its own. Meanwhile the window
// goes on taking keys, input, painting and its timers; anything else (a
// reply, a click, a queued call) waits for the save first, and so does this
// connection's next statement. To the rest of the program the save happens
// in its place, as if it had run on the window's thread: nothing reads the
// records between the commit and the moment they take the saved text, and
// writes back a copy from before it.

#include "CTessaneDb.h"
#include "T_ChapterTextSave.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

struct CTessaneDb::BackgroundStore
{
    QThread thread;
    // Lives on the thread; the worker's statements run in its slots.
    QObject context;
    // Made, used and deleted on the thread only.
    CTessaneDb* db = nullptr;

    // The save under way; running, serial and done belong to the GUI thread.
    bool running = false;
    quint64 serial = 0;  // counted over every worker, so never met twice
    std::function<void(const T_ChapterTextSave&)> done;
    QMutex mutex;
    QWaitCondition finished;
    bool ready = false;
    T_ChapterTextSave result;
};

namespace {

// Counts the saves started, for the GUI thread only.
quint64 g_savesStarted = 0;

}

bool CTessaneDb::storeChapterTextInBackground(const T_ChapterTextSave& save,
                                              std::function<void(const T_ChapterTextSave&)> done)
{
    // The worker's connection would not know that this one refuses writes,
    // and without WAL its commit would lock out this connection's reads.
    if (!isOpen() || m_damaged || m_writesRefused || m_transactionDepth > 0
        || m_journalMode != QLatin1String("wal") || QCoreApplication::instance() == nullptr
        || QThread::currentThread() != QCoreApplication::instance()->thread())
        return false;
    settleBackgroundStore();
    if (m_store == nullptr) {
        m_store = new BackgroundStore;
        m_store->context.moveToThread(&m_store->thread);
        // Named for whoever looks at the program's threads.
        m_store->thread.setObjectName(QStringLiteral("chapter save"));
        m_store->thread.start();
        workerStarted();
    }
    BackgroundStore* store = m_store;
    store->running = true;
    store->serial = ++g_savesStarted;
    const quint64 serial = store->serial;
    store->ready = false;
    store->done = std::move(done);
    const QString path = db.databaseName();
    const QString name = m_connectionName + QStringLiteral("-save");
    const int uid = m_currentUid;
    QMetaObject::invokeMethod(
        &store->context,
        [this, store, serial, save, path, name, uid]() {
            T_ChapterTextSave work = save;
            if (store->db == nullptr) {
                store->db = new CTessaneDb(nullptr, name);
                // The window waits for the save at its next event, and a
                // save the lock kept out is tried again at the next tick.
                store->db->waitOnlyBriefly();
            }
            if (!store->db->isOpen() && !store->db->openExisting(path)) {
                work.error = store->db->lastErrorText();
                work.fault = store->db->lastFault();
            } else {
                store->db->setCurrentUid(uid);
                store->db->storeChapterText(work);
            }
            {
                QMutexLocker lock(&store->mutex);
                store->result = std::move(work);
                store->ready = true;
                store->finished.wakeAll();
            }
            // Once the GUI thread's turn comes; a statement run before that
            // settles it earlier, and a save begun since is not waited for.
            // close() waits for this lambda before the object can go, so the
            // call never outlives it.
            QMetaObject::invokeMethod(
                this,
                [this, serial]() {
                    if (m_store != nullptr && m_store->serial == serial)
                        settleBackgroundStore();
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    QCoreApplication::instance()->installEventFilter(this);
    return true;
}

bool CTessaneDb::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    // What the author does in the editor, and what only shows or lays out.
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
    case QEvent::InputMethodQuery:
    case QEvent::Wheel:
    case QEvent::MouseMove:
    case QEvent::HoverEnter:
    case QEvent::HoverLeave:
    case QEvent::HoverMove:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::Paint:
    case QEvent::UpdateRequest:
    case QEvent::UpdateLater:
    case QEvent::LayoutRequest:
    case QEvent::Timer:
    // Qt's own bookkeeping of objects.
    case QEvent::ChildAdded:
    case QEvent::ChildPolished:
    case QEvent::ChildRemoved:
        break;
    // A widget's queued call is its own drawing or layout, an animation's
    // its next frame; replies, the managers' and the worker's own calls go
    // to other objects.
    case QEvent::MetaCall:
        if (!watched->isWidgetType() && !watched->inherits("QAnimationTimer")
            && !watched->inherits("QAbstractAnimation"))
            settleBackgroundStore();
        break;
    default:
        settleBackgroundStore();
    }
    return QObject::eventFilter(watched, event);
}

bool CTessaneDb::backgroundStoreRunning() const
{
    return m_store != nullptr && m_store->running;
}

void CTessaneDb::settleBackgroundStore()
{
    if (m_store == nullptr || !m_store->running)
        return;
    T_ChapterTextSave result;
    {
        QMutexLocker lock(&m_store->mutex);
        while (!m_store->ready)
            m_store->finished.wait(&m_store->mutex);
        result = std::move(m_store->result);
    }
    // Cleared first: done runs statements of its own.
    m_store->running = false;
    QCoreApplication::instance()->removeEventFilter(this);
    const std::function<void(const T_ChapterTextSave&)> done = std::move(m_store->done);
    m_store->done = nullptr;
    if (result.stored)
        checkpointSoon();
    else
        adoptFailure(result.error, result.fault);
    if (done)
        done(result);
}

void CTessaneDb::stopBackgroundStore(bool takeOutcome)
{
    if (m_store == nullptr)
        return;
    if (takeOutcome) {
        settleBackgroundStore();
    } else {
        QMutexLocker lock(&m_store->mutex);
        while (m_store->running && !m_store->ready)
            m_store->finished.wait(&m_store->mutex);
        if (QCoreApplication::instance() != nullptr)
            QCoreApplication::instance()->removeEventFilter(this);
    }
    BackgroundStore* store = m_store;
    m_store = nullptr;
    workerEnded();
    // The connection is closed on the thread that opened it.
    QMetaObject::invokeMethod(
        &store->context,
        [store]() {
            delete store->db;
            store->db = nullptr;
        },
        Qt::BlockingQueuedConnection);
    store->thread.quit();
    store->thread.wait();
    delete store;
}

void CTessaneDb::adoptFailure(const QString& error, DbFault fault)
{
    lastError = error;
    m_lastFault = fault;
    if (fault == DbFault::Damaged)
        markDamaged();
}

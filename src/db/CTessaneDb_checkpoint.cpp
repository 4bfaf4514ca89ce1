// The write-ahead log is copied back into the database file apart from the
// commits. Left to SQLite, the commit that takes the log past its mark does
// the copy itself, and a long chapter's save, which writes its text twice,
// would hold the window for the copy as well.

#include "CTessaneDb.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>

namespace {
// Long enough to take a burst of commits (a feed pass, a book's import) in
// one copy; short enough that the log stays small while the author types.
constexpr int kCheckpointDelayMs = 250;
}

void CTessaneDb::checkpointSoon()
{
    // Connections of worker threads have no event loop to wait in; their log
    // pages are copied by SQLite's bound or by the next copy here.
    if (m_journalMode != QLatin1String("wal") || QCoreApplication::instance() == nullptr
        || QThread::currentThread() != QCoreApplication::instance()->thread())
        return;
    if (m_checkpointTimer == nullptr) {
        m_checkpointTimer = new QTimer(this);
        m_checkpointTimer->setSingleShot(true);
        m_checkpointTimer->setInterval(kCheckpointDelayMs);
        connect(m_checkpointTimer, &QTimer::timeout, this, &CTessaneDb::checkpointNow);
    }
    if (!m_checkpointTimer->isActive())
        m_checkpointTimer->start();
}

void CTessaneDb::checkpointNow()
{
    if (!isOpen() || m_damaged || m_transactionDepth > 0)
        return;
    // PASSIVE: never waits for a reader, never blocks a writer; what it
    // cannot copy now goes with the next one.
    QSqlQuery query(db);
    query.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE);"));
}

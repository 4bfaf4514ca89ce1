// The write-ahead log is copied back into the database file apart from the
// commits. Left to SQLite, the commit that takes the log past its mark does
// the copy itself, and a long chapter's save, which writes its text twice,
// would hold the window for the copy as well.

#include "CTessaneDb.h"

#include <QCoreApplication>
#include <QSqlDatabase>
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
    // One copy at a time; commits since the running one bring the next.
    if (m_checkpointer != nullptr && m_checkpointer->isRunning()) {
        checkpointSoon();
        return;
    }
    settleCheckpoint();
    // The copy of a long chapter's log holds the disk for tens of
    // milliseconds, so it runs on a worker thread with a connection of its
    // own, which touches nothing but the file: SQLite lets one connection
    // copy the log while another reads and commits. PASSIVE: it never waits
    // for a reader and never blocks a writer; what it cannot copy now goes
    // with the next one.
    const QString path = db.databaseName();
    const QString name = m_connectionName + QStringLiteral("-checkpoint");
    const QString driver = driverName();
    m_checkpointer = QThread::create([path, name, driver]() {
        {
            QSqlDatabase connection = QSqlDatabase::addDatabase(driver, name);
            connection.setDatabaseName(path);
            connection.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
            if (connection.open()) {
                QSqlQuery query(connection);
                query.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE);"));
            }
        }
        QSqlDatabase::removeDatabase(name);
    });
    // Named for whoever looks at the program's threads.
    m_checkpointer->setObjectName(QStringLiteral("log copy"));
    workerStarted();
    m_checkpointer->start();
}

void CTessaneDb::settleCheckpoint()
{
    if (m_checkpointer == nullptr)
        return;
    m_checkpointer->wait();
    delete m_checkpointer;
    m_checkpointer = nullptr;
    workerEnded();
}

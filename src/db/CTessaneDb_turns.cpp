// Turns at the write lock. SQLite lets one connection write at a time; the
// others wait for the lock in a busy loop of their own and are let in only
// when the writer commits. An import writes a hundred megabytes: in one
// transaction the window's saves would wait for all of it. It writes in
// turns of a few milliseconds instead, and ends a turn early as soon as the
// window's connection or the chapter save's waits to write, so these never
// wait longer than the row being written and its commit.

#include "CTessaneDbTurns.h"

#include <QAtomicInt>
#include <QSqlQuery>
#include <QThread>

namespace {

// How long a brief wait waits for the lock: a frame or two.
constexpr int kBriefWaitMs = 50;
// A turn's length; its commit syncs the log once.
constexpr int kTurnMs = 20;
// How long a turn gives way at most before it waits in line itself.
constexpr int kGiveWayMs = 1000;
// The log's bound, in pages, on a connection that gives way: a megabyte.
constexpr int kGiveWayCheckpointPages = 256;

// Statements of connections that do not give way that may write, running now.
QAtomicInt g_claims;

qint64 monotonicMs()
{
    static const QElapsedTimer clock = []() {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

// Whether a statement may need the write lock. A plain read never waits for
// it in WAL mode; anything else is counted, which at worst ends a turn early.
bool mayWrite(const QString& statement)
{
    const QStringRef text = statement.midRef(0, 64).trimmed();
    if (text.startsWith(QLatin1String("select"), Qt::CaseInsensitive))
        return false;
    if (text.startsWith(QLatin1String("pragma"), Qt::CaseInsensitive))
        return text.contains(QLatin1Char('='));
    return true;
}

}

CTessaneDb::WriteClaim::WriteClaim(const CTessaneDb& db, const QString& statement)
    : m_counted(!db.m_givesWay && mayWrite(statement))
{
    if (m_counted)
        g_claims.ref();
}

CTessaneDb::WriteClaim::~WriteClaim()
{
    if (m_counted)
        g_claims.deref();
}

void CTessaneDb::giveWayToOthers()
{
    m_givesWay = true;
    // Its commits come from a worker, so the copy of the log that SQLite
    // makes at the log's bound holds nobody up. The bound is below one
    // turn's writes: every turn's commit copies what it wrote, while the
    // log is small. A log let grow to tens of megabytes is copied and
    // synced in one piece, and the window's commits that meet that sync
    // wait for the disk for hundreds of milliseconds.
    QSqlQuery query(db);
    query.exec(QStringLiteral("PRAGMA wal_autocheckpoint = %1;").arg(kGiveWayCheckpointPages));
}

bool CTessaneDb::othersWaitToWrite()
{
    return g_claims.loadAcquire() > 0;
}

bool CTessaneDb::waitWhileOthersWrite(const std::function<bool()>& stop)
{
    QElapsedTimer waited;
    waited.start();
    while (othersWaitToWrite() && waited.elapsed() < kGiveWayMs) {
        if (stop && stop())
            return false;
        QThread::usleep(500);
    }
    return !(stop && stop());
}

void CTessaneDb::waitOnlyBriefly()
{
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBriefWaitMs));
}

CTessaneDb::BriefWait::BriefWait(CTessaneDb& db) : m_db(db)
{
    if (m_db.m_briefWaits++ > 0 || !m_db.isOpen())
        return;
    m_lockedBefore = m_db.m_lockedFailures;
    const bool gaveUpJustNow = m_db.m_briefGaveUpAt >= 0 && monotonicMs() - m_db.m_briefGaveUpAt < kBriefWaitMs;
    const int wait = gaveUpJustNow ? 0 : kBriefWaitMs;
    QSqlQuery query(m_db.db);
    if (query.exec(QStringLiteral("PRAGMA busy_timeout;")) && query.next())
        m_before = query.value(0).toInt();
    query.finish();
    if (m_before > wait)
        query.exec(QStringLiteral("PRAGMA busy_timeout = %1;").arg(wait));
    else
        m_before = -1;
}

CTessaneDb::BriefWait::~BriefWait()
{
    if (m_db.m_briefWaits == 1 && m_db.m_lockedFailures != m_lockedBefore)
        m_db.m_briefGaveUpAt = monotonicMs();
    if (--m_db.m_briefWaits > 0 || m_before < 0 || !m_db.isOpen())
        return;
    QSqlQuery query(m_db.db);
    query.exec(QStringLiteral("PRAGMA busy_timeout = %1;").arg(m_before));
}

WriteTurns::WriteTurns(CTessaneDb& db, std::function<bool()> stop) : m_db(db), m_stop(std::move(stop))
{
}

WriteTurns::~WriteTurns() = default;

bool WriteTurns::begin()
{
    m_turn.reset();
    if (!CTessaneDb::waitWhileOthersWrite(m_stop))
        return false;
    m_turn = std::make_unique<CTessaneDb::Transaction>(m_db);
    m_started.start();
    return m_turn->began() && !stopRequested();
}

bool WriteTurns::next()
{
    if (!m_turn || stopRequested())
        return false;
    if (m_started.elapsed() < kTurnMs && !CTessaneDb::othersWaitToWrite())
        return true;
    const bool committed = m_turn->commit();
    m_turn.reset();
    return committed && begin();
}

bool WriteTurns::finish()
{
    if (!m_turn || stopRequested())
        return false;
    const bool committed = m_turn->commit();
    m_turn.reset();
    return committed;
}

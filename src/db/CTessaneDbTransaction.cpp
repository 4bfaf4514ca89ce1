#include "CTessaneDbTransaction.h"

#include <QSqlQuery>

CTessaneDb::Transaction::Transaction(CTessaneDb& db) : m_db(db)
{
    m_outer = m_db.m_transactionDepth == 0;
    if (m_outer) {
        m_db.m_transactionFailed = false;
        // Take the write lock now so a busy file fails here, before any change.
        m_began = m_db.exec(QStringLiteral("BEGIN IMMEDIATE;"));
    } else {
        m_began = !m_db.m_transactionFailed;
    }
    if (m_began)
        ++m_db.m_transactionDepth;
}

CTessaneDb::Transaction::~Transaction()
{
    if (!m_began || m_done)
        return;
    --m_db.m_transactionDepth;
    if (m_outer)
        rollBack(m_db.m_transactionFailed);
    else
        m_db.m_transactionFailed = true;
}

bool CTessaneDb::Transaction::commit()
{
    if (!m_began || m_done)
        return false;
    m_done = true;
    --m_db.m_transactionDepth;
    if (!m_outer)
        return !m_db.m_transactionFailed;
    if (m_db.m_transactionFailed) {
        rollBack(true);
        return false;
    }
    if (m_db.exec(QStringLiteral("COMMIT;"))) {
        m_db.checkpointSoon();
        return true;
    }
    // A commit refused (full disk, I/O error) leaves the transaction open.
    rollBack(true);
    return false;
}

void CTessaneDb::Transaction::rollBack(bool afterFailure)
{
    // SQLite ends a transaction itself at some refused writes; the ROLLBACK
    // then fails for want of one, and its error must not hide the failure
    // the caller reports (a full disk is not "no transaction is active").
    // Damage the ROLLBACK itself found is told rather than hidden.
    const QString error = m_db.lastError;
    const DbFault fault = m_db.m_lastFault;
    if (!m_db.exec(QStringLiteral("ROLLBACK;")) && afterFailure && m_db.m_lastFault != DbFault::Damaged) {
        m_db.lastError = error;
        m_db.m_lastFault = fault;
    }
}

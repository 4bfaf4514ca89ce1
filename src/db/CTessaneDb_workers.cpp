// The database's worker threads (the copy of the log, a chapter's save, the
// sweep of a stopped import) use Qt's SQL globals, which the program's exit
// tears down, and the singleton database is never deleted. Every database
// with a worker is listed here, and the exit ends their workers first.

#include "CTessaneDb.h"

#include <QCoreApplication>

namespace {

QList<CTessaneDb*>& withWorkers();

void endWorkersBeforeExit()
{
    const QList<CTessaneDb*> databases = withWorkers();
    for (CTessaneDb* db : databases) {
        db->stopBackgroundStore(false);
        db->stopSweep();
        db->settleCheckpoint();
    }
}

QList<CTessaneDb*>& withWorkers()
{
    static auto* databases = []() {
        qAddPostRoutine(endWorkersBeforeExit);
        return new QList<CTessaneDb*>;
    }();
    return *databases;
}

}

void CTessaneDb::workerStarted()
{
    if (!withWorkers().contains(this))
        withWorkers().append(this);
}

void CTessaneDb::workerEnded()
{
    if (m_checkpointer == nullptr && m_store == nullptr && m_sweep == nullptr)
        withWorkers().removeOne(this);
}

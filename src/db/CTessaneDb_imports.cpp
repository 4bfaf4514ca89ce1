// Books an import is still writing. The import writes in short turns (see
// CTessaneDb_turns.cpp), so its rows are on disk long before it is done; the
// book stays listed in tb_import until its last turn, and until then neither
// the shelf nor the job queue sees it. An import that is stopped or fails
// leaves its book listed, and a sweep on a worker deletes it in turns of its
// own; one the program's end cut off is swept at the next start. The same
// sweep deletes the chapters of a book deleted for good.

#include "CTessaneDb.h"

#include "CTessaneDbTurns.h"

#include <QDebug>
#include <QSqlQuery>
#include <QThread>

#include <atomic>
#include <memory>

namespace {
// Rows deleted by one statement of a sweep; the turns end by time.
constexpr int kRowsPerStep = 16;
}

struct CTessaneDb::Sweep
{
    QThread* thread = nullptr;
    QList<int> pending;
    std::shared_ptr<std::atomic_bool> stop = std::make_shared<std::atomic_bool>(false);
};

bool CTessaneDb::markBookImporting(int localBookId)
{
    return exec(QStringLiteral("insert into tb_import(localBookId) values(%1);"), {localBookId});
}

bool CTessaneDb::publishImportedBook(int localBookId)
{
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("delete from tb_import where localBookId = %1;"), {localBookId})))
        return false;
    if (query.numRowsAffected() > 0)
        return true;
    lastError = QStringLiteral("book %1 is not being imported").arg(localBookId);
    qWarning().noquote() << lastError;
    return false;
}

QList<int> CTessaneDb::booksLeftOver()
{
    QList<int> ids;
    QSqlQuery query(db);
    if (!sqlExec(query, QStringLiteral("select localBookId from tb_import union select distinct localBookId from "
                                       "tb_chapter where localBookId not in (select localId from tb_book) "
                                       "order by 1;")))
        return ids;
    while (query.next())
        ids.append(query.value(0).toInt());
    return ids;
}

bool CTessaneDb::dropImportedBook(int localBookId, const std::function<bool()>& stop)
{
    WriteTurns turns(*this, stop);
    if (!turns.begin())
        return false;
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select count(*) from tb_import where localBookId = %1;"),
                                  {localBookId}))
        || !query.next())
        return false;
    if (query.value(0).toInt() == 0)
        return turns.finish();
    query.finish();
    // The jobs first: a job naming a chapter that is gone is of no use.
    static const char* const kSteps[] = {
        "delete from tb_job where jobId in (select jobId from tb_job where localBookId = %1 limit %2);",
        "delete from tb_chapter where localId in (select localId from tb_chapter where localBookId = %1 limit %2);",
        "delete from tb_volume where localId in (select localId from tb_volume where localBookId = %1 limit %2);",
    };
    for (const char* step : kSteps) {
        int deleted = kRowsPerStep;
        while (deleted == kRowsPerStep) {
            if (!sqlExec(query, sqlFormat(QString::fromLatin1(step), {localBookId, kRowsPerStep})))
                return false;
            deleted = query.numRowsAffected();
            query.finish();
            if (!turns.next())
                return false;
        }
    }
    return exec(QStringLiteral("delete from tb_book where localId = %1;"), {localBookId})
        && exec(QStringLiteral("delete from tb_import where localBookId = %1;"), {localBookId}) && turns.finish();
}

bool CTessaneDb::dropChaptersOfGoneBook(int localBookId, const std::function<bool()>& stop)
{
    WriteTurns turns(*this, stop);
    if (!turns.begin())
        return false;
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select count(*) from tb_book where localId = %1;"), {localBookId}))
        || !query.next())
        return false;
    if (query.value(0).toInt() > 0)
        return turns.finish();
    query.finish();
    int deleted = kRowsPerStep;
    while (deleted == kRowsPerStep) {
        if (!sqlExec(query, sqlFormat(QStringLiteral("delete from tb_chapter where localId in (select localId from "
                                                     "tb_chapter where localBookId = %1 limit %2);"),
                                      {localBookId, kRowsPerStep})))
            return false;
        deleted = query.numRowsAffected();
        query.finish();
        if (!turns.next())
            return false;
    }
    return turns.finish();
}

void CTessaneDb::sweepBooks(const QList<int>& localBookIds)
{
    if (localBookIds.isEmpty() || !isOpen())
        return;
    if (m_sweep == nullptr)
        m_sweep = new Sweep;
    for (int id : localBookIds) {
        if (!m_sweep->pending.contains(id))
            m_sweep->pending.append(id);
    }
    if (m_sweep->thread == nullptr)
        startSweep();
}

void CTessaneDb::startSweep()
{
    const QList<int> ids = m_sweep->pending;
    m_sweep->pending.clear();
    const QString path = db.databaseName();
    const QString name = m_connectionName + QStringLiteral("-sweep");
    const std::shared_ptr<std::atomic_bool> stop = m_sweep->stop;
    // The worker deletes through a connection of its own and touches nothing
    // else; the ids come in as plain values.
    QThread* thread = QThread::create([path, name, ids, stop]() {
        CTessaneDb sweeper(nullptr, name);
        if (!sweeper.openExisting(path))
            return;
        sweeper.giveWayToOthers();
        const auto stopped = [stop]() { return stop->load(); };
        for (int id : ids) {
            if (stopped())
                return;
            if (!sweeper.dropImportedBook(id, stopped) || !sweeper.dropChaptersOfGoneBook(id, stopped))
                qWarning() << "the rows left of book" << id << "stay for the next sweep:"
                           << (stopped() ? QStringLiteral("stopped") : sweeper.lastErrorText());
        }
    });
    // Named for whoever looks at the program's threads.
    thread->setObjectName(QStringLiteral("import sweep"));
    m_sweep->thread = thread;
    connect(thread, &QThread::finished, this, [this, thread]() {
        if (m_sweep == nullptr || m_sweep->thread != thread)
            return;
        thread->wait();
        delete thread;
        m_sweep->thread = nullptr;
        if (!m_sweep->pending.isEmpty()) {
            startSweep();
            return;
        }
        delete m_sweep;
        m_sweep = nullptr;
        workerEnded();
    });
    workerStarted();
    thread->start();
}

void CTessaneDb::stopSweep()
{
    if (m_sweep == nullptr)
        return;
    m_sweep->stop->store(true);
    if (m_sweep->thread != nullptr) {
        m_sweep->thread->wait();
        delete m_sweep->thread;
    }
    delete m_sweep;
    m_sweep = nullptr;
    workerEnded();
}

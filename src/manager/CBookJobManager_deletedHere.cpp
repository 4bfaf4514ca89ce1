// What this machine knows it deleted: kept per author in the database, so a
// list the platform answered before a delete reached it (a slow answer, or
// a change item of the feed recorded before it) brings nothing back, also
// after a restart or a sign-in. Server ids are never used again, so a record
// can only ever hold an answer back that is older than the delete; it goes
// once no such answer can come (listedWithout).

#include "CBookJobManager.h"

#include "db/CTessaneDb.h"
#include "manager/CPublicManager.h"
#include "remote/CHttpBase.h"
#include "remote/records/MemoRecords.h"

#include <QDebug>
#include <QElapsedTimer>

namespace {
QElapsedTimer& runClock()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock;
}
}

void CBookJobManager::loadDeletedHere() const
{
    const int uid = m_model->userInfo.uid;
    if (m_deletedHereOf == uid)
        return;
    m_deletedHere.clear();
    bool ok = false;
    const QList<T_DeletedHere> rows = uid > 0 ? m_db->deletedHereRows(uid, &ok) : QList<T_DeletedHere>();
    if (uid > 0 && !ok) {
        qWarning() << "deletes confirmed here not read; read again when next asked";
        return;
    }
    for (const T_DeletedHere& row : rows)
        m_deletedHere.insert(qMakePair(row.jobType, row.serverId), DeletedHere{row, 0});
    m_deletedHereOf = uid;
}

void CBookJobManager::storeDeletedHere(const DeletedHere& entry)
{
    const QPair<int, int> key(entry.row.jobType, entry.row.serverId);
    DeletedHere stored = entry;
    if (!m_deletedHere.contains(key))
        stored.since = deletedHereClock();
    m_deletedHere.insert(key, stored);
    // Kept in memory all the same: this run holds it back either way.
    if (!m_db->storeDeletedHere(m_model->userInfo.uid, stored.row))
        qWarning() << "delete of type" << key.first << "for" << key.second << "not stored; kept for this run only";
}

void CBookJobManager::noteVolumeDeleted(int bookId, int volumeId, bool deleted)
{
    if (volumeId < 1)
        return;
    if (!deleted) {
        forgetDeletedHere(JobType::VolumeDelRestore, volumeId);
        return;
    }
    loadDeletedHere();
    DeletedHere entry;
    entry.row.jobType = JobType::VolumeDelRestore;
    entry.row.serverId = volumeId;
    entry.row.bookId = bookId;
    entry.row.tookIt = true;
    m_deletedHere.remove(qMakePair(entry.row.jobType, volumeId));
    storeDeletedHere(entry);
}

bool CBookJobManager::deletedHere(int deleteType, int serverId) const
{
    loadDeletedHere();
    return serverId > 0 && m_deletedHere.contains(qMakePair(deleteType, serverId));
}

bool CBookJobManager::deleteTookIt(int deleteType, int serverId) const
{
    loadDeletedHere();
    return m_deletedHere.value(qMakePair(deleteType, serverId)).row.tookIt;
}

void CBookJobManager::noteDeleteTookIt(int deleteType, int serverId, int bookId)
{
    loadDeletedHere();
    DeletedHere entry = m_deletedHere.value(qMakePair(deleteType, serverId));
    entry.row.jobType = deleteType;
    entry.row.serverId = serverId;
    entry.row.bookId = entry.row.bookId > 0 ? entry.row.bookId : bookId;
    entry.row.tookIt = true;
    storeDeletedHere(entry);
}

bool CBookJobManager::toldTookIt(int deleteType, int serverId) const
{
    loadDeletedHere();
    return m_deletedHere.value(qMakePair(deleteType, serverId)).row.told;
}

void CBookJobManager::noteToldTookIt(int deleteType, int serverId)
{
    loadDeletedHere();
    const auto it = m_deletedHere.find(qMakePair(deleteType, serverId));
    if (it == m_deletedHere.end() || it->row.told)
        return;
    DeletedHere entry = it.value();
    entry.row.told = true;
    storeDeletedHere(entry);
}

void CBookJobManager::forgetDeletedHere(int deleteType, int serverId)
{
    loadDeletedHere();
    if (m_deletedHere.remove(qMakePair(deleteType, serverId)) > 0
        && !m_db->dropDeletedHere(m_model->userInfo.uid, deleteType, serverId))
        qWarning() << "delete of type" << deleteType << "for" << serverId << "not forgotten in the database";
}

void CBookJobManager::listedWithout(int deleteType, int bookId, const std::function<bool(int)>& listed)
{
    loadDeletedHere();
    const qint64 now = deletedHereClock();
    QList<int> done;
    for (const DeletedHere& entry : qAsConst(m_deletedHere)) {
        // A request waits no longer than that: answered later, a list was
        // asked for after the delete was confirmed.
        const bool askedAfter = entry.since == 0 || now - entry.since > CHttpBase::kAsyncTimeoutMs;
        if (entry.row.jobType == deleteType && entry.row.bookId == bookId && entry.row.feedPassed && askedAfter
            && !listed(entry.row.serverId))
            done.append(entry.row.serverId);
    }
    for (int serverId : qAsConst(done)) {
        qInfo() << "delete of type" << deleteType << "for" << serverId << "is behind every list now; forgotten";
        forgetDeletedHere(deleteType, serverId);
    }
}

qint64 CBookJobManager::deletedHereClock() const
{
    return runClock().elapsed() + 1;
}

void CBookJobManager::feedPassEnded(qint64 pulledAt)
{
    loadDeletedHere();
    QList<DeletedHere> passed;
    for (const DeletedHere& entry : qAsConst(m_deletedHere)) {
        if (!entry.row.feedPassed && entry.since < pulledAt)
            passed.append(entry);
    }
    for (DeletedHere entry : qAsConst(passed)) {
        entry.row.feedPassed = true;
        storeDeletedHere(entry);
    }
}

// What this machine keeps of its deletes for good beyond the job queue: the
// withdrawn ones whose object waits for a look, and the confirmed ones a late
// list must not undo. Both are the author's, kept across starts and sign-ins.

#include "CTessaneDb.h"

#include "CTessaneDbTransaction.h"

#include <QSqlQuery>

bool CTessaneDb::withdrawDelete(int uid, int jobId, const T_WithdrawnDelete& look, int localBookId)
{
    Transaction transaction(*this);
    if (!transaction.began() || !deleteJob(jobId)
        || (localBookId > 0 && !deleteItem(QStringLiteral("tb_volume"), QStringLiteral("localBookId"), localBookId)))
        return false;
    return storeWithdrawnDelete(uid, look) && transaction.commit();
}

bool CTessaneDb::storeWithdrawnDelete(int uid, const T_WithdrawnDelete& look)
{
    return exec(QStringLiteral("insert or replace into tb_withdrawn_delete(uid, jobType, serverId, bookId, sent, toBin) "
                               "values(%1, %2, %3, %4, %5, %6);"),
                {uid, look.jobType, look.serverId, look.bookId, look.sent ? 1 : 0, look.toBin ? 1 : 0});
}

QList<T_WithdrawnDelete> CTessaneDb::withdrawnDeletes(int uid, bool* ok)
{
    QList<T_WithdrawnDelete> rows;
    QSqlQuery query(db);
    *ok = sqlExec(query, sqlFormat(QStringLiteral("select jobType, serverId, bookId, sent, toBin from "
                                                  "tb_withdrawn_delete where uid = %1 order by rowid;"),
                                   {uid}));
    while (*ok && query.next()) {
        T_WithdrawnDelete row;
        row.jobType = query.value(0).toInt();
        row.serverId = query.value(1).toInt();
        row.bookId = query.value(2).toInt();
        row.sent = query.value(3).toInt() != 0;
        row.toBin = query.value(4).toInt() != 0;
        rows.append(row);
    }
    return rows;
}

bool CTessaneDb::dropWithdrawnDelete(int uid, int jobType, int serverId)
{
    return exec(QStringLiteral("delete from tb_withdrawn_delete where uid = %1 and jobType = %2 and serverId = %3;"),
                {uid, jobType, serverId});
}

bool CTessaneDb::storeDeletedHere(int uid, const T_DeletedHere& row)
{
    return exec(QStringLiteral("insert or replace into tb_deleted_here(uid, jobType, serverId, bookId, tookIt, told, "
                               "feedPassed) values(%1, %2, %3, %4, %5, %6, %7);"),
                {uid, row.jobType, row.serverId, row.bookId, row.tookIt ? 1 : 0, row.told ? 1 : 0,
                 row.feedPassed ? 1 : 0});
}

QList<T_DeletedHere> CTessaneDb::deletedHereRows(int uid, bool* ok)
{
    QList<T_DeletedHere> rows;
    QSqlQuery query(db);
    *ok = sqlExec(query, sqlFormat(QStringLiteral("select jobType, serverId, bookId, tookIt, told, feedPassed from "
                                                  "tb_deleted_here where uid = %1;"),
                                   {uid}));
    while (*ok && query.next()) {
        T_DeletedHere row;
        row.jobType = query.value(0).toInt();
        row.serverId = query.value(1).toInt();
        row.bookId = query.value(2).toInt();
        row.tookIt = query.value(3).toInt() != 0;
        row.told = query.value(4).toInt() != 0;
        row.feedPassed = query.value(5).toInt() != 0;
        rows.append(row);
    }
    return rows;
}

bool CTessaneDb::dropDeletedHere(int uid, int jobType, int serverId)
{
    return exec(QStringLiteral("delete from tb_deleted_here where uid = %1 and jobType = %2 and serverId = %3;"),
                {uid, jobType, serverId});
}

QList<int> CTessaneDb::chaptersWithoutText(int localBookId)
{
    QList<int> ids;
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select c.chapterId from tb_chapter c left join tb_chapter_text t "
                                                 "on t.localId = c.localId where c.localBookId = %1 and "
                                                 "c.chapterId > 0 and ifnull(length(")
                                      + chapterTextColumn()
                                      + QStringLiteral("), 0) = 0 order by c.localId;"),
                                  {localBookId})))
        return ids;
    while (query.next())
        ids.append(query.value(0).toInt());
    return ids;
}

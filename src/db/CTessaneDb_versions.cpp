// Stored versions of chapter texts.

#include "CTessaneDb.h"

#include "CTessaneDbTransaction.h"
#include "common/ServerClock.h"
#include "db/DbRowHelpers.h"
#include "db/records/T_Chapter_TimeMachineItem.h"
#include "remote/T_Http_Custom.h"

#include <QSqlQuery>

namespace {
// The time machine shows a chapter's newest versions; older ones are dropped
// whenever one is added, so the table holds no snapshot nothing can read.
const int kKeptVersions = 10;
}

bool CTessaneDb::pruneContentBlades(int localChapterId)
{
    return exec(QStringLiteral("delete from tb_contentblade where localChapterId = %1 and localId not in "
                               "(select localId from tb_contentblade where localChapterId = %1 "
                               "order by createTime DESC, localId DESC limit %2);"),
                {localChapterId, kKeptVersions});
}

bool CTessaneDb::getContentBlades(int localChapterId, QList<T_Chapter_TimeMachineItem*>& list, bool withContent)
{
    qDeleteAll(list);
    list.clear();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select localId,localBookId,localChapterId,bookId,"
                                                 "chapterId,bladeId,%3,wordCount,createTime "
                                                 "from tb_contentblade where localChapterId = %1 "
                                                 "order by createTime DESC, localId DESC limit %2"),
                                  {localChapterId, kKeptVersions,
                                   SqlArg::name(withContent ? QStringLiteral("content") : QStringLiteral("NULL"))})))
        return false;
    while (query.next()) {
        auto* item = new T_Chapter_TimeMachineItem;
        item->localId = query.value(0).toInt();
        item->localBookId = query.value(1).toInt();
        item->localChapterId = query.value(2).toInt();
        item->bookId = query.value(3).toInt();
        item->chapterId = query.value(4).toInt();
        item->bladeId = query.value(5).toInt();
        item->content = query.value(6).toString();
        item->contentLoaded = withContent;
        item->wordCount = query.value(7).toInt();
        item->createTime = query.value(8).toInt();
        list.append(item);
    }
    return true;
}

bool CTessaneDb::getContentBladeText(T_Chapter_TimeMachineItem* item)
{
    if (item->contentLoaded)
        return true;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!execBound(query, QStringLiteral("select content from tb_contentblade where localId = ?"), {item->localId})
        || !query.next())
        return false;
    item->content = query.value(0).toString();
    item->contentLoaded = true;
    return true;
}

bool CTessaneDb::replaceContentBlades(int uid, int localBookId, int localChapterId, int bookId,
                                      int chapterId,
                                      const QList<T_Chapter_TimeMachineItem>& versions)
{
    // The platform lists versions only of a chapter it knows.
    if (chapterId < 1)
        return false;
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    // By local id: a version stored before the chapter had its server id
    // keeps the id 0 it was stored with.
    if (!exec(QStringLiteral("delete from tb_contentblade where localChapterId = %1;"), {localChapterId}))
        return false;
    for (const T_Chapter_TimeMachineItem& version : versions) {
        if (!exec(QStringLiteral("insert into tb_contentblade(uid,localBookId,localChapterId,bookId,"
                                 "chapterId,bladeId,content,createTime,wordCount) "
                                 "values(%1,%2,%3,%4,%5,%6,%7,%8,%9);"),
                  {uid, localBookId, localChapterId, bookId, chapterId, version.bladeId,
                   version.content, version.createTime, version.wordCount}))
            return false;
    }
    if (!pruneContentBlades(localChapterId))
        return false;
    return transaction.commit();
}

bool CTessaneDb::insertContentBlade(const T_Http_Custom& header, const QString& content)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    if (execInsert(*this,
                   sqlBind(QStringLiteral("insert into tb_contentblade(uid,localBookId,"
                                          "localChapterId,bookId,chapterId,content,wordCount,"
                                          "createTime)values(%1,%2,%3,%4,%5,%6,%7,%8)"),
                           {header.uid, header.localBookId, header.localChapterId,
                            header.bookId, header.chapterId, content, content.length(),
                            currentServerTime()}))
        <= 0)
        return false;
    if (!pruneContentBlades(header.localChapterId))
        return false;
    return transaction.commit();
}

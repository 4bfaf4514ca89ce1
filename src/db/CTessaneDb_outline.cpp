// The outline table.

#include "CTessaneDb.h"

#include "common/ServerClock.h"
#include "db/DbRowHelpers.h"
#include "db/records/T_Book.h"
#include "remote/records/OutlineRecords.h"

#include <QSqlQuery>

bool CTessaneDb::getOutlines(T_Book* book)
{
    if (!book)
        return false;
    book->outline.localBookId = book->localId;
    book->outline.bookId = book->bookId;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select localId,outlineId,type,orderNum,title,"
                                                 "content,createTime from tb_outline where "
                                                 "localBookId = %1"),
                                  {book->localId})))
        return false;
    const DbColumns cols(query);
    const int cLocalId = cols.index("localId"), cOutlineId = cols.index("outlineId"),
              cType = cols.index("type"), cOrder = cols.index("orderNum"),
              cTitle = cols.index("title"), cContent = cols.index("content"),
              cCreate = cols.index("createTime");
    QList<T_Outline*> outlines;
    while (query.next()) {
        auto* outline = new T_Outline;
        outline->localId = DbColumns::toInt(query, cLocalId);
        outline->outlineId = DbColumns::toInt(query, cOutlineId);
        outline->type = DbColumns::toInt(query, cType);
        outline->orderNum = DbColumns::toInt(query, cOrder);
        outline->title = DbColumns::toText(query, cTitle);
        outline->content = DbColumns::toText(query, cContent);
        outline->createTime = DbColumns::toInt(query, cCreate);
        outlines.append(outline);
    }
    // Replacing rather than appending: loading twice must not show every
    // outline twice.
    qDeleteAll(book->outline.outlineList);
    book->outline.outlineList = outlines;
    return true;
}

bool CTessaneDb::insertOutline(TC_BookOutline_Create& request)
{
    // The row's creation time is now, not the request's time stamp.
    const int id = execInsert(
        *this,
        sqlBind(QStringLiteral("insert into tb_outline(localBookId,bookId,type,title,content,"
                               "createTime,outlineId,orderNum) values(%1,%2,%3,%4,%5,%6,%7,%8)"),
                {request.localBookId, request.bookId, request.type, request.title,
                 request.content, currentServerTime(), request.outlineId, request.orderNum}));
    if (id < 1)
        return false;
    request.localOutlineId = id;
    return true;
}

bool CTessaneDb::deleteOutline(const TC_BookOutline_Delete& request)
{
    return exec(QStringLiteral("delete from tb_outline where localId = %1"),
                {request.localOutlineId});
}

bool CTessaneDb::updateOutline(const TC_BookOutline_Update& request)
{
    return execRowUpdate(*this,
                         sqlBind(QStringLiteral("update tb_outline set title = %1,content = %2,"
                                                "type=%3 where localId = %4"),
                                 {request.title, request.content, request.type,
                                  request.localOutlineId}),
                         "outline", request.localOutlineId);
}

bool CTessaneDb::updateOutlineByOutlineId(const T_Outline* outline)
{
    if (!outline)
        return false;
    return exec(QStringLiteral("update tb_outline set title = %1,content = %2,type=%3,"
                               "orderNum=%4 where bookId = %5 and outlineId = %6"),
                {outline->title, outline->content, outline->type, outline->orderNum,
                 outline->bookId, outline->outlineId});
}

bool CTessaneDb::updateOutlineId(int localOutlineId, int outlineId)
{
    return updateItemById(QStringLiteral("tb_outline"), QStringLiteral("localId"), localOutlineId,
                          QStringLiteral("outlineId"), outlineId);
}

bool CTessaneDb::updateOutlineOrder(int localOutlineId, int orderNum)
{
    return updateItemById(QStringLiteral("tb_outline"), QStringLiteral("localId"), localOutlineId,
                          QStringLiteral("orderNum"), orderNum);
}

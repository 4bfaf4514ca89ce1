// The memo table.

#include "CTessaneDb.h"

#include "CTessaneDbTransaction.h"
#include "db/DbRowHelpers.h"
#include "db/records/T_Memo.h"
#include "manager/CPublicManager.h"
#include "remote/records/MemoRecords.h"

#include <QSqlQuery>

bool CTessaneDb::getMemos(int uid, QList<T_Memo*>& memoList)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select localId,color,memoId,content,updateTime,"
                                                 "colorUpdateTime,bookId,chapterId,localBookId,"
                                                 "localChapterId,x,y,isHold,width,height from "
                                                 "tb_memo where uid = %1 order by "
                                                 "colorUpdateTime Desc;"),
                                  {uid})))
        return false;
    const DbColumns cols(query);
    const int cLocalId = cols.index("localId"), cColor = cols.index("color"),
              cMemoId = cols.index("memoId"), cContent = cols.index("content"),
              cUpdate = cols.index("updateTime"), cColorUpdate = cols.index("colorUpdateTime"),
              cBookId = cols.index("bookId"), cChapterId = cols.index("chapterId"),
              cLocalBookId = cols.index("localBookId"),
              cLocalChapterId = cols.index("localChapterId"), cX = cols.index("x"),
              cY = cols.index("y"), cHold = cols.index("isHold"), cWidth = cols.index("width"),
              cHeight = cols.index("height");
    while (query.next()) {
        auto* memo = new T_Memo;
        memo->localId = DbColumns::toInt(query, cLocalId);
        memo->color = DbColumns::toText(query, cColor);
        memo->memoId = DbColumns::toInt(query, cMemoId);
        memo->content = DbColumns::toText(query, cContent);
        memo->updateTime = DbColumns::toInt(query, cUpdate);
        memo->colorUpdateTime = DbColumns::toInt(query, cColorUpdate);
        memo->bookId = DbColumns::toInt(query, cBookId);
        memo->chapterId = DbColumns::toInt(query, cChapterId);
        memo->localBookId = DbColumns::toInt(query, cLocalBookId);
        memo->localChapterId = DbColumns::toInt(query, cLocalChapterId);
        memo->x = static_cast<float>(DbColumns::toDouble(query, cX));
        memo->y = static_cast<float>(DbColumns::toDouble(query, cY));
        memo->isHold = DbColumns::toInt(query, cHold) != 0;
        memo->width = DbColumns::toInt(query, cWidth);
        memo->height = DbColumns::toInt(query, cHeight);
        memoList.append(memo);
    }
    return true;
}

bool CTessaneDb::insertMemo(int uid, TC_Memo_Add& request)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    const int id = execInsert(
        *this,
        sqlBind(QStringLiteral("insert into tb_memo(color,content,updateTime,colorUpdateTime,"
                               "memoId,uid) values(%1,%2,%3,%4,%5,%6);"),
                {request.color, request.content, request.updateTime, request.updateTime,
                 request.header.memoId, uid}));
    if (id < 1)
        return false;
    if (!exec(QStringLiteral("update tb_system_conf set memoCount = memoCount + 1 where "
                             "uid = %1"),
              {uid}))
        return false;
    if (!transaction.commit())
        return false;
    request.header.localMemoId = id;
    CPublicManager::instance()->userConf.systemConf.memoCount += 1;
    return true;
}

bool CTessaneDb::deleteMemo(int uid, const TC_Memo_Del& request)
{
    return exec(QStringLiteral("delete from tb_memo where localId = %1 and uid = %2"),
                {request.header.localMemoId, uid});
}

bool CTessaneDb::updateMemo(int uid, const T_Memo* memo)
{
    if (!memo)
        return false;
    return execRowUpdate(
        *this,
        sqlBind(QStringLiteral("update tb_memo set color = %1,content = %2,updateTime = %3,"
                               "colorUpdateTime = %4,bookId = %5,chapterId = %6,"
                               "localBookId = %7,localChapterId = %8,x = %9,y = %10,"
                               "isHold = %13,width = %14,height = %15 where localId = %11 and "
                               "uid = %12;"),
                {memo->color, memo->content, memo->updateTime, memo->colorUpdateTime,
                 memo->bookId, memo->chapterId, memo->localBookId, memo->localChapterId,
                 static_cast<double>(memo->x), static_cast<double>(memo->y), memo->localId, uid,
                 memo->isHold ? 1 : 0, memo->width, memo->height}),
        "memo", memo->localId);
}

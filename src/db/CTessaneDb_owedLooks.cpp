// Looks at a book's lists owed until a reply of them came: the author's,
// kept across starts and sign-ins.

#include "CTessaneDb.h"

#include <QSqlQuery>

bool CTessaneDb::storeOwedLook(int uid, const T_OwedLook& look)
{
    return exec(QStringLiteral("insert or replace into tb_owed_look(uid, listType, bookId, volumeId) "
                               "values(%1, %2, %3, %4);"),
                {uid, look.listType, look.bookId, look.volumeId});
}

QList<T_OwedLook> CTessaneDb::owedLooks(int uid, bool* ok)
{
    QList<T_OwedLook> rows;
    QSqlQuery query(db);
    *ok = sqlExec(query, sqlFormat(QStringLiteral("select listType, bookId, volumeId from tb_owed_look "
                                                  "where uid = %1 order by rowid;"),
                                   {uid}));
    while (*ok && query.next()) {
        T_OwedLook row;
        row.listType = query.value(0).toInt();
        row.bookId = query.value(1).toInt();
        row.volumeId = query.value(2).toInt();
        rows.append(row);
    }
    return rows;
}

bool CTessaneDb::dropOwedLook(int uid, const T_OwedLook& look)
{
    return exec(QStringLiteral("delete from tb_owed_look where uid = %1 and listType = %2 and bookId = %3 "
                               "and volumeId = %4;"),
                {uid, look.listType, look.bookId, look.volumeId});
}

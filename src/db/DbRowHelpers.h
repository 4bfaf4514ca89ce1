#pragma once

#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

// Column positions of a result looked up once by name (without regard to
// case), so that reading many rows does no name lookups. A column the result
// lacks reads as 0 or the empty text; NULL reads the same way.
class DbColumns
{
public:
    DbColumns(const QSqlQuery& query) : m_record(query.record()) {}

    int index(const char* name) const { return m_record.indexOf(QLatin1String(name)); }

    static int toInt(const QSqlQuery& query, int column)
    {
        return column < 0 ? 0 : query.value(column).toInt();
    }
    static double toDouble(const QSqlQuery& query, int column)
    {
        return column < 0 ? 0.0 : query.value(column).toDouble();
    }
    static QString toText(const QSqlQuery& query, int column)
    {
        return column < 0 ? QString() : query.value(column).toString();
    }

private:
    QSqlRecord m_record;
};

#include "db/CTessaneDb.h"

#include <QDebug>

// Runs an update or delete meant for one existing row (a QString, or a
// SqlStatement with its texts bound). False when the
// statement failed or matched no row, so that a save of a record whose row is
// gone is not mistaken for a stored one.
template <typename Statement>
bool execRowUpdate(CTessaneDb& db, const Statement& statement, const char* what, int key)
{
    QSqlQuery query = db.newQuery();
    if (!db.sqlExec(query, statement))
        return false;
    if (query.numRowsAffected() > 0)
        return true;
    qWarning() << what << key << "has no row; nothing was written";
    return false;
}

// Runs an insert and returns the new row's id, 0 when it failed.
template <typename Statement>
int execInsert(CTessaneDb& db, const Statement& statement)
{
    QSqlQuery query = db.newQuery();
    if (!db.sqlExec(query, statement))
        return 0;
    const int id = query.lastInsertId().toInt();
    return id > 0 ? id : 0;
}

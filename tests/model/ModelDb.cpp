#include "ModelDb.h"

#include <QDir>
#include <QSqlQuery>

namespace {
int nextConnection = 0;
}

ModelDb::ModelDb()
    : m_db(std::make_unique<CTessaneDb>(nullptr,
                                        QStringLiteral("model-%1").arg(++nextConnection)))
{
    const QString program = m_dir.path() + QStringLiteral("/program/data/db");
    QDir().mkpath(program);
    m_ok = m_db->init(m_dir.path() + QStringLiteral("/user/data/db/wrt.db"), program);
}

bool ModelDb::exec(const QString& statement)
{
    QSqlQuery query = m_db->newQuery();
    return m_db->sqlExec(query, statement);
}

QVariant ModelDb::value(const QString& statement)
{
    QSqlQuery query = m_db->newQuery();
    if (!m_db->sqlExec(query, statement) || !query.next())
        return QVariant();
    return query.value(0);
}

bool ModelDb::failInsertsWhen(const QString& table, const QString& column, const QString& sqlValue)
{
    return exec(QStringLiteral("CREATE TRIGGER fail_%1 BEFORE INSERT ON %1 WHEN NEW.%2 = %3 "
                               "BEGIN SELECT RAISE(ABORT, 'refused'); END;")
                    .arg(table, column, sqlValue));
}

#include "DbFixture.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QtTest>

namespace {
int nextConnection = 0;
}

DbFixture::DbFixture()
    : m_db(std::make_unique<CTessaneDb>(nullptr,
                                        QStringLiteral("test-%1").arg(++nextConnection)))
{
    QDir().mkpath(programDbDir());
}

DbFixture::~DbFixture() = default;

QString DbFixture::dbFile() const
{
    return m_dir.path() + QStringLiteral("/user/data/db/wrt.db");
}

QString DbFixture::programDbDir() const
{
    return m_dir.path() + QStringLiteral("/program/data/db");
}

bool DbFixture::init()
{
    if (!m_db)
        m_db = std::make_unique<CTessaneDb>(nullptr,
                                            QStringLiteral("test-%1").arg(++nextConnection));
    return m_db->init(dbFile(), programDbDir());
}

void DbFixture::release()
{
    m_db.reset();
}

bool DbFixture::exec(const QString& statement)
{
    QSqlQuery query = m_db->newQuery();
    return m_db->sqlExec(query, statement);
}

QVariant DbFixture::value(const QString& statement)
{
    QSqlQuery query = m_db->newQuery();
    if (!m_db->sqlExec(query, statement) || !query.next())
        return QVariant();
    return query.value(0);
}

void DbFixture::writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
    file.close();
}

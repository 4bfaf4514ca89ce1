#pragma once

#include "db/CTessaneDb.h"

#include <QTemporaryDir>
#include <QVariant>

#include <memory>

// A real database file in a fresh temporary folder, with a program folder
// of its own for the marker and the upgrade script.
class DbFixture
{
public:
    DbFixture();
    ~DbFixture();

    QString dbFile() const;
    QString programDbDir() const;
    // Creates or opens the database the way start-up does.
    bool init();
    CTessaneDb* db() const { return m_db.get(); }
    // Drops the object (and its connection) so the files can be inspected.
    void release();

    bool exec(const QString& statement);
    QVariant value(const QString& statement);
    int count(const QString& statement) { return value(statement).toInt(); }
    void writeFile(const QString& path, const QByteArray& bytes);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<CTessaneDb> m_db;
};

// Runs every test object; each is a QObject with private test slots.
int runDbTestSqlText(int argc, char** argv);
int runDbTestLifecycle(int argc, char** argv);
int runDbTestJobQueue(int argc, char** argv);
int runDbTestServerIds(int argc, char** argv);
int runDbTestStatistics(int argc, char** argv);

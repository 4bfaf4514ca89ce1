#pragma once

#include "db/CTessaneDb.h"

#include <QTemporaryDir>
#include <QVariant>

#include <memory>

// A database created from the bundled script in a fresh temporary folder,
// on a connection of its own.
class ModelDb
{
public:
    ModelDb();

    bool ok() const { return m_ok; }
    CTessaneDb& db() { return *m_db; }
    CTessaneDb* operator->() { return m_db.get(); }

    bool exec(const QString& statement);
    QVariant value(const QString& statement);
    int count(const QString& statement) { return value(statement).toInt(); }
    // Makes every insert into the table whose given column holds the value
    // fail, to see a multi-statement change fail part-way.
    bool failInsertsWhen(const QString& table, const QString& column, const QString& sqlValue);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<CTessaneDb> m_db;
    bool m_ok = false;
};

int runModelBooks(int argc, char** argv);
int runModelBookWriters(int argc, char** argv);
int runModelNotes(int argc, char** argv);
int runModelUserData(int argc, char** argv);
int runModelSysData(int argc, char** argv);
int runModelPublic(int argc, char** argv);

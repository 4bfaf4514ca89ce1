// Damage in a table the program has not read yet goes unnoticed until a
// statement meets it; a copy made before then would carry it into the
// backups. SQLite's quick check walks every page of the file.

#include "CTessaneDb.h"

#include <QAtomicInt>
#include <QDebug>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>

bool CTessaneDb::fileIsSound(const QString& path)
{
    static QAtomicInt serial;
    const QString name = QStringLiteral("quick-check-%1").arg(serial.fetchAndAddRelaxed(1));
    bool sound = false;
    {
        // A file in use (its write-ahead log beside it) is read as any
        // reader reads it: one committed state, whatever another connection
        // commits or checkpoints meanwhile; read as it lies, a checkpoint
        // half-way through looks like damage. A file no one has open (a
        // backup) is read immutable: no lock, and no files made beside it.
        const CTessaneDb* open = CTessaneDb::instance();
        const bool inUse = QFileInfo::exists(path + QStringLiteral("-wal"))
            || QFileInfo::exists(path + QStringLiteral("-journal"))
            || (open->isOpen() && QFileInfo(open->dbFilePath()) == QFileInfo(path));
        QSqlDatabase connection = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        connection.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        QUrl uri = QUrl::fromLocalFile(path);
        if (!inUse)
            uri.setQuery(QStringLiteral("immutable=1"));
        connection.setDatabaseName(uri.toString(QUrl::FullyEncoded));
        QStringList problems;
        if (connection.open()) {
            QSqlQuery query(connection);
            if (query.exec(QStringLiteral("BEGIN;")) && query.exec(QStringLiteral("PRAGMA quick_check;"))) {
                while (query.next()) {
                    if (query.value(0).toString() != QLatin1String("ok"))
                        problems.append(query.value(0).toString());
                }
                sound = problems.isEmpty();
            } else {
                problems.append(query.lastError().text());
            }
            query.finish();
            query.exec(QStringLiteral("ROLLBACK;"));
        } else {
            problems.append(connection.lastError().text());
        }
        if (!sound)
            qWarning().noquote() << "not a sound database:" << path << problems.join(QLatin1Char(' ')).left(500);
        connection.close();
    }
    QSqlDatabase::removeDatabase(name);
    return sound;
}

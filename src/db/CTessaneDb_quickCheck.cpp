// Damage in a table the program has not read yet goes unnoticed until a
// statement meets it; a copy made before then would carry it into the
// backups. SQLite's quick check walks every page of the file.

#include "CTessaneDb.h"

#include <QAtomicInt>
#include <QDebug>
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
        // Immutable and read-only: the file is read as it lies, with no lock
        // and no journal files made beside it.
        QSqlDatabase connection = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        connection.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        QUrl uri = QUrl::fromLocalFile(path);
        uri.setQuery(QStringLiteral("immutable=1"));
        connection.setDatabaseName(uri.toString(QUrl::FullyEncoded));
        QStringList problems;
        if (connection.open()) {
            QSqlQuery query(connection);
            if (query.exec(QStringLiteral("PRAGMA quick_check;"))) {
                while (query.next()) {
                    if (query.value(0).toString() != QLatin1String("ok"))
                        problems.append(query.value(0).toString());
                }
                sound = problems.isEmpty();
            } else {
                problems.append(query.lastError().text());
            }
        }
        if (!sound)
            qWarning().noquote() << "not a sound database:" << path << problems.join(QLatin1Char(' ')).left(500);
        connection.close();
    }
    QSqlDatabase::removeDatabase(name);
    return sound;
}

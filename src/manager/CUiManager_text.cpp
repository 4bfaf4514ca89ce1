#include "CUiManager.h"

#include "common/PrivateFiles.h"
#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "platform/ProgramPath.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

void CUiManager::formatTextWith(const QString& text, QString& out, bool indent, bool blankLine)
{
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.remove(QLatin1Char('\r'));
    normalised.remove(QLatin1Char('\t'));
    normalised.remove(QChar(0x3000));
    const QStringList parts = normalised.split(QLatin1Char('\n'));
    out.clear();
    const int n = parts.size();
    for (int i = 0; i < n; ++i) {
        const QString& part = parts.at(i);
        if (part.isEmpty())
            continue;
        if (indent)
            out += QString(2, QChar(0x3000));
        out += part;
        if (blankLine && i < n - 1)
            out += QLatin1Char('\n');
        if (i < n - 1)
            out += QLatin1Char('\n');
    }
}

QString CUiManager::backupFolder()
{
    QSettings settings(ProgramPath::settingsFile(), QSettings::IniFormat);
    const QString folder = settings.value(QStringLiteral("system/backup")).toString();
    return folder.isEmpty() ? getBackupDir() : folder;
}

void CUiManager::narrowBackups()
{
    // The author may have chosen a shared folder: only the copies are narrowed.
    const QDir folder(backupFolder());
    for (const QString& name : folder.entryList({QStringLiteral("*.db")}, QDir::Files))
        PrivateFiles::narrow(folder.filePath(name));
}

bool CUiManager::backupsDb()
{
    CTessaneDb* db = CTessaneDb::instance();
    const QString source = db->isOpen() ? db->dbFilePath() : getDbDir() + QStringLiteral("/wrt.db");
    const QString folder = backupFolder();
    const QString target = folder + QLatin1Char('/')
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-hh-mm-ss")) + QStringLiteral(".db");
    // A copy of a damaged file would become the newest backup, the one the
    // author is sent to.
    if (db->isDamaged()) {
        qWarning() << "backupsDb: the database is damaged; no copy made";
        return false;
    }
    if (db->isOpen()) {
        // The database runs in WAL mode: committed pages may still sit in the
        // -wal file, which a copy of the main file alone would miss. A copy
        // of the log still under way would go on writing the file while it
        // is copied. The sweep of a stopped import would write on in turns
        // and keep the log from being emptied; what it leaves is swept at
        // the next start.
        db->stopSweep();
        db->settleCheckpoint();
        QSqlQuery checkpoint = db->newQuery();
        if (!checkpoint.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE);")))
            qWarning() << "backupsDb: checkpoint failed" << checkpoint.lastError().text();
    }
    // Damage in a table nothing has read yet shows only to a check of every
    // page; a damaged copy must never stand beside the sound ones. The file
    // itself is checked, as the copy will hold it.
    if (!CTessaneDb::fileIsSound(source)) {
        qCritical() << "backupsDb: the database fails its check; no copy made" << source;
        // Damage like any other: nothing more is written over what is still
        // whole in it, and the author hears of it with the newest sound copy.
        if (db->isOpen())
            db->markDamaged();
        return false;
    }
    // QFile::copy writes a temporary file beside the target and renames it,
    // so a failed copy never leaves a partial backup; it never overwrites.
    // The copy holds the token and the lock password like the database.
    const bool ok = QFile::copy(source, target) && PrivateFiles::narrow(target);
    qDebug() << "bbbbbbbackupsDb" << source << target << ok;
    return ok;
}

#include "DbFaultText.h"

#include "db/CTessaneDb.h"
#include "manager/CUiManager.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}
}

QString DbFaultText::newestBackup(const QString& folder)
{
    // The copies are named by their time, "yyyy-MM-dd-hh-mm-ss.db": the
    // greatest name is the newest. A copy that is itself damaged (made by an
    // older version, or spoilt on its disk) is passed over: the author is
    // sent to one that can be used.
    static const QRegularExpression dated(QStringLiteral("^\\d{4}(-\\d{2}){5}\\.db$"));
    QStringList names = QDir(folder).entryList({QStringLiteral("*.db")}, QDir::Files, QDir::Name);
    for (int i = names.size() - 1; i >= 0; --i) {
        const QString path = QDir(folder).filePath(names.at(i));
        if (dated.match(names.at(i)).hasMatch() && CTessaneDb::fileIsSound(path))
            return path;
    }
    return QString();
}

QString DbFaultText::damaged(const QString& dbFile)
{
    const QString folder = CUiManager::backupFolder();
    const QString backup = newestBackup(folder);
    const QString head = tr("The database %1 is damaged. Nothing more is written to it and synchronisation is stopped.")
                             .arg(shown(dbFile));
    if (backup.isEmpty())
        return head + QLatin1Char('\n') + tr("No backup of it was found in %1.").arg(shown(folder));
    return head + QLatin1Char('\n') + tr("The newest backup of it is %1.").arg(shown(backup));
}

QString DbFaultText::cause(DbFault fault)
{
    switch (fault) {
    case DbFault::ReadOnly:
        return tr("The database file cannot be written.");
    case DbFault::Locked:
        return tr("The database is in use by another program; try again in a moment.");
    case DbFault::DiskFull:
        return tr("The disk is full or failing.");
    case DbFault::Damaged:
        return tr("The database is damaged.");
    case DbFault::None:
    case DbFault::Other:
        break;
    }
    return tr("The database refused the change.");
}

QString DbFaultText::refused(const QString& what, DbFault fault)
{
    QString remedy;
    switch (fault) {
    case DbFault::ReadOnly:
        remedy = tr("Make it writable for your account, then try again.");
        break;
    case DbFault::Locked:
        break;
    case DbFault::DiskFull:
        remedy = tr("Free some space on the disk, then try again.");
        break;
    case DbFault::Damaged:
        remedy = tr("Nothing more can be written to it; the message about it names its newest backup.");
        break;
    case DbFault::None:
    case DbFault::Other:
        remedy = tr("Try again; if it is refused again, start the program again.");
        break;
    }
    const QString why = remedy.isEmpty() ? cause(fault) : cause(fault) + QLatin1Char(' ') + remedy;
    return what + QLatin1Char('\n') + why;
}

QString DbFaultText::unfinishedUpgrade(DbFault fault, bool rowsHoldTexts)
{
    if (rowsHoldTexts)
        return tr("Your chapters could not be moved to the new layout of the database. %1 Every chapter keeps its "
                  "text, but what you change now may not be stored: quit, mend this and start the program again.")
            .arg(cause(fault));
    return tr("Your chapters could not be moved to the new layout of the database. %1 Every chapter keeps its "
              "text and you can go on writing; the move is tried again at the next start.")
        .arg(cause(fault));
}

QString DbFaultText::startFailure(DbFault fault, const QString& dbFile, const QString& detail)
{
    const QString file = shown(dbFile);
    switch (fault) {
    case DbFault::ReadOnly:
        return tr("The database %1 is read-only: the file or its folder cannot be written. "
                  "Make them writable for your account and start the program again.").arg(file);
    case DbFault::Locked:
        return tr("The database %1 is locked by another program. "
                  "Close that program and start this one again.").arg(file);
    case DbFault::DiskFull:
        return tr("The database %1 cannot be written: the disk is full or failing. "
                  "Free some space and start the program again.").arg(file);
    case DbFault::Damaged:
        return damaged(dbFile);
    case DbFault::None:
    case DbFault::Other:
        break;
    }
    return tr("The database %1 could not be opened: %2").arg(file, detail);
}

QString DbFaultText::loadFailure(DbFault fault, const QString& dbFile, const QString& detail)
{
    if (fault == DbFault::Damaged)
        return damaged(dbFile);
    return tr("Your books or memos could not be read from the database %1. Nothing is written to it and "
              "synchronisation is stopped until the next start.").arg(shown(dbFile))
        + QLatin1Char('\n') + startFailure(fault, dbFile, detail);
}

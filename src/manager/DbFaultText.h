#pragma once

#include "db/DbFault.h"

#include <QCoreApplication>
#include <QString>

// What the author is told when the database fails: the cause in words the
// author can act on, and the file it concerns.
class DbFaultText
{
    Q_DECLARE_TR_FUNCTIONS(DbFaultText)
public:
    // The start-up could not bring the database up; detail is the error
    // text for a cause without words of its own.
    static QString startFailure(DbFault fault, const QString& dbFile, const QString& detail);
    // The signed-in author's books or memos could not be read; writing and
    // synchronisation stop for this run. A damaged file is told with the
    // newest backup of it.
    static QString loadFailure(DbFault fault, const QString& dbFile, const QString& detail);
    // The start could not move the chapter texts to the database's new
    // layout; they stay where they are and the next start tries again.
    // While the chapters' rows still hold them, a change of a row needs room
    // for its text again: the author is not told to write on.
    static QString unfinishedUpgrade(DbFault fault, bool rowsHoldTexts = false);
    // The database turned out damaged while the author worked.
    static QString damaged(const QString& dbFile);
    // Why a change was refused, in a few words; the database's own text
    // stays in the log.
    static QString cause(DbFault fault);
    // A change the author asked for that the database refused: what was
    // refused, why, and what the author can do about it.
    static QString refused(const QString& what, DbFault fault);
    // The newest sound dated copy in the backup folder, empty when there is none.
    static QString newestBackup(const QString& folder);
};

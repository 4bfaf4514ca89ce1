#pragma once

#include "db/CTessaneDb.h"
#include "db/CTessaneDbTransaction.h"

#include <QElapsedTimer>

#include <functional>
#include <memory>

// Within its scope the connection waits for another connection's write lock
// only a frame or two: a write that its caller tries again later (the chapter
// save, a book moved to the shelf's front) then fails with DbFault::Locked
// instead of holding the window. Once a wait gave up, the brief writes of
// the next frames do not wait at all: a turn of the window's loop that makes
// several (opening a book saves the chapter shown and moves the book) waits
// once, while one long statement of another connection (a chapter of a
// hundred megabytes) holds the lock. Nested scopes keep the outer one's wait.
class CTessaneDb::BriefWait
{
public:
    explicit BriefWait(CTessaneDb& db);
    ~BriefWait();
    BriefWait(const BriefWait&) = delete;
    BriefWait& operator=(const BriefWait&) = delete;

private:
    CTessaneDb& m_db;
    int m_before = -1;
    int m_lockedBefore = 0;
};

class CTessaneDb::WriteClaim
{
public:
    WriteClaim(const CTessaneDb& db, const QString& statement);
    ~WriteClaim();
    WriteClaim(const WriteClaim&) = delete;
    WriteClaim& operator=(const WriteClaim&) = delete;

private:
    bool m_counted = false;
};

// A long write on a connection that gives way (an import, a sweep), cut into
// transactions of a few milliseconds. A turn ends after a row once it has
// lasted its time, or at once when a connection that does not give way waits
// to write; the next one begins after that connection's statement. Each turn
// commits what it wrote: until the last one, the caller keeps it from being
// the author's.
class WriteTurns
{
public:
    // stop is asked between turns and while giving way; once it says so,
    // begin and next return false and the open turn is rolled back.
    WriteTurns(CTessaneDb& db, std::function<bool()> stop);
    ~WriteTurns();
    WriteTurns(const WriteTurns&) = delete;
    WriteTurns& operator=(const WriteTurns&) = delete;

    // Starts the first turn; false when the lock could not be had or a stop came.
    bool begin();
    // Called after each row: ends the turn and starts the next when it is
    // time. False when a statement of the turn failed, its commit failed, or
    // a stop came.
    bool next();
    // Commits the last turn: true once everything is on disk.
    bool finish();
    bool stopRequested() const { return m_stop && m_stop(); }

private:
    CTessaneDb& m_db;
    std::function<bool()> m_stop;
    std::unique_ptr<CTessaneDb::Transaction> m_turn;
    QElapsedTimer m_started;
};

#pragma once

#include "db/CTessaneDb.h"

// One write transaction on the connection. Nested uses join the outermost
// one: any part that fails (or is left without commit) makes the whole
// transaction roll back.
class CTessaneDb::Transaction
{
public:
    explicit Transaction(CTessaneDb& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // False when the transaction could not be started; nothing may be written.
    bool began() const { return m_began; }
    // True once everything since the start is on disk (for a nested use:
    // nothing has failed so far; the outermost commit decides).
    bool commit();

private:
    // Rolls back; after a failure, that failure stays the one lastFault() and
    // lastErrorText() give.
    void rollBack(bool afterFailure);

    CTessaneDb& m_db;
    bool m_outer = false;
    bool m_began = false;
    bool m_done = false;
};

#pragma once

#include <QString>

// One clock for every stored or sent time stamp: the local clock corrected by
// the offset to the platform's clock, settled once per run.

// Seconds since the epoch, server-corrected.
qint64 currentServerTime();
// Settles the offset from the first positive server time of the run.
void setServerTimeOffset(qint64 serverTime);
// The per-sign-in code sent with every request.
QString makeUniqueCode(int userId, qint64 time);

// For tests: forget the settled offset.
void resetServerTimeOffset();

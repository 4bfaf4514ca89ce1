#pragma once

// Ends the process at a chosen write into the database's files, leaving them
// as a crash between two of SQLite's writes would. A VFS wrapped around the
// default one, and made the default itself, counts each write and truncation
// of a main database, its WAL and its rollback journal while armed, and ends
// the process just before the n-th. A killed process loses nothing the system
// already took, so syncs are not counted: ending before one leaves the same
// files as ending after the write before it.
//
// The client and Qt's SQLite driver share the one libsqlite3 of the process,
// so the driver's connections go through the wrapper too.
namespace CrashPoints {

// The exit code of a process ended at its chosen write.
constexpr int kEndedExitCode = 86;

// Puts the counting VFS in front of the default one; connections opened from
// then on use it. False when SQLite refused.
bool install();

// Counts from zero again and ends the process before the n-th write (n >= 1).
void arm(int n);

// Stops counting and tells how many writes were counted since arm().
int disarm();

}

#pragma once

class QSqlError;

// Why the database refused a statement, in the terms the author can act on.
enum class DbFault {
    None,
    ReadOnly,  // the file, its folder or what SQLite keeps beside it cannot be written
    Locked,    // another program holds the file
    DiskFull,  // the disk is full or refuses writes
    Damaged,   // the file's pages are malformed
    Other,
};

// The fault an SQLite error stands for, by its primary result code.
DbFault dbFaultOf(const QSqlError& error);

#include "DbFault.h"

#include <QSqlError>

namespace {
// SQLite's primary result codes.
enum SqliteCode {
    kPerm = 3,
    kBusy = 5,
    kLocked = 6,
    kReadOnly = 8,
    kIoErr = 10,
    kCorrupt = 11,
    kFull = 13,
    kNotADb = 26,
};
}

DbFault dbFaultOf(const QSqlError& error)
{
    if (error.type() == QSqlError::NoError)
        return DbFault::None;
    bool isNumber = false;
    const int code = error.nativeErrorCode().toInt(&isNumber) & 0xff;
    if (!isNumber)
        return DbFault::Other;
    switch (code) {
    case kPerm:
    case kReadOnly:
        return DbFault::ReadOnly;
    case kBusy:
    case kLocked:
        return DbFault::Locked;
    // A write the disk refuses comes as an I/O error unless the disk said
    // "no space" outright; either way the author has to look at the disk.
    case kIoErr:
    case kFull:
        return DbFault::DiskFull;
    case kCorrupt:
    case kNotADb:
        return DbFault::Damaged;
    default:
        return DbFault::Other;
    }
}

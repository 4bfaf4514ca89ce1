#pragma once

#include <QHash>
#include <QPair>

// A look at one of the platform's lists of a book that an answer called for
// (where a new or moved volume or outline card stands, which chapters a
// volume's delete recycled): sent at once and kept until a reply of it came,
// so a failure or a restart in between never leaves this machine on its own
// view for good. listType is the list's job type.
struct T_OwedLook
{
    int listType = 0;
    int bookId = 0;
    // A chapter list named with a deleted volume is read for the chapters'
    // states; the chapter of a look at one chapter (its text, name and
    // state); 0 for any other list.
    int volumeId = 0;

    bool operator==(const T_OwedLook& other) const
    {
        return listType == other.listType && bookId == other.bookId && volumeId == other.volumeId;
    }
};

inline uint qHash(const T_OwedLook& look, uint seed = 0)
{
    return qHash(qMakePair(look.listType, qMakePair(look.bookId, look.volumeId)), seed);
}

#pragma once

// A delete for good of this machine's that the feed withdrew (another machine
// restored the object or wrote in it): the object comes back by a look at it,
// tried with every feed pass until it is answered. jobType is the delete's.
struct T_WithdrawnDelete
{
    int jobType = 0;
    int serverId = 0;
    // The object's book (0 for books and memos).
    int bookId = 0;
    // A request of the delete went out unanswered: the platform may have
    // taken it before the words written elsewhere came.
    bool sent = false;
    // A book that was in the recycle bin here goes back there once fetched.
    bool toBin = false;
};

// A delete of this machine's that the platform confirmed (it took it, or
// refused a resend because the object was gone): a list or detail the
// platform answered before the delete reached it brings nothing back.
// jobType is the delete's (a volume's delete and restore for a volume).
struct T_DeletedHere
{
    int jobType = 0;
    int serverId = 0;
    int bookId = 0;
    // The platform took the delete itself rather than refusing it as done.
    bool tookIt = false;
    // The author heard that words written elsewhere went with it.
    bool told = false;
    // A feed pass pulled after the confirmation has ended: no change item
    // recorded before the delete comes any more.
    bool feedPassed = false;
};

#pragma once

// Which manager owns a job type, and what became of a stored job handed to
// its owner for replay.

namespace JobOwners {

constexpr int SynDataPull = 3010;
constexpr int SynDataAck = 3011;

inline bool isAccountJob(int type) { return type >= 2 && type <= 7; }
inline bool isBookJob(int type) { return type >= 1002 && type <= 1035; }
inline bool isSystemJob(int type) { return type >= 2002 && type <= 2009; }
inline bool isMemoJob(int type) { return type >= 3002 && type <= 3008; }

// Requests that only fetch data. They are never stored as jobs; a row of
// such a type can never be sent and is dropped from the queue.
inline bool isFetchOnly(int type)
{
    switch (type) {
    case 1003: case 1004: case 1007: case 1012: case 1013: case 1014: case 1020:
    case 1025: case 1026: case 1030: case 1035:
    case 2002: case 2004: case 2005: case 2007: case 2008: case 2009:
    case 3008: case SynDataPull: case SynDataAck:
        return true;
    default:
        return false;
    }
}

// Requests for the platform's own data (categories, name lists, the update
// check, levels), which no author owns: their replies count whichever
// session they come in.
inline bool isSessionFree(int type)
{
    return type == 2002 || type == 2005 || type == 2008 || type == 2009;
}

// Requests that create an object on the platform. Sending one twice makes
// two objects, so its confirmation is written at once rather than batched.
inline bool isCreate(int type)
{
    switch (type) {
    case 1002: case 1008: case 1009: case 1022: case 1031: case 3002:
        return true;
    default:
        return false;
    }
}

// Deletes for good of a chapter, a book, an outline entry or a memo: they
// take with them whatever another machine did to the object since this one
// last saw it.
inline bool isDeleteForGood(int type) { return type == 1011 || type == 1028 || type == 1024 || type == 3003; }

// The list of a book that a create's object is appended to on the platform,
// in the order the creates arrive there: chapters (one by one or in
// batches), volumes, outline entries. 0: order does not matter.
inline int appendedList(int type)
{
    switch (type) {
    case 1008: case 1009:
        return 1008;
    case 1022: case 1031:
        return type;
    default:
        return 0;
    }
}

// Requests that change the platform differently when they arrive twice: a
// create makes a second object, a relative move (chapter, outline, volume)
// moves the object once more. Their confirmations are written at once, so a
// crash right after the reply cannot send them again.
inline bool isUnsafeToRepeat(int type)
{
    switch (type) {
    case 1018: case 1027: case 1034:
        return true;
    default:
        return isCreate(type);
    }
}

}

// The outcome of handing one stored job to its owner.
enum class JobReplay {
    Sent,    // the request is out; its reply finishes the job
    Done,    // the owner finished it on the spot (the row is gone or kept by its own rules)
    Park,    // cannot go now (server ids not known yet, its object is gone from the model):
             // stays queued, the pass goes on and the next one tries again
    Drop,    // can never be sent (a fetch type, nothing to send): removed from the queue
    Prepare, // its request is being made on a worker (an import's batch): the drain waits
             // as for a reply, and hands the job out again once it is made (jobPrepared)
};

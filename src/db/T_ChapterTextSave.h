#pragma once

#include "db/DbFault.h"
#include "db/T_JobData.h"
#include "remote/T_Http_Custom.h"

#include <QString>

// One save of a chapter's text: what it writes (the row, the book's
// last-edited chapter and the pending job, in one transaction) and, once
// stored, what it found and how it ended. Plain values only, so a worker
// thread can fill it.
struct T_ChapterTextSave
{
    T_Http_Custom header;  // the job's identity; jobId is set once stored
    // Shared with the editor's copy, never changed: the worker converts it
    // to UTF-8 once, for the row and the job.
    QString text;
    int wordCount = 0;
    int updateTime = 0;
    // The text the save replaces: the platform's text as far as this copy
    // knows, named by the pending edit's first save.
    QString replacedText;
    // Its request leaves as soon as it is stored: the job is marked as sent
    // in the same write, as marking the row later rewrites the whole text.
    bool goesAtOnce = false;

    bool stored = false;
    T_ChapterEditHead pending;  // the pending edit the text went into
    int revision = 0;           // the job's revision the request must quote
    QString error;
    DbFault fault = DbFault::None;
};

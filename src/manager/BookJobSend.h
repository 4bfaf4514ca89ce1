#pragma once

// The one way the book operations send a request whose job they have just
// recorded. Included by the operation files only.

#include "CBookJobManager.h"

#include "manager/CJobManager.h"
#include "remote/CTessaneHttp.h"

#include <optional>

namespace BookJobSend {
// The members a request edits, when it tells them itself: a chapter's edit
// may hold its name, its text or both.
template <class Request>
std::optional<CAnsweredEdits::Edit> editSent(const Request&)
{
    return std::nullopt;
}

inline std::optional<CAnsweredEdits::Edit> editSent(const TC_Chapter_Edit& request)
{
    return CAnsweredEdits::chapterEdit(request.header.localChapterId, request.hasName, request.hasContent);
}

// Whether the write that stored the request's job marked it as sent.
template <class Request>
bool markedSent(const Request&)
{
    return false;
}

inline bool markedSent(const TC_Chapter_Edit& request)
{
    return request.markedSent;
}
}

template <class Request>
void CBookJobManager::sendRecorded(Request& request, int revision, void (CTessaneHttp::*send)(Request&))
{
    CJobManager* jobs = CJobManager::instance();
    // The request of an earlier state of this job is still out: its reply
    // finds the job rewritten and keeps it, and the queue sends the newer
    // state. Sending now as well would confirm the job twice.
    if (request.header.jobId > 0 && jobs->isJobInFlight(request.header.jobId))
        return;
    // A job that must reach the platform after an earlier one still queued
    // goes with the queue, after it.
    if (jobs->waitsForEarlier(request.header.jobType, request.header.localBookId, request.header.jobId))
        return;
    (m_http->*send)(request);
    const std::optional<CAnsweredEdits::Edit> sent = BookJobSend::editSent(request);
    jobs->noteJobSent(request.header, revision, QString(), sent ? &*sent : nullptr, BookJobSend::markedSent(request));
}

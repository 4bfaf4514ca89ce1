#pragma once

// The one way the book operations send a request whose job they have just
// recorded. Included by the operation files only.

#include "CBookJobManager.h"

#include "manager/CJobManager.h"
#include "remote/CTessaneHttp.h"

#include <QDebug>

template <class Request>
void CBookJobManager::sendRecorded(Request& request, int revision, void (CTessaneHttp::*send)(Request&))
{
    CJobManager* jobs = CJobManager::instance();
    // The request of an earlier state of this job is still out: its reply
    // finds the job rewritten and keeps it, and the queue sends the newer
    // state. Sending now as well would confirm the job twice.
    if (request.header.jobId > 0 && jobs->isJobInFlight(request.header.jobId))
        return;
    (m_http->*send)(request);
    jobs->noteJobSent(request.header, revision);
}

template <class Request>
void CBookJobManager::deleteOrphan(Request& request, void (CTessaneHttp::*send)(Request&), const QString& column,
                                   int localId, const QString& content, int ext1)
{
    // A create whose object is gone here by the time its reply names it. A
    // delete kept waiting for the id goes now; otherwise one is queued like
    // the author's own, so it survives a restart.
    if (request.header.uid < 1)
        return;
    qInfo() << "object of job type" << request.header.jobType << "was deleted here before its create was answered;"
            << "the platform's copy is deleted too";
    int revision = 0;
    T_JobData waiting;
    const int jobId = m_db->pendingJob(request.header.uid, request.header.jobType, column, localId);
    if (jobId > 0 && m_db->getJobById(jobId, waiting) && waiting.jobId == jobId) {
        request.header.jobId = jobId;
        revision = waiting.revision;
    } else if (!recordJob(request.header, content, now(), ext1, &revision) || request.header.jobId < 1) {
        return;
    }
    sendRecorded(request, revision, send);
}

// Routing of the asynchronous replies: which job is finished, which manager
// handles the reply, and whether the drain and the change feed go on.
//
// The identity that counts is the one the request itself carried (its
// "userdata" header as sent). The platform echoes it; a reply whose echo is
// missing or differs is not trusted with anything and counts as a failed
// request of the job that was really sent.

#include "CJobManager.h"

#include "db/CTessaneDb.h"
#include "db/CTessaneDbTransaction.h"
#include "manager/CBookJobManager.h"
#include "manager/CMemoManager.h"
#include "manager/CPublicManager.h"
#include "manager/CSynDataManager.h"
#include "manager/CSystemManager.h"
#include "manager/CUiManager.h"
#include "manager/CUserJobManager.h"
#include "remote/CTessaneHttp.h"
#include "remote/CTessaneUrl.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

namespace {

// The platform's verdicts that settle a job for good: done, or refused in a
// way that sending it again would not change.
bool isDefinitive(int code)
{
    return code == HttpOk || (code >= HttpRefused && code < 500);
}

}

void CJobManager::printSData(const T_Http_S* head)
{
    if (head == nullptr)
        return;
    const QString className = QStringLiteral("T_Http_S");
    if (head->userdata.jobType > 0) {
        qDebug().noquote() << QStringLiteral("class : %1 , jobType=%2 , jobId=%3 , code=%4 , msg=%5, syn=%6")
                                  .arg(className, QString::number(head->userdata.jobType),
                                       QString::number(head->userdata.jobId), QString::number(head->code),
                                       head->msg, QString::number(head->userdata.synStep));
    } else {
        qDebug().noquote() << QStringLiteral("class : %1 , code=%2 , msg=%3")
                                  .arg(className, QString::number(head->code), head->msg);
    }
}

void CJobManager::onGetAsynData(QNetworkReply* reply)
{
    if (reply == nullptr)
        return;
    T_Http_Custom sent;
    sent.fromUserData(QString::fromLatin1(reply->request().rawHeader("userdata")));
    if (m_apiClient->isOfEndedSession(reply) && !JobOwners::isSessionFree(sent.jobType)) {
        reply->deleteLater();
        dropEndedSessionReply(sent);
        return;
    }
    const QNetworkReply::NetworkError error = reply->error();
    const bool httpAnswered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    const QString errorText = reply->errorString();
    QByteArray body;
    if (error == QNetworkReply::NoError)
        body = reply->readAll();
    reply->deleteLater();

    if (error != QNetworkReply::NoError) {
        qWarning() << "NetWorkError : " << error << errorText;
        // No HTTP answer at all: the platform is out of reach, so the rest of
        // the pass would fail the same way. An error status, or no
        // connection at all, says the request was not taken.
        const bool notTaken = httpAnswered || error == QNetworkReply::ConnectionRefusedError
                              || error == QNetworkReply::HostNotFoundError
                              || error == QNetworkReply::TemporaryNetworkFailureError
                              || error == QNetworkReply::NetworkSessionFailedError
                              || error == QNetworkReply::ProxyConnectionRefusedError
                              || error == QNetworkReply::ProxyNotFoundError;
        replyFailed(sent, !httpAnswered, notTaken);
        return;
    }

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    const QJsonObject root = document.object();
    T_Http_S head;
    CTessaneUrl::parseAsyncReplyHeader(root, &head);
    printSData(&head);

    if (parseError.error != QJsonParseError::NoError || !document.isObject()
        || !root.value(QStringLiteral("userdata")).isString()) {
        qWarning().noquote() << "reply to request" << QString::fromLatin1(sent.toUserData())
                             << "is no JSON object with userdata; treated as a failed request";
        replyFailed(sent, false);
        return;
    }
    if (head.userdata != sent) {
        qWarning().noquote() << "reply names" << QString::fromLatin1(head.userdata.toUserData())
                             << "but its request was" << QString::fromLatin1(sent.toUserData())
                             << "; treated as a failed request";
        replyFailed(sent, false);
        return;
    }
    // Whatever the reply's handlers apply, they know what left after it.
    CAnsweredEdits::ReplyScope scope(CHttpBase::orderOf(reply));
    routeReply(head, body);
}

void CJobManager::dropEndedSessionReply(const T_Http_Custom& sent)
{
    // Whatever it says (done, refused, "sign in again") was said to a sign-in
    // that has ended, even when the same author has signed in again since.
    // Its job stays queued and goes again in this session; a create or a
    // change that may have arrived is looked up first, as after a lost reply.
    qInfo() << "reply of an ended session dropped: job" << sent.jobId << "type" << sent.jobType;
    InFlight entry;
    if (sent.jobId < 1 || !takeInFlight(sent.jobId, entry))
        return;
    if (entry.jobId == m_drainJobId) {
        m_drainJobId = 0;
        drainNext();
    } else if (m_drainJobId != 0) {
        m_passAgain = true;  // the pass under way passed over it
    } else if (isSignedIn()) {
        passSoon();
    }
}

bool CJobManager::takeInFlight(int jobId, InFlight& out)
{
    auto it = m_inFlight.find(jobId);
    if (it == m_inFlight.end())
        return false;
    out = it.value();
    m_inFlight.erase(it);
    return true;
}

void CJobManager::replyFailed(const T_Http_Custom& sent, bool unreachable, bool notTaken)
{
    if (sent.jobType == JobOwners::SynDataAck) {
        m_synData->ackAnswered(sent, false);
        return;
    }
    if (sent.jobType == JobOwners::SynDataPull || sent.runNext != 0) {
        m_ui->stopSyncAnimation(false);
        m_model->resetAllBookSynState();
    }
    if (sent.jobType == JobOwners::SynDataPull)
        beginAutoSyn();  // the next tick pulls again
    if (sent.synStep != 0)
        m_synData->abortSyn(sent.synStep, !unreachable);
    m_synData->lookAnswered(sent, false);

    bool fromDrain = false;
    if (sent.jobId > 0) {
        InFlight entry;
        if (takeInFlight(sent.jobId, entry)) {
            fromDrain = entry.jobId == m_drainJobId;
            qInfo() << "job" << sent.jobId << "type" << sent.jobType
                    << "not confirmed; it stays queued for the next synchronisation";
            if (notTaken && entry.lookupFor == 0)
                unmarkChangeSent(entry.jobType, entry.jobId);
        }
    }
    if (!fromDrain)
        return;
    m_drainJobId = 0;
    m_passFailed = true;
    if (unreachable) {
        m_passUnreachable = true;
        endPass();
        return;
    }
    // The queue goes on with the jobs behind the failed one.
    drainNext();
}

void CJobManager::unmarkChangeSent(int jobType, int jobId)
{
    // The platform did not take it: it goes again without a look-up (a
    // delete for good, withdrawn, is known never to have reached it).
    if ((CBookJobManager::isLookedUpChange(jobType) || JobOwners::isDeleteForGood(jobType)) && !m_db->unmarkJobSent(jobId))
        qWarning() << "change job" << jobId << "stays marked as sent; it is looked up before it goes again";
}

void CJobManager::routeReply(const T_Http_S& head, const QByteArray& body)
{
    const T_Http_Custom& identity = head.userdata;

    bool fromDrain = false;
    bool tracked = false;
    bool keptChapter = false;
    InFlight entry;
    if (identity.jobId > 0) {
        tracked = takeInFlight(identity.jobId, entry);
        fromDrain = tracked && entry.jobId == m_drainJobId;
        if (fromDrain)
            m_drainJobId = 0;
    }

    if (identity.uid > 0 && identity.uid != currentUid()) {
        qWarning() << "reply for user" << identity.uid << "while user" << currentUid()
                   << "is signed in; nothing of it is applied";
        if (fromDrain || m_drainJobId == 0)
            execUserJob();
        return;
    }

    if (head.code == HttpSignInAgain) {
        // The job stays; the session ends and the login dialog takes over.
        m_ui->setSyncRunning(0);
        m_ui->logout();
        return;
    }

    // Its feed step names an ended pass; nothing waits for it.
    if (identity.jobType == JobOwners::SynDataAck) {
        m_synData->ackAnswered(identity, head.code == HttpOk);
        return;
    }

    if (tracked && entry.lookupFor != 0) {
        lookUpAnswered(entry, head, body, fromDrain);
        return;
    }

    // A job or a fetch refused because its book is gone: no job of the book
    // is left to fail again.
    if (head.code == HttpRefused && (tracked || identity.jobId == 0))
        m_bookJobs->keepRefusedBook(identity, head.msg);

    if (identity.jobId > 0) {
        if (!tracked) {
            if (m_answeredJobIds.contains(identity.jobId))
                qWarning() << "second reply for job" << identity.jobId << "dropped";
            else
                qWarning() << "reply for job" << identity.jobId << "type" << identity.jobType
                           << "which has no request out; dropped";
            return;
        }
        if (entry.jobType != identity.jobType || entry.uid != identity.uid) {
            qWarning() << "reply for job" << identity.jobId << "names type" << identity.jobType
                       << "user" << identity.uid << "but type" << entry.jobType << "user" << entry.uid
                       << "was sent; nothing of it is applied";
            continueAfter(identity, fromDrain, false);
            return;
        }
        m_answeredJobIds.insert(identity.jobId);
        // Read before the job leaves the queue: an outline's delete names its
        // outline only there.
        if (JobOwners::isDeleteForGood(identity.jobType) || identity.jobType == JobType::VolumeDelRestore)
            m_bookJobs->noteDeleteConfirmed(identity, head.code, head.msg);
        // Refused because its chapter is gone while words of it wait here:
        // the chapter is kept and its new jobs go with the queue.
        keptChapter = head.code == HttpRefused && m_bookJobs->keepRefusedChapter(identity, head.msg);
        // The same for the words of an outline or a memo edit: the kept
        // note's create goes after the feed under way.
        if (head.code == HttpRefused && identity.jobType == JobType::OutlineUpdate)
            m_bookJobs->keepRefusedOutline(identity, head.msg);
        else if (head.code == HttpRefused && identity.jobType == JobType::MemoEdit)
            m_memos->keepRefusedMemo(identity, head.msg);
        if (isDefinitive(head.code)) {
            if (JobOwners::isCreate(identity.jobType)) {
                m_firstListed.remove(identity.jobId);
                // A create leaves the queue in the same commit that stores
                // the platform's ids for the new object: a process killed
                // between the two would keep an object that has no server
                // id and that nothing sends again.
                CTessaneDb::Transaction transaction(*m_db);
                confirmJob(entry, fromDrain);
                callHandler(identity, body);
                if (transaction.began() && !transaction.commit()) {
                    qWarning() << "create job" << identity.jobId
                               << "answered but its ids could not be stored; it stays queued";
                    if (fromDrain)
                        m_passFailed = true;
                }
                continueAfter(identity, fromDrain, true);
                return;
            }
            // A refusal is told as one, and the pass does not count as a success.
            const Refusal refusal = head.code == HttpOk ? Refusal::None : takeRefusal(entry, head);
            if (refusal != Refusal::None && (fromDrain || m_ui->syncRunning() != 0 || m_synData->isRunning()))
                m_refusedInPass = true;
            // Sent outside the pass, it may be answered while the pass's
            // success still waits to be shown: it is no success either.
            if (refusal != Refusal::None)
                m_ui->syncMetRefusal();
            if (refusal == Refusal::None)
                confirmJob(entry, fromDrain);
            // A request that left before this answer came may have been
            // taken before the edit: its reply does not take the edit back.
            if (head.code == HttpOk)
                CAnsweredEdits::instance()->noteAnswered(entry.edit, m_apiClient->lastSentOrder());
        } else {
            qInfo() << "job" << identity.jobId << "failed on the platform with code" << head.code
                    << "; it stays queued for the next synchronisation";
            unmarkChangeSent(identity.jobType, identity.jobId);
            if (fromDrain)
                m_passFailed = true;
        }
    }

    const bool succeeded = isDefinitive(head.code);
    if (identity.synStep != 0 && !succeeded) {
        // The change this fetch belonged to was not applied: the feed stops
        // without acknowledging it, so the next pull brings it again.
        m_synData->abortSyn(identity.synStep, true);
    }
    // Before the reply is applied, which may owe the same look anew.
    m_synData->lookAnswered(identity, succeeded);
    callHandler(identity, body);
    continueAfter(identity, fromDrain, succeeded);
    if (keptChapter && !fromDrain) {
        if (m_drainJobId != 0)
            m_passAgain = true;
        else
            execUserJob();
    }
}

void CJobManager::lookUpAnswered(const InFlight& entry, const T_Http_S& head, const QByteArray& reply,
                                 bool fromDrain)
{
    const QByteArray body = m_synData->withMembersHere(entry.jobType, reply);
    const bool change = CBookJobManager::isLookedUpChange(entry.lookupFor);
    // A change whose object the platform refuses to show goes again, and
    // its refusal settles it as any refusal does.
    if (head.code != HttpOk && !(change && isDefinitive(head.code))) {
        // Without the list the create could be made twice: it waits.
        qInfo() << "look-up for job" << entry.jobId << "failed with code" << head.code << "; it waits";
        if (fromDrain) {
            m_passFailed = true;
            drainNext();
        }
        return;
    }
    const CBookJobManager::Lookup found =
        head.code != HttpOk ? CBookJobManager::Lookup::Missing
        : change            ? m_bookJobs->settleLostChange(entry.jobId, body)
                            : m_bookJobs->adoptCreated(entry.lookupFor, entry.jobId, body, m_feedPasses,
                                                       m_firstListed[entry.jobId]);
    switch (found) {
    case CBookJobManager::Lookup::Adopted:
        m_firstListed.remove(entry.jobId);
        break;
    case CBookJobManager::Lookup::Missing:
        // Not there: the earlier request never arrived, so it goes as new.
        m_firstListed.remove(entry.jobId);
        m_lookedUp.insert(entry.jobId);
        if (fromDrain && m_passCursor >= entry.jobId)
            m_passCursor = entry.jobId - 1;
        break;
    case CBookJobManager::Lookup::AfterFeed:
        m_lookUpAfterFeed = true;
        break;
    }
    if (fromDrain)
        drainNext();
}

void CJobManager::confirmJob(const InFlight& job, bool fromDrain)
{
    if (job.jobType != TessaneJob::StatisticsUpload || job.sentContent.isEmpty()) {
        // Confirmations of edits are written in batches: one lost in a crash
        // only sends the same change again. A create or a relative move sent
        // twice would change the platform twice, so it is written at once.
        m_confirmed.insert(job.jobId, job.revision);
        if (m_confirmed.size() >= kConfirmBatch || JobOwners::isUnsafeToRepeat(job.jobType))
            flushConfirmed();
        else if (!m_flushTimer->isActive())
            m_flushTimer->start(kConfirmDelayMs);
        return;
    }
    // A statistics upload takes off exactly the counters it carried.
    const JobConfirm result = m_db->confirmStatisticsJob(job.jobId, job.sentContent);
    if (result == JobConfirm::KeptNewer && fromDrain && !m_passRetried.contains(job.jobId)) {
        m_passRetried.insert(job.jobId);
        m_passCursor = job.jobId - 1;
    } else if (result == JobConfirm::Failed) {
        qWarning() << "statistics job" << job.jobId << "answered but could not be taken off the queue";
        if (fromDrain)
            m_passFailed = true;
    }
}

void CJobManager::flushConfirmed(QList<int>* keptNewer)
{
    m_flushTimer->stop();
    if (m_confirmed.isEmpty())
        return;
    QHash<int, JobConfirm> results;
    const QHash<int, int> batch = m_confirmed;
    m_confirmed.clear();
    if (!m_db->deleteJobs(batch, &results)) {
        qWarning() << batch.size() << "answered jobs could not be taken off the queue; they are sent again later";
        m_passFailed = true;
        return;
    }
    for (auto it = results.constBegin(); it != results.constEnd(); ++it) {
        if (it.value() == JobConfirm::KeptNewer && keptNewer)
            keptNewer->append(it.key());
    }
}

void CJobManager::callHandler(const T_Http_Custom& identity, const QByteArray& body)
{
    const int type = identity.jobType;
    if (JobOwners::isAccountJob(type))
        m_userJobs->asynBack(type, body);
    else if (JobOwners::isBookJob(type))
        // What was fetched passes the feed's check for waiting local changes first.
        m_bookJobs->asynBack(type, identity.localBookId, m_synData->guardReply(type, body, identity.synStep != 0));
    else if (JobOwners::isMemoJob(type))
        m_memos->onGetAsynData(type, m_synData->guardReply(type, body, identity.synStep != 0));
    else if (JobOwners::isSystemJob(type))
        m_system->asynBack(type, body);
    else if (type == JobOwners::SynDataPull)
        m_synData->startSyn(body);
}

void CJobManager::continueAfter(const T_Http_Custom& identity, bool fromDrain, bool succeeded)
{
    if (identity.synStep != 0 && succeeded)
        m_synData->execNext(identity.synStep);
    if (fromDrain) {
        drainNext();
    } else if (identity.runNext != 0) {
        execUserJob();
    } else if (succeeded && identity.jobId > 0 && waitsForEarlier(identity.jobType, identity.localBookId, 0)) {
        // Jobs of its kind may have waited for this one.
        if (m_drainJobId != 0)
            m_passAgain = true;
        else
            execUserJob();
    }
}

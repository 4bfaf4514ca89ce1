#include "CMemoManager.h"

#include "common/ServerClock.h"
#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/CTessaneDbTransaction.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CSynDataManager.h"
#include "manager/CUiManager.h"
#include "remote/CTessaneHttp.h"
#include "remote/CTessaneUrl.h"
#include "ui/creation/memo/MemoItemManager.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
// The platform's refusal of a request naming a memo it does not hold.
const QString kMemoGone = QStringLiteral("便签不存在");

int now()
{
    return static_cast<int>(currentServerTime());
}

QString compact(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// The combined edit a stored 3007 job stands for: every key it holds goes
// out, so a reply confirms exactly what the row carried when it was sent.
TC_Memo_Edit editFromJob(const T_JobData& job)
{
    const QJsonObject stored = QJsonDocument::fromJson(job.content.toUtf8()).object();
    const auto has = [&stored](const char* key) { return stored.contains(QLatin1String(key)); };
    TC_Memo_Edit request(job.localMemoId, job.memoId, job.createTime,
                         stored.value(QStringLiteral("content")).toString(),
                         stored.value(QStringLiteral("color")).toString(),
                         stored.value(QStringLiteral("localBookId")).toInt(),
                         stored.value(QStringLiteral("localChapterId")).toInt(),
                         float(stored.value(QStringLiteral("x")).toDouble()),
                         float(stored.value(QStringLiteral("y")).toDouble()),
                         stored.value(QStringLiteral("isHold")).toInt(), 0, 0);
    request.bookId = stored.value(QStringLiteral("bookId")).toInt();
    request.chapterId = stored.value(QStringLiteral("chapterId")).toInt();
    request.locationChanged = has("localBookId");
    request.contentChanged = has("content");
    return request;
}
}

CMemoManager::CMemoManager(QObject* parent)
    : QObject(parent),
      m_http(CTessaneHttp::instance()),
      m_db(CTessaneDb::instance()),
      m_model(CPublicManager::instance())
{
}

CMemoManager* CMemoManager::instance()
{
    static CMemoManager* manager = new CMemoManager();
    return manager;
}

bool CMemoManager::loadMemoList()
{
    // Open windows name their memo by local id, so none is left pointing
    // at a freed record.
    m_model->clearMemos();
    const int uid = m_model->userInfo.uid;
    if (uid < 1)
        return false;
    if (!m_db->getMemos(uid, m_model->memoList)) {
        qWarning() << "memos of user" << uid << "could not be loaded";
        return false;
    }
    return true;
}

template <class Request>
void CMemoManager::sendRecorded(Request& request, int revision, void (CTessaneHttp::*send)(Request&))
{
    CJobManager* jobs = CJobManager::instance();
    // An earlier state of this job is still out: its reply finds the job
    // rewritten and keeps it, and the queue sends the newer state.
    if (request.header.jobId > 0 && jobs->isJobInFlight(request.header.jobId))
        return;
    (m_http->*send)(request);
    if (request.header.jobId > 0)
        jobs->noteJobSent(request.header, revision);
}

bool CMemoManager::memoAdd(TC_Memo_Add& request)
{
    const int uid = m_model->userInfo.uid;
    if (uid < 1)
        return false;
    request.header.uid = uid;
    const bool local = !fromServer(request.header);
    // Row and job together: a memo stored without its job would never reach
    // the platform. The store counts the memo as soon as its row is in; a
    // rolled-back add takes that back.
    const int memoCount = m_model->userConf.systemConf.memoCount;
    int revision = 0;
    bool stored = false;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (transaction.began() && m_db->insertMemo(uid, request)) {
            bool recorded = true;
            if (local) {
                QJsonObject content;
                content.insert(QStringLiteral("color"), request.color);
                content.insert(QStringLiteral("content"), request.content);
                request.header.jobType = JobType::MemoAdd;
                recorded = m_db->addJob(request.header, compact(content), request.updateTime, 0, &revision);
            }
            stored = recorded && transaction.commit();
        }
    }
    if (!stored) {
        qWarning() << "memo not stored:" << m_db->lastErrorText();
        m_model->userConf.systemConf.memoCount = memoCount;
        request.header.localMemoId = 0;
        return false;
    }
    const T_Memo* memo = m_model->addMemo(request);
    if (!memo)
        return false;
    if (!local) {
        refreshMemoView(memo->localId, JobType::MemoAdd);
        return true;
    }
    sendRecorded(request, revision, &CTessaneHttp::memoAdd_asyn);
    return true;
}

bool CMemoManager::memoDel(TC_Memo_Del& request)
{
    const int uid = m_model->userInfo.uid;
    if (uid < 1)
        return false;
    if (const T_Memo* memo = m_model->findMemoByLocalId(request.header.localMemoId)) {
        if (request.header.memoId < 1)
            request.header.memoId = memo->memoId;
    }
    const bool local = !fromServer(request.header);
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began() || !m_db->deleteMemo(uid, request))
            return false;
        if (local) {
            request.header.uid = uid;
            request.header.jobType = JobType::MemoDel;
            // The table drops the memo's pending jobs; for a memo the
            // platform never had nothing is queued (jobId stays 0).
            if (!m_db->addJob(request.header, QString(), request.updateTime, 0)) {
                qWarning() << "delete of memo" << request.header.localMemoId << "not queued";
                return false;
            }
        }
        if (!transaction.commit())
            return false;
    }
    m_model->removeMemo(request);
    if (!local)
        return true;
    // Another machine may have written in the memo since this one last
    // pulled the feed: the delete goes once a feed pulled after it has shown
    // that (CSynDataManager withdraws it then).
    if (request.header.memoId >= 1 && request.header.jobId > 0)
        CJobManager::instance()->sendAfterFeed(request.header.jobId);
    return true;
}

bool CMemoManager::memoDetail(TC_Memo_Detail& request)
{
    // A fetch is never queued: one lost goes again with the next change feed.
    request.header.uid = m_model->userInfo.uid;
    request.header.jobType = JobType::MemoDetail;
    request.header.jobId = 0;
    m_http->memoDetail_asyn(request);
    return true;
}

bool CMemoManager::storeOrRestore(T_Memo* memo, const T_Memo& before)
{
    if (m_db->updateMemo(m_model->userInfo.uid, memo))
        return true;
    qWarning() << "memo" << memo->localId << "not written:" << m_db->lastErrorText();
    *memo = before;
    return false;
}

bool CMemoManager::commitEdit(T_Memo* memo, const T_Memo& after, TC_Memo_Edit& request, const QString& content,
                              int sentType)
{
    const bool local = !fromServer(request.header);
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began() || !m_db->updateMemo(m_model->userInfo.uid, &after)) {
            qWarning() << "memo" << memo->localId << "not written:" << m_db->lastErrorText();
            return false;
        }
        if (local) {
            request.header.jobType = sentType;
            if (!m_db->addJob(request.header, content, request.updateTime, 0))
                return false;
            // The text before the edit is what the platform holds as far as
            // this copy knows: the feed's guard keeps a copy of the
            // platform's text only when it is none of those.
            if (request.header.jobId > 0 && !m_db->noteEditReplaced(request.header.jobId, noteTextMd5(memo->content)))
                return false;
        }
        if (!transaction.commit())
            return false;
    }
    *memo = after;
    if (!local)
        return true;
    request.header.jobType = sentType;
    // The colour and the place wait in the one job that carries the text:
    // the whole job goes once a feed pulled after this edit has turned a
    // text written elsewhere meanwhile into a copy.
    if (request.header.memoId >= 1 && request.header.jobId >= 1)
        CJobManager::instance()->sendEditAfterFeed(request.header.jobId);
    return true;
}

T_Memo* CMemoManager::applyEdit(TC_Memo_Edit& request, const char* what,
                                T_Memo* (CPublicManager::*update)(const TC_Memo_Edit&), T_Memo& after)
{
    if (m_model->userInfo.uid < 1)
        return nullptr;
    // Without the memo there are no server ids to send the edit with.
    T_Memo* memo = m_model->findMemoByLocalId(request.header.localMemoId);
    if (!memo) {
        qWarning() << what << ": no memo" << request.header.localMemoId;
        return nullptr;
    }
    // The model's own rules work the edit out; the memo keeps its state
    // until the row and the job are committed.
    const T_Memo before = *memo;
    (m_model->*update)(request);
    after = *memo;
    *memo = before;
    return memo;
}

void CMemoManager::fillEditIdentity(TC_Memo_Edit& request, const T_Memo* memo) const
{
    request.header.uid = m_model->userInfo.uid;
    request.header.localMemoId = memo->localId;
    request.header.memoId = memo->memoId;
}

bool CMemoManager::memoEditColor(TC_Memo_Edit& request)
{
    T_Memo after;
    T_Memo* memo = applyEdit(request, "memoEditColor", &CPublicManager::updateMemoColor, after);
    if (!memo)
        return false;
    if (!fromServer(request.header))
        fillEditIdentity(request, memo);
    return commitEdit(memo, after, request, request.color, JobType::MemoEditColor);
}

bool CMemoManager::memoEditContent(TC_Memo_Edit& request)
{
    T_Memo after;
    T_Memo* memo = applyEdit(request, "memoEditContent", &CPublicManager::updateMemoContent, after);
    if (!memo)
        return false;
    if (!fromServer(request.header)) {
        fillEditIdentity(request, memo);
        request.contentChanged = true;
    }
    return commitEdit(memo, after, request, request.content, JobType::MemoEditContent);
}

bool CMemoManager::memoEditLocation(TC_Memo_Edit& request)
{
    T_Memo after;
    T_Memo* memo = applyEdit(request, "memoEditLocation", &CPublicManager::updateMemoLocation, after);
    if (!memo)
        return false;
    request.bookId = after.bookId;
    request.chapterId = after.chapterId;
    QJsonObject place;
    if (!fromServer(request.header)) {
        fillEditIdentity(request, memo);
        request.locationChanged = true;
        place.insert(QStringLiteral("bookId"), after.bookId);
        place.insert(QStringLiteral("localBookId"), after.localBookId);
        place.insert(QStringLiteral("chapterId"), after.chapterId);
        place.insert(QStringLiteral("localChapterId"), after.localChapterId);
        place.insert(QStringLiteral("x"), double(request.x));
        place.insert(QStringLiteral("y"), double(request.y));
        place.insert(QStringLiteral("isHold"), request.isHold);
        place.insert(QStringLiteral("width"), request.width);
        place.insert(QStringLiteral("height"), request.height);
    }
    return commitEdit(memo, after, request, compact(place), JobType::MemoEditLocation);
}

bool CMemoManager::unbindChapter(int localBookId, int localChapterId)
{
    if (localChapterId < 1)
        return true;
    bool ok = true;
    for (T_Memo* memo : qAsConst(m_model->memoList)) {
        if (memo->localBookId != localBookId || memo->localChapterId != localChapterId)
            continue;
        T_Memo free = *memo;
        free.bookId = 0;
        free.chapterId = 0;
        free.localBookId = 0;
        free.localChapterId = 0;
        free.isHold = false;
        if (!m_db->updateMemo(m_model->userInfo.uid, &free)) {
            qWarning() << "memo" << memo->localId << "stays pinned to deleted chapter" << localChapterId;
            ok = false;
            continue;
        }
        *memo = free;
        MemoItemManager::instance()->updateMemo(m_model->indexOfMemo(memo->localId), memo->localId, true);
    }
    return ok;
}

bool CMemoManager::keepRefusedMemo(const T_Http_Custom& identity, const QString& message)
{
    if (message != kMemoGone || identity.jobType != JobType::MemoEdit || identity.memoId < 1)
        return false;
    const T_Memo* memo = m_model->findMemoByLocalId(identity.localMemoId);
    T_JobData job;
    // Kept already (its id is gone), or only a colour or a place waits.
    if (memo == nullptr || memo->memoId != identity.memoId || !m_db->getJobById(identity.jobId, job)
        || job.jobId != identity.jobId
        || !QJsonDocument::fromJson(job.content.toUtf8()).object().contains(QStringLiteral("content")))
        return false;
    return keepMemoHereOnly(memo->localId);
}

bool CMemoManager::keepMemoHereOnly(int localMemoId)
{
    T_Memo* memo = m_model->findMemoByLocalId(localMemoId);
    if (memo == nullptr)
        return false;
    TC_Memo_Add add;
    add.header.uid = m_model->userInfo.uid;
    add.header.localMemoId = localMemoId;
    add.header.jobType = JobType::MemoAdd;
    QJsonObject place;
    const bool pinned = memo->localBookId > 0;
    if (pinned) {
        place.insert(QStringLiteral("bookId"), memo->bookId);
        place.insert(QStringLiteral("localBookId"), memo->localBookId);
        place.insert(QStringLiteral("chapterId"), memo->chapterId);
        place.insert(QStringLiteral("localChapterId"), memo->localChapterId);
        place.insert(QStringLiteral("x"), double(memo->x));
        place.insert(QStringLiteral("y"), double(memo->y));
        place.insert(QStringLiteral("isHold"), memo->isHold ? 1 : 0);
        place.insert(QStringLiteral("width"), memo->width);
        place.insert(QStringLiteral("height"), memo->height);
    }
    const int time = now();
    {
        // Its old jobs could only be refused; its create takes their place
        // in the same commit.
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began() || !m_db->makeMemoLocalOnly(localMemoId)
            || !m_db->addJob(add.header, compact(QJsonObject{{QStringLiteral("color"), memo->color},
                                                              {QStringLiteral("content"), memo->content}}),
                             time, 0)) {
            qWarning() << "memo" << localMemoId << "deleted elsewhere not kept here:" << m_db->lastErrorText();
            return false;
        }
        T_Http_Custom pin = add.header;
        pin.jobType = JobType::MemoEditLocation;
        if ((pinned
             && (!m_db->addJob(pin, compact(place), time, 0)
                 || !m_db->noteEditReplaced(pin.jobId, noteTextMd5(memo->content))))
            || !transaction.commit()) {
            qWarning() << "memo" << localMemoId << "deleted elsewhere not kept here:" << m_db->lastErrorText();
            return false;
        }
    }
    memo->memoId = 0;
    // Its window keeps what it shows: the text is the memo's own.
    MemoItemManager::instance()->updateMemo(m_model->indexOfMemo(localMemoId), localMemoId, false);
    qWarning() << "memo" << localMemoId << "was deleted elsewhere; kept here and created anew";
    CUiManager::instance()->showTips(tr("A memo was deleted on another device. What you wrote in it here is kept "
                                        "and goes back to the platform as a new memo."),
                                     false, 8000);
    CJobManager::instance()->sendAfterFeed(add.header.jobId);
    return true;
}

void CMemoManager::refreshMemoView(int localMemoId, int jobType)
{
    const int index = m_model->indexOfMemo(localMemoId);
    if (index < 0)
        return;
    MemoItemManager* views = MemoItemManager::instance();
    switch (jobType) {
    case JobType::MemoAdd:
        views->insertMemo(index);
        break;
    case JobType::MemoDel:
        views->removeMemo(index, localMemoId, true);
        break;
    case JobType::MemoDetail:
        views->updateMemo(index, localMemoId, true);
        break;
    default:
        break;
    }
}

JobReplay CMemoManager::execUserJob(T_JobData& job)
{
    const QJsonObject stored = QJsonDocument::fromJson(job.content.toUtf8()).object();
    switch (job.jobType) {
    case JobType::MemoAdd: {
        // Deleted here after a send the platform may have taken: the look-up
        // found nothing there, so there is nothing to make or delete.
        if (m_model->findMemoByLocalId(job.localMemoId) == nullptr)
            return JobReplay::Drop;
        TC_Memo_Add request;
        CTessaneUrl::setUserData(job, request.header, 1);
        request.content = stored.value(QStringLiteral("content")).toString();
        request.color = stored.value(QStringLiteral("color")).toString();
        request.updateTime = job.createTime;
        m_http->memoAdd_asyn(request);
        return JobReplay::Sent;
    }
    case JobType::MemoDel: {
        // A memo the platform never had needs no deletion there.
        if (job.memoId < 1)
            return JobReplay::Drop;
        TC_Memo_Del request;
        CTessaneUrl::setUserData(job, request.header, 1);
        request.updateTime = job.createTime;
        m_http->memoDel_asyn(request);
        return JobReplay::Sent;
    }
    case JobType::MemoEdit: {
        if (job.memoId < 1)
            return JobReplay::Park;
        TC_Memo_Edit request = editFromJob(job);
        CTessaneUrl::setUserData(job, request.header, 1);
        request.header.jobType = JobType::MemoEdit;
        m_http->memoEdit_asyn(request);
        return JobReplay::Sent;
    }
    default:
        // Colour, text and place edits are stored merged as 3007.
        return JobReplay::Park;
    }
}

void CMemoManager::onGetAsynData(int jobType, const QByteArray& body)
{
    if (jobType == JobType::MemoDetail) {
        asynBackMemoDetail(body);
        return;
    }
    if (jobType != JobType::MemoAdd)
        return;
    TS_Memo_Add reply;
    CTessaneUrl::setHttpMemoAdd(body, &reply);
    const int localMemoId = reply.header.userdata.localMemoId;
    if (reply.header.code != HttpOk || reply.memo_id < 1 || localMemoId < 1)
        return;
    T_Memo* memo = m_model->findMemoByLocalId(localMemoId);
    if (!memo && reply.header.userdata.uid == m_model->userInfo.uid && m_model->userInfo.uid > 0) {
        // Deleted here while its add was on the way: the platform's new memo
        // would otherwise stay there for good.
        TC_Memo_Del orphan;
        orphan.header.localMemoId = localMemoId;
        orphan.header.memoId = reply.memo_id;
        orphan.header.uid = m_model->userInfo.uid;
        orphan.updateTime = now();
        if (m_db->addJob(orphan.header, QString(), orphan.updateTime, 0) && orphan.header.jobId > 0)
            CJobManager::instance()->sendAfterFeed(orphan.header.jobId);
        return;
    }
    if (!m_db->setMemoServerId(localMemoId, reply.memo_id)) {
        qWarning() << "server id of memo" << localMemoId << "not stored";
        return;
    }
    if (memo)
        memo->memoId = reply.memo_id;
}

void CMemoManager::takeUnknownMemo(const TS_Memo_Detail& reply)
{
    // One this machine had and deleted, its delete withdrawn, is that memo,
    // never the object of a create of this machine's whose reply was lost.
    const bool hadIt = CSynDataManager::instance()->awaitsLook(JobType::MemoDel, reply.id);
    // One this machine deleted for good stays deleted, whatever an answer
    // given before the platform took that says.
    if (m_model->findMemoByMemoId(reply.id) != nullptr
        || CBookJobManager::instance()->deletedHere(JobType::MemoDel, reply.id))
        return;
    // What a lost create's look-up would recognise as its memo (its text,
    // changed no earlier than sent; or its colour as sent) stays for it.
    for (const T_Memo* memo : qAsConst(m_model->memoList)) {
        if (hadIt)
            break;
        T_JobData job;
        const int jobId = memo->memoId < 1 ? m_db->pendingJob(m_model->userInfo.uid, JobType::MemoAdd,
                                                              QStringLiteral("localMemoId"), memo->localId)
                                           : 0;
        if (jobId < 1 || !m_db->getJobById(jobId, job) || job.sent == 0)
            continue;
        const QJsonObject created = QJsonDocument::fromJson(job.content.toUtf8()).object();
        if ((reply.content == created.value(QStringLiteral("content")).toString() && reply.update_time >= job.createTime)
            || (reply.color == created.value(QStringLiteral("color")).toString()
                && reply.color_update_time == job.createTime))
            return;
    }
    TC_Memo_Add add;
    add.header.memoId = reply.id;
    add.header.synStep = reply.header.userdata.synStep;
    add.content = reply.content;
    add.color = reply.color;
    add.updateTime = reply.update_time;
    if (!memoAdd(add))
        return;
    T_Memo* memo = m_model->findMemoByMemoId(reply.id);
    if (memo == nullptr)
        return;
    const T_Memo before = *memo;
    m_model->updateMemoFromServer(reply);
    if (storeOrRestore(memo, before))
        refreshMemoView(memo->localId, JobType::MemoDetail);
}

void CMemoManager::asynBackMemoDetail(const QByteArray& body)
{
    TS_Memo_Detail reply;
    CTessaneUrl::setHttpMemoDetail(body, &reply);
    const T_Http_Custom& sent = reply.header.userdata;
    // Asked for by the feed after a delete of it was withdrawn, perhaps.
    if (sent.localMemoId < 1)
        CSynDataManager::instance()->settleWithdrawn(JobType::MemoDel, 0, sent.synStep, [&](int memoId) {
            return memoId != sent.memoId ? -1 : reply.header.code == HttpOk ? 1 : reply.header.msg == kMemoGone ? 0 : -1;
        });
    if (reply.header.code != HttpOk && reply.header.msg == kMemoGone)
        CBookJobManager::instance()->listedWithout(JobType::MemoDel, 0, [&sent](int memoId) { return memoId != sent.memoId; });
    if (reply.header.code != HttpOk)
        return;
    // Another machine's text may carry control characters this one keeps out.
    reply.content = withoutControlChars(reply.content);
    qDebug().noquote() << "asynBackMemoDetail" << QString::fromUtf8(body);
    if (sent.memoId > 0 && sent.localMemoId < 1 && reply.id == sent.memoId) {
        takeUnknownMemo(reply);
        return;
    }
    if (sent.memoId < 1 || sent.localMemoId < 1)
        return;
    if (T_Memo* memo = m_model->findMemoByMemoId(reply.id)) {
        const T_Memo before = *memo;
        m_model->updateMemoFromServer(reply);
        if (storeOrRestore(memo, before) && memo->localId != sent.localMemoId)
            refreshMemoView(memo->localId, JobType::MemoDetail);
    }
    refreshMemoView(sent.localMemoId, sent.jobType);
}

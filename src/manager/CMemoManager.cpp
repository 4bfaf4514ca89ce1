#include "CMemoManager.h"

#include "db/CTessaneDb.h"
#include "manager/CPublicManager.h"
#include "remote/CTessaneHttp.h"
#include "remote/CTessaneUrl.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>

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

bool CMemoManager::notBuilt(const char* operation)
{
    qWarning() << operation << "is not available yet";
    return false;
}

bool CMemoManager::memoAdd(TC_Memo_Add&) { return notBuilt("memoAdd"); }
bool CMemoManager::memoDel(TC_Memo_Del&) { return notBuilt("memoDel"); }
bool CMemoManager::memoDetail(TC_Memo_Detail&) { return notBuilt("memoDetail"); }
bool CMemoManager::memoEditColor(TC_Memo_Edit&) { return notBuilt("memoEditColor"); }
bool CMemoManager::memoEditContent(TC_Memo_Edit&) { return notBuilt("memoEditContent"); }
bool CMemoManager::memoEditLocation(TC_Memo_Edit&) { return notBuilt("memoEditLocation"); }

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
    }
    return ok;
}

JobReplay CMemoManager::execUserJob(T_JobData& job)
{
    const QJsonObject stored = QJsonDocument::fromJson(job.content.toUtf8()).object();
    switch (job.jobType) {
    case JobType::MemoAdd: {
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
    if (jobType != JobType::MemoAdd)
        return;
    TS_Memo_Add reply;
    CTessaneUrl::setHttpMemoAdd(body, &reply);
    const int localMemoId = reply.header.userdata.localMemoId;
    if (reply.header.code != HttpOk || reply.memo_id < 1 || localMemoId < 1)
        return;
    if (!m_db->setMemoServerId(localMemoId, reply.memo_id)) {
        qWarning() << "server id of memo" << localMemoId << "not stored";
        return;
    }
    if (T_Memo* memo = m_model->findMemoByLocalId(localMemoId))
        memo->memoId = reply.memo_id;
}

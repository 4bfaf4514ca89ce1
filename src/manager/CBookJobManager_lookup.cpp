// Creates whose reply never came (cut off, too late, the process ended):
// the platform may hold the object already. Before such a create goes again,
// the list it would show up in is fetched; an entry carrying this machine's
// local id is the object, and it is adopted as if the create's reply had
// come, instead of being made a second time.

#include "BookJobSend.h"

#include "db/CTessaneDb.h"
#include "db/CTessaneDbTransaction.h"
#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "remote/CTessaneUrl.h"
#include "remote/records/OutlineRecords.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The entry of list whose "local_id" is localId; empty when none.
QJsonObject entryOf(const QJsonArray& list, int localId)
{
    for (const QJsonValue& value : list) {
        const QJsonObject entry = value.toObject();
        if (localId > 0 && entry.value(QStringLiteral("local_id")).toInt() == localId)
            return entry;
    }
    return QJsonObject();
}

}

int CBookJobManager::lookUpCreate(const T_JobData& job, T_Http_Custom& lookup)
{
    if (job.jobType != JobType::ChapterAdd && job.jobType != JobType::OutlineCreate)
        return 0;
    if (job.bookId < 1)
        return -1;
    CTessaneUrl::setUserData(job, lookup, 0);
    if (job.jobType == JobType::ChapterAdd) {
        TC_Chapter_Menu request;
        lookup.jobType = request.header.jobType;
        request.header = lookup;
        request.bookId = job.bookId;
        m_http->chapter_menu_asyn(request);
    } else {
        TC_BookOutline_List request;
        lookup.jobType = request.header.jobType;
        request.header = lookup;
        m_http->outlineList_asyn(request);
    }
    qInfo() << "create job" << job.jobId << "may have reached the platform; its list is looked up first";
    return 1;
}

bool CBookJobManager::adoptCreated(int createType, int jobId, const QByteArray& body)
{
    T_JobData job;
    if (!m_db->getJobById(jobId, job))
        return false;
    if (job.jobId != jobId)
        return true;  // settled meanwhile
    const QJsonValue content = CTessaneUrl::rootObject(body).value(QStringLiteral("content"));
    QJsonObject entry;
    QString table;
    int localId = 0;
    if (createType == JobType::ChapterAdd) {
        localId = job.localChapterId;
        table = QStringLiteral("tb_chapter");
        entry = entryOf(content.toObject().value(QStringLiteral("menu")).toArray(), localId);
    } else if (createType == JobType::OutlineCreate) {
        localId = job.ext1;
        table = QStringLiteral("tb_outline");
        entry = entryOf(content.toObject().value(QStringLiteral("all_outline")).toArray(), localId);
    }
    if (entry.isEmpty()) {
        // Never arrived. When the object is gone here too, nothing of it is
        // left to send: its create and the delete kept for it go.
        if (m_db->countItems(table, QStringLiteral("localId"), localId) != 0)
            return false;
        const bool swept = createType == JobType::ChapterAdd
                               ? m_db->sweepJobs(QStringLiteral("localChapterId"), localId)
                               : m_db->deleteOutlineJobs(localId);
        return swept && m_db->deleteJob(jobId);
    }
    qInfo() << "create job" << jobId << "had reached the platform; its object is adopted";
    // Handled as the reply the lost one would have been, so the ids reach
    // the rows, the model and waiting jobs the same way.
    T_Http_Custom identity;
    CTessaneUrl::setUserData(job, identity, 0);
    QJsonObject replyContent = entry;
    replyContent.insert(QStringLiteral("book_id"), job.bookId);
    const QJsonObject reply{{QStringLiteral("code"), HttpOk}, {QStringLiteral("msg"), QStringLiteral("success")},
                            {QStringLiteral("userdata"), QString::fromLatin1(identity.toUserData())},
                            {QStringLiteral("content"), replyContent}};
    CTessaneDb::Transaction transaction(*m_db);
    if (!m_db->deleteJob(jobId))
        return false;
    asynBack(createType, job.localBookId, QJsonDocument(reply).toJson(QJsonDocument::Compact));
    if (transaction.began() && !transaction.commit()) {
        qWarning() << "adopted object of create job" << jobId << "could not be stored; looked up again later";
        return true;
    }
    return true;
}

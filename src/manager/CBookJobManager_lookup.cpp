// Creates whose reply never came (cut off, too late, the process ended):
// the platform may hold the object already. Before such a create goes again,
// the list it would show up in is fetched; the entry that is the object is
// adopted as if the create's reply had come, instead of being made a second
// time. An entry carrying this machine's local id is the object. Where the
// platform returns no local id, the object is recognised by what the create
// sent, among the entries no local row maps to yet that the first list after
// the send showed, once a feed pass has stored other machines' objects as
// theirs. Where nothing tells (renamed elsewhere before the look-up), the
// create goes again: two objects can be told apart by the author, a merge
// of two cannot be undone.

#include "BookJobSend.h"

#include "db/CTessaneDb.h"
#include "db/CTessaneDbTransaction.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "db/records/T_Volume.h"
#include "manager/CMemoManager.h"
#include "manager/CPublicManager.h"
#include "manager/CSynDataManager.h"
#include "remote/CTessaneUrl.h"
#include "remote/records/MemoRecords.h"
#include "remote/records/OutlineRecords.h"
#include "remote/records/VolumeRecords.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>

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

QString text(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toString();
}

int number(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toInt();
}

// A successful reply to the request identity stands for, carrying content.
QByteArray okReply(const T_Http_Custom& identity, const QJsonValue& content)
{
    const QJsonObject reply{{QStringLiteral("code"), HttpOk}, {QStringLiteral("msg"), QStringLiteral("success")},
                            {QStringLiteral("userdata"), QString::fromLatin1(identity.toUserData())},
                            {QStringLiteral("content"), content}};
    return QJsonDocument(reply).toJson(QJsonDocument::Compact);
}

}

bool CBookJobManager::waitsForEarlier(int jobType, int localBookId, int jobId) const
{
    return createWaits(jobType, localBookId, jobId) || placementWaits(jobType, localBookId, jobId)
           || lostChangeWaits(jobType, localBookId, jobId);
}

bool CBookJobManager::lostChangeWaits(int jobType, int localBookId, int jobId) const
{
    // Asked for no job in particular: whether any change may wait.
    return localBookId >= 1 && isLookedUpChange(jobType)
           && m_db->hasJobBefore(localBookId, lookedUpChanges(), jobId, jobId != 0);
}

bool CBookJobManager::createWaits(int jobType, int localBookId, int jobId) const
{
    const int list = JobOwners::appendedList(jobType);
    if (list == 0 || localBookId < 1)
        return false;
    const int other = list == JobType::ChapterAdd ? int(JobType::ChapterBatchCreate) : list;
    return m_db->hasJobBefore(localBookId, {list, other}, jobId);
}

namespace {
// Jobs that put a chapter into a volume or change whether it is live: on the
// platform a volume's delete recycles the chapters in it at that moment, and
// a restore brings back only the volume.
const QList<int> kChapterPlacements{JobType::ChapterAdd, JobType::ChapterBatchCreate, JobType::ChapterMove,
                                    JobType::ChapterAppMove, JobType::ChapterRecycle};
}

bool CBookJobManager::placementWaits(int jobType, int localBookId, int jobId) const
{
    if (localBookId < 1)
        return false;
    // A recycle and the restore after it, or a volume's delete and restore,
    // sent together may arrive the other way round: the platform would keep
    // the state the author left first. The later one waits for the earlier.
    if (jobType == JobType::ChapterRecycle || jobType == JobType::VolumeDelRestore) {
        const bool earlierOfItsObject =
            jobId > 0 ? m_db->hasJobOfItsObjectBefore(jobId, jobType == JobType::ChapterRecycle
                                                                 ? QStringLiteral("localChapterId")
                                                                 : QStringLiteral("localVolumeId"))
                      : m_db->hasJobBefore(localBookId, {jobType}, 0);
        if (earlierOfItsObject)
            return true;
    }
    if (jobType == JobType::VolumeDelRestore)
        return m_db->hasJobBefore(localBookId, kChapterPlacements, jobId);
    if (kChapterPlacements.contains(jobType))
        return m_db->hasJobBefore(localBookId, {JobType::VolumeDelRestore}, jobId);
    return false;
}

int CBookJobManager::lookUpCreate(const T_JobData& job, T_Http_Custom& lookup)
{
    CTessaneUrl::setUserData(job, lookup, 0);
    if (job.jobType == JobType::BooksAdd) {
        lookup.jobType = JobType::BooksList;
        m_http->books_list_asyn(lookup);
    } else if (job.jobType == JobType::MemoAdd) {
        lookup.jobType = JobType::MemoList;
        m_http->memoList_asyn(lookup);
    } else {
        // The batches of an import learn the book's id from the model, in
        // the recycle bin too.
        const T_Book* book = m_model->findAnyBookByLocalId(job.localBookId);
        lookup.bookId = book && book->bookId > 0 ? book->bookId : job.bookId;
        if (lookup.bookId < 1)
            return -1;
        if (job.jobType == JobType::ChapterAdd || job.jobType == JobType::ChapterBatchCreate)
            requestBookList(JobType::ChapterMenu, lookup);
        else if (job.jobType == JobType::OutlineCreate)
            requestBookList(JobType::OutlineList, lookup);
        else if (job.jobType == JobType::VolumeAdd)
            requestBookList(JobType::VolumeMenu, lookup);
        else
            return 0;
    }
    qInfo() << "create job" << job.jobId << "may have reached the platform; its list is looked up first";
    return 1;
}

void CBookJobManager::requestBookList(int listType, T_Http_Custom& lookup)
{
    lookup.jobType = listType;
    if (listType == JobType::ChapterMenu) {
        TC_Chapter_Menu request;
        request.header = lookup;
        request.bookId = lookup.bookId;
        m_http->chapter_menu_asyn(request);
    } else if (listType == JobType::OutlineList) {
        TC_BookOutline_List request;
        request.header = lookup;
        m_http->outlineList_asyn(request);
    } else {
        TC_Volume_Menu request;
        request.header = lookup;
        request.bookId = lookup.bookId;
        m_http->volume_menu_asyn(request);
    }
}

CBookJobManager::Lookup CBookJobManager::adoptCreated(int createType, int jobId, const QByteArray& body,
                                                      int feedPasses, FirstListed& first)
{
    T_JobData job;
    if (!m_db->getJobById(jobId, job))
        return Lookup::Missing;
    if (job.jobId != jobId)
        return Lookup::Adopted;  // settled meanwhile
    const QJsonValue content = CTessaneUrl::rootObject(body).value(QStringLiteral("content"));
    if (createType == JobType::ChapterBatchCreate)
        return adoptBatch(job, content.toObject().value(QStringLiteral("menu")).toArray());

    // Entries no local row maps to whose members are what the create sent;
    // after the first list only those it showed count. The oldest is taken.
    // An id a queued job names is one this machine knew (a delete of it may
    // wait for the feed with its row gone): never what this create made.
    const bool firstList = first.feedPass < 0;
    QSet<int> candidates;
    QJsonObject entry;
    QJsonObject replyContent;
    const auto pick = [&](const QJsonArray& list, const char* idKey, const char* table, const char* column,
                          const std::function<bool(const QJsonObject&)>& sent) {
        for (const QJsonValue& value : list) {
            const QJsonObject candidate = value.toObject();
            const int id = number(candidate, idKey);
            if (id < 1 || !sent(candidate) || m_db->countItems(QLatin1String(table), QLatin1String(column), id) != 0
                || m_db->countItems(QStringLiteral("tb_job"), QLatin1String(column), id) != 0)
                continue;
            candidates.insert(id);
            if ((!firstList && !first.ids.contains(id)) || (!entry.isEmpty() && number(entry, idKey) < id))
                continue;
            entry = candidate;
        }
        return number(entry, idKey);
    };
    // An entry carrying this machine's local id, unless another row holds
    // it already: one object is never two rows here.
    const auto own = [&](const QJsonArray& list, int localId, const char* idKey, const char* table,
                         const char* column) {
        const QJsonObject found = entryOf(list, localId);
        return found.isEmpty()
                       || m_db->countItems(QLatin1String(table), QLatin1String(column), number(found, idKey)) != 0
                   ? QJsonObject()
                   : found;
    };
    const QJsonObject sentMemo =
        createType == JobType::MemoAdd ? QJsonDocument::fromJson(job.content.toUtf8()).object() : QJsonObject();
    bool byLocalId = false;
    QString table;
    int localId = 0;
    if (createType == JobType::ChapterAdd) {
        localId = job.localChapterId;
        table = QStringLiteral("tb_chapter");
        entry = own(content.toObject().value(QStringLiteral("menu")).toArray(), localId, "chapter_id", "tb_chapter",
                    "chapterId");
        replyContent = entry;
        byLocalId = true;
    } else if (createType == JobType::OutlineCreate) {
        localId = job.ext1;
        table = QStringLiteral("tb_outline");
        entry = own(content.toObject().value(QStringLiteral("all_outline")).toArray(), localId, "outline_id",
                    "tb_outline", "outlineId");
        replyContent = entry;
        byLocalId = true;
    } else if (createType == JobType::VolumeAdd) {
        const int id = pick(content.toArray(), "id", "tb_volume", "volumeId", [&job](const QJsonObject& volume) {
            return text(volume, "volume_name") == job.content;
        });
        replyContent.insert(QStringLiteral("volume_id"), id);
    } else if (createType == JobType::BooksAdd) {
        localId = job.localBookId;
        table = QStringLiteral("tb_book");
        const int id = pick(content.toArray(), "book_id", "tb_book", "bookId",
                            [&job](const QJsonObject& book) { return text(book, "book_name") == job.content; });
        replyContent = QJsonObject{{QStringLiteral("book_id"), id},
                                   {QStringLiteral("local_id"), job.localBookId},
                                   {QStringLiteral("uid"), job.uid}};
    } else if (createType == JobType::MemoAdd) {
        // Its text as sent, changed no earlier than it was sent (another
        // machine may have recoloured or moved it since).
        int id = pick(content.toArray(), "id", "tb_memo", "memoId", [&](const QJsonObject& memo) {
            return text(memo, "content") == text(sentMemo, "content") && number(memo, "update_time") >= job.createTime;
        });
        // Another machine may have retyped it since: its colour and the
        // colour's time stay what the create sent until someone recolours it.
        if (id < 1)
            id = pick(content.toArray(), "id", "tb_memo", "memoId", [&](const QJsonObject& memo) {
                return text(memo, "color") == text(sentMemo, "color")
                       && number(memo, "color_update_time") == job.createTime;
            });
        replyContent.insert(QStringLiteral("memo_id"), id);
    }
    if (entry.isEmpty()) {
        // Never arrived. When the object is gone here too, nothing of it is
        // left to send: its create and the delete kept for it go.
        if (table.isEmpty() || m_db->countItems(table, QStringLiteral("localId"), localId) != 0)
            return Lookup::Missing;
        // A book's: every job of it, the delete kept for it too, in one go.
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return Lookup::Missing;
        const bool swept = createType == JobType::ChapterAdd ? m_db->sweepJobs(QStringLiteral("localChapterId"), localId)
                           : createType == JobType::BooksAdd ? m_db->sweepJobs(QStringLiteral("localBookId"), localId)
                                                             : m_db->deleteOutlineJobs(localId);
        return swept && m_db->deleteJob(jobId) && transaction.commit() ? Lookup::Adopted : Lookup::Missing;
    }
    if (!byLocalId && (firstList || feedPasses <= first.feedPass)) {
        if (firstList) {
            first.feedPass = feedPasses;
            first.ids = candidates;
        }
        qInfo() << "create job" << jobId << "may match an object another machine made; looked up again after the feed";
        return Lookup::AfterFeed;
    }
    qInfo() << "create job" << jobId << "had reached the platform; its object is adopted";
    if (createType != JobType::BooksAdd && createType != JobType::MemoAdd)
        replyContent.insert(QStringLiteral("book_id"), job.bookId);
    CTessaneDb::Transaction transaction(*m_db);
    if (!m_db->deleteJob(jobId))
        return Lookup::Missing;
    answerFor(job, replyContent);
    if (transaction.began() && !transaction.commit()) {
        qWarning() << "adopted object of create job" << jobId << "could not be stored; looked up again later";
        return Lookup::Adopted;
    }
    // Retyped elsewhere before this machine learnt its id: the feed item of
    // that edit found no memo here, so the platform's text is taken now.
    if (createType == JobType::MemoAdd && text(entry, "content") != text(sentMemo, "content"))
        takeFoundMemo(job, entry);
    return Lookup::Adopted;
}

void CBookJobManager::takeFoundMemo(const T_JobData& job, const QJsonObject& entry)
{
    // As a fetched detail: a text still waiting here to go out stays, and
    // the platform's becomes a copy beside it.
    T_Http_Custom identity;
    CTessaneUrl::setUserData(job, identity, 0);
    identity.jobId = 0;
    identity.jobType = JobType::MemoDetail;
    identity.memoId = number(entry, "id");
    const QByteArray body = CSynDataManager::instance()->guardReply(JobType::MemoDetail, okReply(identity, entry), true);
    CMemoManager::instance()->onGetAsynData(JobType::MemoDetail, body);
}

CBookJobManager::Lookup CBookJobManager::adoptBatch(const T_JobData& job, const QJsonArray& menu)
{
    const QJsonArray sent = QJsonDocument::fromJson(job.content.toUtf8()).array();
    // Entries by local id; without local ids, the run of the platform's
    // unmapped chapters whose names are the batch's in order.
    QJsonArray found;
    for (const QJsonValue& value : sent) {
        const QJsonObject entry = entryOf(menu, number(value.toObject(), "local_id"));
        if (!entry.isEmpty()
            && m_db->countItems(QStringLiteral("tb_chapter"), QStringLiteral("chapterId"), number(entry, "chapter_id")) == 0)
            found.append(QJsonObject{{QStringLiteral("local_id"), number(value.toObject(), "local_id")},
                                     {QStringLiteral("chapter_id"), number(entry, "chapter_id")}});
    }
    QJsonArray unmapped;
    for (int i = 0; found.isEmpty() && i < menu.size(); ++i) {
        if (m_db->countItems(QStringLiteral("tb_chapter"), QStringLiteral("chapterId"),
                             number(menu.at(i).toObject(), "chapter_id"))
            == 0)
            unmapped.append(menu.at(i));
    }
    for (int start = 0; found.isEmpty() && !sent.isEmpty() && start + sent.size() <= unmapped.size(); ++start) {
        QJsonArray run;
        for (int i = 0; i < sent.size(); ++i) {
            const QJsonObject entry = unmapped.at(start + i).toObject();
            if (text(entry, "chapter_name") != text(sent.at(i).toObject(), "chapter_name"))
                break;
            run.append(QJsonObject{{QStringLiteral("local_id"), number(sent.at(i).toObject(), "local_id")},
                                   {QStringLiteral("chapter_id"), number(entry, "chapter_id")}});
        }
        if (run.size() == sent.size())
            found = run;
    }
    if (found.isEmpty())
        return Lookup::Missing;
    qInfo() << "batch job" << job.jobId << "had reached the platform with" << found.size() << "of" << sent.size()
            << "chapters; they are adopted";
    CTessaneDb::Transaction transaction(*m_db);
    // Chapters the platform lacks go again, alone: the replay leaves out
    // those that hold an id.
    if (found.size() == sent.size() && !m_db->deleteJob(job.jobId))
        return Lookup::Missing;
    answerFor(job, found);
    if (transaction.began() && !transaction.commit())
        qWarning() << "adopted chapters of batch job" << job.jobId << "could not be stored; looked up again later";
    return found.size() == sent.size() ? Lookup::Adopted : Lookup::Missing;
}

void CBookJobManager::answerFor(const T_JobData& job, const QJsonValue& content)
{
    // Handled as the reply the lost one would have been, so the ids reach
    // the rows, the model and waiting jobs the same way.
    T_Http_Custom identity;
    CTessaneUrl::setUserData(job, identity, 0);
    const QByteArray body = okReply(identity, content);
    if (job.jobType == JobType::MemoAdd)
        CMemoManager::instance()->onGetAsynData(job.jobType, body);
    else
        asynBack(job.jobType, job.localBookId, body);
}

bool CBookJobManager::heldForLookUp(int createType, int localBookId, const QString& name, int localId)
{
    if (createType == JobType::ChapterAdd) {
        // The platform hands this machine's local id back with its own
        // chapters only; one of them whose create has gone out unanswered.
        // The book may lie in the recycle bin since.
        const T_Book* book = m_model->findAnyBookByLocalId(localBookId);
        const T_Chapter* chapter = book && localId > 0 ? book->findChapterByLocalId(localId) : nullptr;
        return chapter != nullptr && chapter->chapterId < 1
               && (m_db->hasSentCreate(JobType::ChapterAdd, QStringLiteral("localChapterId"), localId)
                   || m_db->hasSentCreate(JobType::ChapterBatchCreate, QStringLiteral("localBookId"), localBookId));
    }
    // A volume or book of this machine not answered yet whose create,
    // already sent, carried this name.
    QList<int> unanswered;
    if (createType == JobType::VolumeAdd) {
        const T_Book* book = m_model->findAnyBookByLocalId(localBookId);
        for (const T_Volume* volume : book ? book->volumeList : QList<T_Volume*>()) {
            if (volume->volumeId < 1)
                unanswered << volume->localId;
        }
    } else {
        for (const QList<T_Book*>* books : {&m_model->bookList, &m_model->recycleBookList}) {
            for (const T_Book* book : *books) {
                if (book->bookId < 1)
                    unanswered << book->localId;
            }
        }
    }
    const QString column = createType == JobType::VolumeAdd ? QStringLiteral("localVolumeId")
                                                            : QStringLiteral("localBookId");
    for (int id : qAsConst(unanswered)) {
        T_JobData job;
        const int jobId = m_db->pendingJob(m_model->userInfo.uid, createType, column, id);
        if (jobId > 0 && m_db->getJobById(jobId, job) && job.sent != 0 && job.content == name)
            return true;
    }
    return false;
}

// Replay of stored book, chapter, volume and outline jobs: the request is
// rebuilt from the job row and sent with the run-next flag, so that its reply
// moves the queue on.
//
// A request that names an object on the platform goes out only once the job
// holds that object's server id: sent with id 0 the platform could only
// refuse it, and a refusal finishes the job, so the author's change would be
// lost. Such a job is parked until the reply that creates the object has
// written the id into it.
//
// A job of a book the author has recycled since goes all the same: the
// platform takes changes of a book in its recycle bin, and the recycle
// itself is one of the queued jobs.

#include "CBookJobManager.h"

#include "common/ServerClock.h"
#include "common/Utility.h"
#include "common/WorkerThreads.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CSynDataManager.h"
#include "remote/CTessaneHttp.h"
#include "remote/CTessaneUrl.h"
#include "remote/records/OutlineRecords.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

namespace {

QJsonObject objectOf(const QString& text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

QJsonArray arrayOf(const QString& text)
{
    return QJsonDocument::fromJson(text.toUtf8()).array();
}

int intOf(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toInt();
}

QString textOf(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toString();
}

template <class Request>
void fillHeader(const T_JobData& job, Request& request)
{
    CTessaneUrl::setUserData(job, request.header, 1);
}

}

JobReplay CBookJobManager::execUserJob(T_JobData& job)
{
    const bool hasBook = job.bookId > 0;
    const bool hasChapter = hasBook && job.chapterId > 0;
    switch (job.jobType) {
    case JobType::BooksAdd: {
        TC_Books_AddBook request(job.content, job.createTime, job.createTime, QString());
        fillHeader(job, request);
        m_http->books_add_asyn(request);
        return JobReplay::Sent;
    }
    case JobType::BooksDelete: {
        if (!hasBook)
            return JobReplay::Park;
        TC_Books_Delete request(job.localBookId, job.createTime);
        fillHeader(job, request);
        m_http->books_delete_asyn(request);
        return JobReplay::Sent;
    }
    case JobType::BooksEdit: {
        if (!hasBook)
            return JobReplay::Park;
        // The book and its row took the change when it was made; only the
        // request is rebuilt, with the cover as the data URL it travels as.
        // The cover goes only when the author chose it: sent along with a
        // rename, the picture shown here would undo one chosen elsewhere.
        const QJsonObject stored = objectOf(job.content);
        QString cover;
        const QString coverPath = coverWaitsHere(stored) ? textOf(stored, "localCover") : QString();
        if (!coverPath.isEmpty())
            imageToBase64Url(coverPath, cover);
        TC_Books_Edit request(job.localBookId, intOf(stored, "channelType"), intOf(stored, "cateId"),
                              intOf(stored, "cateFid"), textOf(stored, "bookName"), textOf(stored, "intro"),
                              cover, job.createTime);
        fillHeader(job, request);
        m_http->books_edit_asyn(request);
        return JobReplay::Sent;
    }
    case JobType::ChapterAdd: {
        if (!hasBook || job.volumeId < 1)
            return JobReplay::Park;
        TC_Chapter_Add request(job.localBookId, job.bookId, job.localVolumeId, job.volumeId, job.createTime,
                               job.ext1, job.content);
        fillHeader(job, request);
        qDebug() << "create chapter name = " << job.content << " time : " << job.createTime
                 << " orderNum : " << job.ext1;
        m_http->chapter_add_asyn(request);
        return JobReplay::Sent;
    }
    case JobType::ChapterBatchCreate:
        return replayChapterBatch(job);
    case JobType::ChapterRecycle: {
        if (!hasChapter)
            return JobReplay::Park;
        TC_Chapter_Recycle request;
        fillHeader(job, request);
        request.updateTime = job.createTime;
        request.status = job.content.toInt();
        m_http->chapter_recycle_asyn(request);
        return JobReplay::Sent;
    }
    case JobType::ChapterDelete: {
        if (!hasChapter)
            return JobReplay::Park;
        TC_Chapter_Delete request;
        fillHeader(job, request);
        request.updateTime = job.createTime;
        m_http->chapter_delete_asyn(request);
        return JobReplay::Sent;
    }
    case JobType::ChapterEdit: {
        if (!hasChapter)
            return JobReplay::Park;
        TC_Chapter_Edit request(objectOf(job.content), job.createTime);
        if (!request.hasName && !request.hasContent)
            return JobReplay::Drop;
        fillHeader(job, request);
        m_http->chapter_edit_asyn(request);
        return JobReplay::Sent;
    }
    case JobType::ChapterMove:
        return replayChapterMove(job);
    case JobType::ChapterContentBlade:
        return replayChapterBlade(job);
    case JobType::ChapterAppMove:
        return replayChapterAppMove(job);
    case JobType::OutlineCreate:
    case JobType::OutlineUpdate:
    case JobType::OutlineDelete:
    case JobType::OutlineMove:
        return replayOutline(job);
    case JobType::BooksDeleteHard: {
        if (!hasBook)
            return JobReplay::Park;
        TC_Books_Delete_Hard request;
        fillHeader(job, request);
        request.updateTime = job.createTime;
        m_http->books_delete_hard_asyn(request);
        return JobReplay::Sent;
    }
    case JobType::BooksRestore: {
        if (!hasBook)
            return JobReplay::Park;
        TC_Books_Restore request;
        fillHeader(job, request);
        request.updateTime = job.createTime;
        m_http->books_restore_asyn(request);
        return JobReplay::Sent;
    }
    case JobType::VolumeAdd:
    case JobType::VolumeEdit:
    case JobType::VolumeDelRestore:
    case JobType::VolumeMove:
        return replayVolume(job);
    default:
        // Renames and saves are stored merged as 1017; anything else here
        // holds a change this client cannot send. It stays in the table.
        return JobReplay::Park;
    }
}

// A batch's request as a worker made it from the stored job.
struct CBookJobManager::BatchRequest
{
    int jobId = 0;
    int revision = 0;
    int bookId = 0;
    // Sent: body is the request's. Park: a chapter's volume has no server id
    // yet, or the job could not be read. Done: every chapter is on the
    // platform already, or the job is gone.
    JobReplay outcome = JobReplay::Park;
    QByteArray body;
};

JobReplay CBookJobManager::replayChapterBatch(T_JobData& job)
{
    T_Book* book = m_model->findAnyBookByLocalId(job.localBookId);
    if (book == nullptr || book->bookId < 1)
        return JobReplay::Park;
    // A batch may carry a hundred megabytes of text: its request is made on
    // a worker, and the drain waits for it as for a reply.
    if (m_batchMade && m_batchMade->jobId == job.jobId && m_batchMade->revision == job.revision
        && m_batchMade->bookId == book->bookId) {
        const std::shared_ptr<BatchRequest> made = std::move(m_batchMade);
        if (made->outcome == JobReplay::Done)
            return m_db->deleteJob(job.jobId, job.revision) == JobConfirm::Failed ? JobReplay::Park
                                                                                  : JobReplay::Done;
        if (made->outcome != JobReplay::Sent)
            return made->outcome;
        T_Http_Custom identity;
        CTessaneUrl::setUserData(job, identity, 1);
        identity.bookId = book->bookId;
        m_http->chapter_batchCreate_asyn(identity, made->body);
        return JobReplay::Sent;
    }
    // One is made at a time; a drain of an ended session may have asked.
    if (m_batchWorker != nullptr)
        return m_batchMaking->jobId == job.jobId ? JobReplay::Prepare : JobReplay::Park;

    auto making = std::make_shared<BatchRequest>();
    making->jobId = job.jobId;
    making->revision = job.revision;
    making->bookId = book->bookId;
    // What the platform knows of the book now: its volumes' ids, and the
    // chapters adopted from its list after a lost reply, which go no more.
    QHash<int, int> volumeIds;
    for (const T_Volume* volume : qAsConst(book->volumeList))
        volumeIds.insert(volume->localId, volume->volumeId);
    QSet<int> known;
    for (const QList<T_Chapter*>* list : {&book->chapterList, &book->recycleChapterList}) {
        for (const T_Chapter* chapter : *list) {
            if (chapter->chapterId > 0)
                known.insert(chapter->localId);
        }
    }
    const QString dbFile = m_db->dbFilePath();
    const int updateTime = job.createTime;
    // The worker reads through a connection of its own and touches nothing
    // else: plain values in, the request back.
    QThread* worker = QThread::create([dbFile, updateTime, volumeIds, known, making]() {
        makeBatchRequest(dbFile, updateTime, volumeIds, known, *making);
    });
    worker->setObjectName(QStringLiteral("chapter batch request"));
    // A worker stopped meanwhile may have left its end queued.
    const int serial = ++m_batchSerial;
    connect(worker, &QThread::finished, this, [this, serial]() {
        if (serial == m_batchSerial)
            batchRequestMade();
    });
    WorkerThreads::adopt(worker);
    m_batchWorker = worker;
    m_batchMaking = making;
    worker->start();
    return JobReplay::Prepare;
}

void CBookJobManager::makeBatchRequest(const QString& dbFile, int updateTime, const QHash<int, int>& volumeIds,
                                       const QSet<int>& known, BatchRequest& out)
{
    QJsonArray listed;
    bool found = false;
    if (!CTessaneDb::readChapterBatch(dbFile, out.jobId, &listed, &found)) {
        out.outcome = JobReplay::Park;
        return;
    }
    QJsonArray chapters;
    for (const QJsonValue& value : qAsConst(listed)) {
        QJsonObject chapter = value.toObject();
        if (known.contains(intOf(chapter, "local_id")))
            continue;
        const int volumeId = volumeIds.value(intOf(chapter, "local_volume_id"));
        if (volumeId < 1) {
            out.outcome = JobReplay::Park;
            return;
        }
        chapter.insert(QStringLiteral("volume_id"), volumeId);
        chapters.append(chapter);
    }
    listed = QJsonArray();
    if (!found || chapters.isEmpty()) {
        out.outcome = JobReplay::Done;
        return;
    }
    TC_Chapter_BatchCreate request;
    request.header.bookId = out.bookId;
    request.updateTime = updateTime;
    request.list = QString::fromUtf8(QJsonDocument(chapters).toJson(QJsonDocument::Compact));
    chapters = QJsonArray();
    out.body = CTessaneHttp::chapterBatchBody(request);
    out.outcome = JobReplay::Sent;
}

void CBookJobManager::batchRequestMade()
{
    if (m_batchWorker == nullptr)
        return;
    m_batchWorker->wait();
    delete m_batchWorker;
    m_batchWorker = nullptr;
    // Taken only by the drain that waits for it, at once; else the request
    // is made anew when the job comes up again.
    m_batchMade = std::move(m_batchMaking);
    CJobManager::instance()->jobPrepared(m_batchMade->jobId);
    m_batchMade.reset();
}

void CBookJobManager::stopBatchRequest()
{
    if (m_batchWorker == nullptr)
        return;
    ++m_batchSerial;
    m_batchWorker->wait();
    delete m_batchWorker;
    m_batchWorker = nullptr;
    m_batchMaking.reset();
}

JobReplay CBookJobManager::replayChapterMove(T_JobData& job)
{
    T_Book* book = m_model->findAnyBookByLocalId(job.localBookId);
    if (book == nullptr)
        return JobReplay::Park;
    const QJsonObject stored = objectOf(job.content);
    const int localFromChapterId = intOf(stored, "localFromChapterId");
    const T_Chapter* moved = book->findChapterByLocalId(localFromChapterId);
    // A chapter deleted since has nothing left to place; parked, the move
    // would hold back every later placement of the book for good.
    if (moved == nullptr)
        return m_db->countItems(QStringLiteral("tb_chapter"), QStringLiteral("localId"), localFromChapterId) == 0
                   ? JobReplay::Drop
                   : JobReplay::Park;
    TC_Chapter_Move request;
    fillHeader(job, request);
    request.header.localBookId = book->localId;
    request.header.bookId = book->bookId;
    request.localFromVolumeId = intOf(stored, "localFromVolumeId");
    request.localToVolumeId = intOf(stored, "localToVolumeId");
    request.localFromChapterId = intOf(stored, "localFromChapterId");
    request.localToChapterId = intOf(stored, "localToChapterId");
    request.direction = intOf(stored, "direction");
    request.fromVolumeId = 0;
    request.toVolumeId = book->getVolumeId(request.localToVolumeId);
    request.fromChapterId = moved->chapterId;
    const T_Chapter* target = book->findChapterByLocalId(request.localToChapterId);
    request.toChapterId = target ? target->chapterId : 0;
    request.updateTime = job.createTime;
    if (book->bookId < 1 || request.toVolumeId < 1 || request.fromChapterId < 1)
        return JobReplay::Park;
    // Sent with no neighbour, the platform would place the chapter elsewhere
    // than here; the neighbour's create is answered first.
    if (target != nullptr && target->chapterId < 1)
        return JobReplay::Park;
    m_http->chapter_move_asyn(request);
    return JobReplay::Sent;
}

JobReplay CBookJobManager::replayChapterBlade(T_JobData& job)
{
    T_Book* book = m_model->findAnyBookByLocalId(job.localBookId);
    const T_Chapter* chapter = book ? book->findChapterByLocalId(job.localChapterId) : nullptr;
    if (chapter == nullptr || job.bookId < 1 || job.chapterId < 1)
        return JobReplay::Park;
    TC_Chapter_ContentBlade request;
    fillHeader(job, request);
    request.content = job.content;
    request.chapterName = chapter->name;
    request.createTime = job.createTime;
    m_http->chapter_contentBlade_asyn(request);
    return JobReplay::Sent;
}

JobReplay CBookJobManager::replayChapterAppMove(T_JobData& job)
{
    const QJsonArray moves = arrayOf(job.content);
    if (moves.isEmpty())
        return JobReplay::Drop;
    if (job.bookId < 1)
        return JobReplay::Park;
    const int stamped = intOf(moves.first().toObject(), "update_time");
    TC_Chapter_AppMove request;
    fillHeader(job, request);
    request.updateTime = stamped > 0 ? stamped : static_cast<int>(currentServerTime());
    request.bookId = job.bookId;
    request.moveOrder = job.content;
    m_http->chapter_appMove_asyn(request);
    return JobReplay::Sent;
}

JobReplay CBookJobManager::replayOutline(T_JobData& job)
{
    if (job.bookId < 1)
        return JobReplay::Park;
    const QJsonObject stored = objectOf(job.content);
    switch (job.jobType) {
    case JobType::OutlineCreate: {
        TC_BookOutline_Create request(job.bookId, job.localBookId, job.ext1, 0, intOf(stored, "type"),
                                      intOf(stored, "orderNum"), job.createTime, textOf(stored, "title"),
                                      textOf(stored, "content"));
        fillHeader(job, request);
        m_http->outlineCreate_asyn(request);
        return JobReplay::Sent;
    }
    case JobType::OutlineUpdate: {
        TC_BookOutline_Update request;
        fillHeader(job, request);
        request.localOutlineId = job.ext1;
        request.outlineId = intOf(stored, "outlineId");
        request.localBookId = job.localBookId;
        request.bookId = job.bookId;
        request.updateTime = job.createTime;
        request.type = intOf(stored, "type");
        request.title = textOf(stored, "title");
        request.content = textOf(stored, "content");
        if (request.outlineId < 1)
            return JobReplay::Park;
        qDebug() << "update outline to server=======" << request.localOutlineId << request.outlineId;
        m_http->outlineUpdate_asyn(request);
        return JobReplay::Sent;
    }
    case JobType::OutlineDelete: {
        TC_BookOutline_Delete request;
        fillHeader(job, request);
        request.localOutlineId = job.ext1;
        request.outlineId = intOf(stored, "outlineId");
        request.type = intOf(stored, "type");
        request.localBookId = job.localBookId;
        request.bookId = job.bookId;
        request.updateTime = job.createTime;
        if (request.outlineId < 1)
            return JobReplay::Park;
        m_http->outlineDelete_asyn(request);
        return JobReplay::Sent;
    }
    default: {
        TC_BookOutline_Move request;
        fillHeader(job, request);
        request.bookId = job.bookId;
        request.localBookId = job.localBookId;
        request.fromLocalId = intOf(stored, "from_localId");
        request.toLocalId = intOf(stored, "to_localId");
        request.fromOutlineId = intOf(stored, "outlineId_from");
        request.toOutlineId = intOf(stored, "outlineId_to");
        request.updateTime = job.createTime;
        if (request.fromOutlineId < 1 || request.toOutlineId < 1)
            return replayOutlineMoveWithoutIds(request);
        m_http->outlineMove_asyn(request);
        return JobReplay::Sent;
    }
    }
}

JobReplay CBookJobManager::replayOutlineMoveWithoutIds(const TC_BookOutline_Move& move)
{
    // An outline deleted here before its create reached the platform never
    // gets an id. Parked, the move would stay for good, and while it waits
    // the book's outline list keeps this machine's places: the book's order
    // would never again follow the platform's. The list puts it right.
    const auto goneHere = [this](int outlineId, int localOutlineId) {
        return outlineId < 1
               && m_db->countItems(QStringLiteral("tb_outline"), QStringLiteral("localId"), localOutlineId) == 0;
    };
    if (!goneHere(move.fromOutlineId, move.fromLocalId) && !goneHere(move.toOutlineId, move.toLocalId))
        return JobReplay::Park;
    CSynDataManager::instance()->oweLook(JobType::OutlineList, m_model->findAnyBookByLocalId(move.localBookId));
    return JobReplay::Drop;
}

JobReplay CBookJobManager::replayVolume(T_JobData& job)
{
    if (job.bookId < 1)
        return JobReplay::Park;
    switch (job.jobType) {
    case JobType::VolumeAdd: {
        TC_Volume_Add request(job.localBookId, job.bookId, job.localVolumeId, job.ext1, job.createTime,
                              job.content);
        fillHeader(job, request);
        m_http->volume_add_asyn(request);
        return JobReplay::Sent;
    }
    case JobType::VolumeEdit: {
        if (job.volumeId < 1)
            return JobReplay::Park;
        TC_Volume_Edit request;
        fillHeader(job, request);
        request.volumeName = job.content;
        request.updateTime = job.createTime;
        m_http->volume_edit_asyn(request);
        return JobReplay::Sent;
    }
    case JobType::VolumeDelRestore: {
        if (job.volumeId < 1)
            return JobReplay::Park;
        TC_Volume_Delete request;
        fillHeader(job, request);
        request.type = job.content.toInt();
        request.updateTime = job.createTime;
        m_http->volume_del_restore_asyn(request);
        return JobReplay::Sent;
    }
    default: {
        T_Book* book = m_model->findAnyBookByLocalId(job.localBookId);
        if (book == nullptr)
            return JobReplay::Park;
        const QJsonObject stored = objectOf(job.content);
        TC_Volume_Move request;
        fillHeader(job, request);
        request.localFromVolumeId = intOf(stored, "localFromVolumeId");
        request.localToVolumeId = intOf(stored, "localToVolumeId");
        request.fromVolumeId = book->getVolumeId(request.localFromVolumeId);
        request.toVolumeId = book->getVolumeId(request.localToVolumeId);
        request.updateTime = job.createTime;
        if (request.fromVolumeId < 1 || request.toVolumeId < 1)
            return JobReplay::Park;
        m_http->volume_move_asyn(request);
        return JobReplay::Sent;
    }
    }
}

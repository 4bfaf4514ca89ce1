// Replies to book jobs: server ids of created objects, book information,
// chapter texts and versions, outlines, and the books' sync progress.
//
// The echoed identity has been checked against the request by the job
// manager; what a reply's content names (books, chapters, outlines) is
// checked here against that identity and the model, so a reply never
// changes an object it was not asked about.

#include "CBookJobManager.h"

#include "manager/CJobManager.h"

#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter_TimeMachineItem.h"
#include "manager/CPublicManager.h"
#include "manager/CSynDataManager.h"
#include "manager/CUiManager.h"
#include "outline/COutlineController.h"
#include "remote/CTessaneHttp.h"
#include "remote/CTessaneUrl.h"
#include "volume/CBookVolumeController.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {
// The feed item that has a book's chapter list fetched and merged.
constexpr int kFeedChapterList = 5;
}

void CBookJobManager::asynBack(int jobType, int localBookId, const QByteArray& body)
{
    switch (jobType) {
    case JobType::BooksAdd: asynBackBookAdd(body); break;
    case JobType::BooksInfo: asynBackBookInfo(body); break;
    case JobType::BooksEdit: asynBackBookEdit(body); break;
    case JobType::ChapterAdd: asynBackChapterAdd(body); break;
    case JobType::ChapterBatchCreate: asynBackChapterBatchCreate(body); break;
    case JobType::ChapterMenu: asynBackChapterMenu(body); break;
    case JobType::ChapterContent: asynBackChapterContent(body); break;
    case JobType::ChapterGetChapters: asynBackChapterGetChapters(body); break;
    case JobType::ChapterEditContent:
    case JobType::ChapterEdit: asynBackChapterEditContent(body); break;
    case JobType::ChapterMove: asynBackChapterMove(body); break;
    case JobType::ChapterTimeMachine: asynBackChapterTimeMachine(body); break;
    case JobType::ChapterInfo: asynBackChapterInfo(body); break;
    case JobType::OutlineCreate: asynBackOutlineCreate(body); break;
    case JobType::OutlineDetail: asynBackOutlineDetail(body); break;
    case JobType::OutlineList: asynBackOutlineList(body); break;
    case JobType::OutlineMove: asynBackOutlineMove(body); break;
    case JobType::VolumeMenu: asynBackVolumeMenu(body); break;
    case JobType::VolumeAdd: asynBackVolumeAdd(body); break;
    case JobType::VolumeEdit: asynBackVolumeEidt(body); break;
    case JobType::VolumeDelRestore: asynBackVolumeDelRestore(body); break;
    case JobType::VolumeMove: asynBackVolumeMove(body); break;
    case JobType::BooksDeleteHard: qDebug() << "DeleteHard:" << body.left(200); break;
    case JobType::BooksRestore: qDebug() << "BookRestore" << body.left(200); break;
    default:
        // Recycling, deleting, renaming, snapshots, chapter order: the
        // platform returns nothing the local copy needs.
        break;
    }
    addSyncProgress(localBookId);
}

// ---- server ids ------------------------------------------------------------------

void CBookJobManager::asynBackBookAdd(const QByteArray& body)
{
    TS_Books_AddBook reply;
    CTessaneUrl::parseAddBook(body, &reply);
    qDebug() << "asynBackBookAdd" << body.left(200);
    if (reply.header.code != HttpOk || reply.book_id < 1 || reply.local_id < 1)
        return;
    // Only the book this request created takes the id.
    if (reply.local_id != reply.header.userdata.localBookId) {
        qWarning() << "book add reply names local book" << reply.local_id << "but was sent for"
                   << reply.header.userdata.localBookId << "; ignored";
        return;
    }
    if (!m_db->setBookServerId(reply.local_id, reply.book_id)) {
        replyDbFailed(reply.header, "server id of a book not stored");
        return;
    }
    // Recycled here before the reply came, it takes the id all the same:
    // restored, it must not go to the platform a second time.
    T_Book* book = m_model->findAnyBookByLocalId(reply.local_id);
    if (book == nullptr) {
        // Deleted for good here while its add was on the way: the delete
        // kept for this id goes now.
        sendWaitingDelete(JobType::BooksDeleteHard, QStringLiteral("localBookId"), reply.local_id);
        return;
    }
    book->chaptersLoaded = true;
    book->bookId = reply.book_id;
    book->outline.bookId = reply.book_id;
    for (T_Chapter* chapter : qAsConst(book->chapterList))
        chapter->bookId = reply.book_id;
    for (T_Chapter* chapter : qAsConst(book->recycleChapterList))
        chapter->bookId = reply.book_id;
    for (T_Volume* volume : qAsConst(book->volumeList))
        volume->bookId = reply.book_id;
    for (T_Outline* outline : qAsConst(book->outline.outlineList))
        outline->bookId = reply.book_id;
}

void CBookJobManager::asynBackChapterAdd(const QByteArray& body)
{
    TS_Chapter_Add reply;
    CTessaneUrl::setHttpChapterAdd(body, &reply);
    qDebug() << "asynBackChapterAdd==" << reply.header.code;
    const T_Http_Custom& header = reply.header.userdata;
    if (reply.header.code != HttpOk || reply.chapter_id < 1 || header.localChapterId < 1)
        return;
    // Its book may have gone to the recycle bin since: the record there
    // takes the id as its row does.
    T_Chapter* chapter = m_model->findAnyChapter(header.localBookId, header.localChapterId);
    if (!m_db->setChapterServerId(header.localChapterId, reply.chapter_id)) {
        replyDbFailed(reply.header, "server id of a chapter not stored");
        return;
    }
    if (chapter)
        chapter->chapterId = reply.chapter_id;
    else
        // Deleted for good while its add was on the way: the delete kept
        // for this id goes now.
        sendWaitingDelete(JobType::ChapterDelete, QStringLiteral("localChapterId"), header.localChapterId);
    qDebug() << "update db finish==";
}

void CBookJobManager::asynBackChapterBatchCreate(const QByteArray& body)
{
    TS_JsonObjectList reply;
    CTessaneUrl::setHttpObjectList(body, &reply);
    T_Book* book = m_model->findAnyBookByLocalId(reply.header.userdata.localBookId);
    if (reply.header.code != HttpOk || reply.list.isEmpty() || book == nullptr)
        return;
    QVector<QPair<int, int>> ids;
    QList<T_Chapter*> chapters;
    for (const QJsonObject& item : qAsConst(reply.list)) {
        const int localId = item.value(QStringLiteral("local_id")).toInt();
        const int chapterId = item.value(QStringLiteral("chapter_id")).toInt();
        // Only chapters of this book take ids from this reply.
        T_Chapter* chapter = book->findChapterByLocalId(localId);
        if (localId < 1 || chapterId < 1 || chapter == nullptr)
            continue;
        ids.append({localId, chapterId});
        chapters.append(chapter);
    }
    // One commit for the batch: a sync of the disk for each chapter would
    // hold the window a while.
    if (!m_db->setChapterServerIds(ids)) {
        replyDbFailed(reply.header, "server ids of imported chapters not stored");
        return;
    }
    for (int i = 0; i < chapters.size(); ++i)
        chapters.at(i)->chapterId = ids.at(i).second;
    book->calcWordCount();
}

void CBookJobManager::asynBackVolumeAdd(const QByteArray& body)
{
    TS_Volume_Add reply;
    CTessaneUrl::setHttpVolumeAdd(body, &reply);
    qDebug() << "asynBackVolumeAdd==" << body.left(200);
    const T_Http_Custom& header = reply.header.userdata;
    if (reply.header.code != HttpOk || reply.volume_id < 1 || header.localVolumeId < 1)
        return;
    T_Volume* volume = m_model->findAnyVolume(header.localBookId, header.localVolumeId);
    if (!m_db->setVolumeServerId(header.localVolumeId, reply.volume_id)) {
        replyDbFailed(reply.header, "server id of a volume not stored");
        return;
    }
    T_Book* book = m_model->findAnyBookByLocalId(header.localBookId);
    if (volume && book) {
        volume->volumeId = reply.volume_id;
        // Chapters of the volume learn it too, as their rows just did.
        for (QList<T_Chapter*>* list : {&book->chapterList, &book->recycleChapterList}) {
            for (T_Chapter* chapter : qAsConst(*list)) {
                if (chapter->localVolumeId == volume->localId)
                    chapter->volumeId = reply.volume_id;
            }
        }
        // The platform puts a new volume at the end of its list, which a
        // volume made on another machine meanwhile may have lengthened: its
        // place is taken from there, so that every machine shows the same.
        requestVolumeList(book, header.jobId);
    }
}

void CBookJobManager::asynBackOutlineCreate(const QByteArray& body)
{
    TS_BookOutline_Create reply;
    CTessaneUrl::setHttpOutlineCreate(body, &reply);
    if (reply.header.code != HttpOk || reply.local_id < 1 || reply.outline_id < 1)
        return;
    T_Book* book = m_model->findAnyBookByLocalId(reply.header.userdata.localBookId);
    T_Outline* outline = book ? book->findOutlineByLocalId(reply.local_id) : nullptr;
    if (outline == nullptr && book != nullptr
        && m_db->pendingJob(m_model->userInfo.uid, JobType::OutlineDelete, QStringLiteral("ext1"), reply.local_id)
               > 0) {
        // Deleted here while its create was on the way: the delete kept
        // for it learns the id with the outline's other jobs and goes now.
        if (!m_db->updateAllOfOutline(reply.local_id, reply.outline_id))
            replyDbFailed(reply.header, "server id of a deleted outline not stored");
        else
            sendWaitingDelete(JobType::OutlineDelete, QStringLiteral("ext1"), reply.local_id);
        return;
    }
    // An outline id for an outline of another book, or one this client
    // never made, is not written anywhere.
    if (outline == nullptr) {
        qWarning() << "outline create reply names outline" << reply.local_id << "which book"
                   << reply.header.userdata.localBookId << "does not have; ignored";
        return;
    }
    // The outline row and every waiting job of it learn the id together.
    if (!m_db->updateAllOfOutline(reply.local_id, reply.outline_id)) {
        replyDbFailed(reply.header, "server id of an outline not stored");
        return;
    }
    outline->outlineId = reply.outline_id;
    // The platform puts a new outline at the end of its list, which outlines
    // made on another machine meanwhile may have lengthened: its order is
    // taken, so that every machine shows the same.
    oweBookLook(JobType::OutlineList, book, reply.header.userdata.jobId);
}

// ---- book information and edits ------------------------------------------------------

bool CBookJobManager::takeUnknownBook(TS_Books_Info& reply)
{
    // A book deleted for good from here stays deleted, whatever an answer
    // given before the platform took that says.
    if (reply.book_id != reply.header.userdata.bookId || m_model->findBookByBookId(reply.book_id) != nullptr
        || m_model->findRecycledBookByBookId(reply.book_id) != nullptr
        || deletedHere(JobType::BooksDeleteHard, reply.book_id))
        return false;
    const QString name = withoutControlChars(reply.book_name);
    // Perhaps the book of this machine's create whose reply was lost: its
    // look-up takes it.
    if (heldForLookUp(JobType::BooksAdd, 0, name))
        return false;
    TC_Books_AddBook request(name, reply.create_time, reply.update_time, QString());
    request.header.bookId = reply.book_id;
    request.header.uid = m_model->userInfo.uid;
    T_Book* book = books_add(request, true) ? m_model->findBookByBookId(reply.book_id) : nullptr;
    if (book == nullptr)
        return false;
    // Its chapters (and the volumes they name) come with its chapter list.
    book->chaptersLoaded = true;
    if (!CSynDataManager::instance()->hasSynItem(kFeedChapterList, book->bookId, 0))
        CSynDataManager::instance()->addSynItem(kFeedChapterList, book->bookId, 0, 0, QString());
    reply.header.userdata.localBookId = book->localId;
    return true;
}

int CBookJobManager::cateParentOf(int channel, int cateId) const
{
    const TS_Books_CateList& cates = channel == 1 ? m_model->cateList.male : m_model->cateList.female;
    for (const T_Books_CateItem& top : cates.items) {
        for (const T_Books_CateItem& child : top.children) {
            if (child.cate_id == cateId && child.parentId >= 0)
                return child.parentId;
        }
    }
    return QString::number(cateId).left(4).toInt();
}

void CBookJobManager::asynBackBookEdit(const QByteArray& body)
{
    TS_Books_Edit reply;
    CTessaneUrl::setHttpBooksEdit(body, &reply);
    if (reply.header.code != HttpOk || reply.cover.isEmpty())
        return;
    if (T_Book* book = m_model->findAnyBookByLocalId(reply.header.userdata.localBookId)) {
        if (!m_db->updateBookCover(book->localId, reply.cover, book->localCover)) {
            replyDbFailed(reply.header, "cover address not stored");
            return;
        }
        book->coverUrl = reply.cover;
    }
}

// ---- chapter texts, versions and information ------------------------------------------

bool CBookJobManager::applyServerChapter(T_Book* book, T_Chapter* chapter, const QJsonObject& object)
{
    // Members the reply lacks keep their values: a reply without "content"
    // must not empty the author's text.
    T_Chapter stored = *chapter;
    const auto has = [&object](const char* key) { return object.contains(QLatin1String(key)); };
    if (has("content")) {
        CTessaneUrl::jsonString(object, QStringLiteral("content"), stored.content);
        stored.content = withoutControlChars(stored.content);
        stored.contentLoaded = true;
    }
    CTessaneUrl::jsonString(object, QStringLiteral("chapter_name"), stored.name);
    stored.name = withoutControlChars(stored.name);
    CTessaneUrl::jsonInt(object, QStringLiteral("status"), stored.status);
    // The place stays: the platform numbers the whole book, this copy the
    // chapters of each volume, and one number of the other numbering put
    // among this copy's would tie with a neighbour or pass it. The chapter
    // list brings places.
    CTessaneUrl::jsonInt(object, QStringLiteral("word_count"), stored.wordCount);
    CTessaneUrl::jsonInt(object, QStringLiteral("create_time"), stored.createTime);
    CTessaneUrl::jsonInt(object, QStringLiteral("update_time"), stored.updateTime);
    stored.bookId = book->bookId;
    if (!m_db->updateChapter(&stored))
        return false;
    const int status = stored.status;
    stored.status = chapter->status;
    *chapter = stored;
    if (status != chapter->status)
        book->setChapterStatus(chapter, status);
    return true;
}

void CBookJobManager::asynBackChapterContent(int bookId, const QJsonObject& object)
{
    // A book in the recycle bin keeps taking what is written elsewhere: it
    // must not be deleted for good without those words being known here.
    T_Book* book = m_model->findAnyBookByBookId(bookId);
    if (book == nullptr || bookId < 1) {
        qDebug() << "not find book:" << bookId;
        return;
    }
    const int chapterId = object.value(QStringLiteral("chapter_id")).toInt();
    T_Chapter* chapter = chapterId >= 1 ? book->findChapterByChapterId(chapterId) : nullptr;
    if (chapter == nullptr) {
        qDebug() << "chapter null!" << chapterId;
        return;
    }
    const QString shownName = chapter->name;
    const bool wasRecycled = chapter->status == 0;
    // Words written elsewhere into a chapter lying in this machine's bin:
    // its delete for good is told of them first (chapter_delete).
    const bool writtenElsewhere = wasRecycled && object.contains(QStringLiteral("content"))
                                  && withoutControlChars(object.value(QStringLiteral("content")).toString())
                                         != storedText(*chapter);
    if (applyServerChapter(book, chapter, object)) {
        if (writtenElsewhere && chapter->status == 0 && !chapter->writtenInBin) {
            if (m_db->setChapterWrittenInBin(chapter->localId, true))
                chapter->writtenInBin = true;
            else
                qWarning() << "chapter" << chapter->localId << "in the bin not marked as written elsewhere";
        }
        m_ui->chapterContent(book, chapter);
        if (wasRecycled || chapter->status == 0)
            m_model->announceBinChanged(book->localId);
        // A rename made elsewhere shows at once in the tree and on the tab,
        // not only when the book is opened again.
        if (chapter->name != shownName) {
            CBookVolumeController::instance()->renameChapterItem(book, chapter);
            m_ui->updateChapterTitle(chapter->localId, chapter->name);
        }
        qDebug() << "updateChapterContent success";
    } else {
        dbFailed("updateChapterContent error!");
        qWarning() << "chapter" << chapterId << "text from the platform not stored";
    }
    book->calcWordCount();
    // The book bin shows a recycled book's word count.
    if (book->status != 1)
        m_model->announceBinChanged(0);
}

void CBookJobManager::asynBackChapterContent(const QByteArray& body)
{
    const QJsonObject root = CTessaneUrl::rootObject(body);
    T_Http_S head;
    CTessaneUrl::parseAsyncReplyHeader(root, &head);
    const QJsonObject content = root.value(QStringLiteral("content")).toObject();
    const int bookId = content.value(QStringLiteral("book_id")).toInt();
    if (head.userdata.bookId >= 1 && bookId != head.userdata.bookId) {
        qWarning() << "chapter text of book" << bookId << "in the reply for book" << head.userdata.bookId
                   << "; ignored";
        return;
    }
    asynBackChapterContent(bookId, content);
}

void CBookJobManager::asynBackChapterGetChapters(const QByteArray& body)
{
    TS_JsonObjectList reply;
    CTessaneUrl::setHttpObjectList(body, &reply);
    const int bookId = reply.header.userdata.bookId;
    qDebug() << "chapterContents" << bookId;
    for (const QJsonObject& object : qAsConst(reply.list))
        asynBackChapterContent(bookId, object);
}

void CBookJobManager::asynBackChapterTimeMachine(const QByteArray& body)
{
    TS_Chapter_TimeMachine reply;
    CTessaneUrl::setHttpChapterTimeMachine(body, &reply);
    if (reply.header.code != HttpOk)
        return;
    T_Book* book = m_model->findAnyBookByBookId(reply.book_id);
    T_Chapter* chapter = (book && reply.chapter_id >= 1) ? book->findChapterByChapterId(reply.chapter_id) : nullptr;
    if (chapter == nullptr)
        return;
    QList<T_Chapter_TimeMachineItem> versions;
    for (const T_Chapter_TimeMachineVersion& version : qAsConst(reply.items)) {
        T_Chapter_TimeMachineItem item;
        item.bladeId = version.id;
        item.content = withoutControlChars(version.content);
        item.createTime = version.create_time;
        item.wordCount = version.word_num;
        versions.append(item);
    }
    if (!m_db->replaceContentBlades(m_model->userInfo.uid, book->localId, chapter->localId, book->bookId,
                                    chapter->chapterId, versions)) {
        replyDbFailed(reply.header, "chapter versions not stored");
        return;
    }
    emit sig_versionsReplaced(chapter->localId);
}

bool CBookJobManager::takePlatformState(T_Book* book, T_Chapter* chapter, int platformStatus,
                                        const T_Http_Custom& identity)
{
    const int status = platformStatus != 0 ? 1 : 0;
    if (chapter->status == status
        || m_db->pendingJob(m_model->userInfo.uid, JobType::ChapterRecycle, QStringLiteral("localChapterId"),
                            chapter->localId)
               > 0
        || stateToldBeforeAnswer(chapter))
        return false;
    TC_Chapter_Recycle request;
    request.header = identity;
    request.header.localBookId = book->localId;
    request.header.bookId = book->bookId;
    request.header.localChapterId = chapter->localId;
    request.header.chapterId = chapter->chapterId;
    request.header.localVolumeId = chapter->localVolumeId;
    request.header.volumeId = chapter->volumeId;
    request.header.jobType = JobType::ChapterRecycle;
    request.status = status;
    request.updateTime = now();
    if (chapter_recycle(request, true))
        return true;
    qWarning() << "recycle state of chapter" << chapter->localId << "not taken from the platform";
    return false;
}

void CBookJobManager::asynBackChapterInfo(const QByteArray& body)
{
    TS_NewChapter_ChapterInfo reply;
    CTessaneUrl::setHttpChapterInfo(body, &reply);
    if (reply.header.code != HttpOk)
        return;
    T_Book* book = m_model->findAnyBookByBookId(reply.book_id);
    T_Chapter* chapter = (book && reply.chapter_id >= 1) ? book->findChapterByChapterId(reply.chapter_id) : nullptr;
    if (chapter == nullptr)
        return;
    T_Chapter stored = *chapter;
    stored.volumeId = reply.volume_id;
    stored.localVolumeId = book->getLocalVolumeId(reply.volume_id);
    if (!m_db->updateChapterStatus(&stored)) {
        replyDbFailed(reply.header, "volume of a chapter not stored");
        return;
    }
    chapter->volumeId = stored.volumeId;
    chapter->localVolumeId = stored.localVolumeId;
    // Fetched by the feed for a change of the recycle state: the platform's
    // present state, unless a change of it made here still waits.
    const bool wasLive = chapter->status != 0;
    if (reply.header.userdata.synStep != 0)
        takePlatformState(book, chapter, reply.status, reply.header.userdata);
    if (reply.header.userdata.synStep != 0 && chapter->status != 0
        && (bringBackVolumeOf(book, chapter) || !wasLive)) {
        // Live again by the platform's state: its place is the platform's too.
        CSynDataManager::instance()->oweLook(JobType::ChapterMenu, book);
    }
    if (book->findVolumeByVolumeId(reply.volume_id) == nullptr)
        requestVolumeList(book);
}

// ---- outlines ----------------------------------------------------------------------

void CBookJobManager::asynBackOutlineDetail(const QByteArray& body)
{
    TS_BookOutline_Detail reply;
    const QJsonObject root = CTessaneUrl::rootObject(body);
    CTessaneUrl::parseAsyncReplyHeader(root, &reply.header);
    if (reply.header.code != HttpOk)
        return;
    const QJsonObject content = root.value(QStringLiteral("content")).toObject();
    const int bookId = content.value(QStringLiteral("book_id")).toInt();
    const int outlineId = content.value(QStringLiteral("outline_id")).toInt();
    T_Book* book = bookId >= 1 ? m_model->findAnyBookByBookId(bookId) : nullptr;
    T_Outline* outline = (book && outlineId >= 1) ? book->findOutlineByOutlineId(outlineId) : nullptr;
    if (outline == nullptr) {
        // One this machine lacks: deleted here with its delete withdrawn
        // (written in elsewhere) while the list that was to bring it back
        // failed, or one whose add passed this machine by.
        if (book != nullptr && outlineId >= 1) {
            TS_BookOutline_Detail item;
            item.book_id = bookId;
            item.outline_id = outlineId;
            item.type = content.value(QStringLiteral("type")).toInt();
            item.order_num = content.value(QStringLiteral("order_num")).toInt();
            item.create_time = content.value(QStringLiteral("create_time")).toInt();
            item.title = withoutControlChars(content.value(QStringLiteral("title")).toString());
            item.content = withoutControlChars(content.value(QStringLiteral("content")).toString());
            takeUnknownOutline(book, item);
        }
        return;
    }
    T_Outline stored = *outline;
    CTessaneUrl::jsonInt(content, QStringLiteral("type"), stored.type);
    CTessaneUrl::jsonString(content, QStringLiteral("title"), stored.title);
    CTessaneUrl::jsonString(content, QStringLiteral("content"), stored.content);
    stored.title = withoutControlChars(stored.title);
    stored.content = withoutControlChars(stored.content);
    stored.bookId = bookId;
    if (!m_db->updateOutlineByOutlineId(&stored)) {
        replyDbFailed(reply.header, "outline detail not stored");
        return;
    }
    *outline = stored;
    COutlineController::instance()->updateItem(outline);
}

void CBookJobManager::asynBackOutlineList(const QByteArray& body)
{
    TS_BookOutline_List reply;
    CTessaneUrl::setHttpOutlineList(body, &reply);
    if (reply.header.code != HttpOk)
        return;
    const int askedBookId = reply.header.userdata.bookId;
    const auto listed = [&reply](int outlineId) {
        return std::any_of(reply.items.cbegin(), reply.items.cend(),
                           [outlineId](const TS_BookOutline_Detail& item) { return item.outline_id == outlineId; });
    };
    CSynDataManager::instance()->settleWithdrawn(JobType::OutlineDelete, askedBookId, reply.header.userdata.synStep,
                                                 listed);
    listedWithout(JobType::OutlineDelete, askedBookId, listed);
    // Whether a drag made here still waits, read once for the list.
    QHash<int, bool> movesWaitOf;
    for (TS_BookOutline_Detail& item : reply.items) {
        item.title = withoutControlChars(item.title);
        item.content = withoutControlChars(item.content);
        if (askedBookId >= 1 && item.book_id != askedBookId)
            continue;
        T_Book* book = item.book_id >= 1 ? m_model->findAnyBookByBookId(item.book_id) : nullptr;
        if (book == nullptr || item.outline_id < 1)
            continue;
        qDebug().noquote() << QStringLiteral("bookId:%1===localBoolId:%2===type:%3==outlineId:%4==orderNum:%5")
                                  .arg(QString::number(item.book_id), QString::number(book->localId),
                                       QString::number(item.type), QString::number(item.outline_id),
                                       QString::number(item.order_num));
        if (T_Outline* outline = book->findOutlineByOutlineId(item.outline_id)) {
            T_Outline stored = *outline;
            stored.type = item.type;
            stored.title = item.title;
            stored.content = item.content;
            stored.outlineId = item.outline_id;
            stored.bookId = item.book_id;
            // A drag made here and still waiting would be undone now and then
            // sent: the places stay until it has gone.
            if (!movesWaitOf.contains(book->localId))
                movesWaitOf.insert(book->localId, m_db->pendingJob(m_model->userInfo.uid, JobType::OutlineMove,
                                                                   QStringLiteral("localBookId"), book->localId)
                                                      > 0);
            const bool movesWait = movesWaitOf.value(book->localId);
            stored.orderNum = movesWait || orderListedBeforeAnswer(JobType::OutlineList, book, item.order_num != outline->orderNum)
                                  ? outline->orderNum
                                  : item.order_num;
            qDebug() << "update outline";
            if (!m_db->updateOutlineByOutlineId(&stored)) {
                replyDbFailed(reply.header, "outline from the list not stored");
                continue;
            }
            *outline = stored;
            COutlineController::instance()->updateItem(outline);
            continue;
        }
        takeUnknownOutline(book, item);
    }
}

void CBookJobManager::takeUnknownOutline(T_Book* book, const TS_BookOutline_Detail& item)
{
    // Deleted here, its delete waiting for the feed: the feed decides
    // whether it comes back (written in elsewhere) or goes. An outline of
    // this machine whose create went out unanswered may be it, in a list or
    // a detail alike: its look-up takes it, and the book's list after that
    // brings any other.
    if (m_db->pendingNoteDelete(m_model->userInfo.uid, JobType::OutlineDelete, item.outline_id) > 0
        || deletedHere(JobType::OutlineDelete, item.outline_id) || outlineCreateUnanswered(book))
        return;
    TC_BookOutline_Create create(item.book_id, book->localId, 0, item.outline_id, item.type, item.order_num,
                                 item.create_time, item.title, item.content);
    create.header.synStep = 1;
    if (!outline_create(create))
        qWarning() << "outline" << item.outline_id << "from the platform not stored:" << m_lastError;
}

bool CBookJobManager::outlineCreateUnanswered(const T_Book* book)
{
    for (const T_Outline* outline : book->outline.outlineList) {
        if (outline->outlineId < 1 && m_db->hasSentCreate(JobType::OutlineCreate, QStringLiteral("ext1"), outline->localId))
            return true;
    }
    return false;
}

void CBookJobManager::asynBackOutlineMove(const QByteArray& body)
{
    qDebug() << "outline move" << body.left(200);
    T_Http_S header;
    CTessaneUrl::parseAsyncReplyHeader(CTessaneUrl::rootObject(body), &header);
    const T_Book* book = header.userdata.bookId >= 1 ? m_model->findAnyBookByBookId(header.userdata.bookId) : nullptr;
    // The platform numbers a book's outlines anew when one moves, where this
    // machine renumbered only those between the two: its numbers are taken,
    // so that an outline added elsewhere later lands here where it does
    // there (the list keeps the places while another move waits here).
    if (header.code == HttpOk && book != nullptr)
        oweBookLook(JobType::OutlineList, book, header.userdata.jobId);
}
void CBookJobManager::asynBackChapterMove(const QByteArray& body) { qDebug() << "chapter move" << body.left(200); }
void CBookJobManager::asynBackVolumeEidt(const QByteArray& body) { qDebug() << "volume edit" << body.left(200); }
void CBookJobManager::asynBackVolumeDelRestore(const QByteArray& body)
{
    qDebug() << "volume delete" << body.left(200);
    T_Http_S header;
    const QJsonObject root = CTessaneUrl::rootObject(body);
    CTessaneUrl::parseAsyncReplyHeader(root, &header);
    T_Book* book = header.userdata.bookId >= 1 ? m_model->findAnyBookByBookId(header.userdata.bookId) : nullptr;
    if (header.code != HttpOk || book == nullptr)
        return;
    if (root.value(QStringLiteral("content")).toObject().value(QStringLiteral("status")).toInt() == 1) {
        // A restored volume takes its place among volumes moved while it was
        // deleted as the platform counts it.
        requestVolumeList(book, header.userdata.jobId);
        return;
    }
    requestChapterStates(book, header.userdata.volumeId, header.userdata.jobId);
}

void CBookJobManager::requestChapterStates(const T_Book* book, int volumeId, int answeredJobId)
{
    // The list names the deleted volume: its reply is read for states.
    oweBookLook(JobType::ChapterMenu, book, answeredJobId, volumeId);
}

void CBookJobManager::requestVolumeList(const T_Book* book, int answeredJobId)
{
    oweBookLook(JobType::VolumeMenu, book, answeredJobId);
}

void CBookJobManager::oweBookLook(int listType, const T_Book* book, int answeredJobId, int volumeId)
{
    if (book == nullptr)
        return;
    // The jobs whose answers call for each list; a job of the feed or a
    // look-up's (no job id) has none behind it.
    const QList<int> callers = listType == JobType::VolumeMenu
                                   ? QList<int>{JobType::VolumeAdd, JobType::VolumeMove, JobType::VolumeDelRestore}
                               : listType == JobType::OutlineList ? QList<int>{JobType::OutlineCreate, JobType::OutlineMove}
                               : volumeId > 0                     ? QList<int>{JobType::VolumeDelRestore}
                                                                  : QList<int>();
    const bool later = answeredJobId > 0 && !callers.isEmpty() && m_db->hasJobAfter(book->localId, callers, answeredJobId);
    CSynDataManager::instance()->oweLook(listType, book, volumeId, later);
}
void CBookJobManager::asynBackVolumeMove(const QByteArray& body)
{
    qDebug() << "volume move" << body.left(200);
    T_Http_S header;
    CTessaneUrl::parseAsyncReplyHeader(CTessaneUrl::rootObject(body), &header);
    const T_Book* book = header.userdata.bookId >= 1 ? m_model->findAnyBookByBookId(header.userdata.bookId) : nullptr;
    // The platform placed the volume by its own order, which moves made
    // elsewhere meanwhile may have changed: its order is taken, once no
    // other move of this machine waits.
    if (header.code == HttpOk && book != nullptr)
        requestVolumeList(book, header.userdata.jobId);
}

// ---- progress ----------------------------------------------------------------------

void CBookJobManager::addSyncProgress(int localBookId)
{
    T_Book* book = m_model->findBookByLocalId(localBookId);
    if (book == nullptr || !book->isSyncing || book->synCount < 1)
        return;
    ++book->synDoneCount;
    if (book->synDoneCount >= book->synCount)
        m_model->resetBookSynState(book);
    refreshBookItem(book);
}

void CBookJobManager::sendWaitingDelete(int jobType, const QString& column, int localId)
{
    const int jobId = m_db->pendingJob(m_model->userInfo.uid, jobType, column, localId);
    T_JobData job;
    CJobManager* jobs = CJobManager::instance();
    if (jobId < 1 || !m_db->getJobById(jobId, job) || job.jobId != jobId || jobs->isJobInFlight(jobId))
        return;
    qInfo() << "object" << localId << "was deleted here before its create was answered; job" << jobId
            << "deletes the platform's copy";
    if (JobOwners::isDeleteForGood(jobType)) {
        jobs->sendAfterFeed(jobId);
        return;
    }
    if (execUserJob(job) != JobReplay::Sent)
        return;
    T_Http_Custom identity;
    identity.uid = job.uid;
    identity.jobId = job.jobId;
    identity.jobType = job.jobType;
    jobs->noteJobSent(identity, job.revision);
}

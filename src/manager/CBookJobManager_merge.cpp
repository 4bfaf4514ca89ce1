// Replies that merge the platform's lists into a book: the chapter list, the
// volume list, and the chapter copies a conflicting save produced.

#include "CBookJobManager.h"

#include "common/ServerClock.h"
#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/CTessaneDbTransaction.h"
#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "manager/CSynDataManager.h"
#include "manager/CUiManager.h"
#include "remote/CTessaneUrl.h"
#include "volume/CBookVolumeController.h"

#include <QDebug>
#include <QJsonArray>
#include <QSet>

#include <algorithm>

namespace {
constexpr int kFetchChapterText = 9;
constexpr int kFeedInternalItem = 100002;
}

void CBookJobManager::asynBackChapterMenu(const QByteArray& body)
{
    TS_Chapter_Menu reply;
    CTessaneUrl::setHttpChapterMenu(body, &reply);
    // The list is of the book the request asked about.
    const int bookId = reply.header.userdata.bookId;
    T_Book* book = bookId >= 1 ? m_model->findAnyBookByBookId(bookId) : nullptr;
    if (book == nullptr)
        return;
    CSynDataManager* feed = CSynDataManager::instance();
    const auto listed = [&reply](int chapterId) {
        return std::any_of(reply.items.cbegin(), reply.items.cend(),
                           [chapterId](const T_Chapter_MenuItem& entry) { return entry.chapter_id == chapterId; });
    };
    if (reply.header.code == HttpOk) {
        feed->settleWithdrawn(JobType::ChapterDelete, bookId, reply.header.userdata.synStep, listed);
        listedWithout(JobType::ChapterDelete, bookId, listed);
    }
    if (reply.header.userdata.volumeId >= 1) {
        takeStatesAfterVolumeDelete(book, reply);
        return;
    }
    if (book->isImporting && reply.count >= 1)
        feed->addSynItem(kFeedInternalItem, 0, 0, 0, QString());
    qDebug() << "ChapterCount:" << reply.count << bookId;

    // A chapter put in a volume this copy lacks would be in no volume shown,
    // neither in the tree nor in the recycle bin: the feed brings the volume
    // list first and asks for this list again.
    const bool namesUnknownVolume =
        std::any_of(reply.items.cbegin(), reply.items.cend(), [book, bookId](const T_Chapter_MenuItem& entry) {
            return entry.chapter_id >= 1 && (entry.book_id < 1 || entry.book_id == bookId)
                   && (entry.volume_id < 1 || book->findVolumeByVolumeId(entry.volume_id) == nullptr);
        });
    if (namesUnknownVolume && feed->retryAfterVolumeList(reply.header.userdata.synStep, book))
        return;

    // One look at the queue for the whole list: a book of thousands of
    // chapters is asked about each only while a drag of it waits.
    const bool dragsWait = m_db->hasJobBefore(book->localId, {JobType::ChapterMove, JobType::ChapterAppMove}, 0);
    // Likewise the deletes for good still waiting, for chapters it lists that this copy lacks.
    QSet<int> deletesWait;
    bool deletesRead = false;
    for (const T_Chapter_MenuItem& entry : qAsConst(reply.items)) {
        if (entry.chapter_id < 1 || (entry.book_id >= 1 && entry.book_id != bookId))
            continue;
        if (T_Chapter* known = book->findChapterByChapterId(entry.chapter_id)) {
            const T_Volume* volume = entry.volume_id >= 1 ? book->findVolumeByVolumeId(entry.volume_id) : nullptr;
            if (volume == nullptr) {
                qWarning() << "chapter" << entry.chapter_id << "is listed in volume" << entry.volume_id
                           << "which book" << book->localId << "does not know; it stays where it is";
                feed->applyAgainLater(reply.header.userdata.synStep);
                continue;
            }
            if ((!dragsWait || !dragWaits(known)) && !placedBeforeAnswer(book, known, volume, entry.order_num))
                placeAsListed(known, volume, entry.order_num, reply.header);
            continue;
        }
        // Deleted for good here, its delete waiting for the feed to end, or
        // taken by the platform after it answered this list.
        if (!deletesRead) {
            deletesRead = true;
            bool ok = false;
            for (const T_WaitingJob& job :
                 m_db->waitingJobsOfBook(m_model->userInfo.uid, book->localId, {JobType::ChapterDelete}, {}, &ok))
                deletesWait.insert(job.chapterId);
            if (!ok)
                return;  // a later list merges them
        }
        if (deletedHere(JobType::ChapterDelete, entry.chapter_id) || deletesWait.contains(entry.chapter_id))
            continue;
        if (heldForLookUp(JobType::ChapterAdd, book->localId, entry.chapter_name, entry.local_id))
            continue;
        const T_Volume* volume = entry.volume_id >= 1 ? book->findVolumeByVolumeId(entry.volume_id) : nullptr;
        if (volume == nullptr) {
            // The volume list has to come first; the rest of the chapter
            // list is merged by a later pass.
            qWarning() << "chapter" << entry.chapter_id << "is in volume" << entry.volume_id
                       << "which book" << book->localId << "does not know; merge stopped";
            return;
        }
        auto* chapter = new T_Chapter;
        chapter->name = entry.chapter_name;
        chapter->chapterId = entry.chapter_id;
        chapter->orderNum = entry.order_num;
        chapter->volumeId = entry.volume_id;
        chapter->localBookId = book->localId;
        chapter->bookId = book->bookId;
        chapter->localVolumeId = volume->localId;
        chapter->createTime = book->createTime;
        chapter->status = entry.status != 0 ? 1 : 0;
        if (!m_db->insertChapterWithContent(chapter) || !m_db->updateChapterStatus(chapter)) {
            replyDbFailed(reply.header, "chapter of the list not stored");
            delete chapter;
            continue;
        }
        if (chapter->status != 0)
            book->chapterList.append(chapter);
        else
            book->recycleChapterList.append(chapter);
        if (!feed->hasSynItem(kFetchChapterText, bookId, entry.chapter_id))
            feed->addSynItem(kFetchChapterText, bookId, entry.chapter_id, 0, QString());
    }
    CBookVolumeController::instance()->reloadBook(book);
    m_model->announceBinChanged(book->localId);
}

bool CBookJobManager::placeAsListed(T_Chapter* chapter, const T_Volume* volume, int order, T_Http_S& head)
{
    T_Chapter stored = *chapter;
    stored.orderNum = order;
    stored.volumeId = volume->volumeId;
    stored.localVolumeId = volume->localId;
    if (!m_db->updateChapterStatus(&stored)) {
        replyDbFailed(head, "chapter of the list not stored");
        return false;
    }
    chapter->orderNum = stored.orderNum;
    chapter->volumeId = stored.volumeId;
    chapter->localVolumeId = stored.localVolumeId;
    return true;
}

bool CBookJobManager::dragWaits(const T_Chapter* chapter) const
{
    for (const int jobType : {JobType::ChapterMove, JobType::ChapterAppMove}) {
        if (m_db->pendingJob(m_model->userInfo.uid, jobType, QStringLiteral("localChapterId"), chapter->localId) > 0)
            return true;
    }
    return false;
}

void CBookJobManager::takeStatesAfterVolumeDelete(T_Book* book, TS_Chapter_Menu& reply)
{
    // The platform recycled the chapters in the volume when the delete
    // arrived, which drags on either machine may have changed since the
    // machines recycled theirs. A chapter whose state differs takes the
    // platform's, and its place with it unless a drag of it made here is
    // still on its way (the drag keeps the state where it puts the
    // chapter). The other places come with the feed, as taken now they could
    // undo a drag of this machine.
    for (const T_Chapter_MenuItem& entry : qAsConst(reply.items)) {
        T_Chapter* chapter = entry.chapter_id >= 1 ? book->findChapterByChapterId(entry.chapter_id) : nullptr;
        const T_Volume* volume = entry.volume_id >= 1 ? book->findVolumeByVolumeId(entry.volume_id) : nullptr;
        if (chapter == nullptr || volume == nullptr || (entry.book_id >= 1 && entry.book_id != book->bookId)
            || !takePlatformState(book, chapter, entry.status, reply.header.userdata))
            continue;
        if (!dragWaits(chapter))
            placeAsListed(chapter, volume, entry.order_num, reply.header);
        bringBackVolumeOf(book, chapter);
    }
    CBookVolumeController::instance()->reloadBook(book);
}

void CBookJobManager::asynBackChapterEditContent(const QByteArray& body)
{
    TS_Chapter_Edit_Content reply;
    CTessaneUrl::setHttpChapterEdit(body, &reply);
    if (reply.chapter_copy.isEmpty())
        return;
    // Copies belong to the book the save was sent for.
    const int bookId = reply.header.userdata.bookId >= 1 ? reply.header.userdata.bookId : reply.book_id;
    T_Book* book = bookId >= 1 ? m_model->findAnyBookByBookId(bookId) : nullptr;
    if (book == nullptr || (reply.book_id >= 1 && reply.book_id != bookId))
        return;
    qDebug() << "chapter copies for book" << bookId << "volume" << reply.volume_id << "chapter" << reply.chapter_id;
    const int localVolumeId = book->getLocalVolumeId(reply.volume_id);
    if (reply.volume_id < 1 || localVolumeId < 1) {
        qWarning() << "chapter copies name volume" << reply.volume_id << "which the book does not know; ignored";
        return;
    }

    int added = 0;
    for (const QJsonValue& value : qAsConst(reply.chapter_copy)) {
        const QJsonObject copy = value.toObject();
        if (!copy.contains(QStringLiteral("chapter_id")) || !copy.contains(QStringLiteral("chapter_name"))
            || !copy.contains(QStringLiteral("content")) || !copy.contains(QStringLiteral("order_num")))
            continue;
        const int chapterId = copy.value(QStringLiteral("chapter_id")).toInt();
        const int order = copy.value(QStringLiteral("order_num")).toInt();
        const QString name = withoutControlChars(copy.value(QStringLiteral("chapter_name")).toString());
        const QString content = withoutControlChars(copy.value(QStringLiteral("content")).toString());
        if (chapterId < 1 || book->findChapterByChapterId(chapterId) != nullptr)
            continue;
        if (!m_db->shiftChapterOrderByServerIds(book->bookId, reply.volume_id, order, 1)) {
            replyDbFailed(reply.header, "no room made for a chapter copy");
            continue;
        }
        book->shiftChapterOrder(localVolumeId, order, 1);
        const int localId = m_db->insertChapterFromServer(book->localId, book->bookId, localVolumeId,
                                                          reply.volume_id, chapterId, order, name, content);
        if (localId < 1) {
            replyDbFailed(reply.header, "chapter copy not stored");
            continue;
        }
        auto* chapter = new T_Chapter;
        chapter->name = name;
        chapter->content = content;
        chapter->contentLoaded = true;
        chapter->status = 1;
        chapter->orderNum = order;
        chapter->chapterId = chapterId;
        chapter->localBookId = book->localId;
        chapter->bookId = book->bookId;
        chapter->localId = localId;
        chapter->localVolumeId = localVolumeId;
        chapter->volumeId = reply.volume_id;
        chapter->calcWordCount();
        chapter->createTime = now();
        // A position the list does not have puts the copy at its end.
        const int at = qBound(0, order - 1, book->chapterList.size());
        book->chapterList.insert(at, chapter);
        CBookVolumeController::instance()->addChapterItem(book, chapter);
        ++added;
    }
    if (added > 0) {
        book->calcWordCount();
        m_ui->showTips(tr("chapter copy"), true, 2000);
    }
}

void CBookJobManager::asynBackVolumeMenu(const QByteArray& body)
{
    // Fetched by the feed for a change of a volume: the platform's present
    // state, deletes and restores included, rather than what the item says.
    T_Http_S head;
    CTessaneUrl::parseAsyncReplyHeader(CTessaneUrl::rootObject(body), &head);
    takeVolumeList(body, head.userdata.synStep != 0);
}

void CBookJobManager::takeVolumeList(const QByteArray& body, bool withStatus)
{
    TS_Volume_Menu reply;
    CTessaneUrl::setHttpVolumeMenu(body, &reply);
    if (reply.header.code != HttpOk)
        return;
    const int bookId = reply.header.userdata.bookId >= 1 ? reply.header.userdata.bookId : reply.book_id;
    T_Book* book = bookId >= 1 ? m_model->findAnyBookByBookId(bookId) : nullptr;
    if (book == nullptr)
        return;
    listedWithout(JobType::VolumeDelRestore, book->bookId, [&reply](int volumeId) {
        return std::any_of(reply.items.cbegin(), reply.items.cend(),
                           [volumeId](const T_Volume_MenuItem& item) { return item.volumeId == volumeId && item.status != 0; });
    });
    // A move made here and still waiting would be undone now and then sent:
    // the places stay until it has gone. The queue is read once for the
    // whole list, whatever number of volumes it holds.
    const VolumeChangesWaiting waiting = volumeChangesWaiting(book);
    const bool movesWait = waiting.moves;
    QList<QPair<int, int>> statuses;
    // The whole list is stored in one transaction, one sync of the log
    // however many volumes it holds; the book here changes after the commit.
    QList<QPair<T_Volume*, T_Volume>> changed;
    QList<T_Volume*> added;
    QSet<int> addedIds;
    CTessaneDb::Transaction transaction(*m_db);
    bool stored = transaction.began();
    for (const T_Volume_MenuItem& item : qAsConst(reply.items)) {
        if (!stored)
            break;
        if (item.volumeId < 1 || (item.bookId >= 1 && item.bookId != bookId) || addedIds.contains(item.volumeId))
            continue;
        if (T_Volume* known = book->findVolumeByVolumeId(item.volumeId)) {
            // Live in a list answered before this machine's delete of it
            // reached the platform: that delete stands.
            const bool older = item.status != 0 && deletedHere(JobType::VolumeDelRestore, item.volumeId);
            T_Volume listed = *known;
            listed.orderNum = movesWait || orderListedBeforeAnswer(JobType::VolumeMenu, book, item.orderNum != known->orderNum)
                                  ? known->orderNum
                                  : item.orderNum;
            // Likewise a rename, a delete or a restore made here that has not gone yet.
            if (!waiting.renames(known->localId) && !listedBeforeAnswer(book, known, item.volumeName))
                listed.volumeName = item.volumeName;
            if (withStatus && !older && (item.status != 0) != (known->status != 0)
                && !waiting.changesStatus(known->localId))
                statuses.append(qMakePair(known->localId, item.status != 0 ? 1 : 0));
            if (listed.orderNum == known->orderNum && listed.volumeName == known->volumeName)
                continue;
            stored = m_db->updateVolumeOrder(&listed) && m_db->updateVolumeName(&listed);
            changed.append(qMakePair(known, listed));
            continue;
        }
        // A volume of this machine whose create went out unanswered may be
        // it: its look-up takes it.
        if (waiting.sentAdds.contains(item.volumeName))
            continue;
        auto* volume = new T_Volume;
        volume->localBookId = book->localId;
        volume->bookId = book->bookId;
        volume->volumeId = item.volumeId;
        volume->orderNum = item.orderNum;
        volume->status = item.status;
        volume->volumeName = item.volumeName;
        volume->createTime = now();
        added.append(volume);
        addedIds.insert(item.volumeId);
        stored = m_db->insertVolumeFromServer(volume) && m_db->updateChapterVolumeId(volume->localId, volume->volumeId);
    }
    if (!stored || !transaction.commit()) {
        qDeleteAll(added);
        replyDbFailed(reply.header, "volumes of the list not stored");
        return;
    }
    for (const auto& change : qAsConst(changed))
        *change.first = change.second;
    for (T_Volume* volume : qAsConst(added)) {
        for (QList<T_Chapter*>* list : {&book->chapterList, &book->recycleChapterList}) {
            for (T_Chapter* chapter : qAsConst(*list)) {
                if (chapter->volumeId == volume->volumeId)
                    chapter->localVolumeId = volume->localId;
            }
        }
        book->volumeList.append(volume);
    }
    for (const auto& status : qAsConst(statuses)) {
        const T_Volume* volume = book->findVolumeByLocalId(status.first);
        if (volume != nullptr && !CSynDataManager::instance()->takeVolumeStatus(book, volume, status.second)) {
            // Not taken: the feed's pass ends, and its items come again.
            CSynDataManager::instance()->abortSyn(reply.header.userdata.synStep, true);
            break;
        }
    }
    CBookVolumeController::instance()->reloadBook(book);
}

// The handlers of the change items: each applies one item through the owner
// operations (marked as coming from the feed), or sends the fetch whose reply
// applies it. An object the local copy does not have is skipped; an owner
// operation that fails stops the pass, so that the item comes again.

#include "CSynDataManager.h"

#include "common/ServerClock.h"
#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_Memo.h"
#include "ui/creation/memo/MemoItemManager.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CMemoManager.h"
#include "manager/CPublicManager.h"
#include "manager/CSystemManager.h"
#include "manager/CUiManager.h"
#include "remote/CTessaneHttp.h"
#include "remote/records/OutlineRecords.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QSet>

namespace {

// The extra member is the platform's text; anything but an object reads as
// an empty one.
QJsonObject extraOf(const T_SynchronizaTion_SynBookDataItem& item)
{
    if (item.extra.isEmpty())
        return QJsonObject();
    return QJsonDocument::fromJson(item.extra.toUtf8()).object();
}

QString textOf(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isString() ? value.toString() : QString();
}

// Numbers come as numbers or as digits in text.
int intOf(const QJsonObject& object, const char* key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isString())
        return value.toString().toInt();
    return value.toInt();
}

int now()
{
    return static_cast<int>(currentServerTime());
}

}

void CSynDataManager::setBookStep(T_Http_Custom& header, const T_Book* book)
{
    header.localBookId = book->localId;
    header.bookId = book->bookId;
    header.synStep = nextStep();
}

void CSynDataManager::setChapterStep(T_Http_Custom& header, const T_Book* book, const T_Chapter* chapter)
{
    setBookStep(header, book);
    header.localChapterId = chapter->localId;
    header.chapterId = chapter->chapterId;
    header.localVolumeId = chapter->localVolumeId;
    header.volumeId = chapter->volumeId;
}

void CSynDataManager::setVolumeStep(T_Http_Custom& header, const T_Book* book, const T_Volume* volume)
{
    setBookStep(header, book);
    header.localVolumeId = volume->localId;
    header.volumeId = volume->volumeId;
}

CSynDataManager::Outcome CSynDataManager::dispatch(const T_SynchronizaTion_SynBookDataItem& item)
{
    if (withdrawWaitingBookDelete(item))
        return Outcome::Continue;
    noteWordsInBin(item);
    switch (item.changeType) {
    case 1: return execBookAdd(item);
    case 2: return execBookInfo(item);
    case 3: return execBookDelete(item);
    case 4: return execChapterAdd(item);
    case 5: return execChapterMenu(item);
    case 6: return execChapterRecycle(item, 0);
    case 7: return execChapterDelete(item);
    case 8: return execChapterRecycle(item, 1);
    case 9: return execChapterContent(item);
    case 10:
        addSynItem(1, item.bookId, 0, 0, QString());
        return Outcome::Continue;
    case 11: return execTimeMachine(item);
    case 12: return execStatistics();
    case 13: return execAuthorInfo();
    case 15: return execMemoAdd(item);
    case 16: return execMemoDetail(item);
    case 17: return execMemoDelete(item);
    case 18: return execSensitive();
    case 19: return execChapterBatch(item);
    case 21: return execOutlineAdd(item);
    case 22: return execOutlineDetail(item);
    case 23: return execOutlineDelete(item);
    case 24: return execOutlineMove(item);
    case 25: return execVolumeAdd(item);
    case 26: return execVolumeEidt(item);
    case 27: return execVolumeMove(item);
    case 28: return execVolumeDelRestore(item, 0);
    case 29: return execVolumeDelRestore(item, 1);
    case 30: return execBookDeleteHard(item);
    case 31: return execBookRestore(item);
    case kFetchChapterList: return execFetchChapterList(item);
    case kFetchVolumeList: return execFetchVolumeList(item);
    case kFetchBook: return fetchBookNotHere(item.bookId);
    case kFetchOutlines: return execFetchOutlines(item);
    case kFetchMemo: return execFetchMemo(item);
    case kSettleWithdrawn: return execSettleWithdrawn(item);
    case kOwedLook: return execOwedLook(item);
    default:
        // 14, 20, the end marker of a chapter-list fetch, and anything the
        // client does not know: nothing to apply.
        return Outcome::Continue;
    }
}

CSynDataManager::Outcome CSynDataManager::execBookAdd(const T_SynchronizaTion_SynBookDataItem& item)
{
    if (item.bookId < 1)
        return Outcome::Continue;
    // One in the recycle bin here is the book too (its add item pulled again),
    // and one deleted for good here since stays deleted.
    if (m_model->findAnyBookByBookId(item.bookId) == nullptr
        && !m_bookJobs->deletedForGoodHere(JobType::BooksDeleteHard, QStringLiteral("bookId"), item.bookId)) {
        const QJsonObject extra = extraOf(item);
        TC_Books_AddBook request(withoutControlChars(textOf(extra, "book_name")), intOf(extra, "create_time"), now(), QString());
        request.header.bookId = item.bookId;
        request.header.synStep = nextStep();
        if (!m_bookJobs->books_add(request, true))
            return Outcome::Fail;
        // Only a book made just now starts with its (empty) chapter list
        // loaded; a book already here keeps what it has.
        if (T_Book* book = m_model->findBookByBookId(item.bookId))
            book->chaptersLoaded = true;
    }
    if (item.synId < 1)
        addSynItem(2, item.bookId, 0, 0, QString());
    return Outcome::Continue;
}

CSynDataManager::Outcome CSynDataManager::execBookInfo(const T_SynchronizaTion_SynBookDataItem& item)
{
    // One in the recycle bin here takes the change too.
    T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    // A book this machine never learnt of: made here with its reply lost,
    // and changed elsewhere before the look-up could recognise it.
    if (book == nullptr && item.bookId > 0 && item.synId > 0)
        return fetchBookNotHere(item.bookId);
    if (book == nullptr)
        return Outcome::Continue;
    // Queued here after an imported book's add: its chapters follow.
    if (item.synId < 1 && item.bookId > 0)
        addSynItem(kFetchChapterList, item.bookId, 0, 0, QString());
    return askBookInfo(book->localId, book->bookId);
}

CSynDataManager::Outcome CSynDataManager::fetchBookNotHere(int bookId)
{
    if (m_model->findBookByBookId(bookId) != nullptr || m_model->findRecycledBookByBookId(bookId) != nullptr)
        return Outcome::Continue;
    // Its information brings it (CBookJobManager::asynBackBookInfo).
    return askBookInfo(0, bookId);
}

CSynDataManager::Outcome CSynDataManager::askBookInfo(int localBookId, int bookId)
{
    TC_Books_Info request;
    request.header.localBookId = localBookId;
    request.header.bookId = bookId;
    request.header.uid = m_model->userInfo.uid;
    request.header.synStep = nextStep();
    if (!m_bookJobs->books_info(request))
        return Outcome::Fail;
    m_waitStep = request.header.synStep;
    return Outcome::Wait;
}

CSynDataManager::Outcome CSynDataManager::execBookDelete(const T_SynchronizaTion_SynBookDataItem& item)
{
    T_Book* book = m_model->findBookByBookId(item.bookId);
    if (book == nullptr)
        return Outcome::Continue;
    TC_Books_Delete request(book->localId, now());
    request.header.bookId = book->bookId;
    request.header.synStep = nextStep();
    return m_bookJobs->books_delete(request, true) ? Outcome::Continue : Outcome::Fail;
}

CSynDataManager::Outcome CSynDataManager::execChapterAdd(const T_SynchronizaTion_SynBookDataItem& item)
{
    qDebug().noquote() << "execChapterAdd" << item.extra;
    T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    if (book == nullptr || item.chapterId < 1)
        return Outcome::Continue;
    if (book->findChapterByChapterId(item.chapterId))
        return Outcome::Continue;  // already here: an item seen before
    // Deleted for good here since an earlier pull brought it (the item comes
    // again when one before it could not be applied): it stays deleted.
    if (m_bookJobs->deletedForGoodHere(JobType::ChapterDelete, QStringLiteral("chapterId"), item.chapterId))
        return Outcome::Continue;
    const QJsonObject extra = extraOf(item);
    const int volumeId = intOf(extra, "volume_id");
    // A volume of id 0 is one of ours not on the platform yet: never the right one.
    const T_Volume* volume = volumeId > 0 ? book->findVolumeByVolumeId(volumeId) : nullptr;
    if (volume == nullptr)
        return placeChapterOfUnknownVolume(book, item);
    const int createTime = intOf(extra, "create_time");
    const int orderNum = intOf(extra, "order_num");
    TC_Chapter_Add request(book->localId, book->bookId, volume->localId, volume->volumeId, createTime, orderNum,
                           textOf(extra, "chapter_name"));
    request.updateTime = createTime > 0 ? createTime : now();
    request.header.chapterId = item.chapterId;
    request.header.synStep = nextStep();
    if (!m_bookJobs->chapter_add(request))
        return Outcome::Fail;
    // Into a volume deleted here: the platform's state of the chapter tells
    // whether it was written there after the delete.
    if (volume->status == 0)
        askChapterState(book, book->findChapterByLocalId(request.header.localChapterId));
    // The item's order number counts in the platform's numbering, which the
    // chapters made or moved here need not share: the platform's list,
    // fetched once after the feed's new chapters, gives every chapter its
    // place.
    if (!hasSynItem(5, item.bookId, 0))
        addSynItem(5, item.bookId, 0, 0, QString());
    return Outcome::Continue;
}

CSynDataManager::Outcome CSynDataManager::execChapterMenu(const T_SynchronizaTion_SynBookDataItem& item)
{
    T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    if (book == nullptr)
        return Outcome::Continue;
    TC_Chapter_Menu request;
    request.bookId = book->bookId;
    request.header.bookId = book->bookId;
    request.header.localBookId = book->localId;
    request.header.uid = m_model->userInfo.uid;
    request.header.synStep = nextStep();
    if (!m_bookJobs->chapter_menu(request, true))
        return Outcome::Fail;
    m_waitStep = request.header.synStep;
    return Outcome::Wait;
}

CSynDataManager::Outcome CSynDataManager::execChapterRecycle(const T_SynchronizaTion_SynBookDataItem& item, int status)
{
    T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    T_Chapter* chapter = book ? book->findChapterByChapterId(item.chapterId) : nullptr;
    if (chapter == nullptr) {
        if (status != 0)
            withdrawWaitingDelete(book, item.chapterId);
        return Outcome::Continue;
    }
    // The item tells that the state changed, not what it is now: a change
    // of this machine that the platform took after it (sent again because
    // its reply was lost) must not be undone here. The platform's present
    // state is fetched and applied (CBookJobManager::asynBackChapterInfo).
    TC_Chapter_Info request;
    setChapterStep(request.header, book, chapter);
    m_http->chapter_info_asyn(request);
    m_waitStep = request.header.synStep;
    return Outcome::Wait;
}

CSynDataManager::Outcome CSynDataManager::execChapterDelete(const T_SynchronizaTion_SynBookDataItem& item)
{
    T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    T_Chapter* chapter = book ? book->findChapterByChapterId(item.chapterId) : nullptr;
    if (chapter == nullptr)
        return Outcome::Continue;
    // Deleting for good also drops the chapter's waiting changes: what the
    // author wrote here is kept first, as a chapter of its own. Words still
    // only in the editor become a waiting change before that is decided.
    if (!m_model->announceLeaving(book->localId, chapter->localId))
        return Outcome::Fail;
    // A rename, a move or a state change waiting here goes with it (told).
    int copyId = 0;
    if (m_db->chapterTextWaits(chapter->localId)) {
        copyId = makeChapterCopy(book, chapter, localText(chapter));
        if (copyId < 1)
            return Outcome::Fail;
    } else if (!m_bookJobs->dropGoneChapterChanges(chapter)) {
        return Outcome::Fail;
    }
    TC_Chapter_Delete request;
    setChapterStep(request.header, book, chapter);
    request.updateTime = now();
    if (CJobManager::instance()->chapter_delete(request)) {
        if (copyId > 0)
            m_ui->showTips(tr("A chapter was deleted for good on another device; what you wrote in it here is "
                              "kept as a chapter of its own."),
                           false, 8000);
        return Outcome::Continue;
    }
    if (copyId > 0) {
        // The next pull brings the deletion again and makes the copy then.
        if (m_db->deleteChapter(copyId))
            book->removeChapter(copyId);
    }
    return Outcome::Fail;
}

CSynDataManager::Outcome CSynDataManager::execChapterContent(const T_SynchronizaTion_SynBookDataItem& item)
{
    qDebug() << "execChapterContent" << item.bookId << item.chapterId;
    T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    if (book == nullptr || book->findChapterByChapterId(item.chapterId) == nullptr) {
        withdrawWaitingDelete(book, item.chapterId);
        return Outcome::Continue;
    }
    TC_Chapter_Content request;
    request.bookId = item.bookId;
    request.chapterId = item.chapterId;
    request.header.bookId = item.bookId;
    request.header.localBookId = book->localId;
    request.header.chapterId = item.chapterId;
    request.header.uid = m_model->userInfo.uid;
    request.header.synStep = nextStep();
    m_http->chapter_content_asyn(request);
    m_waitStep = request.header.synStep;
    return Outcome::Wait;
}

void CSynDataManager::noteWordsInBin(const T_SynchronizaTion_SynBookDataItem& item)
{
    // A new chapter, a chapter's text (alone or in a batch), an outline's.
    static const QSet<int> words{4, 9, 19, 21, 22};
    if (!words.contains(item.changeType) || item.bookId < 1)
        return;
    if (T_Book* book = m_model->findRecycledBookByBookId(item.bookId); book != nullptr && book->status != 1)
        m_bookJobs->markWrittenInBin(book);
}

void CSynDataManager::insertSynItem(int offset, int changeType, int bookId)
{
    auto* item = new T_SynchronizaTion_SynBookDataItem;
    item->changeType = changeType;
    item->bookId = bookId;
    m_againOf.remove(item);
    m_lookOf.remove(item);
    m_reply.items.insert(qMin(offset, m_reply.items.size()), item);
}

CSynDataManager::Outcome CSynDataManager::execFetchOutlines(const T_SynchronizaTion_SynBookDataItem& item)
{
    T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    if (book == nullptr)
        return Outcome::Continue;
    TC_BookOutline_List request;
    request.header.bookId = book->bookId;
    request.header.localBookId = book->localId;
    request.header.synStep = nextStep();
    if (!m_bookJobs->outline_list(request))
        return Outcome::Fail;
    m_waitStep = request.header.synStep;
    return Outcome::Wait;
}

CSynDataManager::Outcome CSynDataManager::execTimeMachine(const T_SynchronizaTion_SynBookDataItem& item)
{
    T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    T_Chapter* chapter = book ? book->findChapterByChapterId(item.chapterId) : nullptr;
    if (chapter == nullptr)
        return Outcome::Continue;
    TC_Chapter_TimeMachine request;
    request.bookId = book->bookId;
    request.chapterId = chapter->chapterId;
    request.header.bookId = book->bookId;
    request.header.localBookId = book->localId;
    request.header.chapterId = chapter->chapterId;
    request.header.localChapterId = chapter->localId;
    request.header.uid = m_model->userInfo.uid;
    request.header.synStep = nextStep();
    m_http->chapter_timeMachine_asyn(request);
    m_waitStep = request.header.synStep;
    return Outcome::Wait;
}

CSynDataManager::Outcome CSynDataManager::execStatistics()
{
    TC_AuthorCount_UserData request;
    request.channel = 1;
    request.header.uid = m_model->userInfo.uid;
    request.header.synStep = nextStep();
    CSystemManager::instance()->authorCount_userData(request);
    m_waitStep = request.header.synStep;
    return Outcome::Wait;
}

CSynDataManager::Outcome CSynDataManager::execAuthorInfo()
{
    TC_Author_Info request;
    request.header.jobType = 2;
    request.header.uid = m_model->userInfo.uid;
    request.header.synStep = nextStep();
    m_http->author_info_asyn(request);
    m_waitStep = request.header.synStep;
    return Outcome::Wait;
}

CSynDataManager::Outcome CSynDataManager::execMemoAdd(const T_SynchronizaTion_SynBookDataItem& item)
{
    qDebug().noquote() << "execMemoAdd" << item.chapterId << item.extra;
    if (item.chapterId <= 0)
        return Outcome::Continue;
    int localMemoId = 0;
    if (const T_Memo* memo = m_model->findMemoByMemoId(item.chapterId)) {
        localMemoId = memo->localId;
    } else if (m_db->pendingNoteDelete(m_model->userInfo.uid, JobType::MemoDel, item.chapterId) > 0
               || m_bookJobs->deletedHere(JobType::MemoDel, item.chapterId)) {
        // Deleted here, its delete waiting: only words written in it since
        // (a change of it) bring it back. Its delete confirmed, the item is
        // older than the delete.
        return Outcome::Continue;
    } else {
        TC_Memo_Add add;
        add.header.memoId = item.chapterId;
        add.header.synStep = nextStep();
        add.updateTime = now();
        if (!CJobManager::instance()->memoAdd(add))
            return Outcome::Fail;
        localMemoId = add.header.localMemoId;
    }
    if (localMemoId < 1)
        return Outcome::Continue;
    TC_Memo_Detail detail;
    detail.header.localMemoId = localMemoId;
    detail.header.memoId = item.chapterId;
    detail.header.uid = m_model->userInfo.uid;
    detail.header.synStep = nextStep();
    if (!CJobManager::instance()->memoDetail(detail))
        return Outcome::Fail;
    m_waitStep = detail.header.synStep;
    return Outcome::Wait;
}

CSynDataManager::Outcome CSynDataManager::execMemoDetail(const T_SynchronizaTion_SynBookDataItem& item)
{
    const T_Memo* memo = m_model->findMemoByMemoId(item.chapterId);
    if (memo == nullptr && item.chapterId > 0) {
        // Deleted here with its delete waiting: its look brings it back
        // once the delete is withdrawn.
        const NoteDelete waiting = withdrawWaitingNoteDelete(JobType::MemoDel, item.chapterId);
        if (waiting == NoteDelete::Failed)
            return Outcome::Fail;
        if (waiting != NoteDelete::None)
            return Outcome::Continue;
    }
    // A memo this machine never learnt of: made here with its reply lost,
    // and changed elsewhere past recognition before the look-up.
    if (memo == nullptr && item.chapterId > 0 && item.synId > 0)
        return askMemoDetail(item.chapterId);
    if (memo == nullptr)
        return Outcome::Continue;
    TC_Memo_Detail detail;
    detail.header.localMemoId = memo->localId;
    detail.header.memoId = memo->memoId;
    detail.header.uid = m_model->userInfo.uid;
    detail.header.synStep = nextStep();
    if (!CJobManager::instance()->memoDetail(detail))
        return Outcome::Fail;
    m_waitStep = detail.header.synStep;
    return Outcome::Wait;
}

CSynDataManager::Outcome CSynDataManager::askMemoDetail(int memoId)
{
    // Its detail brings it (CMemoManager::takeUnknownMemo).
    TC_Memo_Detail detail;
    detail.header.memoId = memoId;
    detail.header.uid = m_model->userInfo.uid;
    detail.header.synStep = nextStep();
    if (!CMemoManager::instance()->memoDetail(detail))
        return Outcome::Fail;
    m_waitStep = detail.header.synStep;
    return Outcome::Wait;
}

CSynDataManager::Outcome CSynDataManager::execMemoDelete(const T_SynchronizaTion_SynBookDataItem& item)
{
    const T_Memo* memo = m_model->findMemoByMemoId(item.chapterId);
    if (memo == nullptr || m_model->indexOfMemo(memo->localId) < 0)
        return Outcome::Continue;
    const int localMemoId = memo->localId;
    // Words still only in the memo's window become a waiting edit first;
    // words waiting here keep the memo, as a memo of this machine that goes
    // to the platform anew.
    MemoItemManager::instance()->saveAll();
    if (hasWaitingEdit(JobType::MemoEdit, QStringLiteral("localMemoId"), localMemoId, QStringLiteral("content")))
        return CMemoManager::instance()->keepMemoHereOnly(localMemoId) ? Outcome::Continue : Outcome::Fail;
    memo = m_model->findMemoByLocalId(localMemoId);
    if (memo == nullptr || m_model->indexOfMemo(localMemoId) < 0)
        return Outcome::Continue;
    // With the memo list open, the list closes the memo's window and
    // deletes it; otherwise the memo operations delete it directly.
    if (MemoItemManager::instance()->removeMemo(m_model->indexOfMemo(localMemoId), localMemoId, true))
        return m_model->findMemoByLocalId(localMemoId) ? Outcome::Fail : Outcome::Continue;
    TC_Memo_Del request;
    request.header.localMemoId = memo->localId;
    request.header.memoId = memo->memoId;
    request.header.synStep = nextStep();
    request.updateTime = now();
    return CJobManager::instance()->memoDel(request) ? Outcome::Continue : Outcome::Fail;
}

CSynDataManager::Outcome CSynDataManager::execSensitive()
{
    TC_Sensitive_Get request;
    request.sensitive_type = 2;
    request.header.uid = m_model->userInfo.uid;
    request.header.synStep = nextStep();
    CJobManager::instance()->sensitive_get(request);
    m_waitStep = request.header.synStep;
    return Outcome::Wait;
}

CSynDataManager::Outcome CSynDataManager::execChapterBatch(const T_SynchronizaTion_SynBookDataItem& item)
{
    T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    if (book == nullptr)
        return Outcome::Continue;
    const QString cids = textOf(extraOf(item), "cids");
    if (cids.isEmpty())
        return Outcome::Continue;
    // Chapter ids are digits and commas; anything else is not sent on.
    for (const QChar c : cids) {
        if (!c.isDigit() && c != QLatin1Char(',')) {
            qWarning().noquote() << "chapter batch with a malformed id list skipped:" << printSynItem(&item);
            return Outcome::Continue;
        }
    }
    if (m_batchMenuBook != book->bookId) {
        // The chapter list goes first, as a step of its own, so that the
        // chapters are known when their texts arrive; the item runs again
        // after it.
        m_batchMenuBook = book->bookId;
        m_reply.items.insert(qMin(1, m_reply.items.size()), new T_SynchronizaTion_SynBookDataItem(item));
        auto* list = new T_SynchronizaTion_SynBookDataItem;
        list->changeType = kFetchChapterList;
        list->bookId = book->bookId;
        m_reply.items.insert(qMin(1, m_reply.items.size()), list);
        for (const T_SynchronizaTion_SynBookDataItem* queued : {m_reply.items.at(1), m_reply.items.at(2)}) {
            m_againOf.remove(queued);
            m_lookOf.remove(queued);
        }
        return Outcome::Continue;
    }
    const int step = nextStep();
    m_waitStep = step;
    sendChapterBatch(step, book->localId, book->bookId, cids);
    return Outcome::Wait;
}

void CSynDataManager::sendChapterBatch(int step, int localBookId, int bookId, const QString& cids)
{
    TC_Chapter_GetChapters request;
    request.header.localBookId = localBookId;
    request.header.bookId = bookId;
    request.header.uid = m_model->userInfo.uid;
    request.header.synStep = step;
    request.c_ids = cids;
    m_http->chapter_getChapters_asyn(request);
}

CSynDataManager::Outcome CSynDataManager::execOutlineAdd(const T_SynchronizaTion_SynBookDataItem& item)
{
    qDebug().noquote() << "CSynDataManager::execOutlineAdd ====== " << printSynItem(&item);
    T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    if (book == nullptr)
        return Outcome::Continue;
    qDebug().noquote() << QStringLiteral("bookId:%1 is exist").arg(book->bookId);
    const QJsonObject extra = extraOf(item);
    const int outlineId = intOf(extra, "outline_id");
    if (outlineId < 1)
        return Outcome::Continue;
    if (const T_Outline* outline = book->findOutlineByOutlineId(outlineId)) {
        qDebug().noquote() << "isExist:" << outline->localId << outline->outlineId << outline->type << outline->title;
        return Outcome::Continue;
    }
    // Deleted here, its delete waiting: only words written in it since (a
    // change of it) bring it back. Its delete confirmed, the item is older.
    if (m_db->pendingNoteDelete(m_model->userInfo.uid, JobType::OutlineDelete, outlineId) > 0
        || m_bookJobs->deletedHere(JobType::OutlineDelete, outlineId))
        return Outcome::Continue;
    qDebug().noquote() << QStringLiteral("OutlineId:%1 is not exist").arg(outlineId);
    TC_BookOutline_Create request(book->bookId, book->localId, 0, outlineId, intOf(extra, "type"),
                                  intOf(extra, "order_num"), now(), withoutControlChars(textOf(extra, "title")),
                                  withoutControlChars(textOf(extra, "content")));
    request.header.synStep = nextStep();
    return m_bookJobs->outline_create(request) ? Outcome::Continue : Outcome::Fail;
}

CSynDataManager::Outcome CSynDataManager::execOutlineDetail(const T_SynchronizaTion_SynBookDataItem& item)
{
    T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    if (book == nullptr || item.chapterId < 1)
        return Outcome::Continue;
    if (book->findOutlineByOutlineId(item.chapterId) == nullptr) {
        // Deleted here with its delete waiting: the book's list brings it
        // back once the delete is withdrawn.
        switch (withdrawWaitingNoteDelete(JobType::OutlineDelete, item.chapterId, book->bookId)) {
        case NoteDelete::Failed:
            return Outcome::Fail;
        case NoteDelete::Withdrawn:
        case NoteDelete::Leaving:
            return Outcome::Continue;
        case NoteDelete::None:
            break;
        }
    }
    TC_BookOutline_Detail request;
    request.bookId = book->bookId;
    request.outlineId = item.chapterId;
    request.header.bookId = book->bookId;
    request.header.localBookId = book->localId;
    request.header.uid = m_model->userInfo.uid;
    request.header.synStep = nextStep();
    m_http->outlineDetail_asyn(request);
    m_waitStep = request.header.synStep;
    return Outcome::Wait;
}

CSynDataManager::Outcome CSynDataManager::execOutlineDelete(const T_SynchronizaTion_SynBookDataItem& item)
{
    T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    const T_Outline* outline = book ? book->findOutlineByOutlineId(item.chapterId) : nullptr;
    if (outline == nullptr)
        return Outcome::Continue;
    qDebug() << "execOutlineDelete = " << outline->localId;
    // Words waiting here keep the outline, as an outline of this machine
    // that goes to the platform anew.
    if (hasWaitingEdit(JobType::OutlineUpdate, QStringLiteral("ext1"), outline->localId, QString()))
        return m_bookJobs->keepOutlineHereOnly(book, book->findOutlineByLocalId(outline->localId)) ? Outcome::Continue
                                                                                                    : Outcome::Fail;
    TC_BookOutline_Delete request;
    request.localOutlineId = outline->localId;
    request.outlineId = outline->outlineId;
    request.type = outline->type;
    request.localBookId = book->localId;
    request.bookId = book->bookId;
    request.updateTime = now();
    setBookStep(request.header, book);
    return m_bookJobs->outline_delete(request) ? Outcome::Continue : Outcome::Fail;
}

CSynDataManager::Outcome CSynDataManager::execOutlineMove(const T_SynchronizaTion_SynBookDataItem& item)
{
    qDebug().noquote() << "execOutlineMove" << printSynItem(&item);
    // The book's outline list, waited for: a failure brings the item again.
    return execFetchOutlines(item);
}

CSynDataManager::Outcome CSynDataManager::execVolumeAdd(const T_SynchronizaTion_SynBookDataItem& item)
{
    qDebug().noquote() << "execVolumeAdd" << item.bookId << item.extra << item.chapterId;
    T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    if (book == nullptr || item.chapterId < 1)
        return Outcome::Continue;
    if (book->findVolumeByVolumeId(item.chapterId))
        return Outcome::Continue;  // already here
    int order = 0;
    for (const T_Volume* volume : qAsConst(book->volumeList))
        order = qMax(order, volume->orderNum + 1);
    TC_Volume_Add request(book->localId, book->bookId, 0, order, now(), textOf(extraOf(item), "volume_name"));
    request.header.volumeId = item.chapterId;
    request.header.synStep = nextStep();
    if (!m_bookJobs->volume_add(request))
        return Outcome::Fail;
    // Put last here, it may stand before a volume this machine made, whose
    // create reached the platform after it: the book's volume list places it.
    if (!hasSynItem(kFetchVolumeList, book->bookId, 0))
        addSynItem(kFetchVolumeList, book->bookId, 0, 0, QString());
    return Outcome::Continue;
}

CSynDataManager::Outcome CSynDataManager::execVolumeEidt(const T_SynchronizaTion_SynBookDataItem& item)
{
    qDebug().noquote() << "execVolumeEidt" << printSynItem(&item);
    return execVolumeState(item);
}

CSynDataManager::Outcome CSynDataManager::execVolumeMove(const T_SynchronizaTion_SynBookDataItem& item)
{
    // The book's volume list, waited for, once a pass as for the volumes'
    // other changes (execVolumeState).
    const T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    if (book == nullptr || m_volumeListFetched.contains(book->bookId))
        return Outcome::Continue;
    m_volumeListFetched.insert(book->bookId);
    return execFetchVolumeList(item);
}

CSynDataManager::Outcome CSynDataManager::execVolumeDelRestore(const T_SynchronizaTion_SynBookDataItem& item, int type)
{
    qDebug().noquote() << "execVolumeDelRestore" << type << printSynItem(&item);
    // Restored elsewhere after this machine deleted it: the platform's lists
    // show it live from now on.
    if (type == 1)
        m_bookJobs->forgetDeletedHere(JobType::VolumeDelRestore, item.chapterId);
    // Deleted elsewhere: the platform recycled the chapters in it then. The
    // volume's state here tells nothing of theirs: a chapter restored there
    // since brought the volume back, live as it was here, while the others
    // stayed in the bin. Their states are read from the book's chapter list
    // after the pass's other items, until it is answered.
    const T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    if (type == 0 && book != nullptr && book->findVolumeByVolumeId(item.chapterId) != nullptr)
        m_bookJobs->requestChapterStates(book, item.chapterId);
    return execVolumeState(item);
}

CSynDataManager::Outcome CSynDataManager::execVolumeState(const T_SynchronizaTion_SynBookDataItem& item)
{
    // The item tells that the volume changed, not what it is now: a change
    // of this machine that the platform took after it must not be undone
    // here. The book's volume list brings the platform's present names,
    // states and order (CBookJobManager::takeVolumeList).
    // One list of the pass, fetched after the pull, holds every change the
    // pass brings.
    const T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    if (book == nullptr || book->findVolumeByVolumeId(item.chapterId) == nullptr
        || m_volumeListFetched.contains(book->bookId))
        return Outcome::Continue;
    m_volumeListFetched.insert(book->bookId);
    return execFetchVolumeList(item);
}

bool CSynDataManager::takeVolumeStatus(T_Book* book, const T_Volume* volume, int type)
{
    // Deleting a deleted volume, or restoring one that is not deleted,
    // changes nothing.
    if ((type == 0 && volume->status == 0) || (type == 1 && volume->status != 0))
        return true;
    // Chapters live here may have been written into the volume after the
    // platform deleted it: those the platform never had come back at once,
    // the others by their state there.
    QList<int> unsent;
    QList<int> sent;
    if (type == 0) {
        for (const T_Chapter* chapter : qAsConst(book->chapterList)) {
            if (chapter->localVolumeId == volume->localId)
                (chapter->chapterId < 1 ? unsent : sent).append(chapter->localId);
        }
    }
    TC_Volume_Delete request;
    setVolumeStep(request.header, book, volume);
    request.type = type;
    request.updateTime = now();
    if (!m_bookJobs->volume_del_restore(request))
        return false;
    for (int localId : qAsConst(unsent)) {
        T_Chapter* chapter = book->findChapterByLocalId(localId);
        if (chapter == nullptr)
            continue;
        TC_Chapter_Recycle back;
        setChapterStep(back.header, book, chapter);
        back.header.uid = m_model->userInfo.uid;
        back.header.jobType = JobType::ChapterRecycle;
        back.status = 1;
        back.updateTime = now();
        if (m_bookJobs->chapter_recycle(back, true))
            m_bookJobs->bringBackVolumeOf(book, chapter);
    }
    for (int localId : qAsConst(sent))
        askChapterState(book, book->findChapterByLocalId(localId));
    // Chapters dragged out of the volume here before its delete arrived may
    // have been recycled there with it.
    if (type == 0)
        m_bookJobs->requestChapterStates(book, volume->volumeId);
    return true;
}

void CSynDataManager::askChapterState(const T_Book* book, const T_Chapter* chapter)
{
    if (chapter == nullptr || chapter->chapterId < 1 || hasSynItem(8, book->bookId, chapter->chapterId))
        return;
    // Queued as a change of its recycle state: its handler fetches the
    // platform's state and the pass waits for it, and the reply brings a
    // live chapter's volume back.
    addSynItem(8, book->bookId, chapter->chapterId, 0, QString());
}

CSynDataManager::Outcome CSynDataManager::execBookDeleteHard(const T_SynchronizaTion_SynBookDataItem& item)
{
    if (T_Book* recycled = m_model->findRecycledBookByBookId(item.bookId))
        return m_bookJobs->settleGoneBook(recycled) ? Outcome::Continue : Outcome::Fail;
    // Live here: its recycling passed this machine by, or this machine
    // restored it since. The platform is asked whether it still has the
    // book; its refusal settles it (CBookJobManager::keepRefusedBook).
    const T_Book* book = m_model->findBookByBookId(item.bookId);
    return book ? askBookInfo(book->localId, book->bookId) : Outcome::Continue;
}

CSynDataManager::Outcome CSynDataManager::execBookRestore(const T_SynchronizaTion_SynBookDataItem& item)
{
    T_Book* book = m_model->findRecycledBookByBookId(item.bookId);
    if (book == nullptr)
        return Outcome::Continue;
    TC_Books_Restore request;
    setBookStep(request.header, book);
    request.updateTime = now();
    return m_bookJobs->books_restore(request, true) ? Outcome::Continue : Outcome::Fail;
}

CSynDataManager::Outcome CSynDataManager::execFetchChapterList(const T_SynchronizaTion_SynBookDataItem& item)
{
    T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    if (book == nullptr)
        return Outcome::Continue;
    TC_Chapter_Menu request;
    request.bookId = book->bookId;
    request.header.bookId = book->bookId;
    request.header.localBookId = book->localId;
    request.header.uid = m_model->userInfo.uid;
    request.header.synStep = nextStep();
    m_http->chapter_menu_asyn(request);
    addSynItem(kFetchChapterListEnd, item.bookId, 0, 0, QString());
    m_waitStep = request.header.synStep;
    return Outcome::Wait;
}

CSynDataManager::Outcome CSynDataManager::execFetchVolumeList(const T_SynchronizaTion_SynBookDataItem& item)
{
    T_Book* book = m_model->findAnyBookByBookId(item.bookId);
    if (book == nullptr)
        return Outcome::Continue;
    TC_Volume_Menu request;
    request.bookId = book->bookId;
    request.order = QStringLiteral("asc");
    request.header.bookId = book->bookId;
    request.header.localBookId = book->localId;
    request.header.synStep = nextStep();
    if (!m_bookJobs->volume_menu(request))
        return Outcome::Fail;
    m_waitStep = request.header.synStep;
    return Outcome::Wait;
}

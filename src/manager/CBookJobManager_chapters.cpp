// Chapter operations: create, rename, save, move, recycle, delete, snapshot
// and the chapter list request.

#include "BookJobSend.h"

#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/CTessaneDbTransaction.h"
#include "db/T_ChapterTextSave.h"
#include "db/records/T_Book.h"
#include "manager/CMemoManager.h"
#include "manager/CPublicManager.h"
#include "volume/CBookVolumeController.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

QString compact(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

}

bool CBookJobManager::chapter_add(TC_Chapter_Add& request)
{
    T_Http_Custom& header = request.header;
    T_Book* book = resolveBook(header, header.synStep != 0);
    if (book == nullptr)
        return false;
    if (header.chapterId >= 1) {
        if (const T_Chapter* known = book->findChapterByChapterId(header.chapterId)) {
            header.localChapterId = known->localId;
            header.localVolumeId = known->localVolumeId;
            return true;
        }
    }
    // A chapter stands in a volume of its book: one the book does not have
    // would leave it in no volume of the tree.
    const T_Volume* volume = book->findVolumeByLocalId(header.localVolumeId);
    if (volume == nullptr)
        return false;
    header.volumeId = volume->volumeId;

    const auto holdsOrder = [&request](const QList<T_Chapter*>& list) {
        for (const T_Chapter* chapter : list) {
            if (chapter->orderNum == request.orderNum)
                return true;
        }
        return false;
    };
    const bool shift = holdsOrder(book->chapterList) || holdsOrder(book->recycleChapterList);
    // Row and job together: a chapter stored without its job would never
    // reach the platform, and every later change of it would wait forever.
    int revision = 0;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return dbFailed("chapter add not begun");
        if (shift && !m_db->shiftChapterOrder(book->localId, header.localVolumeId, request.orderNum, 1))
            return dbFailed("no room made for the new chapter");
        if (!m_db->insertChapter(header, request.chapterName, request.updateTime, request.orderNum))
            return dbFailed("chapter not stored");
        if (header.synStep == 0
            && !recordJob(header, request.chapterName, request.updateTime, request.orderNum, &revision))
            return false;
        if (!transaction.commit())
            return dbFailed("chapter add not committed");
    }
    if (shift)
        book->shiftChapterOrder(header.localVolumeId, request.orderNum, 1);
    m_model->addChapter(book, header, request.orderNum, request.chapterName, request.updateTime);
    if (!m_db->updateBook(book))
        dbFailed("book row not updated after a new chapter");
    book->calcWordCount();
    if (header.synStep != 0)
        return true;
    if (header.bookId >= 1 && header.volumeId >= 1)
        sendRecorded(request, revision, &CTessaneHttp::chapter_add_asyn);
    return true;
}

bool CBookJobManager::chapter_edit_content(TC_Chapter_Edit_Content& request)
{
    // A save under way on the worker comes first: it may be of this chapter,
    // and the record's text must be the stored one before this save reads it.
    m_db->settleBackgroundStore();
    T_ChapterTextSave save;
    if (!prepareChapterSave(request, &save))
        return false;
    m_db->storeChapterText(save);
    return finishChapterSave(request, save);
}

bool CBookJobManager::chapter_edit_content_soon(const TC_Chapter_Edit_Content& request,
                                                const std::function<void(bool)>& done)
{
    m_db->settleBackgroundStore();
    TC_Chapter_Edit_Content prepared = request;
    T_ChapterTextSave save;
    if (!prepareChapterSave(prepared, &save))
        return false;
    auto finish = [this, prepared, done](const T_ChapterTextSave& stored) mutable {
        const bool ok = finishChapterSave(prepared, stored);
        if (done)
            done(ok);
    };
    if (!m_db->storeChapterTextInBackground(save, finish)) {
        // No worker may take it (writes refused, no WAL): stored here, with
        // the same outcome.
        m_db->storeChapterText(save);
        finish(save);
    }
    return true;
}

bool CBookJobManager::prepareChapterSave(TC_Chapter_Edit_Content& request, T_ChapterTextSave* save)
{
    T_Chapter* chapter = getChapter(request);
    if (chapter == nullptr)
        return false;
    if (request.wordCount < 0)
        request.wordCount = T_Chapter::countWords(request.content);
    if (request.header.uid < 1)
        request.header.uid = m_model->userInfo.uid;
    save->header = request.header;
    save->text = request.content;
    save->wordCount = request.wordCount;
    save->updateTime = request.updateTime;
    save->replacedText = storedText(*chapter);
    save->goesAtOnce = request.isSendToSrv && request.header.bookId >= 1 && request.header.chapterId >= 1;
    return true;
}

bool CBookJobManager::finishChapterSave(TC_Chapter_Edit_Content& request, const T_ChapterTextSave& save)
{
    // The row, the book's last-edited chapter and the job were stored
    // together or not at all, and the record takes the text only now: a
    // save that failed anywhere is seen as unsaved at the next tick and tried
    // again, instead of being taken for done with no job to carry it.
    request.header.uid = save.header.uid;
    request.header.jobId = save.header.jobId;
    if (!save.stored)
        return dbFailed("chapter save failed");
    T_Chapter* chapter = getChapter(request);
    if (chapter == nullptr)
        return true;
    chapter->content = request.content;
    chapter->contentLoaded = true;
    chapter->wordCount = save.wordCount;
    chapter->updateTime = request.updateTime;
    if (T_Book* book = m_model->findBookByLocalId(request.header.localBookId)) {
        book->lastEditChapterId = chapter->localId;
        book->updateTime = now();
        book->calcWordCount();
    }

    qDebug() << "isSendToSrv == " << request.isSendToSrv << request.header.bookId << request.header.chapterId;
    if (request.header.bookId >= 1 && request.header.chapterId >= 1 && request.isSendToSrv) {
        // The pending job may hold a rename too; the request carries all of
        // it, since its reply takes the whole job off the queue.
        TC_Chapter_Edit edit;
        edit.header = request.header;
        edit.updateTime = request.updateTime;
        edit.content = request.content;
        edit.hasContent = true;
        edit.hasName = save.pending.hasName();
        edit.chapterName = save.pending.name();
        // Sent at once, the save still names the text it started from: a
        // save from another machine that this one has not pulled yet is kept
        // beside it instead of overwritten.
        edit.base = save.pending.base();
        edit.markedSent = save.goesAtOnce;
        sendRecorded(edit, save.revision, &CTessaneHttp::chapter_edit_asyn);
    }
    return true;
}

QString CBookJobManager::storedText(const T_Chapter& chapter)
{
    if (chapter.contentLoaded)
        return chapter.content;
    T_Chapter old;
    old.localId = chapter.localId;
    return m_db->getChapterContent(&old) ? old.content : chapter.content;
}

bool CBookJobManager::chapter_edit_name(TC_Chapter_Edit_Name& request)
{
    T_Chapter* chapter = getChapter(request);
    if (chapter == nullptr)
        return false;
    if (chapter->name == request.chapterName)
        return true;
    T_Chapter stored = *chapter;
    stored.name = request.chapterName;
    int revision = 0;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return dbFailed("chapter rename not begun");
        // The job first: it keeps the name the row held before.
        if (!recordJob(request.header, request.chapterName, now(), 0, &revision))
            return false;
        if (!m_db->updateChapterName(&stored))
            return dbFailed("chapter name not stored");
        if (!transaction.commit())
            return dbFailed("chapter rename not committed");
    }
    chapter->name = request.chapterName;
    if (request.header.bookId >= 1 && request.header.chapterId >= 1) {
        TC_Chapter_Edit edit;
        T_JobData job;
        if (m_db->getJobById(request.header.jobId, job) && job.jobId == request.header.jobId)
            edit = TC_Chapter_Edit(QJsonDocument::fromJson(job.content.toUtf8()).object(), request.updateTime);
        edit.header = request.header;
        if (edit.hasName || edit.hasContent)
            sendRecorded(edit, revision, &CTessaneHttp::chapter_edit_asyn);
    }
    return true;
}

bool CBookJobManager::chapter_delete(TC_Chapter_Delete& request)
{
    const bool fromFeed = request.header.synStep != 0;
    T_Book* book = resolveBook(request.header, fromFeed);
    if (book == nullptr)
        return false;
    T_Chapter* chapter = getChapter(request, fromFeed);
    if (chapter == nullptr)
        return false;
    // The author deletes for good only what is in the recycle bin now: a
    // chapter restored meanwhile (here or elsewhere, with words written in
    // it since) is not what the author chose.
    if (!fromFeed && (chapter->status != 0 || !book->recycleChapterList.contains(chapter))) {
        m_lastError = QStringLiteral("the chapter is no longer in the recycle bin");
        qInfo() << "delete for good of chapter" << chapter->localId << "refused: it is not in the recycle bin";
        return false;
    }
    if (!fromFeed && chapter->writtenInBin) {
        // Words another device wrote into it while it lay here: the author
        // hears of them first; the next delete goes.
        if (!m_db->setChapterWrittenInBin(chapter->localId, false))
            return dbFailed("chapter not kept in the recycle bin");
        chapter->writtenInBin = false;
        m_lastError = writtenInBinRefusal(chapter->name);
        qInfo() << "delete for good of chapter" << chapter->localId << "withdrawn: words written elsewhere came into it";
        return false;
    }
    const int localChapterId = chapter->localId;
    if (!m_model->announceLeaving(book->localId, localChapterId))
        return leaveRefused();
    CMemoManager::instance()->unbindChapter(chapter->localBookId, localChapterId);
    int revision = 0;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return dbFailed("chapter delete not begun");
        if (!m_db->deleteChapter(localChapterId))
            return dbFailed("chapter not deleted");
        if (request.header.synStep == 0 && !recordJob(request.header, QString(), now(), 0, &revision))
            return false;
        if (!transaction.commit())
            return dbFailed("chapter delete not committed");
    }
    book->removeChapter(localChapterId);
    book->calcWordCount();
    CBookVolumeController::instance()->dropChapterItem(book, localChapterId);
    m_model->announceLeft(book->localId, localChapterId);
    m_model->announceBinChanged(book->localId);
    if (request.header.synStep != 0)
        return true;
    if (request.header.bookId >= 1 && request.header.chapterId >= 1)
        CJobManager::instance()->sendAfterFeed(request.header.jobId);
    return true;
}

bool CBookJobManager::chapter_recycle(TC_Chapter_Recycle& request, bool fromSync)
{
    T_Http_Custom& header = request.header;
    T_Book* book = resolveBook(header, fromSync);
    T_Chapter* chapter = nullptr;
    if (request.status == 0) {
        chapter = getChapter(request, fromSync);
    } else if (book != nullptr && header.uid >= 1 && header.localChapterId >= 1) {
        for (T_Chapter* recycled : qAsConst(book->recycleChapterList)) {
            if (recycled->localId == header.localChapterId) {
                chapter = recycled;
                break;
            }
        }
        if (chapter != nullptr) {
            header.volumeId = chapter->volumeId;
            header.localVolumeId = chapter->localVolumeId;
            header.chapterId = chapter->chapterId;
        }
    }
    if (book == nullptr || chapter == nullptr)
        return false;

    const int localChapterId = chapter->localId;
    if (request.status == 0 && !m_model->announceLeaving(book->localId, localChapterId))
        return leaveRefused();
    T_Chapter stored = *chapter;
    stored.status = request.status;
    int revision = 0;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return dbFailed("chapter status not begun");
        if (!m_db->updateChapterStatus(&stored))
            return dbFailed("chapter status not stored");
        if (!fromSync && !recordJob(header, QString::number(request.status), now(), 0, &revision))
            return false;
        if (!transaction.commit())
            return dbFailed("chapter status not committed");
    }
    book->setChapterStatus(chapter, request.status);
    book->calcWordCount();
    // The tree shows live chapters only, whoever changed the state.
    if (request.status == 0)
        CBookVolumeController::instance()->dropChapterItem(book, localChapterId);
    else
        CBookVolumeController::instance()->addChapterItem(book, chapter);
    if (request.status == 0)
        m_model->announceLeft(book->localId, localChapterId);
    m_model->announceBinChanged(book->localId);
    if (fromSync)
        return true;
    if (header.bookId >= 1 && header.chapterId >= 1 && header.volumeId >= 1)
        sendRecorded(request, revision, &CTessaneHttp::chapter_recycle_asyn);
    return true;
}

bool CBookJobManager::chapter_move(TC_Chapter_Move& request)
{
    T_Http_Custom& header = request.header;
    T_Book* book = resolveBook(header);
    if (book == nullptr)
        return false;
    const T_Volume* from = book->findVolumeByLocalId(request.localFromVolumeId);
    const T_Volume* to = book->findVolumeByLocalId(request.localToVolumeId);
    if (from == nullptr || to == nullptr)
        return false;
    request.fromVolumeId = from->volumeId;
    request.toVolumeId = to->volumeId;
    // A move names live chapters: one that is gone (deleted, recycled) could
    // never be sent, and every later placement of the book would wait for it.
    T_Chapter* moved = book->findChapterByLocalId(request.localFromChapterId);
    const T_Chapter* reference = book->findChapterByLocalId(request.localToChapterId);
    if (moved == nullptr || moved->status == 0
        || (request.localToChapterId > 0 && (reference == nullptr || reference->status == 0))) {
        m_lastError = QStringLiteral("a chapter of the move is gone");
        return false;
    }
    request.toChapterId = reference ? reference->chapterId : 0;
    request.fromChapterId = moved->chapterId;
    header.localChapterId = moved->localId;
    header.chapterId = moved->chapterId;
    header.localVolumeId = to->localId;
    header.volumeId = to->volumeId;

    QMap<int, int> order = CBookVolumeController::instance()->getChapterOrderMap(request.localToVolumeId);
    const bool crossing = request.localFromVolumeId != request.localToVolumeId;
    if (crossing && !order.contains(moved->localId)) {
        // The tree does not show this book: the chapter still changes its
        // volume, after the target volume's last chapter.
        int last = 0;
        for (const T_Chapter* chapter : qAsConst(book->chapterList)) {
            if (chapter->localVolumeId == to->localId)
                last = std::max(last, chapter->orderNum);
        }
        order.insert(moved->localId, last + 1);
    }
    QList<QPair<T_Chapter*, T_Chapter>> changed;
    for (T_Chapter* chapter : qAsConst(book->chapterList)) {
        if (!order.contains(chapter->localId))
            continue;
        T_Chapter stored = *chapter;
        if (crossing && chapter == moved) {
            stored.localVolumeId = to->localId;
            stored.volumeId = to->volumeId;
        }
        stored.orderNum = order.value(chapter->localId);
        changed.append(qMakePair(chapter, stored));
    }
    // The new places and the move's job are one commit: a process killed
    // between the two would keep an order the platform never hears of.
    int revision = 0;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return dbFailed("chapter order not stored");
        for (auto& entry : changed) {
            if (!m_db->updateChapterStatus(&entry.second))
                return dbFailed("chapter order not stored");
        }
        if (header.synStep == 0) {
            const QJsonObject content{{QStringLiteral("localFromVolumeId"), request.localFromVolumeId},
                                      {QStringLiteral("localToVolumeId"), request.localToVolumeId},
                                      {QStringLiteral("localFromChapterId"), request.localFromChapterId},
                                      {QStringLiteral("localToChapterId"), request.localToChapterId},
                                      {QStringLiteral("direction"), request.direction}};
            if (!recordJob(header, compact(content), request.updateTime, 0, &revision))
                return false;
        }
        if (!transaction.commit())
            return dbFailed("chapter order not stored");
    }
    for (const auto& entry : qAsConst(changed)) {
        entry.first->localVolumeId = entry.second.localVolumeId;
        entry.first->volumeId = entry.second.volumeId;
        entry.first->orderNum = entry.second.orderNum;
    }
    if (header.synStep != 0)
        return true;
    // A neighbour the platform has not numbered yet cannot be named: the job
    // waits in the queue until the neighbour's create is answered.
    const bool targetKnown = request.toChapterId >= 1 || reference == nullptr;
    if (header.bookId >= 1 && request.toVolumeId >= 1 && request.fromChapterId >= 1 && targetKnown)
        sendRecorded(request, revision, &CTessaneHttp::chapter_move_asyn);
    return true;
}

bool CBookJobManager::chapter_contentBlade(TC_Chapter_ContentBlade& request)
{
    if (getChapter(request) == nullptr) {
        m_lastError = QStringLiteral("Blade getChapter error");
        return false;
    }
    // The version, the pruning of older ones and its job are one change.
    CTessaneDb::Transaction transaction(*m_db);
    if (!transaction.began())
        return dbFailed("chapter version not stored");
    if (!m_db->insertContentBlade(request.header, request.content))
        return dbFailed("chapter version not stored");
    int revision = 0;
    if (!recordJob(request.header, request.content, now(), 0, &revision))
        return false;
    if (!transaction.commit())
        return dbFailed("chapter version not stored");
    if (request.header.bookId >= 1 && request.header.chapterId >= 1)
        sendRecorded(request, revision, &CTessaneHttp::chapter_contentBlade_asyn);
    return true;
}

bool CBookJobManager::chapter_menu(TC_Chapter_Menu& request, bool)
{
    const int uid = m_model->userInfo.uid;
    if (uid < 1)
        return false;
    request.header.uid = uid;
    request.header.jobType = JobType::ChapterMenu;
    m_http->chapter_menu_asyn(request);
    return true;
}

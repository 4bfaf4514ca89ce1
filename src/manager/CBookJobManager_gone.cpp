// Chapters (and outlines) the platform no longer has while words of them wait
// here: another machine deleted them for good after this one restored them or
// wrote in them. The words are the author's latest; the chapter lives on as a
// chapter of this machine and goes to the platform anew, as a book does.

#include "CBookJobManager.h"

#include "db/CTessaneDb.h"
#include "db/CTessaneDbTransaction.h"
#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "outline/COutlineController.h"
#include "remote/records/MemoRecords.h"
#include "volume/CBookVolumeController.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {
// The platform's refusals of a request naming a chapter, or a book, it does
// not hold.
const QString kChapterGone = QStringLiteral("章节不存在");
const QString kBookGone = QStringLiteral("作品不存在");
const QString kOutlineGone = QStringLiteral("大纲不存在");
const QString kMemoGone = QStringLiteral("便签不存在");
}

void CBookJobManager::noteDeleteConfirmed(const T_Http_Custom& identity, int code, const QString& message)
{
    int serverId = 0;
    QString gone;
    switch (identity.jobType) {
    case JobType::ChapterDelete: serverId = identity.chapterId; gone = kChapterGone; break;
    case JobType::BooksDeleteHard: serverId = identity.bookId; gone = kBookGone; break;
    case JobType::MemoDel: serverId = identity.memoId; gone = kMemoGone; break;
    case JobType::VolumeDelRestore: {
        // The job says whether it deleted (0) or restored the volume.
        T_JobData job;
        if (code == HttpOk && identity.jobId > 0 && m_db->getJobById(identity.jobId, job) && job.jobId == identity.jobId)
            noteVolumeDeleted(identity.bookId, identity.volumeId, job.content.toInt() == 0);
        return;
    }
    case JobType::OutlineDelete: {
        // The request names the outline in its body only, which the job keeps.
        T_JobData job;
        if (identity.jobId > 0 && m_db->getJobById(identity.jobId, job) && job.jobId == identity.jobId)
            serverId = QJsonDocument::fromJson(job.content.toUtf8()).object().value(QStringLiteral("outlineId")).toInt();
        gone = kOutlineGone;
        break;
    }
    default: return;
    }
    if (serverId < 1 || (code != HttpOk && message != gone))
        return;
    loadDeletedHere();
    DeletedHere entry = m_deletedHere.value(qMakePair(int(identity.jobType), serverId));
    entry.row.jobType = identity.jobType;
    entry.row.serverId = serverId;
    entry.row.bookId =
        identity.jobType == JobType::MemoDel || identity.jobType == JobType::BooksDeleteHard ? 0 : identity.bookId;
    entry.row.tookIt = entry.row.tookIt || code == HttpOk;
    storeDeletedHere(entry);
}

bool CBookJobManager::deletedForGoodHere(int deleteType, const QString& idColumn, int serverId)
{
    return serverId > 0
           && (deletedHere(deleteType, serverId) || m_db->pendingJob(m_model->userInfo.uid, deleteType, idColumn, serverId) > 0);
}

bool CBookJobManager::refusedAsGone(int deleteType, const QString& message)
{
    switch (deleteType) {
    case JobType::ChapterDelete: return message == kChapterGone;
    case JobType::BooksDeleteHard: return message == kBookGone;
    case JobType::MemoDel: return message == kMemoGone;
    case JobType::OutlineDelete: return message == kOutlineGone;
    default: return false;
    }
}

bool CBookJobManager::keepRefusedChapter(const T_Http_Custom& identity, const QString& message)
{
    if (message != kChapterGone || identity.localChapterId < 1 || identity.chapterId < 1)
        return false;
    // A book recycled here after the words were written keeps them too.
    T_Book* book = m_model->findAnyBookByLocalId(identity.localBookId);
    T_Chapter* chapter = book ? book->findChapterByLocalId(identity.localChapterId) : nullptr;
    // Gone here too, or kept already at an earlier refusal (its id is gone).
    if (chapter == nullptr || chapter->chapterId != identity.chapterId)
        return false;
    // A rename merges into the same edit job as the text: only the text
    // counts as words. Without it, nothing of the chapter is brought back.
    if (m_db->chapterTextWaits(chapter->localId))
        return keepChapterHereOnly(book, chapter);
    dropGoneChapterChanges(chapter);
    return false;
}

bool CBookJobManager::dropGoneChapterChanges(const T_Chapter* chapter)
{
    const int before = m_db->countItems(QStringLiteral("tb_job"), QStringLiteral("localChapterId"), chapter->localId);
    if (before == 0)
        return true;
    if (before < 0 || !m_db->sweepJobs(QStringLiteral("localChapterId"), chapter->localId))
        return dbFailed("changes of a chapter deleted elsewhere not dropped");
    qInfo() << "chapter" << chapter->localId << "was deleted for good elsewhere;" << before << "waiting changes dropped";
    if (chapter->chapterId < 1 || m_toldGone.contains(chapter->chapterId))
        return true;
    m_toldGone.insert(chapter->chapterId);
    tellChangesDropped(chapter->name, deletedHere(JobType::ChapterDelete, chapter->chapterId));
    return true;
}

void CBookJobManager::keepRefusedBook(const T_Http_Custom& identity, const QString& message)
{
    if (message != kBookGone || identity.localBookId < 1 || identity.bookId < 1)
        return;
    T_Book* book = m_model->findBookByLocalId(identity.localBookId);
    if (book == nullptr)
        book = m_model->findRecycledBookByLocalId(identity.localBookId);
    // Gone here too, or settled at an earlier refusal.
    if (book != nullptr && book->bookId == identity.bookId)
        settleGoneBook(book);
}

bool CBookJobManager::settleGoneBook(T_Book* book)
{
    const int localBookId = book->localId;
    const bool keep = m_db->bookWordsWait(localBookId);
    if (m_model->findBookByLocalId(localBookId) != nullptr) {
        TC_Books_Delete recycle(localBookId, now());
        recycle.header.bookId = book->bookId;
        if (!books_delete(recycle, true))
            return false;
        book = m_model->findRecycledBookByLocalId(localBookId);
        if (book == nullptr)
            return false;
    }
    if (keep)
        return keepBookHereOnly(book);
    const int waiting = m_db->countItems(QStringLiteral("tb_job"), QStringLiteral("localBookId"), localBookId);
    if (waiting != 0 && !m_db->sweepJobs(QStringLiteral("localBookId"), localBookId))
        return dbFailed("changes of a book deleted elsewhere not dropped");
    const QString name = book->bookName;
    const int bookId = book->bookId;
    TC_Books_Delete_Hard purge;
    purge.header.localBookId = localBookId;
    purge.updateTime = now();
    if (!books_delete_hard(purge, true))
        return false;
    if (waiting > 0)
        tellChangesDropped(name, deletedHere(JobType::BooksDeleteHard, bookId));
    return true;
}

bool CBookJobManager::keepChapterHereOnly(T_Book* book, T_Chapter* chapter)
{
    if (book == nullptr || chapter == nullptr)
        return false;
    const QString text = storedText(*chapter);
    const bool deletedFromHere = deletedHere(JobType::ChapterDelete, chapter->chapterId);
    // The platform appends a new chapter to its volume; here it goes there too.
    int last = 0;
    for (const QList<T_Chapter*>* list : {&book->chapterList, &book->recycleChapterList}) {
        for (const T_Chapter* other : *list) {
            if (other != chapter && other->localVolumeId == chapter->localVolumeId)
                last = std::max(last, other->orderNum);
        }
    }
    T_Chapter stored = *chapter;
    stored.chapterId = 0;
    stored.orderNum = last + 1;
    T_Http_Custom add;
    add.localBookId = book->localId;
    add.localChapterId = chapter->localId;
    resolveChapter(add, true);
    add.chapterId = 0;  // the platform's chapter is gone; the create makes a new one
    add.jobType = JobType::ChapterAdd;
    const int time = now();
    int revision = 0;
    {
        // The old jobs could only be refused; the chapter's creates take
        // their place in the same commit.
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began() || !m_db->makeChapterLocalOnly(chapter->localId)
            || !m_db->updateChapterStatus(&stored))
            return dbFailed("chapter deleted elsewhere not kept here");
        if (!recordJob(add, chapter->name, time, stored.orderNum, &revision))
            return false;
        T_Http_Custom save = add;
        save.jobType = JobType::ChapterEditContent;
        if (!text.isEmpty() && !recordJob(save, text, time, 0, &revision))
            return false;
        // In the recycle bin here, in the platform's too.
        T_Http_Custom recycle = add;
        recycle.jobType = JobType::ChapterRecycle;
        if (chapter->status == 0 && !recordJob(recycle, QStringLiteral("0"), time, 0, &revision))
            return false;
        if (!transaction.commit())
            return dbFailed("chapter deleted elsewhere not kept here");
    }
    chapter->chapterId = 0;
    chapter->orderNum = stored.orderNum;
    if (chapter->status == 0)
        chapter->recycleTime = time;
    CBookVolumeController::instance()->reloadBook(book);
    qWarning() << "chapter" << chapter->localId << "was deleted for good elsewhere; kept here and created anew";
    m_ui->showTips(deletedFromHere
                       ? tr("\"%1\" was deleted for good on this device. What was written in it "
                            "since is kept and goes back to the platform as a new chapter.")
                             .arg(chapter->name)
                   : book->status == 1
                       ? tr("\"%1\" was deleted for good on another device. What you wrote in it here is kept "
                            "and goes back to the platform as a new chapter.")
                             .arg(chapter->name)
                       : tr("\"%1\" of \"%2\", which is in the book recycle bin, was deleted for good on another "
                            "device. What you wrote in it here is kept there and goes back to the platform as a new "
                            "chapter.")
                             .arg(chapter->name, book->bookName),
                   false, 8000);
    return true;
}

void CBookJobManager::tellChangesDropped(const QString& name, bool deletedFromHere)
{
    m_ui->showTips((deletedFromHere
                        ? tr("\"%1\" was deleted for good on this device; the changes made to it since are dropped.")
                        : tr("\"%1\" was deleted for good on another device; the changes made to it here are "
                             "dropped."))
                       .arg(name),
                   false, 8000);
}

bool CBookJobManager::keepRefusedOutline(const T_Http_Custom& identity, const QString& message)
{
    if (message != kOutlineGone || identity.jobType != JobType::OutlineUpdate || identity.jobId < 1)
        return false;
    // The refused job names the outline: gone from the queue, it was kept
    // already or deleted here since.
    T_JobData job;
    if (!m_db->getJobById(identity.jobId, job) || job.jobId != identity.jobId)
        return false;
    const int outlineId = QJsonDocument::fromJson(job.content.toUtf8()).object().value(QStringLiteral("outlineId")).toInt();
    T_Book* book = m_model->findAnyBookByLocalId(job.localBookId);
    T_Outline* outline = book ? book->findOutlineByLocalId(job.ext1) : nullptr;
    if (outline == nullptr || outlineId < 1 || outline->outlineId != outlineId)
        return false;
    return keepOutlineHereOnly(book, outline);
}

bool CBookJobManager::keepOutlineHereOnly(T_Book* book, T_Outline* outline)
{
    if (book == nullptr || outline == nullptr)
        return false;
    T_Http_Custom add;
    add.uid = m_model->userInfo.uid;
    add.localBookId = book->localId;
    add.bookId = book->bookId;
    add.jobType = JobType::OutlineCreate;
    const QJsonObject content{{QStringLiteral("title"), outline->title},
                              {QStringLiteral("content"), outline->content},
                              {QStringLiteral("type"), outline->type},
                              {QStringLiteral("orderNum"), outline->orderNum}};
    int revision = 0;
    {
        // Its old jobs could only be refused; its create takes their place
        // in the same commit.
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began() || !m_db->makeOutlineLocalOnly(outline->localId))
            return dbFailed("outline deleted elsewhere not kept here");
        if (!recordJob(add, QString::fromUtf8(QJsonDocument(content).toJson(QJsonDocument::Compact)), now(),
                       outline->localId, &revision))
            return false;
        if (!transaction.commit())
            return dbFailed("outline deleted elsewhere not kept here");
    }
    outline->outlineId = 0;
    COutlineController::instance()->updateItem(outline);
    qWarning() << "outline" << outline->localId << "was deleted elsewhere; kept here and created anew";
    m_ui->showTips(book->status == 1
                       ? tr("An outline was deleted on another device. What you wrote in it here is kept and goes "
                            "back to the platform as a new outline.")
                       : tr("An outline of \"%1\", which is in the book recycle bin, was deleted on another device. "
                            "What you wrote in it here is kept there and goes back to the platform as a new outline.")
                             .arg(book->bookName),
                   false, 8000);
    CJobManager::instance()->sendAfterFeed(add.jobId);
    return true;
}

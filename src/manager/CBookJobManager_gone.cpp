// Chapters the platform no longer has while words of them wait here: another
// machine deleted them for good after this one restored them or wrote in
// them. The words are the author's latest; the chapter lives on as a chapter
// of this machine and goes to the platform anew, as a book does.

#include "CBookJobManager.h"

#include "db/CTessaneDb.h"
#include "db/CTessaneDbTransaction.h"
#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "volume/CBookVolumeController.h"

#include <QDebug>

#include <algorithm>

namespace {
// The platform's refusal of a request naming a chapter it does not hold.
const QString kChapterGone = QStringLiteral("章节不存在");
}

bool CBookJobManager::keepRefusedChapter(const T_Http_Custom& identity, const QString& message)
{
    if (message != kChapterGone || identity.localChapterId < 1 || identity.chapterId < 1)
        return false;
    T_Book* book = m_model->findBookByLocalId(identity.localBookId);
    T_Chapter* chapter = book ? book->findChapterByLocalId(identity.localChapterId) : nullptr;
    // Gone here too, or kept already at an earlier refusal (its id is gone).
    if (chapter == nullptr || chapter->chapterId != identity.chapterId)
        return false;
    const bool words = identity.jobType == JobType::ChapterEdit
                       || m_db->pendingJob(m_model->userInfo.uid, JobType::ChapterEdit,
                                           QStringLiteral("localChapterId"), chapter->localId)
                              > 0;
    return words && keepChapterHereOnly(book, chapter);
}

bool CBookJobManager::keepChapterHereOnly(T_Book* book, T_Chapter* chapter)
{
    if (book == nullptr || chapter == nullptr)
        return false;
    const QString text = storedText(*chapter);
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
    resolveChapter(add);
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
    m_ui->showTips(tr("\"%1\" was deleted for good on another device. What you wrote in it here is kept "
                      "and goes back to the platform as a new chapter.")
                       .arg(chapter->name),
                   false, 8000);
    return true;
}

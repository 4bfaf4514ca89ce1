// Deletes for good of this machine that the feed withdraws: another machine
// restored the object or wrote in it after this one last saw it, and the
// delete would take that work with it. Where a request of the delete went
// out unanswered, the platform may have taken it before those words came;
// the author hears what became of the object once a look at it (its book's
// list, its information or detail) tells, never before.

#include "CSynDataManager.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CMemoManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"

#include <QDebug>

void CSynDataManager::withdrawWaitingDelete(const T_Book* book, int chapterId)
{
    if (book == nullptr || chapterId < 1)
        return;
    const QPair<int, int> key(JobType::ChapterDelete, chapterId);
    const int jobId =
        m_db->pendingJob(m_model->userInfo.uid, JobType::ChapterDelete, QStringLiteral("chapterId"), chapterId);
    if (jobId < 1 && !m_lookedFor.contains(key)) {
        tellIfTakenFirst(key);
        return;
    }
    T_JobData job;
    // One on its way already is the platform's to take. Without a job, one
    // withdrawn before waits for a look that failed: it goes again.
    if (jobId >= 1) {
        if (CJobManager::instance()->isJobInFlight(jobId) || !m_db->getJobById(jobId, job) || !m_db->deleteJob(jobId))
            return;
        qInfo() << "chapter" << chapterId << "deleted for good here was restored or written in elsewhere; it comes back";
        if (!lookFirst(job, key, book->bookId))
            tellWhatBecameOf(key.first, true);
    }
    if (!hasSynItem(5, book->bookId, 0))
        addSynItem(5, book->bookId, 0, 0, QString());
}

bool CSynDataManager::withdrawWaitingBookDelete(const T_SynchronizaTion_SynBookDataItem& item)
{
    // A recycle or a delete made elsewhere agrees with it, and the book's
    // creation (its item pulled again) came before it.
    static const QSet<int> agreeing{1, 3, 6, 7, 23, 28, 30};
    if (item.synId < 1 || item.bookId < 1 || agreeing.contains(item.changeType)
        || m_model->findBookByBookId(item.bookId) != nullptr || m_model->findRecycledBookByBookId(item.bookId) != nullptr)
        return false;
    const QPair<int, int> key(JobType::BooksDeleteHard, item.bookId);
    const int jobId =
        m_db->pendingJob(m_model->userInfo.uid, JobType::BooksDeleteHard, QStringLiteral("bookId"), item.bookId);
    if (jobId < 1) {
        if (!m_lookedFor.contains(key)) {
            tellIfTakenFirst(key);
            return false;
        }
        // Withdrawn before, the look at it failed: it goes again.
        insertSynItem(1, kFetchBook, item.bookId);
        return true;
    }
    T_JobData job;
    // One on its way already is the platform's to take. The volume rows the
    // delete left behind go with it: the book comes back with new ones.
    if (CJobManager::instance()->isJobInFlight(jobId) || !m_db->getJobById(jobId, job)
        || !m_db->deleteItem(QStringLiteral("tb_volume"), QStringLiteral("localBookId"), job.localBookId)
        || !m_db->deleteJob(jobId))
        return false;
    qInfo() << "book" << item.bookId << "deleted for good here was changed elsewhere; it comes back";
    // It was in the recycle bin here: it goes back there unless the last of
    // the feed's recycles and restores of it is a restore. Those are taken
    // as that one state, so the book stays live until all of it is fetched.
    bool restored = item.changeType == 31;
    for (int i = 1; i < m_reply.items.size();) {
        T_SynchronizaTion_SynBookDataItem* later = m_reply.items.at(i);
        if (later == nullptr || later->bookId != item.bookId || (later->changeType != 3 && later->changeType != 31)) {
            ++i;
            continue;
        }
        restored = later->changeType == 31;
        noteApplied(later->synId);
        delete m_reply.items.takeAt(i);
    }
    insertSynItem(1, kFetchBook, item.bookId);
    insertSynItem(2, kFetchOutlines, item.bookId);
    if (!restored)
        insertSynItem(3, kRecycleBookHere, item.bookId);
    if (!lookFirst(job, key, 0))
        tellWhatBecameOf(key.first, true);
    return true;
}

CSynDataManager::NoteDelete CSynDataManager::withdrawWaitingNoteDelete(int jobType, int serverId, int bookId)
{
    const QPair<int, int> key(jobType, serverId);
    const int jobId = m_db->pendingNoteDelete(m_model->userInfo.uid, jobType, serverId);
    if (jobId < 1) {
        // Withdrawn before while the look at it failed: the look goes again.
        if (m_lookedFor.contains(key))
            return NoteDelete::Withdrawn;
        tellIfTakenFirst(key);
        return NoteDelete::None;
    }
    // One on its way already is the platform's to take.
    if (CJobManager::instance()->isJobInFlight(jobId))
        return NoteDelete::Leaving;
    T_JobData job;
    if (!m_db->getJobById(jobId, job) || !m_db->deleteJob(jobId))
        return NoteDelete::Failed;
    const bool memo = jobType == JobType::MemoDel;
    if (memo)
        CMemoManager::instance()->expectBack(serverId);
    qInfo() << (memo ? "memo" : "outline") << serverId << "deleted here was written in elsewhere; it comes back";
    if (!lookFirst(job, key, bookId))
        tellWhatBecameOf(jobType, true);
    return NoteDelete::Withdrawn;
}

bool CSynDataManager::lookFirst(const T_JobData& job, const QPair<int, int>& key, int bookId)
{
    if (job.sent == 0)
        return false;
    Look look;
    look.bookId = bookId;
    look.afterStep = m_lastStep;
    m_lookedFor.insert(key, look);
    qInfo() << "withdrawn delete of type" << key.first << "for" << key.second
            << "went out unanswered before; a look at the object tells whether the platform took it";
    return true;
}

void CSynDataManager::settleWithdrawn(int deleteType, int bookId, int synStep,
                                      const std::function<int(int)>& shown)
{
    if (synStep == 0 || m_lookedFor.isEmpty())
        return;
    for (auto it = m_lookedFor.begin(); it != m_lookedFor.end();) {
        // Only a look sent after the withdrawal tells.
        const QPair<int, int> key = it.key();
        const int state = key.first != deleteType || it.value().bookId != bookId || synStep <= it.value().afterStep
                              ? -1
                              : shown(key.second);
        if (state < 0) {
            ++it;
            continue;
        }
        it = m_lookedFor.erase(it);
        if (state == 0) {
            // Gone: the platform took the delete before the words written
            // elsewhere could withdraw it, and lists answered before that
            // bring nothing of it back.
            qInfo() << "withdrawn delete of type" << key.first << "for" << key.second << "had reached the platform";
            m_bookJobs->noteDeleteTookIt(key.first, key.second);
            m_toldTakenFirst.insert(key);
        }
        tellWhatBecameOf(key.first, state != 0);
    }
}

void CSynDataManager::tellIfTakenFirst(const QPair<int, int>& key)
{
    // The platform answered the delete: the words came in after the feed
    // that let it go and before it reached the platform.
    if (!m_bookJobs->deleteTookIt(key.first, key.second) || m_toldTakenFirst.contains(key))
        return;
    m_toldTakenFirst.insert(key);
    tellWhatBecameOf(key.first, false);
}

void CSynDataManager::tellWhatBecameOf(int deleteType, bool kept)
{
    QString text;
    switch (deleteType) {
    case JobType::ChapterDelete:
        text = kept ? tr("A chapter you deleted for good was restored or written in on another device; it is kept.")
                    : tr("A chapter you deleted for good was written in or restored on another device just before your "
                         "delete reached the platform; it is deleted all the same, with what was written there.");
        break;
    case JobType::BooksDeleteHard:
        text = kept ? tr("A book you deleted for good was restored or written in on another device; it is kept.")
                    : tr("A book you deleted for good was written in or restored on another device just before your "
                         "delete reached the platform; it is deleted all the same, with what was written there.");
        break;
    case JobType::MemoDel:
        text = kept ? tr("A memo you deleted was written in on another device; it is kept.")
                    : tr("A memo you deleted was written in on another device just before your delete reached the "
                         "platform; it is deleted all the same, with what was written there.");
        break;
    default:
        text = kept ? tr("An outline you deleted was written in on another device; it is kept.")
                    : tr("An outline you deleted was written in on another device just before your delete reached "
                         "the platform; it is deleted all the same, with what was written there.");
        break;
    }
    m_ui->showTips(text, false, 8000);
}

void CSynDataManager::resetSession()
{
    m_lookedFor.clear();
    m_toldTakenFirst.clear();
}

// Deletes for good of this machine that the feed withdraws: another machine
// restored the object or wrote in it after this one last saw it, and the
// delete would take that work with it. The job goes and what waits for the
// object is stored in the same transaction; a look at the object (its book's
// list, its information or detail) goes with every feed pass until it is
// answered, also after a restart, and the author hears what became of the
// object once that look tells, never before: back, it is kept; gone after a
// request of the delete went out unanswered, the platform took the delete
// before those words came.

#include "CSynDataManager.h"

#include "common/ServerClock.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CMemoManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"

#include <QDebug>

#include <algorithm>

namespace {
constexpr int kChapterMenu = 5;
constexpr int kChapterText = 9;
}

void CSynDataManager::withdrawWaitingDelete(const T_Book* book, int chapterId)
{
    if (book == nullptr || chapterId < 1)
        return;
    const QPair<int, int> key(JobType::ChapterDelete, chapterId);
    if (awaitsLook(key.first, key.second)) {
        queueLooks(key);
        return;
    }
    const int jobId =
        m_db->pendingJob(m_model->userInfo.uid, JobType::ChapterDelete, QStringLiteral("chapterId"), chapterId);
    if (jobId < 1) {
        tellIfTakenFirst(key);
        return;
    }
    T_JobData job;
    // One on its way already is the platform's to take.
    if (CJobManager::instance()->isJobInFlight(jobId) || !m_db->getJobById(jobId, job))
        return;
    T_WithdrawnDelete look;
    look.jobType = key.first;
    look.serverId = chapterId;
    look.bookId = book->bookId;
    look.sent = job.sent != 0;
    withdraw(jobId, look, 0);
}

bool CSynDataManager::withdrawWaitingBookDelete(const T_SynchronizaTion_SynBookDataItem& item)
{
    if (item.synId < 1 || item.bookId < 1 || m_model->findBookByBookId(item.bookId) != nullptr
        || m_model->findRecycledBookByBookId(item.bookId) != nullptr)
        return false;
    const QPair<int, int> key(JobType::BooksDeleteHard, item.bookId);
    if (awaitsLook(key.first, key.second)) {
        // Withdrawn before and not back yet: whatever the feed brings of it
        // comes with the look, and a recycle or restore made elsewhere since
        // decides where it goes.
        Look& waiting = m_lookedFor[key];
        const bool toBin = binAfter(item, waiting.row.toBin);
        if (toBin != waiting.row.toBin) {
            waiting.row.toBin = toBin;
            if (!m_db->storeWithdrawnDelete(m_model->userInfo.uid, waiting.row))
                qWarning() << "book" << item.bookId << "coming back: its place not stored";
        }
        queueLooks(key);
        return true;
    }
    // A recycle or a delete made elsewhere agrees with it, and the book's
    // creation (its item pulled again) came before it.
    static const QSet<int> agreeing{1, 3, 6, 7, 23, 28, 30};
    if (agreeing.contains(item.changeType))
        return false;
    const int jobId =
        m_db->pendingJob(m_model->userInfo.uid, JobType::BooksDeleteHard, QStringLiteral("bookId"), item.bookId);
    if (jobId < 1) {
        tellIfTakenFirst(key);
        return false;
    }
    T_JobData job;
    // One on its way already is the platform's to take.
    if (CJobManager::instance()->isJobInFlight(jobId) || !m_db->getJobById(jobId, job))
        return false;
    T_WithdrawnDelete look;
    look.jobType = key.first;
    look.serverId = item.bookId;
    look.sent = job.sent != 0;
    // It was in the recycle bin here: it goes back there unless the last of
    // the feed's recycles and restores of it is a restore.
    look.toBin = binAfter(item, true);
    // The volume rows the delete left behind go with it: the book comes
    // back with new ones.
    return withdraw(jobId, look, job.localBookId);
}

bool CSynDataManager::binAfter(const T_SynchronizaTion_SynBookDataItem& item, bool inBin)
{
    // The feed's recycles and restores of the book in this pass are taken
    // as the one state the last of them leaves, so the book stays live
    // until all of it is fetched.
    if (item.changeType == 3 || item.changeType == 31)
        inBin = item.changeType == 3;
    for (int i = 1; i < m_reply.items.size();) {
        T_SynchronizaTion_SynBookDataItem* later = m_reply.items.at(i);
        if (later == nullptr || later->bookId != item.bookId || later->synId < 1
            || (later->changeType != 3 && later->changeType != 31)) {
            ++i;
            continue;
        }
        inBin = later->changeType == 3;
        noteApplied(later->synId);
        delete m_reply.items.takeAt(i);
    }
    return inBin;
}

CSynDataManager::NoteDelete CSynDataManager::withdrawWaitingNoteDelete(int jobType, int serverId, int bookId)
{
    const QPair<int, int> key(jobType, serverId);
    if (awaitsLook(jobType, serverId)) {
        queueLooks(key);
        return NoteDelete::Withdrawn;
    }
    const int jobId = m_db->pendingNoteDelete(m_model->userInfo.uid, jobType, serverId);
    if (jobId < 1) {
        tellIfTakenFirst(key);
        return NoteDelete::None;
    }
    // One on its way already is the platform's to take.
    if (CJobManager::instance()->isJobInFlight(jobId))
        return NoteDelete::Leaving;
    T_JobData job;
    if (!m_db->getJobById(jobId, job))
        return NoteDelete::Failed;
    T_WithdrawnDelete look;
    look.jobType = jobType;
    look.serverId = serverId;
    look.bookId = bookId;
    look.sent = job.sent != 0;
    return withdraw(jobId, look, 0) ? NoteDelete::Withdrawn : NoteDelete::Failed;
}

bool CSynDataManager::withdraw(int jobId, const T_WithdrawnDelete& look, int localBookId)
{
    if (!m_db->withdrawDelete(m_model->userInfo.uid, jobId, look, localBookId)) {
        qWarning() << "withdrawn delete of type" << look.jobType << "for" << look.serverId
                   << "not stored; it stays queued and the next pull brings the change again";
        return false;
    }
    const QPair<int, int> key(look.jobType, look.serverId);
    m_lookedFor.insert(key, Look{look, m_lastStep});
    qInfo() << "delete of type" << look.jobType << "for" << look.serverId
            << "was withdrawn: the object was restored or written in elsewhere; a look brings it back"
            << (look.sent ? "(a request of the delete went out unanswered)" : "");
    queueLooks(key);
    return true;
}

void CSynDataManager::loadLooks()
{
    const int uid = m_model->userInfo.uid;
    if (m_lookedForOf == uid)
        return;
    m_lookedFor.clear();
    bool ok = false;
    const QList<T_WithdrawnDelete> rows = uid > 0 ? m_db->withdrawnDeletes(uid, &ok) : QList<T_WithdrawnDelete>();
    if (uid > 0 && !ok) {
        qWarning() << "withdrawn deletes not read; read again with the next pass";
        return;
    }
    // Any look sent from now on tells.
    for (const T_WithdrawnDelete& row : rows)
        m_lookedFor.insert(qMakePair(row.jobType, row.serverId), Look{row, m_lastStep});
    m_lookedForOf = uid;
}

bool CSynDataManager::awaitsLook(int deleteType, int serverId)
{
    loadLooks();
    return m_lookedFor.contains(qMakePair(deleteType, serverId));
}

void CSynDataManager::queueWaitingLooks()
{
    loadLooks();
    const QList<QPair<int, int>> keys = m_lookedFor.keys();
    for (const QPair<int, int>& key : keys)
        queueLooks(key);
}

void CSynDataManager::queueLooks(const QPair<int, int>& key)
{
    if (m_looksQueued.contains(key) || !m_lookedFor.contains(key))
        return;
    m_looksQueued.insert(key);
    const T_WithdrawnDelete row = m_lookedFor.value(key).row;
    const auto look = [this, &key](int changeType, int bookId, int chapterId) {
        auto* item = new T_SynchronizaTion_SynBookDataItem;
        item->changeType = changeType;
        item->bookId = bookId;
        item->chapterId = chapterId;
        m_againOf.remove(item);
        m_lookOf.insert(item, key);
        m_reply.items.append(item);
    };
    const bool ofBook = key.first == JobType::ChapterDelete || key.first == JobType::OutlineDelete;
    const T_Book* book = m_model->findAnyBookByBookId(ofBook ? row.bookId : key.second);
    if (ofBook && book == nullptr) {
        // Its book is gone from here: nothing of it can come back.
        qInfo() << "withdrawn delete of type" << key.first << "for" << key.second << ": its book is gone; forgotten";
        forgetLook(key);
        return;
    }
    switch (key.first) {
    case JobType::ChapterDelete:
        // Its text too, which the list does not carry.
        look(kChapterMenu, row.bookId, 0);
        look(kChapterText, row.bookId, key.second);
        break;
    case JobType::OutlineDelete:
        look(kFetchOutlines, row.bookId, 0);
        break;
    case JobType::MemoDel:
        look(kFetchMemo, 0, key.second);
        break;
    default:
        if (book == nullptr) {
            // Its information brings it, and its chapter list follows.
            look(kFetchBook, key.second, 0);
        } else {
            // Back already by its information, the rest of it was not
            // fetched: a chapter without words may wait for its text.
            const QList<int> empty = m_db->chaptersWithoutText(book->localId);
            for (int chapterId : empty)
                look(kChapterText, key.second, chapterId);
        }
        look(kChapterMenu, key.second, 0);
        look(kFetchOutlines, key.second, 0);
        break;
    }
    addSynItem(kSettleWithdrawn, key.first == JobType::MemoDel ? 0 : (ofBook ? row.bookId : key.second), key.second,
               0, QString::number(key.first));
}

bool CSynDataManager::lookFailed()
{
    const T_SynchronizaTion_SynBookDataItem* head = m_reply.items.isEmpty() ? nullptr : m_reply.items.first();
    const auto it = m_lookOf.constFind(head);
    if (head == nullptr || it == m_lookOf.constEnd())
        return false;
    // The pass goes on; the look goes again with the next one.
    qInfo() << "look after the withdrawn delete of type" << it.value().first << "for" << it.value().second
            << "failed; tried again with the next pass";
    m_looksFailed.insert(it.value());
    return true;
}

CSynDataManager::Outcome CSynDataManager::execFetchMemo(const T_SynchronizaTion_SynBookDataItem& item)
{
    if (item.chapterId < 1 || m_model->findMemoByMemoId(item.chapterId) != nullptr)
        return Outcome::Continue;
    return askMemoDetail(item.chapterId);
}

CSynDataManager::Outcome CSynDataManager::execSettleWithdrawn(const T_SynchronizaTion_SynBookDataItem& item)
{
    const QPair<int, int> key(item.extra.toInt(), item.chapterId);
    if (!m_lookedFor.contains(key) || m_looksFailed.contains(key))
        return Outcome::Continue;
    // What the looks of a book bring (its chapters, their texts) is fetched
    // first.
    const bool fetching =
        item.bookId > 0
        && std::any_of(m_reply.items.begin() + 1, m_reply.items.end(), [&item](const T_SynchronizaTion_SynBookDataItem* other) {
               return other && other->bookId == item.bookId && other->changeType != kSettleWithdrawn;
           });
    if (fetching) {
        addSynItem(kSettleWithdrawn, item.bookId, item.chapterId, 0, item.extra);
        return Outcome::Continue;
    }
    const Look look = m_lookedFor.value(key);
    T_Book* book = m_model->findAnyBookByBookId(key.first == JobType::BooksDeleteHard ? key.second : look.row.bookId);
    bool back = false;
    switch (key.first) {
    case JobType::ChapterDelete: back = book && book->findChapterByChapterId(key.second); break;
    case JobType::OutlineDelete: back = book && book->findOutlineByOutlineId(key.second); break;
    case JobType::MemoDel: back = m_model->findMemoByMemoId(key.second) != nullptr; break;
    default: back = book != nullptr; break;
    }
    // Not back and not shown gone: the look is tried again.
    if (!back)
        return Outcome::Continue;
    if (key.first == JobType::BooksDeleteHard && look.row.toBin && m_model->findBookByBookId(key.second)) {
        TC_Books_Delete request(book->localId, static_cast<int>(currentServerTime()));
        setBookStep(request.header, book);
        if (!m_bookJobs->books_delete(request, true))
            return Outcome::Continue;
    }
    qInfo() << "delete of type" << key.first << "for" << key.second << "withdrawn: the object is back";
    forgetLook(key);
    tellWhatBecameOf(key.first, true);
    return Outcome::Continue;
}

void CSynDataManager::forgetLook(const QPair<int, int>& key)
{
    m_lookedFor.remove(key);
    if (!m_db->dropWithdrawnDelete(m_model->userInfo.uid, key.first, key.second))
        qWarning() << "withdrawn delete of type" << key.first << "for" << key.second
                   << "not forgotten in the database; looked at again after a restart";
}

void CSynDataManager::settleWithdrawn(int deleteType, int bookId, int synStep,
                                      const std::function<int(int)>& shown)
{
    if (synStep == 0 || m_lookedFor.isEmpty())
        return;
    const QList<QPair<int, int>> keys = m_lookedFor.keys();
    for (const QPair<int, int>& key : keys) {
        // Only a look sent after the withdrawal tells; there, the object
        // comes back and the pass tells once it is (execSettleWithdrawn).
        const Look look = m_lookedFor.value(key);
        if (key.first != deleteType || look.row.bookId != bookId || synStep <= look.afterStep
            || shown(key.second) != 0)
            continue;
        forgetLook(key);
        if (!look.row.sent) {
            // Deleted elsewhere since: the delete here is done all the same.
            qInfo() << "withdrawn delete of type" << key.first << "for" << key.second << "; the object is gone there";
            continue;
        }
        // Gone: the platform took the delete before the words written
        // elsewhere could withdraw it, and lists answered before that
        // bring nothing of it back.
        qInfo() << "withdrawn delete of type" << key.first << "for" << key.second << "had reached the platform";
        m_bookJobs->noteDeleteTookIt(key.first, key.second, bookId);
        m_bookJobs->noteToldTookIt(key.first, key.second);
        tellWhatBecameOf(key.first, false);
    }
}

void CSynDataManager::tellIfTakenFirst(const QPair<int, int>& key)
{
    // The platform answered the delete: the words came in after the feed
    // that let it go and before it reached the platform.
    if (!m_bookJobs->deleteTookIt(key.first, key.second) || m_bookJobs->toldTookIt(key.first, key.second))
        return;
    m_bookJobs->noteToldTookIt(key.first, key.second);
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
    m_lookedForOf = -1;
    m_owed.clear();
    m_owedOf = -1;
    m_acksOut.clear();
}

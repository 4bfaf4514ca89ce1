// Looks at a book's lists that answers call for: where the platform put a
// volume or an outline card that was added, moved or restored, which
// chapters a volume's delete recycled there. Sent once and forgotten, a look
// that failed would leave this machine on its own view of the book for good,
// as nothing else asks for that list again. So each is kept, in the database
// too, until a reply of it came; every feed pass sends those still owed as
// steps it waits for, and one that fails there goes again with the next pass.

#include "CSynDataManager.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "manager/CPublicManager.h"
#include "remote/CTessaneHttp.h"
#include "remote/records/ChapterRecords.h"
#include "remote/records/OutlineRecords.h"
#include "remote/records/VolumeRecords.h"

#include <QDebug>

#include <algorithm>

void CSynDataManager::loadOwed()
{
    const int uid = m_model->userInfo.uid;
    if (m_owedOf == uid)
        return;
    m_owed.clear();
    bool ok = false;
    const QList<T_OwedLook> rows = uid > 0 ? m_db->owedLooks(uid, &ok) : QList<T_OwedLook>();
    if (uid > 0 && !ok) {
        qWarning() << "owed looks not read; read again with the next pass";
        return;
    }
    for (const T_OwedLook& row : rows)
        m_owed.insert(row, Owed());
    m_owedOf = uid;
}

void CSynDataManager::oweLook(int listType, const T_Book* book, int volumeId, bool later)
{
    if (book == nullptr || book->bookId < 1)
        return;
    loadOwed();
    T_OwedLook look;
    look.listType = listType;
    look.bookId = book->bookId;
    look.volumeId = listType == JobType::ChapterMenu || listType == JobType::ChapterContent ? volumeId : 0;
    if (listType == JobType::ChapterMenu && look.volumeId > 0) {
        const QList<T_OwedLook> owed = m_owed.keys();
        const auto same = std::find_if(owed.begin(), owed.end(), [&look](const T_OwedLook& other) {
            return other.listType == look.listType && other.bookId == look.bookId && other.volumeId > 0;
        });
        if (same != owed.end())
            look = *same;
    }
    if (!m_owed.contains(look)) {
        m_owed.insert(look, Owed());
        if (!m_db->storeOwedLook(m_model->userInfo.uid, look))
            qWarning() << "look at list" << listType << "of book" << book->bookId << "not stored; owed in this run only";
    }
    Owed& owed = m_owed[look];
    if (later) {
        owed.held = owed.held || owed.out > 0;
        return;
    }
    if (m_running) {
        queueOwed(look);
        return;
    }
    if (owed.out > 0) {
        owed.again = true;
        return;
    }
    if (sendLook(look, 0))
        ++owed.out;
}

bool CSynDataManager::sendLook(const T_OwedLook& look, int synStep)
{
    const T_Book* book = m_model->findAnyBookByBookId(look.bookId);
    if (book == nullptr)
        return false;
    if (look.listType == JobType::VolumeMenu) {
        TC_Volume_Menu request;
        request.bookId = book->bookId;
        request.order = QStringLiteral("asc");
        request.header.bookId = book->bookId;
        request.header.localBookId = book->localId;
        request.header.synStep = synStep;
        return m_bookJobs->volume_menu(request);
    }
    if (look.listType == JobType::ChapterMenu) {
        // Named with the volume, the list is read for states.
        TC_Chapter_Menu request;
        request.bookId = book->bookId;
        request.header.bookId = book->bookId;
        request.header.localBookId = book->localId;
        request.header.volumeId = look.volumeId;
        request.header.localVolumeId = look.volumeId > 0 ? book->getLocalVolumeId(look.volumeId) : 0;
        request.header.synStep = synStep;
        return m_bookJobs->chapter_menu(request);
    }
    if (look.listType == JobType::ChapterContent) {
        TC_Chapter_Content request;
        request.bookId = book->bookId;
        request.chapterId = look.volumeId;
        request.header.bookId = book->bookId;
        request.header.localBookId = book->localId;
        request.header.chapterId = look.volumeId;
        request.header.uid = m_model->userInfo.uid;
        request.header.synStep = synStep;
        m_http->chapter_content_asyn(request);
        return true;
    }
    TC_BookOutline_List request;
    request.header.bookId = book->bookId;
    request.header.localBookId = book->localId;
    request.header.synStep = synStep;
    return m_bookJobs->outline_list(request);
}

void CSynDataManager::queueOwedLooks()
{
    loadOwed();
    const QList<T_OwedLook> owed = m_owed.keys();
    for (const T_OwedLook& look : owed) {
        // One sent outside the pass tells by its own reply.
        if (m_owed.value(look).out > 0)
            continue;
        if (m_model->findAnyBookByBookId(look.bookId) == nullptr) {
            forgetOwed(look);
            continue;
        }
        queueOwed(look);
    }
}

T_OwedLook CSynDataManager::owedOf(const T_SynchronizaTion_SynBookDataItem& item)
{
    T_OwedLook look;
    look.listType = item.extra.toInt();
    look.bookId = item.bookId;
    look.volumeId = item.chapterId;
    return look;
}

bool CSynDataManager::owedQueued(const T_OwedLook& look, int from) const
{
    return std::any_of(m_reply.items.cbegin() + qMin(from, m_reply.items.size()), m_reply.items.cend(),
                       [&look](const T_SynchronizaTion_SynBookDataItem* item) {
                           return item != nullptr && item->changeType == kOwedLook && owedOf(*item) == look;
                       });
}

void CSynDataManager::queueOwed(const T_OwedLook& look)
{
    // The head of a running pass is sent already: an answer owing it anew
    // needs a look after that one.
    if (!owedQueued(look, m_running ? 1 : 0))
        addSynItem(kOwedLook, look.bookId, look.volumeId, 0, QString::number(look.listType));
}

CSynDataManager::Outcome CSynDataManager::execOwedLook(const T_SynchronizaTion_SynBookDataItem& item)
{
    const T_OwedLook look = owedOf(item);
    if (!m_owed.contains(look))
        return Outcome::Continue;  // answered meanwhile
    if (m_model->findAnyBookByBookId(look.bookId) == nullptr) {
        forgetOwed(look);
        return Outcome::Continue;
    }
    const int step = nextStep();
    if (!sendLook(look, step))
        return Outcome::Fail;
    m_waitStep = step;
    return Outcome::Wait;
}

void CSynDataManager::owedAnswered()
{
    const T_SynchronizaTion_SynBookDataItem* head = m_reply.items.isEmpty() ? nullptr : m_reply.items.first();
    if (head == nullptr || head->changeType != kOwedLook)
        return;
    const T_OwedLook look = owedOf(*head);
    if (!owedQueued(look, 1))
        forgetOwed(look);
}

void CSynDataManager::lookAnswered(const T_Http_Custom& identity, bool answered)
{
    if (identity.jobId != 0 || identity.synStep != 0 || identity.bookId < 1)
        return;
    T_OwedLook look;
    look.listType = identity.jobType;
    look.bookId = identity.bookId;
    look.volumeId = identity.jobType == JobType::ChapterMenu      ? identity.volumeId
                    : identity.jobType == JobType::ChapterContent ? identity.chapterId
                                                                  : 0;
    const auto it = m_owed.find(look);
    if (it == m_owed.end() || it->out < 1)
        return;
    --it->out;
    it->failed = it->failed || !answered;
    if (it->out > 0)
        return;
    if (it->failed) {
        it->failed = false;
        it->again = false;
        qInfo() << "look at list" << look.listType << "of book" << look.bookId << "failed; sent again with the next pass";
        return;
    }
    if (it->again) {
        it->again = false;
        it->held = false;
        if (m_running)
            queueOwed(look);
        else if (sendLook(look, 0))
            ++it->out;
        return;
    }
    if (it->held) {
        it->held = false;
        return;
    }
    forgetOwed(look);
}

void CSynDataManager::forgetOwed(const T_OwedLook& look)
{
    if (m_owed.remove(look) > 0 && !m_db->dropOwedLook(m_model->userInfo.uid, look))
        qWarning() << "look at list" << look.listType << "of book" << look.bookId
                   << "not forgotten in the database; sent again after a restart";
}

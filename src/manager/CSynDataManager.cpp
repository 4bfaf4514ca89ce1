#include "CSynDataManager.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CSystemManager.h"
#include "manager/CUiManager.h"
#include "manager/CUserJobManager.h"
#include "manager/JobOwners.h"
#include "remote/CTessaneHttp.h"
#include "remote/CTessaneUrl.h"

#include <QDebug>
#include <QSet>

#include <climits>

namespace {

QString labelOf(int type)
{
    switch (type) {
    case 1: return QStringLiteral("新建书籍");
    case 2: return QStringLiteral("书籍信息更新");
    case 3: return QStringLiteral("删除书籍");
    case 4: return QStringLiteral("新建章节");
    case 5: return QStringLiteral("章节移动");
    case 6: return QStringLiteral("章节软删除");
    case 7: return QStringLiteral("章节硬删除");
    case 8: return QStringLiteral("章节恢复");
    case 9: return QStringLiteral("章节内容更新");
    case 10: return QStringLiteral("书籍导入");
    case 11: return QStringLiteral("时光机更新");
    case 12: return QStringLiteral("统计数据更新");
    case 13: return QStringLiteral("用户信息更新");
    case 14: return QStringLiteral("快捷输入");
    case 15: return QStringLiteral("新建便签");
    case 16: return QStringLiteral("便签内容更新");
    case 17: return QStringLiteral("便签删除");
    case 18: return QStringLiteral("私有敏感词更新");
    case 19: return QStringLiteral("批量获取章节数据");
    case 21: return QStringLiteral("新建大纲");
    case 22: return QStringLiteral("修改大纲");
    case 23: return QStringLiteral("删除大纲");
    case 24: return QStringLiteral("移动大纲");
    case 25: return QStringLiteral("新建分卷");
    case 26: return QStringLiteral("编辑卷");
    case 27: return QStringLiteral("移动卷");
    case 28: return QStringLiteral("删除卷");
    case 29: return QStringLiteral("恢复卷");
    case 30: return QStringLiteral("书籍硬删除");
    case 31: return QStringLiteral("书籍还原");
    default: return QString();
    }
}

bool isKnownType(int type)
{
    return (type >= 1 && type <= 31) || type == CSynDataManager::kFetchChapterList
           || (type >= CSynDataManager::kFetchChapterListEnd && type <= CSynDataManager::kOwedLook);
}

}

CSynDataManager::CSynDataManager(QObject* parent)
    : QObject(parent),
      m_http(CTessaneHttp::instance()),
      m_model(CPublicManager::instance()),
      m_bookJobs(CBookJobManager::instance()),
      m_userJobs(CUserJobManager::instance()),
      m_ui(CUiManager::instance()),
      m_db(CTessaneDb::instance())
{
}

CSynDataManager::~CSynDataManager() = default;

CSynDataManager* CSynDataManager::instance()
{
    static CSynDataManager* manager = new CSynDataManager();
    return manager;
}

void CSynDataManager::clear()
{
    qDeleteAll(m_reply.items);
    m_reply.items.clear();
    lastSynId = 0;
    m_ackCeiling = INT_MAX;
    m_volumeListFetched.clear();
    m_againOf.clear();
    m_lookOf.clear();
    m_looksQueued.clear();
    m_looksFailed.clear();
    m_waitStep = 0;
    m_running = false;
    m_batchMenuBook = 0;
    ++m_pass;
}

void CSynDataManager::reset()
{
    clear();
    m_failedItems.clear();
    m_failedFetches.clear();
}

void CSynDataManager::noteApplied(int synId)
{
    // Items may come out of order: the acknowledgement covers the highest.
    if (synId > lastSynId)
        lastSynId = synId;
}

void CSynDataManager::skipFailedItem(const T_SynchronizaTion_SynBookDataItem& item)
{
    if (item.synId > 0 && !m_failedItems.contains(item.synId)) {
        m_failedItems.insert(item.synId);
        m_ackCeiling = qMin(m_ackCeiling, item.synId - 1);
        qWarning().noquote() << "change not applied; the items after it go on and the next pull brings it again:"
                             << printSynItem(&item);
        return;
    }
    qWarning().noquote() << "change could not be applied again; given up:" << printSynItem(&item);
    noteApplied(item.synId);
}

CSynDataManager::Outcome CSynDataManager::placeChapterOfUnknownVolume(T_Book* book,
                                                                      const T_SynchronizaTion_SynBookDataItem& item)
{
    if (!m_volumeListFetched.contains(book->bookId)) {
        qInfo() << "chapter" << item.chapterId << "of book" << book->bookId
                << "is in a volume not known here; the volume list comes first";
        queueVolumeListAndAgain(book, item);
        return Outcome::Continue;
    }
    // The platform's volume list does not name it either: the chapter list
    // tells where the chapter really is, and its text follows.
    qWarning().noquote() << "chapter of a volume the platform does not list; placed by the book's chapter list:"
                         << printSynItem(&item);
    if (!hasSynItem(kFetchChapterList, book->bookId, 0))
        addSynItem(kFetchChapterList, book->bookId, 0, 0, QString());
    return Outcome::Continue;
}

void CSynDataManager::queueVolumeListAndAgain(const T_Book* book, const T_SynchronizaTion_SynBookDataItem& item)
{
    // The list is fetched once per book and pass, so the item comes back
    // once at most.
    m_volumeListFetched.insert(book->bookId);
    auto* again = new T_SynchronizaTion_SynBookDataItem(item);
    again->synId = 0;
    m_againOf.insert(again, item.synId > 0 ? item.synId : m_againOf.value(&item));
    auto* fetch = new T_SynchronizaTion_SynBookDataItem;
    fetch->changeType = kFetchVolumeList;
    fetch->bookId = book->bookId;
    m_againOf.remove(fetch);
    // A look's list runs once more as that look.
    m_lookOf.remove(again);
    m_lookOf.remove(fetch);
    if (m_lookOf.contains(&item)) {
        m_lookOf.insert(again, m_lookOf.value(&item));
        m_lookOf.insert(fetch, m_lookOf.value(&item));
    }
    m_reply.items.insert(qMin(1, m_reply.items.size()), again);
    m_reply.items.insert(qMin(1, m_reply.items.size()), fetch);
}

bool CSynDataManager::retryAfterVolumeList(int synStep, const T_Book* book)
{
    if (!m_running || synStep == 0 || synStep != m_waitStep || book == nullptr || m_reply.items.isEmpty()
        || m_reply.items.first() == nullptr || m_volumeListFetched.contains(book->bookId))
        return false;
    qInfo() << "the chapter list of book" << book->bookId << "names a volume not known here; the volume list comes first";
    queueVolumeListAndAgain(book, *m_reply.items.first());
    return true;
}

void CSynDataManager::applyAgainLater(int synStep)
{
    if (!m_running || synStep == 0 || synStep != m_waitStep || m_reply.items.isEmpty()
        || m_reply.items.first() == nullptr)
        return;
    // An item run once more after the volume list stands for the pulled one.
    T_SynchronizaTion_SynBookDataItem item = *m_reply.items.first();
    if (item.synId < 1)
        item.synId = m_againOf.value(m_reply.items.first());
    if (item.synId > 0)
        skipFailedItem(item);
}

int CSynDataManager::nextStep()
{
    // Any value but 0 marks a request of the feed; each one is distinct so
    // that a late reply cannot move a later item on.
    if (++m_lastStep <= 0)
        m_lastStep = 1;
    return m_lastStep;
}

void CSynDataManager::requestSynData()
{
    clear();
    m_pulledAt = m_bookJobs->deletedHereClock();
    TC_SynchronizaTion_SynBookData request;
    request.header.jobType = JobOwners::SynDataPull;
    // The user travels along so that a reply arriving after a change of
    // user is not applied to the wrong author's books.
    request.header.uid = m_model->userInfo.uid;
    m_http->synchronizaTion_synBookData_asyn(request);
}

void CSynDataManager::startSyn(const QByteArray& body)
{
    clear();
    CTessaneUrl::setHttpSynchronizaTionSynBookData(body, &m_reply);
    CJobManager::instance()->beginAutoSyn();
    // A database that takes no writes (damaged, or the author's books could
    // not be read from it) must not receive the platform's changes: over a
    // shelf that failed to load they would become second copies.
    if (m_db->writesRefused()) {
        qWarning() << "change feed not applied: the database takes no writes";
        qDeleteAll(m_reply.items);
        m_reply.items.clear();
        endPass(false);
        return;
    }
    if (m_reply.header.code != HttpOk) {
        // A refused pull is no empty feed: nothing is reported as done.
        qWarning() << "change feed pull refused with code" << m_reply.header.code;
        qDeleteAll(m_reply.items);
        m_reply.items.clear();
        endPass(false);
        return;
    }

    // The same sync id twice is one change; applying it twice could, for a
    // chapter add, make two chapters.
    QSet<int> seen;
    for (int i = 0; i < m_reply.items.size();) {
        T_SynchronizaTion_SynBookDataItem* item = m_reply.items.at(i);
        if (item->synId > 0 && seen.contains(item->synId)) {
            qWarning().noquote() << "duplicate change item dropped:" << printSynItem(item);
            delete m_reply.items.takeAt(i);
            continue;
        }
        seen.insert(item->synId);
        ++i;
    }

    for (const T_SynchronizaTion_SynBookDataItem* item : qAsConst(m_reply.items))
        printSynType(item, isKnownType(item->changeType));
    noteChangesElsewhere();

    T_Book* current = nullptr;
    for (const T_SynchronizaTion_SynBookDataItem* item : qAsConst(m_reply.items)) {
        if (item->bookId > 0 && item->changeType < 12 && (current == nullptr || current->bookId != item->bookId))
            current = m_model->findBookByBookId(item->bookId);
        m_model->addBookSynCount(current);
    }
    // Objects whose delete here was withdrawn are looked at until they are
    // back, and lists an answer called for until one is answered.
    queueWaitingLooks();
    queueOwedLooks();
    m_running = true;
    execSynData();
}

void CSynDataManager::noteChangesElsewhere()
{
    // Which of this machine's changes a pulled item may come after: the
    // change, looked up before it goes again (its reply was lost), then
    // yields to the platform's state instead of undoing that later one.
    struct Kind
    {
        int changeType;
        int jobType;
        const char* column;  // holds the item's volume or chapter id, or else its book id
        bool byObject;
    };
    static const Kind kinds[] = {
        {6, JobType::ChapterRecycle, "chapterId", true},       {8, JobType::ChapterRecycle, "chapterId", true},
        {5, JobType::ChapterMove, "bookId", false},             {26, JobType::VolumeEdit, "volumeId", true},
        {28, JobType::VolumeDelRestore, "volumeId", true},      {29, JobType::VolumeDelRestore, "volumeId", true},
        {27, JobType::VolumeMove, "bookId", false},             {24, JobType::OutlineMove, "bookId", false},
        {3, JobType::BooksDelete, "bookId", false},             {31, JobType::BooksDelete, "bookId", false},
        {3, JobType::BooksRestore, "bookId", false},            {31, JobType::BooksRestore, "bookId", false},
    };
    if (m_db->countItems(QStringLiteral("tb_job"), QStringLiteral("sent"), 1) < 1)
        return;
    for (const T_SynchronizaTion_SynBookDataItem* item : qAsConst(m_reply.items)) {
        for (const Kind& kind : kinds) {
            if (item != nullptr && item->synId > 0 && item->changeType == kind.changeType)
                m_db->markJobsOvertaken(m_model->userInfo.uid, kind.jobType, QLatin1String(kind.column),
                                        kind.byObject ? item->chapterId : item->bookId);
        }
    }
}

void CSynDataManager::execSynData()
{
    while (m_running && m_waitStep == 0) {
        if (m_db->writesRefused()) {
            qWarning() << "change feed stopped: the database takes no writes";
            abortSyn();
            return;
        }
        if (m_reply.items.isEmpty()) {
            endPass(true);
            return;
        }
        T_SynchronizaTion_SynBookDataItem* head = m_reply.items.first();
        if (head == nullptr) {
            m_reply.items.removeFirst();
            continue;
        }
        const T_SynchronizaTion_SynBookDataItem item = *head;
        if (m_failedFetches.value(item.synId) >= kFetchTries) {
            qWarning().noquote() << "the platform refused this change's data" << kFetchTries << "times; given up:"
                                 << printSynItem(&item);
            noteApplied(item.synId);
            delete m_reply.items.takeFirst();
            continue;
        }
        const int pass = m_pass;
        const Outcome outcome = dispatch(item);
        if (pass != m_pass)
            return;  // the pass was ended on the way (a sign-out, a failed request)
        if (outcome == Outcome::Wait)
            return;
        if (outcome == Outcome::Fail)
            skipFailedItem(item);
        else
            noteApplied(item.synId);
        delete m_reply.items.takeFirst();
    }
}

void CSynDataManager::execNext()
{
    if (!m_running)
        return;
    if (!m_reply.items.isEmpty()) {
        const T_SynchronizaTion_SynBookDataItem* head = m_reply.items.first();
        if (head)
            noteApplied(head->synId);
        delete m_reply.items.takeFirst();
    }
    m_waitStep = 0;
    execSynData();
}

void CSynDataManager::execNext(int synStep)
{
    if (!m_running || synStep == 0 || synStep != m_waitStep) {
        qDebug() << "feed reply of step" << synStep << "is not waited for; the feed stays where it is";
        return;
    }
    owedAnswered();
    execNext();
}

void CSynDataManager::abortSyn()
{
    const bool wasRunning = m_running;
    clear();
    if (wasRunning)
        endPass(false);
}

void CSynDataManager::abortSyn(int synStep, bool answered)
{
    if (!m_running || synStep != m_waitStep)
        return;
    // A look the platform answered with a failure is tried again with the
    // next pass; out of reach, the platform takes nothing of this one.
    const T_SynchronizaTion_SynBookDataItem* head = m_reply.items.isEmpty() ? nullptr : m_reply.items.first();
    const bool owed = head != nullptr && head->changeType == kOwedLook;
    if (answered && (lookFailed() || owed)) {
        if (owed)
            qInfo() << "look at list" << head->extra << "of book" << head->bookId << "failed; sent again with the next pass";
        execNext();
        return;
    }
    // A platform out of reach says nothing about the item; one that keeps
    // refusing this item's data would otherwise hold the feed for good.
    if (answered && head != nullptr && head->synId > 0)
        ++m_failedFetches[head->synId];
    abortSyn();
}

void CSynDataManager::endPass(bool ok)
{
    const int acknowledged = qMin(lastSynId, m_ackCeiling);
    // Every change item recorded before the pull is taken in, unless one was
    // held back for the next pull: at once when there is nothing to
    // acknowledge, else once the platform took the acknowledgement.
    const bool tookAll = ok && m_ackCeiling == INT_MAX;
    if (ok && acknowledged > 0) {
        TC_SynchronizaTion_SynAuthor ack;
        ack.header.jobType = JobOwners::SynDataAck;
        ack.header.uid = m_model->userInfo.uid;
        // Its reply names the pass it acknowledges.
        ack.header.synStep = nextStep();
        ack.task_id = acknowledged;
        ack.syn_type = 2;
        if (tookAll)
            m_acksOut.insert(ack.header.synStep, m_pulledAt);
        m_http->synchronizaTion_synAuthor_asyn(ack);
    }
    qDeleteAll(m_reply.items);
    m_reply.items.clear();
    lastSynId = 0;
    m_waitStep = 0;
    m_running = false;
    // Changes of ours that could not be sent keep the indicator from
    // reporting a success; edits held for this feed go next, and the result
    // waits for their answers (a refusal among them is no success).
    CJobManager* jobs = CJobManager::instance();
    m_ui->stopSyncAnimation(ok && !jobs->passLeftJobs(), jobs->drainsAfterFeed(ok));
    qDebug() << "syn end ======";
    m_model->resetAllBookSynState();
    if (!ok)
        return;
    if (tookAll && acknowledged <= 0)
        m_bookJobs->feedPassEnded(m_pulledAt);
    CJobManager::instance()->feedTakenIn();
    TC_UpdateOnline update;
    update.header.jobType = 2008;
    update.os = m_model->updateType;
    update.channel = m_model->updateChannel;
    update.version_code = m_model->updateVersion;
    CSystemManager::instance()->updateOnline(update);
    CJobManager::instance()->feedApplied(ok);
}

void CSynDataManager::ackAnswered(const T_Http_Custom& identity, bool ok)
{
    const auto it = m_acksOut.find(identity.synStep);
    if (it == m_acksOut.end())
        return;
    const qint64 pulledAt = it.value();
    m_acksOut.erase(it);
    if (ok)
        m_bookJobs->feedPassEnded(pulledAt);
    else
        qInfo() << "acknowledgement of the change feed not taken; its items come again with the next pull";
}

void CSynDataManager::addSynItem(int changeType, int bookId, int chapterId, int synId, const QString& extra)
{
    auto* item = new T_SynchronizaTion_SynBookDataItem;
    item->changeType = changeType;
    item->bookId = bookId;
    item->chapterId = chapterId;
    item->synId = synId;
    item->extra = extra;
    m_againOf.remove(item);  // a new item where a spent one was
    m_lookOf.remove(item);
    m_reply.items.append(item);
}

bool CSynDataManager::hasSynItem(int changeType, int bookId, int chapterId) const
{
    for (const T_SynchronizaTion_SynBookDataItem* item : m_reply.items) {
        if (item && item->changeType == changeType && item->bookId == bookId && item->chapterId == chapterId)
            return true;
    }
    return false;
}

void CSynDataManager::countBookItems(T_Book* book)
{
    if (book == nullptr || book->bookId < 1)
        return;
    for (const T_SynchronizaTion_SynBookDataItem* item : qAsConst(m_reply.items)) {
        if (item && item->bookId == book->bookId)
            m_model->addBookSynCount(book);
    }
    if (book->synCount >= 2)
        --book->synCount;
}

QString CSynDataManager::printSynItem(const T_SynchronizaTion_SynBookDataItem* item)
{
    if (item == nullptr)
        return QString();
    return QStringLiteral("changeType=%1,bookId=%2,chapterId=%3,synId=%4,extra=")
               .arg(item->changeType)
               .arg(item->bookId)
               .arg(item->chapterId)
               .arg(item->synId)
           + item->extra;
}

void CSynDataManager::printSynType(const T_SynchronizaTion_SynBookDataItem* item, bool valid)
{
    if (item == nullptr)
        return;
    const QString label = labelOf(item->changeType);
    if (!valid || (label.isEmpty() && item->changeType < kFetchChapterList)) {
        qDebug().noquote() << item->changeType
                           << QStringLiteral("无效同步类型[%1,%2,%3]").arg(item->bookId).arg(item->chapterId).arg(item->synId);
        return;
    }
    qDebug().noquote() << label
                       << QStringLiteral("bookId:[%1] chapterId:[%2] synId:[%3]")
                              .arg(item->bookId)
                              .arg(item->chapterId)
                              .arg(item->synId);
}

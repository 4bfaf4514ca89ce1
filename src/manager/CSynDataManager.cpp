#include "CSynDataManager.h"

#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "db/records/T_Book.h"
#include "manager/JobOwners.h"
#include "remote/CTessaneHttp.h"
#include "remote/CTessaneUrl.h"

#include <QDebug>

CSynDataManager::CSynDataManager(QObject* parent)
    : QObject(parent),
      m_http(CTessaneHttp::instance()),
      m_model(CPublicManager::instance()),
      m_ui(CUiManager::instance())
{
}

CSynDataManager* CSynDataManager::instance()
{
    static CSynDataManager* manager = new CSynDataManager();
    return manager;
}

void CSynDataManager::clear()
{
    qDeleteAll(m_reply.items);
    m_reply.items.clear();
}

void CSynDataManager::requestSynData()
{
    clear();
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
    if (m_reply.header.code != HttpOk) {
        qWarning() << "change feed pull refused with code" << m_reply.header.code;
        clear();
        endPass(false);
        return;
    }
    for (const T_SynchronizaTion_SynBookDataItem* item : qAsConst(m_reply.items)) {
        qDebug().noquote() << QStringLiteral("change item: changeType=%1,bookId=%2,chapterId=%3,synId=%4")
                                  .arg(item->changeType)
                                  .arg(item->bookId)
                                  .arg(item->chapterId)
                                  .arg(item->synId);
    }
    execSynData();
}

void CSynDataManager::execSynData()
{
    if (!m_reply.items.isEmpty()) {
        // Applying a change needs the book, chapter, memo and outline
        // operations; until they exist the items are left unacknowledged.
        qInfo() << m_reply.items.size() << "change items left for a later client; none acknowledged";
        clear();
    }
    endPass(true);
}

void CSynDataManager::execNext()
{
    if (!m_reply.items.isEmpty()) {
        delete m_reply.items.takeFirst();
    }
    execSynData();
}

void CSynDataManager::abortSyn()
{
    clear();
    endPass(false);
}

void CSynDataManager::endPass(bool ok)
{
    m_ui->stopSyncAnimation(ok);
    qDebug() << "syn end ======";
    m_model->resetAllBookSynState();
}

void CSynDataManager::countBookItems(T_Book* book)
{
    if (book == nullptr || book->bookId < 1)
        return;
    for (const T_SynchronizaTion_SynBookDataItem* item : qAsConst(m_reply.items)) {
        if (item->bookId == book->bookId)
            m_model->addBookSynCount(book);
    }
}

void CSynDataManager::addSynItem(int changeType, int bookId, int chapterId, int synId, const QString& extra)
{
    auto* item = new T_SynchronizaTion_SynBookDataItem;
    item->changeType = changeType;
    item->bookId = bookId;
    item->chapterId = chapterId;
    item->synId = synId;
    item->extra = extra;
    m_reply.items.append(item);
}

bool CSynDataManager::hasSynItem(int changeType, int bookId, int chapterId) const
{
    for (const T_SynchronizaTion_SynBookDataItem* item : qAsConst(m_reply.items)) {
        if (item->changeType == changeType && item->bookId == bookId && item->chapterId == chapterId)
            return true;
    }
    return false;
}

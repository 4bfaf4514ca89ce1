#include "CBookJobManager.h"

#include "db/CTessaneDb.h"
#include "manager/CPublicManager.h"
#include "remote/CTessaneHttp.h"
#include "remote/CTessaneUrl.h"

#include <QDebug>

CBookJobManager::CBookJobManager(QObject* parent)
    : QObject(parent),
      m_http(CTessaneHttp::instance()),
      m_db(CTessaneDb::instance()),
      m_model(CPublicManager::instance())
{
}

CBookJobManager* CBookJobManager::instance()
{
    static CBookJobManager* manager = new CBookJobManager();
    return manager;
}

bool CBookJobManager::loadBooks()
{
    const int uid = m_model->userInfo.uid;
    if (uid < 1)
        return false;
    if (!m_db->getBooks(uid, m_model->bookList, m_model->recycleBookList)) {
        qWarning() << "books of user" << uid << "could not be loaded";
        return false;
    }
    return true;
}

bool CBookJobManager::notBuilt(const char* operation)
{
    m_lastError = QStringLiteral("%1 is not available yet").arg(QLatin1String(operation));
    qWarning().noquote() << m_lastError;
    return false;
}

bool CBookJobManager::books_add(TC_Books_AddBook&, bool) { return notBuilt("books_add"); }
bool CBookJobManager::books_delete(TC_Books_Delete&, bool) { return notBuilt("books_delete"); }
bool CBookJobManager::books_delete_hard(TC_Books_Delete_Hard&, bool) { return notBuilt("books_delete_hard"); }
bool CBookJobManager::books_restore(TC_Books_Restore&, bool) { return notBuilt("books_restore"); }
bool CBookJobManager::books_edit(TC_Books_Edit&) { return notBuilt("books_edit"); }
bool CBookJobManager::chapter_add(TC_Chapter_Add&) { return notBuilt("chapter_add"); }
bool CBookJobManager::chapter_delete(TC_Chapter_Delete&) { return notBuilt("chapter_delete"); }
bool CBookJobManager::chapter_edit_content(TC_Chapter_Edit_Content&) { return notBuilt("chapter_edit_content"); }
bool CBookJobManager::chapter_edit_name(TC_Chapter_Edit_Name&) { return notBuilt("chapter_edit_name"); }
bool CBookJobManager::chapter_recycle(TC_Chapter_Recycle&, bool) { return notBuilt("chapter_recycle"); }
bool CBookJobManager::chapter_move(TC_Chapter_Move&) { return notBuilt("chapter_move"); }
bool CBookJobManager::chapter_contentBlade(TC_Chapter_ContentBlade&) { return notBuilt("chapter_contentBlade"); }
bool CBookJobManager::volume_add(TC_Volume_Add&) { return notBuilt("volume_add"); }
bool CBookJobManager::volume_edit(TC_Volume_Edit&) { return notBuilt("volume_edit"); }
bool CBookJobManager::volume_del_restore(TC_Volume_Delete&) { return notBuilt("volume_del_restore"); }
bool CBookJobManager::volume_move(TC_Volume_Move&, const QMap<int, int>&) { return notBuilt("volume_move"); }

// ---- replies ------------------------------------------------------------------------

void CBookJobManager::asynBack(int jobType, int localBookId, const QByteArray& body)
{
    switch (jobType) {
    case JobType::BooksAdd:
        asynBackBookAdd(body);
        break;
    case JobType::ChapterAdd:
        asynBackChapterAdd(body);
        break;
    case JobType::ChapterBatchCreate:
        asynBackChapterBatchCreate(body);
        break;
    case JobType::OutlineCreate:
        asynBackOutlineCreate(body);
        break;
    case JobType::VolumeAdd:
        asynBackVolumeAdd(body);
        break;
    case JobType::BooksDeleteHard:
        qDebug() << "DeleteHard:" << body.left(200);
        break;
    case JobType::BooksRestore:
        qDebug() << "BookRestore" << body.left(200);
        break;
    default:
        // Saves, moves, deletions: the platform returns nothing the local
        // copy needs. Replies to fetches belong to the book operations.
        break;
    }
    addSyncProgress(localBookId);
}

void CBookJobManager::asynBackBookAdd(const QByteArray& body)
{
    TS_Books_AddBook reply;
    CTessaneUrl::parseAddBook(body, &reply);
    qDebug() << "asynBackBookAdd" << reply.header.code << reply.book_id << reply.local_id;
    if (reply.header.code != HttpOk || reply.book_id < 1 || reply.local_id < 1)
        return;
    if (!m_db->setBookServerId(reply.local_id, reply.book_id)) {
        qWarning() << "server id of book" << reply.local_id << "not stored";
        return;
    }
    if (T_Book* book = m_model->findBookByLocalId(reply.local_id)) {
        book->chaptersLoaded = true;
        book->bookId = reply.book_id;
        for (T_Chapter* chapter : qAsConst(book->chapterList))
            chapter->bookId = reply.book_id;
        for (T_Volume* volume : qAsConst(book->volumeList))
            volume->bookId = reply.book_id;
    }
}

void CBookJobManager::asynBackChapterAdd(const QByteArray& body)
{
    TS_Chapter_Add reply;
    CTessaneUrl::setHttpChapterAdd(body, &reply);
    qDebug() << "asynBackChapterAdd==" << reply.header.code;
    const T_Http_Custom& header = reply.header.userdata;
    if (reply.header.code != HttpOk || reply.chapter_id < 1 || header.localChapterId < 1)
        return;
    if (!m_db->setChapterServerId(header.localChapterId, reply.chapter_id)) {
        qWarning() << "server id of chapter" << header.localChapterId << "not stored";
        return;
    }
    if (T_Chapter* chapter = m_model->findChapter(header.localBookId, header.localChapterId))
        chapter->chapterId = reply.chapter_id;
    qDebug() << "update db finish==";
}

void CBookJobManager::asynBackChapterBatchCreate(const QByteArray& body)
{
    TS_JsonObjectList reply;
    CTessaneUrl::setHttpObjectList(body, &reply);
    const int localBookId = reply.header.userdata.localBookId;
    T_Book* book = m_model->findBookByLocalId(localBookId);
    if (reply.header.code != HttpOk || reply.list.isEmpty() || book == nullptr)
        return;
    for (const QJsonObject& item : qAsConst(reply.list)) {
        const int localId = item.value(QStringLiteral("local_id")).toInt();
        const int chapterId = item.value(QStringLiteral("chapter_id")).toInt();
        if (localId < 1 || chapterId < 1)
            continue;
        if (!m_db->setChapterServerId(localId, chapterId)) {
            qWarning() << "server id of chapter" << localId << "not stored";
            continue;
        }
        if (T_Chapter* chapter = book->findChapterByLocalId(localId))
            chapter->chapterId = chapterId;
    }
    book->calcWordCount();
}

void CBookJobManager::asynBackOutlineCreate(const QByteArray& body)
{
    TS_BookOutline_Create reply;
    CTessaneUrl::setHttpOutlineCreate(body, &reply);
    if (reply.header.code != HttpOk || reply.local_id < 1 || reply.outline_id < 1)
        return;
    // The outline row and every waiting job of it learn the id together.
    if (!m_db->updateAllOfOutline(reply.local_id, reply.outline_id)) {
        qWarning() << "server id of outline" << reply.local_id << "not stored";
        return;
    }
    if (T_Book* book = m_model->findBookByBookId(reply.book_id)) {
        if (T_Outline* outline = book->findOutlineByLocalId(reply.local_id))
            outline->outlineId = reply.outline_id;
    }
}

void CBookJobManager::asynBackVolumeAdd(const QByteArray& body)
{
    TS_Volume_Add reply;
    CTessaneUrl::setHttpVolumeAdd(body, &reply);
    qDebug() << "asynBackVolumeAdd==" << reply.header.code << reply.volume_id;
    const T_Http_Custom& header = reply.header.userdata;
    if (reply.header.code != HttpOk || reply.volume_id < 1 || header.localVolumeId < 1)
        return;
    if (!m_db->setVolumeServerId(header.localVolumeId, reply.volume_id)) {
        qWarning() << "server id of volume" << header.localVolumeId << "not stored";
        return;
    }
    if (T_Volume* volume = m_model->findVolume(header.localBookId, header.localVolumeId))
        volume->volumeId = reply.volume_id;
    qDebug() << "update db finish==";
}

void CBookJobManager::addSyncProgress(int localBookId)
{
    T_Book* book = m_model->findBookByLocalId(localBookId);
    if (book == nullptr || !book->isSyncing || book->synCount < 1)
        return;
    ++book->synDoneCount;
    if (book->synDoneCount >= book->synCount)
        m_model->resetBookSynState(book);
}

// The book-operations manager: its shared steps and the book operations.

#include "BookJobSend.h"

#include "common/ServerClock.h"
#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/CTessaneDbTransaction.h"
#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "manager/CSynDataManager.h"
#include "manager/CUiManager.h"
#include "outline/COutlineController.h"
#include "remote/CTessaneUrl.h"
#include "volume/CBookVolumeController.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The members the book's row holds, for writing a row the record takes only
// once it is committed.
void copyBookRow(const T_Book& from, T_Book& to)
{
    to.localId = from.localId;
    to.bookId = from.bookId;
    to.bookName = from.bookName;
    to.cateId = from.cateId;
    to.cateFid = from.cateFid;
    to.channelType = from.channelType;
    to.chapterCount = from.chapterCount;
    to.coverUrl = from.coverUrl;
    to.localCover = from.localCover;
    to.intro = from.intro;
    to.wordNum = from.wordNum;
    to.updateTime = from.updateTime;
    to.status = from.status;
}

}

CBookJobManager::CBookJobManager(QObject* parent)
    : QObject(parent),
      m_http(CTessaneHttp::instance()),
      m_db(CTessaneDb::instance()),
      m_model(CPublicManager::instance()),
      m_ui(CUiManager::instance())
{
}

CBookJobManager* CBookJobManager::instance()
{
    static CBookJobManager* manager = new CBookJobManager();
    return manager;
}

int CBookJobManager::now()
{
    return static_cast<int>(currentServerTime());
}

// ---- shared steps ---------------------------------------------------------------------

T_Book* CBookJobManager::resolveBook(T_Http_Custom& header, bool recycledToo)
{
    if (header.localBookId < 1)
        return nullptr;
    T_Book* book = recycledToo ? m_model->findAnyBookByLocalId(header.localBookId)
                               : m_model->findBookByLocalId(header.localBookId);
    if (book == nullptr)
        return nullptr;
    header.bookId = book->bookId;
    header.uid = m_model->userInfo.uid;
    return book;
}

T_Chapter* CBookJobManager::resolveChapter(T_Http_Custom& header, bool recycledToo)
{
    if (header.localBookId < 1 || m_model->userInfo.uid < 1 || header.localChapterId < 1)
        return nullptr;
    T_Book* book = recycledToo ? m_model->findAnyBookByLocalId(header.localBookId)
                               : m_model->findBookByLocalId(header.localBookId);
    if (book == nullptr)
        return nullptr;
    T_Chapter* chapter = book->findChapterByLocalId(header.localChapterId);
    if (chapter == nullptr)
        return nullptr;
    header.uid = m_model->userInfo.uid;
    header.bookId = book->bookId;
    header.localVolumeId = chapter->localVolumeId;
    header.volumeId = chapter->volumeId;
    header.chapterId = chapter->chapterId;
    return chapter;
}

bool CBookJobManager::recordJob(T_Http_Custom& header, const QString& content, int createTime, int ext1,
                                int* revision)
{
    if (header.uid < 1)
        header.uid = m_model->userInfo.uid;
    if (m_db->addJob(header, content, createTime, ext1, revision))
        return true;
    // The change is in the table but would never reach the platform: the
    // author has to know.
    dbFailed("job not recorded");
    m_ui->showError(m_lastError, 3000);
    return false;
}

bool CBookJobManager::leaveRefused()
{
    m_lastError = tr("The open chapter's text could not be saved; it stays where it is");
    qWarning().noquote() << m_lastError;
    m_ui->showError(m_lastError, 3000);
    return false;
}

bool CBookJobManager::dbFailed(const char* what)
{
    m_lastError = QStringLiteral("数据库错误\n") + m_db->lastErrorText();
    qWarning().noquote() << what << ":" << m_db->lastErrorText();
    return false;
}

void CBookJobManager::replyDbFailed(T_Http_S& head, const char* what)
{
    m_db->setDbError(head);
    m_lastError = head.msg;
    qWarning().noquote() << what << ": code" << head.code << head.msg;
}



// ---- books ------------------------------------------------------------------------

bool CBookJobManager::loadBooks()
{
    const int uid = m_model->userInfo.uid;
    if (uid < 1)
        return false;
    if (!m_db->getBooks(uid, m_model->bookList, m_model->recycleBookList)) {
        dbFailed("books could not be loaded");
        return false;
    }
    return true;
}

T_Book* CBookJobManager::books_add(TC_Books_AddBook& request, bool fromSync)
{
    CSynDataManager* feed = CSynDataManager::instance();
    if (request.header.bookId >= 1) {
        if (T_Book* known = m_model->findBookByBookId(request.header.bookId)) {
            request.header.localBookId = known->localId;
            known->chaptersLoaded = true;
            known->calcWordCount();
            if (!known->isImporting)
                feed->countBookItems(known);
            return nullptr;
        }
    }
    const int uid = m_model->userInfo.uid;
    if (uid < 1)
        return nullptr;
    request.header.uid = uid;
    // Row and job together: a book stored without its job would never reach
    // the platform, nor would anything written in it.
    int revision = 0;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began()) {
            dbFailed("book add not begun");
            return nullptr;
        }
        if (!m_db->insertBook(request)) {
            dbFailed("book not stored");
            return nullptr;
        }
        if (!fromSync && !recordJob(request.header, request.bookName, now(), 0, &revision))
            return nullptr;
        if (!transaction.commit()) {
            dbFailed("book add not committed");
            return nullptr;
        }
    }
    m_ui->addBook(request, 0, request.import);
    T_Book* book = m_model->findBookByLocalId(request.header.localBookId);

    if (!fromSync) {
        if (book && book->chapterList.isEmpty() && book->recycleChapterList.isEmpty() && !request.import) {
            // The jobs of a new book are recorded in the order the platform
            // must take them: book, volume, chapter, cover.
            if (T_Volume* volume = CBookVolumeController::instance()->createVolume(book, false)) {
                TC_Chapter_Add first(book->localId, book->bookId, volume->localId, 0, now(), 1,
                                     tr("first chapter"));
                chapter_add(first);
            }
            if (!request.localCover.isEmpty()) {
                TC_Books_Edit cover(book->localId, 0, 0, 0, QString(), QString(), request.localCover,
                                    now() + 1);
                books_edit(cover);
            }
        }
        if (!request.import)
            sendRecorded(request, revision, &CTessaneHttp::books_add_asyn);
    }
    if (book && !book->isImporting)
        feed->countBookItems(book);
    return book;
}

bool CBookJobManager::books_edit(TC_Books_Edit& request)
{
    T_Book* book = resolveBook(request.header);
    if (book == nullptr)
        return false;
    T_Book stored;
    copyBookRow(*book, stored);
    if (request.channelType >= 1)
        stored.channelType = request.channelType;
    if (request.cateId >= 1 && request.cateFid >= 1) {
        stored.cateId = request.cateId;
        stored.cateFid = request.cateFid;
    }
    if (!request.bookName.isEmpty())
        stored.bookName = request.bookName;
    if (!request.intro.isEmpty() || request.wholeBook)
        stored.intro = request.intro;

    const QFileInfo source(request.localCover);
    if (!request.localCover.isEmpty() && source.isFile()) {
        const QString folder = appDirPath() + QStringLiteral("/data/bookImg/");
        const QString md5 = fileMd5(source.filePath());
        if (!md5.isEmpty() && mkpathIfMissing(folder)) {
            const QString target = folder + md5 + QLatin1Char('.') + source.suffix();
            // Equal bytes give an equal name: a picture chosen twice is kept once.
            if (QFileInfo::exists(target) || QFile::copy(source.filePath(), target))
                stored.localCover = target;
            else
                qWarning() << "cover" << source.filePath() << "not copied to" << target;
        }
        QString dataUrl;
        imageToBase64Url(source.filePath(), dataUrl);
        request.localCover = dataUrl;
    }

    // Row and job together, the record after the commit: a failed write
    // leaves all three as they were.
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return dbFailed("book edit not begun");
        if (!m_db->updateBook(&stored))
            return dbFailed("book not stored");
        if (request.header.synStep == 0) {
            // Per member the author changed, what the platform holds while
            // this edit has not reached it: a look-up after a lost reply
            // tells by it whether the edit arrived. A cover by its address.
            QJsonObject was;
            const auto replaced = [&was](const char* key, const QJsonValue& before, const QJsonValue& after) {
                if (before != after)
                    was.insert(QLatin1String(key), QJsonArray{before});
            };
            replaced("bookName", book->bookName, stored.bookName);
            replaced("intro", book->intro, stored.intro);
            replaced("category", QJsonArray{book->channelType, book->cateId},
                     QJsonArray{stored.channelType, stored.cateId});
            if (stored.localCover != book->localCover)
                was.insert(QStringLiteral("cover"), QJsonArray{book->coverUrl});
            const QJsonObject content{{QStringLiteral("channelType"), stored.channelType},
                                      {QStringLiteral("cateId"), stored.cateId},
                                      {QStringLiteral("bookName"), stored.bookName},
                                      {QStringLiteral("intro"), stored.intro},
                                      {QStringLiteral("localCover"), stored.localCover},
                                      {QStringLiteral("cateFid"), stored.cateFid},
                                      {QStringLiteral("was"), was}};
            if (!recordJob(request.header,
                           QString::fromUtf8(QJsonDocument(content).toJson(QJsonDocument::Compact)),
                           request.updateTime, 0, nullptr))
                return false;
        }
        if (!transaction.commit())
            return dbFailed("book edit not committed");
    }
    book->channelType = stored.channelType;
    book->cateId = stored.cateId;
    book->cateFid = stored.cateFid;
    book->bookName = stored.bookName;
    book->intro = stored.intro;
    book->localCover = stored.localCover;

    // The platform replaces every member it is sent: it gets the book as it
    // now stands here, so both keep the same values.
    request.bookName = book->bookName;
    request.intro = book->intro;
    request.channelType = book->channelType;
    request.cateId = book->cateId;
    request.cateFid = book->cateFid;

    if (request.header.bookId >= 1) {
        T_JobData job;
        if (request.header.synStep != 0)
            m_http->books_edit_asyn(request);
        else if (m_db->getJobById(request.header.jobId, job) && job.jobId > 0 && job.sent != 0)
            // An earlier request of the job may have arrived: the queue looks
            // the book up first, and sends what is left to send.
            CJobManager::instance()->sendAfterFeed(job.jobId);
        else
            // Another machine may have changed other members since this one
            // last had the book: the feed brings them into the job first.
            CJobManager::instance()->sendEditAfterFeed(request.header.jobId);
    }
    return true;
}

bool CBookJobManager::books_delete(TC_Books_Delete& request, bool fromSync)
{
    T_Book* book = resolveBook(request.header);
    if (book == nullptr)
        return false;
    if (!m_model->announceLeaving(book->localId, 0))
        return leaveRefused();
    T_Book stored;
    copyBookRow(*book, stored);
    stored.status = 0;
    stored.updateTime = now();
    // The book stays on the shelf, in the table and in the record alike,
    // unless its row and its job are both committed.
    int revision = 0;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return dbFailed("book recycle not begun");
        if (!m_db->updateBook(&stored))
            return dbFailed("book not moved to the recycle bin");
        if (!fromSync && !recordJob(request.header, QString(), now(), 0, &revision))
            return false;
        if (!transaction.commit())
            return dbFailed("book recycle not committed");
    }
    book->status = stored.status;
    book->updateTime = stored.updateTime;
    if (!fromSync && request.header.bookId >= 1)
        sendRecorded(request, revision, &CTessaneHttp::books_delete_asyn);
    const int row = m_model->bookList.indexOf(book);
    COutlineController::instance()->removeBook(book->localId);
    if (row >= 0)
        m_ui->removeBook(row, request);
    m_model->announceLeft(book->localId, 0);
    return true;
}

bool CBookJobManager::keepBookHereOnly(T_Book* book)
{
    if (book == nullptr)
        return false;
    if (!m_db->makeBookLocalOnly(book->localId))
        return dbFailed("deleted book not kept here");
    book->bookId = 0;
    for (T_Volume* volume : qAsConst(book->volumeList)) {
        volume->bookId = 0;
        volume->volumeId = 0;
    }
    for (QList<T_Chapter*>* list : {&book->chapterList, &book->recycleChapterList}) {
        for (T_Chapter* chapter : qAsConst(*list)) {
            chapter->bookId = 0;
            chapter->volumeId = 0;
            chapter->chapterId = 0;
        }
    }
    for (T_Outline* outline : qAsConst(book->outline.outlineList)) {
        outline->bookId = 0;
        outline->outlineId = 0;
    }
    qWarning() << "book" << book->localId << "was deleted for good elsewhere; kept here only, its jobs retired";
    m_ui->showTips(tr("\"%1\" was deleted for good on another device. What you wrote here is kept in the book "
                      "recycle bin; restoring it puts it back on the platform.")
                       .arg(book->bookName),
                   false, 8000);
    return true;
}

bool CBookJobManager::recordBookCreates(T_Book* book)
{
    const int time = now();
    int revision = 0;
    T_Http_Custom header;
    header.uid = m_model->userInfo.uid;
    header.localBookId = book->localId;
    header.jobType = JobType::BooksAdd;
    if (!recordJob(header, book->bookName, time, 0, &revision))
        return false;
    const QJsonObject info{{QStringLiteral("channelType"), book->channelType},
                           {QStringLiteral("cateId"), book->cateId},
                           {QStringLiteral("bookName"), book->bookName},
                           {QStringLiteral("intro"), book->intro},
                           {QStringLiteral("localCover"), book->localCover},
                           {QStringLiteral("cateFid"), book->cateFid}};
    header.jobType = JobType::BooksEdit;
    if (!recordJob(header, QString::fromUtf8(QJsonDocument(info).toJson(QJsonDocument::Compact)), time, 0, &revision))
        return false;
    for (const T_Volume* volume : qAsConst(book->volumeList)) {
        // A deleted volume and its chapters stay on this machine only.
        if (volume->status == 0)
            continue;
        T_Http_Custom add = header;
        add.jobType = JobType::VolumeAdd;
        add.localVolumeId = volume->localId;
        if (!recordJob(add, volume->volumeName, time, volume->orderNum, &revision))
            return false;
    }
    for (const QList<T_Chapter*>* list : {&book->chapterList, &book->recycleChapterList}) {
        for (T_Chapter* chapter : qAsConst(*list)) {
            const T_Volume* volume = book->findVolumeByLocalId(chapter->localVolumeId);
            if (volume == nullptr || volume->status == 0)
                continue;
            T_Http_Custom add = header;
            add.jobType = JobType::ChapterAdd;
            add.localVolumeId = volume->localId;
            add.localChapterId = chapter->localId;
            if (!recordJob(add, chapter->name, time, chapter->orderNum, &revision))
                return false;
            T_Chapter stored;
            stored.localId = chapter->localId;
            const QString text = chapter->contentLoaded ? chapter->content
                                 : m_db->getChapterContent(&stored) ? stored.content
                                                                     : QString();
            add.jobType = JobType::ChapterEditContent;
            if (!text.isEmpty() && !recordJob(add, text, time, 0, &revision))
                return false;
            add.jobType = JobType::ChapterRecycle;
            if (chapter->status == 0 && !recordJob(add, QStringLiteral("0"), time, 0, &revision))
                return false;
        }
    }
    for (const T_Outline* outline : qAsConst(book->outline.outlineList)) {
        const QJsonObject content{{QStringLiteral("title"), outline->title},
                                  {QStringLiteral("content"), outline->content},
                                  {QStringLiteral("type"), outline->type},
                                  {QStringLiteral("orderNum"), outline->orderNum}};
        T_Http_Custom add = header;
        add.jobType = JobType::OutlineCreate;
        if (!recordJob(add, QString::fromUtf8(QJsonDocument(content).toJson(QJsonDocument::Compact)), time,
                       outline->localId, &revision))
            return false;
    }
    return true;
}

bool CBookJobManager::books_restore(TC_Books_Restore& request, bool fromSync)
{
    if (request.header.localBookId < 1)
        return false;
    T_Book* book = m_model->findRecycledBookByLocalId(request.header.localBookId);
    if (book == nullptr)
        return false;
    request.header.bookId = book->bookId;
    request.header.uid = m_model->userInfo.uid;
    T_Book stored;
    copyBookRow(*book, stored);
    stored.status = 1;
    stored.updateTime = now();
    // A book the platform no longer has (deleted there for good, kept here)
    // goes back to it as a new book.
    const bool recreate = !fromSync && book->bookId < 1
                          && m_db->pendingJob(request.header.uid, JobType::BooksAdd, QStringLiteral("localBookId"),
                                              book->localId)
                                 == 0;
    int revision = 0;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return dbFailed("book restore not begun");
        if (!m_db->updateBook(&stored))
            return dbFailed("book not restored");
        if (recreate && !recordBookCreates(book))
            return false;
        if (!fromSync && !recreate && !recordJob(request.header, QString(), now(), 0, &revision))
            return false;
        if (!transaction.commit())
            return dbFailed("book restore not committed");
    }
    book->status = stored.status;
    book->updateTime = stored.updateTime;
    if (!fromSync && request.header.bookId >= 1)
        sendRecorded(request, revision, &CTessaneHttp::books_restore_asyn);
    m_model->restoreRecycledBook(book->localId);
    m_ui->insertBook(0);
    return true;
}

bool CBookJobManager::books_delete_hard(TC_Books_Delete_Hard& request, bool fromSync)
{
    m_lastError.clear();
    if (request.header.localBookId < 1)
        return false;
    T_Book* book = m_model->findRecycledBookByLocalId(request.header.localBookId);
    if (book == nullptr) {
        m_lastError = tr("The book is no longer in the recycle bin");
        return false;
    }
    if (!fromSync && book->status == T_Book::kWrittenInBin) {
        // The bin shows no text: words another device wrote into the book
        // while it lay here would go unseen. The author hears of them first;
        // the next delete goes.
        T_Book stored;
        copyBookRow(*book, stored);
        stored.status = 0;
        if (!m_db->updateBook(&stored))
            return dbFailed("book not kept in the recycle bin");
        book->status = stored.status;
        m_lastError = writtenInBinRefusal(book->bookName);
        qInfo() << "delete for good of book" << book->localId << "withdrawn: words written elsewhere came into it";
        return false;
    }
    request.header.bookId = book->bookId;
    request.header.uid = m_model->userInfo.uid;
    if (!m_model->announceLeaving(book->localId, 0))
        return leaveRefused();
    int revision = 0;
    {
        CTessaneDb::Transaction transaction(*m_db);
        if (!transaction.began())
            return dbFailed("book delete not begun");
        if (!m_db->deleteBook(request))
            return dbFailed("book not deleted");
        if (!fromSync && !recordJob(request.header, QString(), now(), 0, &revision))
            return false;
        if (!transaction.commit())
            return dbFailed("book delete not committed");
    }
    if (!fromSync && request.header.bookId >= 1) {
        qDebug() << "delete book for good" << request.header.localBookId << request.header.bookId;
        CJobManager::instance()->sendAfterFeed(request.header.jobId);
    }
    m_db->sweepBooks({request.header.localBookId});
    m_model->deleteRecycledBook(request.header.localBookId);
    m_model->announceLeft(request.header.localBookId, 0);
    return true;
}

QString CBookJobManager::writtenInBinRefusal(const QString& name)
{
    return tr("\"%1\" was written in on another device after it went to the recycle bin; it is kept. "
              "Delete it again to delete it for good.")
        .arg(name);
}

bool CBookJobManager::markWrittenInBin(T_Book* book)
{
    if (book == nullptr || book->status == 1 || book->status == T_Book::kWrittenInBin)
        return true;
    T_Book stored;
    copyBookRow(*book, stored);
    stored.status = T_Book::kWrittenInBin;
    if (!m_db->updateBook(&stored))
        return dbFailed("book in the recycle bin not marked as written elsewhere");
    book->status = stored.status;
    return true;
}

bool CBookJobManager::books_info(TC_Books_Info& request)
{
    const int uid = m_model->userInfo.uid;
    if (uid < 1)
        return false;
    request.header.uid = uid;
    request.header.jobType = JobType::BooksInfo;
    m_http->books_info_asyn(request);
    return true;
}

void CBookJobManager::refreshBookItem(T_Book* book)
{
    const int row = m_model->bookList.indexOf(book);
    if (book != nullptr && row >= 0)
        m_ui->updateBookItem(row);
}

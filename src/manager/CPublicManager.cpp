#include "CPublicManager.h"

#include "common/ServerClock.h"
#include "manager/CUiManager.h"
#include "remote/T_Http_Custom.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace {

template <typename T>
T* firstWithLocalId(const QList<T*>& list, int localId)
{
    for (T* item : list) {
        if (item->localId == localId)
            return item;
    }
    return nullptr;
}

T_Book* firstWithBookId(const QList<T_Book*>& list, int bookId)
{
    for (T_Book* book : list) {
        if (book->bookId == bookId)
            return book;
    }
    return nullptr;
}

int now()
{
    return static_cast<int>(currentServerTime());
}

} // namespace

CPublicManager* CPublicManager::instance()
{
    // Lives until the process ends: records handed out stay valid at exit.
    static CPublicManager* model = new CPublicManager;
    return model;
}

CPublicManager::CPublicManager(QObject* parent)
    : QObject(parent)
    , netManager(new QNetworkAccessManager(this))
    , downloadMap(new QMap<QString, T_Download_Img*>)
{
    qRegisterMetaType<T_Download_Img*>();
    qRegisterMetaType<T_Memo>("T_Memo");
    clientStatistics.uv = emptyClientUv();
    clientStatistics.uvList = clientStatistics.uv.split(QLatin1Char(','));
    connect(netManager, &QNetworkAccessManager::finished, this,
            &CPublicManager::onDownLoadImgFinished);
}

CPublicManager::~CPublicManager()
{
    clearBooks();
    clearMemos();
    delete downloadMap;
}

QString CPublicManager::emptyClientUv()
{
    return QStringLiteral("0,0,0,0,0,0,0,0,0,0,0,0,0");
}

T_Book* CPublicManager::findBookByLocalId(int localBookId) const
{
    return firstWithLocalId(bookList, localBookId);
}

T_Book* CPublicManager::findBookByBookId(int bookId) const
{
    return firstWithBookId(bookList, bookId);
}

T_Book* CPublicManager::findRecycledBookByLocalId(int localBookId) const
{
    return firstWithLocalId(recycleBookList, localBookId);
}

T_Book* CPublicManager::findRecycledBookByBookId(int bookId) const
{
    return firstWithBookId(recycleBookList, bookId);
}

T_Book* CPublicManager::findAnyBookByLocalId(int localBookId) const
{
    T_Book* book = findBookByLocalId(localBookId);
    return book != nullptr ? book : findRecycledBookByLocalId(localBookId);
}

T_Book* CPublicManager::findAnyBookByBookId(int bookId) const
{
    T_Book* book = findBookByBookId(bookId);
    return book != nullptr ? book : findRecycledBookByBookId(bookId);
}

T_Chapter* CPublicManager::findChapter(int localBookId, int localChapterId) const
{
    const T_Book* book = findBookByLocalId(localBookId);
    return book ? book->findChapterByLocalId(localChapterId) : nullptr;
}

T_Volume* CPublicManager::findVolume(int localBookId, int localVolumeId) const
{
    const T_Book* book = findBookByLocalId(localBookId);
    return book ? book->findVolumeByLocalId(localVolumeId) : nullptr;
}

T_Chapter* CPublicManager::findAnyChapter(int localBookId, int localChapterId) const
{
    const T_Book* book = findAnyBookByLocalId(localBookId);
    return book ? book->findChapterByLocalId(localChapterId) : nullptr;
}

T_Volume* CPublicManager::findAnyVolume(int localBookId, int localVolumeId) const
{
    const T_Book* book = findAnyBookByLocalId(localBookId);
    return book ? book->findVolumeByLocalId(localVolumeId) : nullptr;
}

T_Memo* CPublicManager::findMemoByLocalId(int localMemoId) const
{
    return firstWithLocalId(memoList, localMemoId);
}

T_Memo* CPublicManager::findMemoByMemoId(int memoId) const
{
    for (T_Memo* memo : memoList) {
        if (memo->memoId == memoId)
            return memo;
    }
    return nullptr;
}

int CPublicManager::indexOfMemo(int localMemoId) const
{
    for (int i = 0; i < memoList.size(); ++i) {
        if (memoList.at(i)->localId == localMemoId)
            return i;
    }
    return -1;
}

T_Book* CPublicManager::addBook(const TC_Books_AddBook& request)
{
    if (request.header.localBookId < 1)
        return nullptr;
    auto* book = new T_Book(request.header.localBookId, request.bookName);
    book->bookId = request.header.bookId;
    book->authorId = userInfo.uid;
    book->createTime = request.createTime;
    book->localCover = request.localCover;
    book->isImporting = request.import;
    book->chaptersLoaded = true;
    bookList.prepend(book);
    return book;
}

void CPublicManager::moveBookToRecycle(int localBookId)
{
    T_Book* book = findBookByLocalId(localBookId);
    if (!book)
        return;
    bookList.removeOne(book);
    recycleBookList.append(book);
    announceBinChanged(0);
}

void CPublicManager::restoreRecycledBook(int localBookId)
{
    T_Book* book = findRecycledBookByLocalId(localBookId);
    if (!book)
        return;
    recycleBookList.removeOne(book);
    bookList.prepend(book);
    announceBinChanged(0);
}

void CPublicManager::deleteRecycledBook(int localBookId)
{
    T_Book* book = findRecycledBookByLocalId(localBookId);
    if (!book)
        return;
    recycleBookList.removeOne(book);
    delete book;
    announceBinChanged(0);
}

void CPublicManager::clearBooks()
{
    qDeleteAll(bookList);
    bookList.clear();
    qDeleteAll(recycleBookList);
    recycleBookList.clear();
}

bool CPublicManager::announceLeaving(int localBookId, int localChapterId)
{
    bool stored = true;
    emit sig_recordLeaving(localBookId, localChapterId, &stored);
    return stored;
}

void CPublicManager::announceLeft(int localBookId, int localChapterId)
{
    emit sig_recordLeft(localBookId, localChapterId);
}

void CPublicManager::announceBinChanged(int localBookId)
{
    emit sig_binChanged(localBookId);
}

T_Chapter* CPublicManager::addChapter(T_Book* book, const T_Http_Custom& header, int orderNum,
                                      const QString& chapterName, int updateTime)
{
    if (!book)
        return nullptr;
    auto* chapter = new T_Chapter;
    chapter->localId = header.localChapterId;
    chapter->chapterId = header.chapterId;
    chapter->localBookId = header.localBookId;
    chapter->bookId = header.bookId;
    chapter->localVolumeId = header.localVolumeId;
    chapter->volumeId = header.volumeId;
    chapter->orderNum = orderNum;
    chapter->name = chapterName;
    chapter->createTime = updateTime;
    chapter->status = 1;
    book->chapterCount += 1;
    book->updateTime = now();
    if (!book->chaptersLoaded) {
        // The chapter list will be read from the table when the book is
        // opened; the record has no owner here and goes at once.
        delete chapter;
        return nullptr;
    }
    book->chapterList.append(chapter);
    return chapter;
}

void CPublicManager::addBookSynCount(T_Book* book)
{
    if (!book)
        return;
    book->synCount += 1;
    book->isSyncing = true;
}

void CPublicManager::resetBookSynState(T_Book* book)
{
    if (!book)
        return;
    if (book->isImporting)
        CUiManager::instance()->setBookImporting(false);
    book->isSyncing = false;
    book->isImporting = false;
    book->synCount = 0;
    book->synDoneCount = 0;
}

void CPublicManager::resetAllBookSynState()
{
    for (int row = 0; row < bookList.size(); ++row) {
        T_Book* book = bookList.at(row);
        const bool shown = book->isSyncing || book->isImporting;
        resetBookSynState(book);
        // The shelf's tile would go on saying "syncing" after the pass.
        if (shown)
            CUiManager::instance()->updateBookItem(row);
    }
}

T_Memo* CPublicManager::addMemo(const TC_Memo_Add& request)
{
    if (request.header.localMemoId < 1)
        return nullptr;
    auto* memo = new T_Memo;
    memo->localId = request.header.localMemoId;
    memo->memoId = request.header.memoId;
    memo->color = request.color;
    memo->content = request.content;
    memo->updateTime = request.updateTime;
    memo->colorUpdateTime = request.updateTime;
    memoList.prepend(memo);
    return memo;
}

void CPublicManager::removeMemo(const TC_Memo_Del& request)
{
    if (request.header.localMemoId < 1)
        return;
    const int index = indexOfMemo(request.header.localMemoId);
    if (index >= 0)
        delete memoList.takeAt(index);
}

T_Memo* CPublicManager::memoOf(const T_Http_Custom& header) const
{
    return header.localMemoId < 1 ? nullptr : findMemoByLocalId(header.localMemoId);
}

T_Memo* CPublicManager::updateMemoColor(const TC_Memo_Edit& request)
{
    T_Memo* memo = memoOf(request.header);
    if (!memo)
        return nullptr;
    if (!request.color.isEmpty())
        memo->color = request.color;
    memo->updateTime = now();
    return memo;
}

T_Memo* CPublicManager::updateMemoContent(const TC_Memo_Edit& request)
{
    T_Memo* memo = memoOf(request.header);
    if (!memo)
        return nullptr;
    memo->content = request.content;
    memo->updateTime = now();
    memo->colorUpdateTime = memo->updateTime;
    return memo;
}

namespace {

void unpin(T_Memo* memo)
{
    memo->bookId = 0;
    memo->chapterId = 0;
    memo->localBookId = 0;
    memo->localChapterId = 0;
    memo->x = 0;
    memo->y = 0;
    memo->bookName.clear();
    memo->chapterName.clear();
    memo->isHold = false;
}

} // namespace

T_Memo* CPublicManager::updateMemoLocation(const TC_Memo_Edit& request)
{
    T_Memo* memo = memoOf(request.header);
    if (!memo)
        return nullptr;
    if (request.localBookId < 1 || request.localChapterId < 1) {
        unpin(memo);
    } else {
        memo->localBookId = request.localBookId;
        memo->localChapterId = request.localChapterId;
        memo->x = request.x;
        memo->y = request.y;
        memo->isHold = true;
        if (const T_Book* book = findBookByLocalId(request.localBookId)) {
            memo->bookName = book->bookName;
            memo->bookId = book->bookId;
            if (const T_Chapter* chapter = book->findChapterByLocalId(request.localChapterId)) {
                memo->chapterName = chapter->name;
                memo->chapterId = chapter->chapterId;
            }
        }
    }
    memo->updateTime = now();
    return memo;
}

T_Memo* CPublicManager::updateMemoFromServer(const TS_Memo_Detail& reply)
{
    T_Memo* memo = findMemoByMemoId(reply.id);
    if (!memo)
        return nullptr;
    memo->color = reply.color;
    memo->content = reply.content;
    memo->updateTime = reply.update_time;
    memo->colorUpdateTime = reply.color_update_time;
    if (reply.book_id < 1 || reply.chapter_id < 1) {
        // Unpinned elsewhere. One pinned to a chapter the platform has not
        // had yet cannot be told as pinned there, and stays.
        if (memo->chapterId >= 1) {
            unpin(memo);
        }
        return memo;
    }
    // A chapter of a book in the recycle bin holds its memos too.
    const T_Book* book = findAnyBookByBookId(reply.book_id);
    const T_Chapter* chapter = book ? book->findChapterByChapterId(reply.chapter_id) : nullptr;
    if (chapter) {
        memo->bookId = book->bookId;
        memo->localBookId = book->localId;
        memo->chapterId = chapter->chapterId;
        memo->localChapterId = chapter->localId;
        memo->bookName = book->bookName;
        memo->chapterName = chapter->name;
        memo->isHold = true;
    }
    return memo;
}

void CPublicManager::clearMemos()
{
    qDeleteAll(memoList);
    memoList.clear();
}

void CPublicManager::resetUser()
{
    userInfo = TS_Author_Info();
    userConf = T_UserConf();
}

void CPublicManager::applySysInfo(const T_SysInfo& info)
{
    lastLoginTime = info.lastLoginTime;
    maleCateCount = info.maleCateCount;
    femaleCateCount = info.femaleCateCount;
    updateType = info.updateType;
    updateChannel = info.updateChannel;
    updateVersion = info.updateVersion;
    updateVersionName = info.updateVersionName;
}

void CPublicManager::onDownLoadImgFinished(QNetworkReply* reply)
{
    if (reply->error() != QNetworkReply::NoError) {
        reply->deleteLater();
        return;
    }
    T_Download_Img* img = downloadMap->value(reply->url().toString(), nullptr);
    if (img) {
        img->data.append(reply->readAll());
        img->done = true;
    }
    emit sig_downloadImgFinished(img);
    reply->deleteLater();
}

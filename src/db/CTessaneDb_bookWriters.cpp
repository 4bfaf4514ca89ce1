// Writers of the book, volume and chapter tables.

#include "CTessaneDb.h"

#include "CTessaneDbTransaction.h"
#include "CTessaneDbTurns.h"
#include "common/ServerClock.h"
#include "db/DbRowHelpers.h"
#include "db/records/T_Book.h"
#include "remote/records/BookRecords.h"
#include "remote/records/VolumeRecords.h"

#include <QDebug>
#include <QSqlQuery>

namespace {
qint64 now()
{
    return currentServerTime();
}
} // namespace

// --- tb_book ---

bool CTessaneDb::insertBook(TC_Books_AddBook& request)
{
    // The shelf lists books by their last change, after a restart too: a
    // new book stands where the model puts it, in front.
    const qint64 created = now();
    const int id = execInsert(
        *this, sqlBind(QStringLiteral("insert into tb_book(authorId,bookName,createTime,updateTime,bookId,"
                                      "localCover) values(%1,%2,%3,%4,%5,%6);"),
                       {request.header.uid, request.bookName, created,
                        request.updateTime > 0 ? qint64(request.updateTime) : created, request.header.bookId,
                        request.localCover}));
    if (id < 1)
        return false;
    request.header.localBookId = id;
    return true;
}

bool CTessaneDb::updateBook(const T_Book* book)
{
    if (!book)
        return false;
    return execRowUpdate(
        *this,
        sqlBind(QStringLiteral("update tb_book set bookName = %1,cateId = %2,channelType = %3, "
                               "chapterCount = %4,coverUrl = %5,localCover = %6,intro = %7,"
                               "updateTime = %8,wordNum = %9,bookId = %10,cateFid = %11,"
                               "status = %12 where localId = %13;"),
                {book->bookName, book->cateId, book->channelType, book->chapterCount,
                 book->coverUrl, book->localCover, book->intro, book->updateTime, book->wordNum,
                 book->bookId, book->cateFid, book->status, book->localId}),
        "book", book->localId);
}

bool CTessaneDb::updateBookInfo(const T_Book* book)
{
    if (!book)
        return false;
    return execRowUpdate(
        *this,
        sqlBind(QStringLiteral("update tb_book set bookName = %1,cateId = %2,channelType = %3,intro = %4,"
                               "updateTime = %5,wordNum = %6,bookId = %7,cateFid = %8 where localId = %9;"),
                {book->bookName, book->cateId, book->channelType, book->intro, book->updateTime, book->wordNum,
                 book->bookId, book->cateFid, book->localId}),
        "book", book->localId);
}

bool CTessaneDb::updateBookCover(int localBookId, const QString& coverUrl, const QString& localCover)
{
    return execRowUpdate(*this,
                         sqlBind(QStringLiteral("update tb_book set coverUrl = %1,localCover = %2 where localId = %3;"),
                                 {coverUrl, localCover, localBookId}),
                         "book", localBookId);
}

bool CTessaneDb::updateBookLastEditChapter(int localBookId, int localChapterId)
{
    return execRowUpdate(*this,
                         sqlFormat(QStringLiteral("update tb_book set lastEditChapterId = %1,"
                                                  "updateTime = %2 where localId = %3;"),
                                   {localChapterId, now(), localBookId}),
                         "book", localBookId);
}

bool CTessaneDb::updateBookMoney(int localBookId, double money)
{
    return execRowUpdate(*this,
                         sqlFormat(QStringLiteral("update tb_book set money = %1 where "
                                                  "localId = %2"),
                                   {money, localBookId}),
                         "book", localBookId);
}

bool CTessaneDb::touchBook(int localBookId)
{
    // The shelf's order in the model is already the new one; the caller
    // tries again later rather than holding the window for the lock.
    const BriefWait brief(*this);
    QSqlQuery query = newQuery();
    if (!sqlExec(query, sqlFormat(QStringLiteral("update tb_book set updateTime = %1 where localId = %2;"),
                                  {now(), localBookId})))
        return false;
    if (query.numRowsAffected() > 0)
        return true;
    // Not a lock that a later try gets past.
    adoptFailure(QStringLiteral("book %1 has no row; nothing was written").arg(localBookId), DbFault::Other);
    qWarning().noquote() << lastError;
    return false;
}

bool CTessaneDb::deleteBook(const TC_Books_Delete_Hard& request)
{
    const int localBookId = request.header.localBookId;
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    // Versions and jobs of the book are left alone; its volumes are few,
    // and nothing names them once the book is gone.
    if (!exec(QStringLiteral("delete from tb_book where localId = %1"), {localBookId})
        || !exec(QStringLiteral("delete from tb_outline where localBookId = %1"), {localBookId})
        || !exec(QStringLiteral("delete from tb_volume where localBookId = %1"), {localBookId}))
        return false;
    return transaction.commit();
}

// --- tb_chapter, tb_chapter_text ---

bool CTessaneDb::storeChapterTextRow(int localChapterId, const QVariant& text)
{
    // UTF-8 bytes are stored as text as they are: SQLite converts nothing.
    QSqlQuery query = newQuery();
    return execBound(query,
                     QStringLiteral("insert or replace into tb_chapter_text(localId,content) "
                                    "values(?,cast(? as text));"),
                     {localChapterId, text});
}

bool CTessaneDb::insertChapter(T_Http_Custom& header, const QString& chapterName, int createTime,
                               int orderNum)
{
    const int id = execInsert(
        *this,
        sqlBind(QStringLiteral("insert into tb_chapter(localBookId,bookId,localVolumeId,volumeId,"
                               "name,createTime,orderNum,chapterId) "
                               "values(%1,%2,%3,%4,%5,%6,%7,%8);"),
                {header.localBookId, header.bookId, header.localVolumeId, header.volumeId,
                 chapterName, createTime, orderNum, header.chapterId}));
    if (id < 1)
        return false;
    header.localChapterId = id;
    return true;
}

bool CTessaneDb::insertChapterWithContent(T_Chapter* chapter)
{
    if (!chapter)
        return false;
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    const int id = execInsert(
        *this,
        sqlBind(QStringLiteral("insert into tb_chapter(localBookId,bookId,name,createTime,"
                               "orderNum,chapterId,wordCount,localVolumeId) "
                               "values(%1,%2,%3,%4,%5,%6,%7,%8);"),
                {chapter->localBookId, chapter->bookId, chapter->name, chapter->createTime,
                 chapter->orderNum, chapter->chapterId, chapter->wordCount, chapter->localVolumeId}));
    if (id < 1 || !storeChapterTextRow(id, chapter->content) || !transaction.commit())
        return false;
    chapter->localId = id;
    return true;
}

int CTessaneDb::insertChapterFromServer(int localBookId, int bookId, int localVolumeId,
                                        int volumeId, int chapterId, int orderNum,
                                        const QString& name, const QString& content)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return 0;
    const int id = execInsert(
        *this,
        sqlBind(QStringLiteral("insert into tb_chapter(localBookId,bookId,chapterId,orderNum,"
                               "name,wordCount,createTime,localVolumeId,volumeId) "
                               " values(%1,%2,%3,%4,%5,%6,%7,%8,%9)"),
                {localBookId, bookId, chapterId, orderNum, name, content.length(), now(), localVolumeId,
                 volumeId}));
    if (id < 1 || !storeChapterTextRow(id, content) || !transaction.commit())
        return 0;
    return id;
}

bool CTessaneDb::updateChapter(const T_Chapter* chapter)
{
    if (!chapter)
        return false;
    // A chapter that arrives recycled starts its time in the recycle bin now
    // (one recycled already keeps its time): without a time it would count
    // as expired and vanish from the next load.
    Transaction transaction(*this);
    return transaction.began()
        && execRowUpdate(
               *this,
               sqlBind(QStringLiteral("update tb_chapter set chapterId = %1,localBookId = %2,"
                                      "bookId = %3,orderNum = %4,name = %5,"
                                      "wordCount = %6,status = %7,createTime = %8,"
                                      "recycleTime = case when %7 != 0 then 0 when recycleTime > 0 "
                                      "then recycleTime else %10 end,"
                                      "writtenInBin = case when status = %7 then writtenInBin else 0 end "
                                      "where localId = %9"),
                       {chapter->chapterId, chapter->localBookId, chapter->bookId, chapter->orderNum,
                        chapter->name, chapter->wordCount, chapter->status, chapter->createTime,
                        chapter->localId, now()}),
               "chapter", chapter->localId)
        // A chapter whose text was never read here holds no text, not an
        // empty one: the stored text stays.
        && (!chapter->contentLoaded || storeChapterTextRow(chapter->localId, chapter->content))
        && transaction.commit();
}

bool CTessaneDb::updateChapterContent(const T_Chapter* chapter)
{
    if (!chapter)
        return false;
    Transaction transaction(*this);
    return transaction.began()
        && execRowUpdate(*this,
                         sqlFormat(QStringLiteral("update tb_chapter set wordCount = %1,updateTime = %2 "
                                                  "where localId = %3"),
                                   {chapter->wordCount, chapter->updateTime, chapter->localId}),
                         "chapter", chapter->localId)
        && storeChapterTextRow(chapter->localId, chapter->content) && transaction.commit();
}

bool CTessaneDb::updateChapterText(int localChapterId, const QByteArray& utf8Content, int wordCount, int updateTime)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    QSqlQuery query = newQuery();
    if (!execBound(query, QStringLiteral("update tb_chapter set wordCount = ?,updateTime = ? where localId = ?;"),
                   {wordCount, updateTime, localChapterId}))
        return false;
    if (query.numRowsAffected() < 1) {
        lastError = QStringLiteral("chapter %1 has no row; nothing was written").arg(localChapterId);
        qWarning().noquote() << lastError;
        return false;
    }
    return storeChapterTextRow(localChapterId, utf8Content) && transaction.commit();
}

bool CTessaneDb::updateChapterName(const T_Chapter* chapter)
{
    if (!chapter)
        return false;
    return execRowUpdate(*this,
                         sqlBind(QStringLiteral("update tb_chapter set name = %1 where "
                                                "localId = %2"),
                                 {chapter->name, chapter->localId}),
                         "chapter", chapter->localId);
}

bool CTessaneDb::updateChapterStatus(const T_Chapter* chapter)
{
    if (!chapter)
        return false;
    const qint64 recycleTime = chapter->status == 0 ? now() : 0;
    return execRowUpdate(
        *this,
        sqlFormat(QStringLiteral("update tb_chapter set orderNum = %1,status = %2,recycleTime=%3,"
                                 "volumeId=%4,localVolumeId=%5,"
                                 "writtenInBin = case when status = %2 then writtenInBin else 0 end "
                                 "where localId = %6;"),
                  {chapter->orderNum, chapter->status, recycleTime, chapter->volumeId,
                   chapter->localVolumeId, chapter->localId}),
        "chapter", chapter->localId);
}

bool CTessaneDb::setChapterWrittenInBin(int localChapterId, bool written)
{
    return execRowUpdate(*this,
                         sqlFormat(QStringLiteral("update tb_chapter set writtenInBin = %1 where localId = %2 "
                                                  "and status = 0;"),
                                   {written ? 1 : 0, localChapterId}),
                         "chapter", localChapterId);
}

bool CTessaneDb::shiftChapterOrder(int localBookId, int localVolumeId, int fromOrderNum,
                                   int delta)
{
    return exec(QStringLiteral("update tb_chapter set orderNum = orderNum + %1 where "
                               "localBookId = %2 and localVolumeId = %3 and orderNum >= %4"),
                {delta, localBookId, localVolumeId, fromOrderNum});
}

bool CTessaneDb::shiftChapterOrderByServerIds(int bookId, int volumeId, int fromOrderNum,
                                              int delta)
{
    // Server id 0 is shared by everything not yet on the platform.
    if (bookId < 1 || volumeId < 1)
        return false;
    return exec(QStringLiteral("update tb_chapter set orderNum = orderNum + %1 where "
                               "bookId = %2 and volumeId = %3 and orderNum >= %4"),
                {delta, bookId, volumeId, fromOrderNum});
}

bool CTessaneDb::updateChapterVolumeId(int localVolumeId, int volumeId)
{
    // Server id 0 would attach every chapter not yet on the platform.
    if (volumeId < 1)
        return false;
    return updateItemById(QStringLiteral("tb_chapter"), QStringLiteral("volumeId"), volumeId,
                          QStringLiteral("localVolumeId"), localVolumeId);
}

bool CTessaneDb::deleteChapter(int localChapterId)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    if (!exec(QStringLiteral("delete from tb_chapter where localId = %1;"), {localChapterId}))
        return false;
    // A create that may have reached the platform stays for the delete
    // that follows it.
    if (!exec(QStringLiteral("delete from tb_job where localChapterId = %1 "
                             "and not (jobType = %2 and sent <> 0);"),
              {localChapterId, TessaneJob::ChapterAdd}))
        return false;
    return transaction.commit();
}

// --- tb_volume ---

bool CTessaneDb::insertVolume(TC_Volume_Add& request)
{
    const T_Http_Custom& header = request.header;
    const int id = execInsert(
        *this,
        sqlBind(QStringLiteral("insert into tb_volume(localBookId,bookId,volumeName,createTime,"
                               "orderNum,volumeId,status) values(%1,%2,%3,%4,%5,%6,%7);"),
                {header.localBookId, header.bookId, request.volumeName, request.updateTime,
                 request.orderNum, header.volumeId, request.status}));
    if (id < 1)
        return false;
    request.header.localVolumeId = id;
    return true;
}

bool CTessaneDb::insertVolumeFromServer(T_Volume* volume)
{
    if (!volume)
        return false;
    const int id = execInsert(
        *this,
        sqlBind(QStringLiteral("insert into tb_volume(localBookId,bookId,volumeName,createTime,"
                               "orderNum,volumeId,status) values(%1,%2,%3,%4,%5,%6,%7);"),
                {volume->localBookId, volume->bookId, volume->volumeName, volume->createTime,
                 volume->orderNum, volume->volumeId, volume->status}));
    if (id < 1)
        return false;
    volume->localId = id;
    return true;
}

bool CTessaneDb::updateVolumeName(const T_Volume* volume)
{
    if (!volume)
        return false;
    return execRowUpdate(*this,
                         sqlBind(QStringLiteral("update tb_volume set volumeName = %1 where "
                                                "localId = %2"),
                                 {volume->volumeName, volume->localId}),
                         "volume", volume->localId);
}

bool CTessaneDb::updateVolumeOrder(const T_Volume* volume)
{
    if (!volume)
        return false;
    return execRowUpdate(*this,
                         sqlFormat(QStringLiteral("update tb_volume set orderNum = %1 where "
                                                  "localId = %2"),
                                   {volume->orderNum, volume->localId}),
                         "volume", volume->localId);
}

bool CTessaneDb::updateVolumeStatus(const TC_Volume_Delete& request)
{
    const int localVolumeId = request.header.localVolumeId;
    return execRowUpdate(*this,
                         sqlFormat(QStringLiteral("update tb_volume set status = %1 where "
                                                  "localId = %2"),
                                   {request.type, localVolumeId}),
                         "volume", localVolumeId);
}

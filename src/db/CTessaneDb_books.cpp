// Loading the author's books, volumes, chapters and outlines.

#include "CTessaneDb.h"

#include "common/ServerClock.h"
#include "db/DbRowHelpers.h"
#include "db/records/T_Book.h"

#include <QDebug>
#include <QSet>
#include <QSqlQuery>

namespace {

// A recycled chapter stays in the recycle bin, and in memory, this long.
constexpr qint64 kRecycleKeepSeconds = 2592000;

template <typename T>
void releaseAll(QList<T*>& list)
{
    qDeleteAll(list);
    list.clear();
}

} // namespace

bool CTessaneDb::getBooks(int authorId, QList<T_Book*>& bookList,
                          QList<T_Book*>& recycleBookList)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const QString statement = sqlFormat(
        QStringLiteral("select localId,bookId,bookName,cateId,cateFid,channelType,chapterCount,"
                       "coverUrl,localCover,intro,wordNum,createTime,updateTime,authorId,"
                       "lastEditChapterId,orderType,money,status from tb_book where authorId = %1 "
                       "and localId not in (select localBookId from tb_import) "
                       "order by updateTime desc;"),
        {authorId});
    if (!sqlExec(query, statement))
        return false;

    QList<T_Book*> shelf;
    QList<T_Book*> recycled;
    const DbColumns cols(query);
    const int cLocalId = cols.index("localId"), cBookId = cols.index("bookId"),
              cName = cols.index("bookName"), cCateId = cols.index("cateId"),
              cCateFid = cols.index("cateFid"), cChannel = cols.index("channelType"),
              cChapterCount = cols.index("chapterCount"), cCoverUrl = cols.index("coverUrl"),
              cLocalCover = cols.index("localCover"), cIntro = cols.index("intro"),
              cWordNum = cols.index("wordNum"), cCreate = cols.index("createTime"),
              cUpdate = cols.index("updateTime"), cAuthor = cols.index("authorId"),
              cLastEdit = cols.index("lastEditChapterId"), cOrderType = cols.index("orderType"),
              cMoney = cols.index("money"), cStatus = cols.index("status");
    while (query.next()) {
        auto* book = new T_Book;
        book->localId = DbColumns::toInt(query, cLocalId);
        book->bookId = DbColumns::toInt(query, cBookId);
        book->bookName = DbColumns::toText(query, cName).trimmed();
        book->cateId = DbColumns::toInt(query, cCateId);
        book->cateFid = DbColumns::toInt(query, cCateFid);
        book->channelType = DbColumns::toInt(query, cChannel);
        book->chapterCount = DbColumns::toInt(query, cChapterCount);
        book->coverUrl = DbColumns::toText(query, cCoverUrl);
        book->localCover = DbColumns::toText(query, cLocalCover);
        book->intro = DbColumns::toText(query, cIntro);
        book->wordNum = DbColumns::toInt(query, cWordNum);
        book->createTime = DbColumns::toInt(query, cCreate);
        book->updateTime = DbColumns::toInt(query, cUpdate);
        book->authorId = DbColumns::toInt(query, cAuthor);
        book->lastEditChapterId = DbColumns::toInt(query, cLastEdit);
        book->orderType = DbColumns::toInt(query, cOrderType);
        book->money = DbColumns::toDouble(query, cMoney);
        book->status = DbColumns::toInt(query, cStatus);
        (book->status == 1 ? shelf : recycled).append(book);
    }
    query.finish();

    // The whole load stands or falls together: a book shown without the
    // chapters it has would invite edits against a wrong picture.
    bool ok = true;
    for (QList<T_Book*>* list : {&shelf, &recycled}) {
        for (T_Book* book : qAsConst(*list)) {
            if (book->localId < 1) {
                qWarning() << "book row without a local id skipped:" << book->bookName;
                continue;
            }
            ok = ok && getVolumes(book) && getChapters(book) && getOutlines(book);
            if (!ok)
                break;
            book->calcWordCount();
        }
    }
    if (!ok) {
        releaseAll(shelf);
        releaseAll(recycled);
        return false;
    }
    releaseAll(bookList);
    releaseAll(recycleBookList);
    bookList = shelf;
    recycleBookList = recycled;
    return true;
}

bool CTessaneDb::getVolumes(T_Book* book)
{
    if (!book || book->localId <= 0)
        return false;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select localId,volumeId,localBookId,bookId,"
                                                 "orderNum,status,volumeName,createTime from "
                                                 "tb_volume where localBookId = %1 order by "
                                                 "orderNum ASC"),
                                  {book->localId})))
        return false;
    const DbColumns cols(query);
    const int cLocalId = cols.index("localId"), cVolumeId = cols.index("volumeId"),
              cLocalBookId = cols.index("localBookId"), cBookId = cols.index("bookId"),
              cOrder = cols.index("orderNum"), cStatus = cols.index("status"),
              cName = cols.index("volumeName"), cCreate = cols.index("createTime");
    QList<T_Volume*> volumes;
    while (query.next()) {
        auto* volume = new T_Volume;
        volume->localId = DbColumns::toInt(query, cLocalId);
        volume->volumeId = DbColumns::toInt(query, cVolumeId);
        volume->localBookId = DbColumns::toInt(query, cLocalBookId);
        volume->bookId = DbColumns::toInt(query, cBookId);
        volume->orderNum = DbColumns::toInt(query, cOrder);
        volume->status = DbColumns::toInt(query, cStatus);
        volume->volumeName = DbColumns::toText(query, cName);
        volume->createTime = DbColumns::toInt(query, cCreate);
        volumes.append(volume);
    }
    releaseAll(book->volumeList);
    book->volumeList = volumes;
    return true;
}

bool CTessaneDb::getChapters(T_Book* book)
{
    if (!book || book->localId <= 0)
        return false;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // The text is left out on purpose: it is read when a chapter is shown.
    if (!sqlExec(query, sqlFormat(QStringLiteral("select localId,chapterId,localBookId,bookId,"
                                                 "localVolumeId,volumeId,orderNum,name,wordCount,"
                                                 "status,createTime,updateTime,recycleTime,writtenInBin from "
                                                 "tb_chapter where localBookId = %1 order by "
                                                 "orderNum ASC"),
                                  {book->localId})))
        return false;

    const qint64 now = currentServerTime();
    QSet<int> volumes;
    for (const T_Volume* v : qAsConst(book->volumeList))
        volumes.insert(v->localId);
    int orphans = 0;
    int expired = 0;

    const DbColumns cols(query);
    const int cLocalId = cols.index("localId"), cChapterId = cols.index("chapterId"),
              cLocalBookId = cols.index("localBookId"), cBookId = cols.index("bookId"),
              cLocalVolumeId = cols.index("localVolumeId"), cVolumeId = cols.index("volumeId"),
              cOrder = cols.index("orderNum"), cName = cols.index("name"),
              cWords = cols.index("wordCount"), cStatus = cols.index("status"),
              cCreate = cols.index("createTime"), cUpdate = cols.index("updateTime"),
              cRecycle = cols.index("recycleTime"), cWritten = cols.index("writtenInBin");
    QList<T_Chapter*> live;
    QList<T_Chapter*> recycled;
    while (query.next()) {
        const int status = DbColumns::toInt(query, cStatus);
        const int recycleTime = DbColumns::toInt(query, cRecycle);
        if (status == 0 && now - static_cast<qint64>(recycleTime) >= kRecycleKeepSeconds) {
            ++expired;
            continue;
        }
        auto* chapter = new T_Chapter;
        chapter->localId = DbColumns::toInt(query, cLocalId);
        chapter->chapterId = DbColumns::toInt(query, cChapterId);
        chapter->localBookId = DbColumns::toInt(query, cLocalBookId);
        chapter->bookId = DbColumns::toInt(query, cBookId);
        chapter->localVolumeId = DbColumns::toInt(query, cLocalVolumeId);
        chapter->volumeId = DbColumns::toInt(query, cVolumeId);
        chapter->orderNum = DbColumns::toInt(query, cOrder);
        chapter->name = DbColumns::toText(query, cName).trimmed();
        chapter->wordCount = DbColumns::toInt(query, cWords);
        chapter->status = status;
        chapter->createTime = DbColumns::toInt(query, cCreate);
        chapter->updateTime = DbColumns::toInt(query, cUpdate);
        chapter->recycleTime = recycleTime;
        chapter->writtenInBin = status == 0 && DbColumns::toInt(query, cWritten) != 0;
        if (!volumes.contains(chapter->localVolumeId))
            ++orphans;
        (status != 0 ? live : recycled).append(chapter);
    }
    if (orphans > 0)
        qWarning() << "book" << book->localId << "has" << orphans
                   << "chapters whose volume is gone; they stay loaded";
    if (expired > 0)
        qDebug() << "book" << book->localId << ":" << expired
                 << "chapters recycled 30 days ago or more are not loaded";

    // Only the chapters are replaced: the book's outlines stay as they are.
    QSet<T_Chapter*> old;
    for (T_Chapter* c : qAsConst(book->chapterList))
        old.insert(c);
    for (T_Chapter* c : qAsConst(book->recycleChapterList))
        old.insert(c);
    qDeleteAll(old);
    book->chapterList = live;
    book->recycleChapterList = recycled;
    book->chaptersLoaded = true;
    return true;
}

bool CTessaneDb::getChapterContent(T_Chapter* chapter)
{
    if (!chapter || chapter->localId <= 0)
        return false;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select ") + chapterTextColumn()
                                      + QStringLiteral(" from tb_chapter c left join tb_chapter_text t "
                                                       "on t.localId = c.localId where c.localId = %1;"),
                                  {chapter->localId})))
        return false;
    if (!query.next()) {
        qWarning() << "chapter" << chapter->localId << "has no row; its text stays unloaded";
        return false;
    }
    chapter->content = query.value(0).toString();
    chapter->contentLoaded = true;
    return true;
}

// Replies to book jobs, fed to the handler as the platform would send them:
// lists merged, conflict copies, progress, and replies that name objects
// they were not asked about or lack members.

#include "BooksFixture.h"

#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CSynDataManager.h"

#include <memory>
#include <QJsonArray>
#include <QTest>

namespace {
T_Http_Custom identityOf(const T_Book* book, int jobType)
{
    T_Http_Custom identity;
    identity.uid = StandinServer::demoUid();
    identity.jobType = jobType;
    identity.localBookId = book->localId;
    identity.bookId = book->bookId;
    return identity;
}

QJsonObject menuEntry(int bookId, int chapterId, const QString& name, int order, int volumeId, int status = 1)
{
    return {{QStringLiteral("book_id"), bookId}, {QStringLiteral("chapter_id"), chapterId},
            {QStringLiteral("chapter_name"), name}, {QStringLiteral("order_num"), order},
            {QStringLiteral("volume_id"), volumeId}, {QStringLiteral("status"), status}};
}
}

class BookRepliesTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_f = std::make_unique<BooksFixture>();
        QVERIFY(m_f->up());
    }
    void cleanup() { m_f.reset(); }
    void chapterListMergesAndStopsAtUnknownVolume();
    void conflictCopiesAreInsertedWithRoomMade();
    void volumeListAddsAndRenames();
    void bookAddReplyForAnotherBookIsIgnored();
    void outlineIdForForeignOutlineIsIgnored();
    void chapterTextWithoutContentKeepsTheText();
    void bookInformationFallsBackForUnknownCategory();
    void progressClearsAfterTheLastChange();

private:
    std::unique_ptr<BooksFixture> m_f;
};

void BookRepliesTest::chapterListMergesAndStopsAtUnknownVolume()
{
    T_Book* book = m_f->onlineBook(QStringLiteral("目录"));
    QVERIFY(book);
    T_Chapter* known = book->chapterList.first();
    const QString oldName = known->name;
    const int volumeId = book->volumeList.first()->volumeId;
    CSynDataManager* feed = CSynDataManager::instance();
    feed->clear();

    const QJsonObject menu{
        {QStringLiteral("menu"),
         QJsonArray{menuEntry(book->bookId, known->chapterId, QStringLiteral("改了"), 7, volumeId),
                    menuEntry(book->bookId, 990001, QStringLiteral("新'章'%1"), 2, volumeId),
                    menuEntry(book->bookId, 990002, QStringLiteral("别卷"), 3, 777777),
                    menuEntry(book->bookId, 990003, QStringLiteral("之后"), 4, volumeId)}}};
    const QByteArray body = BooksFixture::reply(identityOf(book, 1012), menu);
    CBookJobManager::instance()->asynBack(1012, book->localId, body);

    QCOMPARE(known->orderNum, 7);
    QCOMPARE(known->name, oldName); // the list never renames
    const T_Chapter* added = book->findChapterByChapterId(990001);
    QVERIFY(added);
    QCOMPARE(added->name, QStringLiteral("新'章'%1"));
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select name from tb_chapter where chapterId = 990001")).toString(),
             QStringLiteral("新'章'%1"));
    QVERIFY(book->findChapterByChapterId(990002) == nullptr);
    QVERIFY(book->findChapterByChapterId(990003) == nullptr); // after the stop
    QVERIFY(feed->hasSynItem(9, book->bookId, 990001));
    QCOMPARE(feed->pendingItems(), 1);

    CBookJobManager::instance()->asynBack(1012, book->localId, body);
    QCOMPARE(feed->pendingItems(), 1); // no second fetch of the same chapter
    feed->clear();
}

void BookRepliesTest::conflictCopiesAreInsertedWithRoomMade()
{
    T_Book* book = m_f->onlineBook(QStringLiteral("冲突"));
    QVERIFY(book);
    T_Chapter* original = book->chapterList.first();
    const int volumeId = book->volumeList.first()->volumeId;
    const QJsonObject content{
        {QStringLiteral("book_id"), book->bookId},
        {QStringLiteral("chapter_id"), original->chapterId},
        {QStringLiteral("volume_id"), volumeId},
        {QStringLiteral("chapter_copy"),
         QJsonArray{QJsonObject{{QStringLiteral("chapter_id"), 991001}, {QStringLiteral("chapter_name"), QStringLiteral("副本一")},
                                {QStringLiteral("content"), QStringLiteral("甲乙 丙")}, {QStringLiteral("order_num"), 1}},
                    QJsonObject{{QStringLiteral("chapter_id"), 991002}, {QStringLiteral("chapter_name"), QStringLiteral("副本二")},
                                {QStringLiteral("content"), QStringLiteral("丁")}, {QStringLiteral("order_num"), 2}},
                    QJsonObject{{QStringLiteral("chapter_id"), original->chapterId}, {QStringLiteral("chapter_name"), QStringLiteral("x")},
                                {QStringLiteral("content"), QStringLiteral("x")}, {QStringLiteral("order_num"), 1}},
                    QJsonObject{{QStringLiteral("chapter_id"), 991003}, {QStringLiteral("order_num"), 1}}}}};
    T_Http_Custom identity = identityOf(book, 1017);
    identity.localChapterId = original->localId;
    identity.chapterId = original->chapterId;
    CBookJobManager::instance()->asynBack(1017, book->localId, BooksFixture::reply(identity, content));

    QCOMPARE(book->chapterList.size(), 3);
    const T_Chapter* first = book->findChapterByChapterId(991001);
    const T_Chapter* second = book->findChapterByChapterId(991002);
    QVERIFY(first && second);
    QVERIFY(book->findChapterByChapterId(991003) == nullptr); // members missing
    QCOMPARE(first->orderNum, 1);
    QCOMPARE(second->orderNum, 2);
    QCOMPARE(original->orderNum, 3);
    QCOMPARE(first->wordCount, 3);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select orderNum from tb_chapter where localId = %1")
                                      .arg(original->localId)).toInt(),
             3);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select content from tb_chapter where chapterId = 991002")).toString(),
             QStringLiteral("丁"));
}

void BookRepliesTest::volumeListAddsAndRenames()
{
    T_Book* book = m_f->onlineBook(QStringLiteral("卷目录"));
    QVERIFY(book);
    T_Volume* known = book->volumeList.first();
    const QJsonArray list{
        QJsonObject{{QStringLiteral("id"), known->volumeId}, {QStringLiteral("book_id"), book->bookId},
                    {QStringLiteral("order_num"), 2}, {QStringLiteral("status"), 1}, {QStringLiteral("volume_name"), QStringLiteral("改'名")}},
        QJsonObject{{QStringLiteral("id"), 992001}, {QStringLiteral("book_id"), book->bookId},
                    {QStringLiteral("order_num"), 1}, {QStringLiteral("status"), 1}, {QStringLiteral("volume_name"), QStringLiteral("新卷")}},
        QJsonObject{{QStringLiteral("id"), 992002}, {QStringLiteral("book_id"), book->bookId + 1},
                    {QStringLiteral("order_num"), 3}, {QStringLiteral("status"), 1}, {QStringLiteral("volume_name"), QStringLiteral("别人的")}}};
    CBookJobManager::instance()->asynBack(1030, book->localId, BooksFixture::reply(identityOf(book, 1030), list));
    QCOMPARE(known->volumeName, QStringLiteral("改'名"));
    QCOMPARE(known->orderNum, 2);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select volumeName from tb_volume where localId = %1").arg(known->localId)).toString(),
             QStringLiteral("改'名"));
    const T_Volume* added = book->findVolumeByVolumeId(992001);
    QVERIFY(added && added->localId > 0);
    QVERIFY(book->findVolumeByVolumeId(992002) == nullptr);
}

void BookRepliesTest::bookAddReplyForAnotherBookIsIgnored()
{
    T_Book* one = m_f->offlineBook(QStringLiteral("甲"));
    T_Book* two = m_f->offlineBook(QStringLiteral("乙"));
    QVERIFY(one && two);
    T_Http_Custom identity = identityOf(one, 1002);
    const QJsonObject content{{QStringLiteral("book_id"), 993001}, {QStringLiteral("local_id"), two->localId}};
    CBookJobManager::instance()->asynBack(1002, one->localId, BooksFixture::reply(identity, content));
    QCOMPARE(one->bookId, 0);
    QCOMPARE(two->bookId, 0);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select count(*) from tb_book where bookId = 993001")).toInt(), 0);

    const QJsonObject mine{{QStringLiteral("book_id"), 993002}, {QStringLiteral("local_id"), one->localId}};
    CBookJobManager::instance()->asynBack(1002, one->localId, BooksFixture::reply(identity, mine, 400));
    QCOMPARE(one->bookId, 0); // refused: nothing stored
    CBookJobManager::instance()->asynBack(1002, one->localId, BooksFixture::reply(identity, mine));
    QCOMPARE(one->bookId, 993002);
    QCOMPARE(one->chapterList.first()->bookId, 993002);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select bookId from tb_chapter where localId = %1")
                                      .arg(one->chapterList.first()->localId)).toInt(),
             993002);
}

void BookRepliesTest::outlineIdForForeignOutlineIsIgnored()
{
    T_Book* one = m_f->offlineBook(QStringLiteral("甲纲"));
    T_Book* two = m_f->offlineBook(QStringLiteral("乙纲"));
    QVERIFY(one && two);
    TC_BookOutline_Create create(0, two->localId, 0, 0, 1, 1, 1700000000, QStringLiteral("t"), QStringLiteral("c"));
    QVERIFY(CBookJobManager::instance()->outline_create(create));
    const QJsonObject content{{QStringLiteral("local_id"), create.localOutlineId},
                              {QStringLiteral("book_id"), 0}, {QStringLiteral("outline_id"), 994001}};
    CBookJobManager::instance()->asynBack(1022, one->localId, BooksFixture::reply(identityOf(one, 1022), content));
    QCOMPARE(two->findOutlineByLocalId(create.localOutlineId)->outlineId, 0);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select outlineId from tb_outline where localId = %1")
                                      .arg(create.localOutlineId)).toInt(),
             0);
    CBookJobManager::instance()->asynBack(1022, two->localId, BooksFixture::reply(identityOf(two, 1022), content));
    QCOMPARE(two->findOutlineByLocalId(create.localOutlineId)->outlineId, 994001);
}

void BookRepliesTest::chapterTextWithoutContentKeepsTheText()
{
    T_Book* book = m_f->onlineBook(QStringLiteral("正文"));
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.first();
    chapter->content = QStringLiteral("作者的字");
    chapter->contentLoaded = true;
    T_Http_Custom identity = identityOf(book, 1013);
    const QJsonObject partial{{QStringLiteral("book_id"), book->bookId}, {QStringLiteral("chapter_id"), chapter->chapterId},
                              {QStringLiteral("chapter_name"), QStringLiteral("服务器名'%1'")}};
    CBookJobManager::instance()->asynBack(1013, book->localId, BooksFixture::reply(identity, partial));
    QCOMPARE(chapter->content, QStringLiteral("作者的字"));
    QCOMPARE(chapter->name, QStringLiteral("服务器名'%1'"));

    const QJsonObject foreign{{QStringLiteral("book_id"), book->bookId + 1}, {QStringLiteral("chapter_id"), chapter->chapterId},
                              {QStringLiteral("content"), QStringLiteral("别的书")}};
    CBookJobManager::instance()->asynBack(1013, book->localId, BooksFixture::reply(identity, foreign));
    QCOMPARE(chapter->content, QStringLiteral("作者的字"));

    const QJsonObject full{{QStringLiteral("book_id"), book->bookId}, {QStringLiteral("chapter_id"), chapter->chapterId},
                           {QStringLiteral("content"), QStringLiteral("新的字")}, {QStringLiteral("word_count"), 3}};
    CBookJobManager::instance()->asynBack(1013, book->localId, BooksFixture::reply(identity, full));
    QCOMPARE(chapter->content, QStringLiteral("新的字"));
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select content from tb_chapter where localId = %1").arg(chapter->localId)).toString(),
             QStringLiteral("新的字"));
}

void BookRepliesTest::bookInformationFallsBackForUnknownCategory()
{
    T_Book* book = m_f->onlineBook(QStringLiteral("信息"));
    QVERIFY(book);
    const QJsonObject info{{QStringLiteral("author_id"), StandinServer::demoUid()}, {QStringLiteral("book_id"), book->bookId},
                           {QStringLiteral("book_name"), QStringLiteral("信'息'%1")}, {QStringLiteral("cate_id"), 123456},
                           {QStringLiteral("channel_type"), 1}, {QStringLiteral("cover"), QString()},
                           {QStringLiteral("intro"), QStringLiteral("简介")}, {QStringLiteral("word_num"), 42}};
    CBookJobManager::instance()->asynBack(1004, book->localId, BooksFixture::reply(identityOf(book, 1004), info));
    QCOMPARE(book->cateFid, 1234);
    QCOMPARE(book->bookName, QStringLiteral("信'息'%1"));
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select bookName from tb_book where localId = %1").arg(book->localId)).toString(),
             QStringLiteral("信'息'%1"));

    QJsonObject other = info;
    other.insert(QStringLiteral("book_id"), book->bookId + 1);
    other.insert(QStringLiteral("book_name"), QStringLiteral("别的"));
    CBookJobManager::instance()->asynBack(1004, book->localId, BooksFixture::reply(identityOf(book, 1004), other));
    QCOMPARE(book->bookName, QStringLiteral("信'息'%1"));
}

void BookRepliesTest::progressClearsAfterTheLastChange()
{
    T_Book* book = m_f->offlineBook(QStringLiteral("进度"));
    QVERIFY(book);
    book->isSyncing = true;
    book->synCount = 3;
    const QByteArray body = BooksFixture::reply(identityOf(book, 1010), QJsonObject());
    CBookJobManager::instance()->asynBack(1010, book->localId, body);
    CBookJobManager::instance()->asynBack(1010, book->localId, body);
    QVERIFY(book->isSyncing);
    QCOMPARE(book->synDoneCount, 2);
    CBookJobManager::instance()->asynBack(1010, book->localId, body);
    QVERIFY(!book->isSyncing);
    QCOMPARE(book->synCount, 0);
    CBookJobManager::instance()->asynBack(1010, book->localId, body);
    QCOMPARE(book->synDoneCount, 0); // not syncing: nothing counted
}

int runBookReplyTests(int argc, char** argv)
{
    BookRepliesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_BookReplies.moc"

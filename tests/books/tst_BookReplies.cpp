// Replies to book jobs, fed to the handler as the platform would send them:
// conflict copies, chapter text, and replies that name objects
// they were not asked about or lack members.

#include "BooksFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"

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
    void conflictCopiesAreInsertedWithRoomMade();
    void bookAddReplyForAnotherBookIsIgnored();
    void chapterTextWithoutContentKeepsTheText();

private:
    std::unique_ptr<BooksFixture> m_f;
};

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
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select content from tb_chapter left join tb_chapter_text using (localId) where chapterId = 991002")).toString(),
             QStringLiteral("丁"));
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

void BookRepliesTest::chapterTextWithoutContentKeepsTheText()
{
    T_Book* book = m_f->onlineBook(QStringLiteral("正文"));
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.first();
    const auto storedText = [chapter]() {
        return BooksFixture::scalar(QStringLiteral("select content from tb_chapter_text where localId = %1").arg(chapter->localId))
            .toString();
    };
    // Its text stored but not read yet, as after a start.
    chapter->content = QStringLiteral("作者的字");
    QVERIFY(CTessaneDb::instance()->updateChapterContent(chapter));
    chapter->content.clear();
    chapter->contentLoaded = false;
    T_Http_Custom identity = identityOf(book, 1013);
    const QJsonObject partial{{QStringLiteral("book_id"), book->bookId}, {QStringLiteral("chapter_id"), chapter->chapterId},
                              {QStringLiteral("chapter_name"), QStringLiteral("服务器名'%1'")}};
    CBookJobManager::instance()->asynBack(1013, book->localId, BooksFixture::reply(identity, partial));
    QCOMPARE(storedText(), QStringLiteral("作者的字"));
    chapter->content = QStringLiteral("作者的字");
    chapter->contentLoaded = true;
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
    QCOMPARE(storedText(), QStringLiteral("新的字"));
}

int runBookReplyTests(int argc, char** argv)
{
    BookRepliesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_BookReplies.moc"

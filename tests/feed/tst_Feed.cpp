// The change feed: items for objects the client does not have, hostile and
// refused pull replies, and the author's unsent words never overwritten by a
// remote version.

#include "BookOrder.h"
#include "FeedFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {
const QString kPull = QStringLiteral("/synchronization/synBookData");
const QString kAck = QStringLiteral("/synchronization/synAuthor");
const QString kContent = QStringLiteral("/chapter/chapter");
const QString kUpdate = QStringLiteral("/synchronization/appVersion");
}

class FeedTest : public QObject
{
    Q_OBJECT
private slots:
    void itemsForUnknownObjectsAndHostileExtrasAreSkipped();
    void refusedPullIsNoEmptyFeed();
    void remoteTextNeverOverwritesAPendingLocalChange();
    void chapterListFromThePlatformSetsTheChapterOrder();
    void bookMemoAndOutlineTextsArriveWithoutControlCharacters();
};

void FeedTest::itemsForUnknownObjectsAndHostileExtrasAreSkipped()
{
    JobsFixture f;
    QVERIFY(f.seed());
    SeededBook book;
    QVERIFY(seedDemoBook(book));
    const QString notJson = QStringLiteral("{not json");
    const QJsonArray ids = standin().pushFeed(
        StandinServer::demoUid(),
        {feedItem(3, 999, 0), feedItem(4, 999, 1, notJson), feedItem(6, 5001, 123456), feedItem(7, 5001, 123456),
         feedItem(8, 999, 9001), feedItem(9, 5001, 123456), feedItem(11, 999, 9001), feedItem(16, 0, 424242),
         feedItem(17, 0, 424242), feedItem(23, 5001, 424242), feedItem(26, 5001, 424242, notJson),
         feedItem(28, 5001, 424242), feedItem(29, 5001, 7001), feedItem(30, 5001, 0), feedItem(31, 999, 0),
         feedItem(19, 5001, 0, QStringLiteral("{\"cids\":\"1;drop table tb_job\"}")),
         feedItem(15, 0, -4, notJson)});
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());
    // A memo changed elsewhere that this machine never had is asked for
    // (the platform has none of that id), and so is the book's volume list
    // for a volume restored elsewhere; so is the book deleted for good while
    // live here, which the platform still has (its cover comes along, in
    // its own time).
    const QString cover = QStringLiteral("/img/cover.png");
    QTRY_VERIFY_WITH_TIMEOUT(JobsFixture::paths().contains(cover), 15000);
    QStringList paths = JobsFixture::paths();
    QCOMPARE(paths.removeAll(cover), 1);
    QCOMPARE(paths, (QStringList{kPull, QStringLiteral("/memo/memoDetail"), QStringLiteral("/volume/volumeList"),
                                 QStringLiteral("/books/bookinfo"), kAck}));
    QCOMPARE(acknowledgedIds(), QList<int>{ids.last().toInt()});
    // The local copy is as it was.
    QCOMPARE(chapterRows(book.localBookId), 2);
    QCOMPARE(storedChapterText(book.localChapter1), QStringLiteral("本地第一章"));
    QVERIFY(CPublicManager::instance()->findBookByBookId(5001) != nullptr);
    QVERIFY(f.jobIds().isEmpty());
}

void FeedTest::refusedPullIsNoEmptyFeed()
{
    JobsFixture f;
    QVERIFY(f.seed());
    standin().pushFeed(StandinServer::demoUid(), {feedItem(14, 0, 0)});
    QVERIFY(standin().addFault(kPull, QStringLiteral("code500"), 0, 1));
    QVERIFY(f.start());
    QTRY_COMPARE_WITH_TIMEOUT(JobsFixture::requestsTo(kPull).size(), 1, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(CUiManager::instance()->syncRunning(), 0, 15000);
    QTest::qWait(200);
    QVERIFY(acknowledgedIds().isEmpty());
    QVERIFY(JobsFixture::requestsTo(kUpdate).isEmpty());
    QCOMPARE(storeFeedSize(), 1);
}

void FeedTest::remoteTextNeverOverwritesAPendingLocalChange()
{
    JobsFixture f;
    QVERIFY(f.seed());
    SeededBook book;
    QVERIFY(seedDemoBook(book));
    standin().pushFeed(StandinServer::demoUid(), {feedItem(9, 5001, 9001)});
    // While the remote text is on its way, the author saves here.
    QVERIFY(standin().addFault(kContent, QStringLiteral("ok"), 1500, 1));
    QVERIFY(f.start());
    QTRY_COMPARE_WITH_TIMEOUT(JobsFixture::requestsTo(kContent).size(), 1, 15000);
    const QString mine = QStringLiteral("作者刚写的字，还没发出去");
    {
        CTessaneDb* db = CTessaneDb::instance();
        T_Chapter chapter;
        chapter.localId = book.localChapter1;
        chapter.content = mine;
        chapter.contentLoaded = true;
        QVERIFY(db->updateChapterContent(&chapter));
        QVERIFY(f.addJob(1016, mine, book.localBookId, 5001, book.localChapter1, 9001, book.localVolumeId, 7001) > 0);
        if (T_Book* shelf = CPublicManager::instance()->findBookByBookId(5001)) {
            if (T_Chapter* loaded = shelf->findChapterByChapterId(9001)) {
                loaded->content = mine;
                loaded->contentLoaded = true;
            }
        }
    }
    QVERIFY(waitForPassEnd());

    // The author's words stay where they were, still waiting to go.
    QCOMPARE(storedChapterText(book.localChapter1), mine);
    QVERIFY(jobTypesOfChapter(book.localChapter1).contains(1017)
            || jobTypesOfChapter(book.localChapter1).contains(1016));
    // The remote version is a chapter of its own, recorded to reach the platform.
    QCOMPARE(chapterRows(book.localBookId), 3);
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    QVERIFY(query.exec(QStringLiteral("select localId,content,orderNum from tb_chapter left join tb_chapter_text using (localId) where localBookId = %1 "
                                      "and localId not in (%2,%3);")
                           .arg(book.localBookId)
                           .arg(book.localChapter1)
                           .arg(book.localChapter2)));
    QVERIFY(query.next());
    const int copy = query.value(0).toInt();
    QVERIFY(!query.value(1).toString().isEmpty());
    QVERIFY(query.value(1).toString() != mine);
    QCOMPARE(query.value(2).toInt(), 2);
    QCOMPARE(jobTypesOfChapter(copy).first(), 1008);
    QCOMPARE(jobTypesOfChapter(copy).size(), 2);
    // Its successor moved down to make room.
    QSqlQuery second = CTessaneDb::instance()->newQuery();
    QVERIFY(second.exec(QStringLiteral("select orderNum from tb_chapter where localId = %1;").arg(book.localChapter2)));
    QVERIFY(second.next());
    QCOMPARE(second.value(0).toInt(), 3);
    QCOMPARE(acknowledgedIds().size(), 1);
}

void FeedTest::chapterListFromThePlatformSetsTheChapterOrder()
{
    JobsFixture f;
    QVERIFY(f.seed());
    SeededBook book;
    QVERIFY(seedDemoBook(book));
    // Here the two chapters stand the other way round; the platform has
    // 第一章 first.
    QSqlQuery swap = CTessaneDb::instance()->newQuery();
    QVERIFY(swap.exec(QStringLiteral("update tb_chapter set orderNum = 3 - orderNum where localBookId = %1")
                          .arg(book.localBookId)));
    standin().pushFeed(StandinServer::demoUid(), {feedItem(5, 5001, 0)});
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());
    QSqlQuery order = CTessaneDb::instance()->newQuery();
    QVERIFY(order.exec(QStringLiteral("select chapterId from tb_chapter where localBookId = %1 order by orderNum")
                           .arg(book.localBookId)));
    QList<int> ids;
    while (order.next())
        ids.append(order.value(0).toInt());
    QCOMPARE(ids, (QList<int>{9001, 9002}));
    const T_Book* shelf = CPublicManager::instance()->findBookByBookId(5001);
    QVERIFY(shelf != nullptr);
    QCOMPARE(shelf->findChapterByChapterId(9001)->orderNum, 1);
    QCOMPARE(shelf->findChapterByChapterId(9002)->orderNum, 2);
}

namespace {
QStringList storedRow(const QString& sql)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (!query.exec(sql) || !query.next())
        return {QStringLiteral("<no row>")};
    QStringList values;
    for (int i = 0; i < query.record().count(); ++i)
        values.append(query.value(i).toString());
    return values;
}

QStringList memoRow(int memoId)
{
    return storedRow(QStringLiteral("select content from tb_memo where memoId = %1;").arg(memoId));
}

QStringList outlineRow(int outlineId)
{
    return storedRow(QStringLiteral("select title, content from tb_outline where outlineId = %1;").arg(outlineId));
}

// The client started anew pulls the feed the platform holds now.
bool pullAgain(JobsFixture& f)
{
    return standin().clearJournal() && f.restart() && waitForPassEnd();
}
}

void FeedTest::bookMemoAndOutlineTextsArriveWithoutControlCharacters()
{
    JobsFixture f;
    QVERIFY(f.seed());
    SeededBook book;
    QVERIFY(seedDemoBook(book));
    const QString dirty = QStringLiteral("伏\u0001笔\u0000一\t二\n三");
    const QString clean = QStringLiteral("伏笔一\t二\n三");
    const int memoId = platformCall(QStringLiteral("/memo/addMemo"),
                                    {{QStringLiteral("content"), dirty}, {QStringLiteral("color"), QStringLiteral("#FFFFFF")},
                                     {QStringLiteral("update_time"), 1700000000}})
                           .value(QStringLiteral("memo_id"))
                           .toInt();
    const auto addOutline = [&]() {
        return platformCall(QStringLiteral("/bookoutline/addOutline"),
                            {{QStringLiteral("book_id"), 5001}, {QStringLiteral("type"), 1},
                             {QStringLiteral("title"), dirty}, {QStringLiteral("content"), dirty},
                             {QStringLiteral("update_time"), 1700000000}})
            .value(QStringLiteral("outline_id"))
            .toInt();
    };
    const int first = addOutline();
    QVERIFY(memoId > 0 && first > 0);
    const QJsonObject extra{{QStringLiteral("outline_id"), first}, {QStringLiteral("type"), 1},
                            {QStringLiteral("order_num"), 2}, {QStringLiteral("title"), dirty},
                            {QStringLiteral("content"), dirty}};
    standin().pushFeed(StandinServer::demoUid(),
                       {feedItem(15, 0, memoId),
                        feedItem(21, 5001, first, QString::fromUtf8(QJsonDocument(extra).toJson(QJsonDocument::Compact)))});
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());
    QTRY_COMPARE_WITH_TIMEOUT(memoRow(memoId), QStringList{clean}, 10000);
    QCOMPARE(outlineRow(first), (QStringList{clean, clean}));

    // An outline's detail, edited elsewhere.
    const QString edited = QStringLiteral("改\u0001过");
    const QStringList editedRow{QStringLiteral("改过"), QStringLiteral("改过")};
    QVERIFY(!platformCall(QStringLiteral("/bookoutline/editOutline"),
                          {{QStringLiteral("outline_id"), first}, {QStringLiteral("title"), edited},
                           {QStringLiteral("content"), edited}, {QStringLiteral("update_time"), 1700000001}})
                 .isEmpty());
    standin().pushFeed(StandinServer::demoUid(), {feedItem(22, 5001, first)});
    QVERIFY(pullAgain(f));
    QTRY_COMPARE_WITH_TIMEOUT(outlineRow(first), editedRow, 10000);

    // The book's outline list: one known here, one new.
    const int second = addOutline();
    QVERIFY(second > 0);
    standin().pushFeed(StandinServer::demoUid(), {feedItem(24, 5001, 0)});
    QVERIFY(pullAgain(f));
    QTRY_COMPARE_WITH_TIMEOUT(outlineRow(second), (QStringList{clean, clean}), 10000);
    QCOMPARE(outlineRow(first), editedRow);

    // One deleted elsewhere goes here and is not deleted back.
    QVERIFY(!platformCall(QStringLiteral("/bookoutline/delOutline"), {{QStringLiteral("outline_id"), second}}).isEmpty());
    QVERIFY(pullAgain(f));
    QTRY_COMPARE_WITH_TIMEOUT(outlineRow(second), QStringList{QStringLiteral("<no row>")}, 10000);
    QCOMPARE(f.jobIds(), QList<int>());

    // The book's name and introduction, edited elsewhere with a bell.
    QVERIFY(!platformCall(QStringLiteral("/books/editBook"),
                          {{QStringLiteral("book_id"), 5001}, {QStringLiteral("book_name"), QStringLiteral("书\u0007名")},
                           {QStringLiteral("intro"), dirty}, {QStringLiteral("channel_type"), 1},
                           {QStringLiteral("update_time"), 1700000002}})
                 .isEmpty());
    standin().pushFeed(StandinServer::demoUid(), {feedItem(2, 5001, 0)});
    QVERIFY(pullAgain(f));
    QTRY_COMPARE_WITH_TIMEOUT(storedRow(QStringLiteral("select bookName, intro from tb_book where bookId = 5001;")),
                              (QStringList{QStringLiteral("书名"), clean}), 10000);
}

int runFeedTests(int argc, char** argv)
{
    FeedTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Feed.moc"

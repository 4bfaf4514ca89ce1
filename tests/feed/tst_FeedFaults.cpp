// The change feed never sticks and never shuts changes out: chapters of
// volumes this copy lacks, items that cannot be applied, repeated and
// out-of-order items, jobs that keep failing; moves confirmed at once; a data
// set with a bad row still stored; a new machine brought the author's work.

#include "FeedFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CSynDataManager.h"
#include "manager/CUiManager.h"
#include "remote/records/BookRecords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>

namespace {
const QString kPull = QStringLiteral("/synchronization/synBookData");
const QString kEdit = QStringLiteral("/chapter/editChapter");
const QString kVolumes = QStringLiteral("/volume/volumeList");
const QString kCate = QStringLiteral("/books/getCate");

QVariant sql(const QString& statement)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (!query.exec(statement) || !query.next())
        return QVariant();
    return query.value(0);
}

QString json(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString volumeName(const QString& name)
{
    return json({{QStringLiteral("volume_name"), name}});
}

QString chapterExtra(const QString& name, int order, int volumeId)
{
    return json({{QStringLiteral("chapter_name"), name}, {QStringLiteral("order_num"), order},
                 {QStringLiteral("create_time"), 1700000000}, {QStringLiteral("volume_id"), volumeId}});
}

QString volume7001()
{
    return sql(QStringLiteral("select volumeName from tb_volume where volumeId = 7001")).toString();
}

// A change made on the platform by another machine of the demo author.
bool changeElsewhere(const QString& path, const QJsonObject& body)
{
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(standin().baseUrl() + path));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
    request.setRawHeader("Authorization", "Bearer " + StandinServer::demoToken());
    QNetworkReply* reply = manager.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
    QSignalSpy done(reply, &QNetworkReply::finished);
    const bool ok = done.wait(10000) && reply->error() == QNetworkReply::NoError
                    && QJsonDocument::fromJson(reply->readAll()).object().value(QStringLiteral("code")).toInt() == 200;
    delete reply;
    return ok;
}

// Volume 7001 as another machine renamed it: the feed's item says so, the
// platform's list gives the name.
bool renamedElsewhere(const QString& name)
{
    return changeElsewhere(QStringLiteral("/volume/editVolume"), {{QStringLiteral("book_id"), 5001},
                                                                  {QStringLiteral("id"), 7001},
                                                                  {QStringLiteral("volume_name"), name}});
}

QString platformText(int chapterId)
{
    for (const QJsonValue& value : standin().store().value(QStringLiteral("chapters")).toArray()) {
        if (value.toObject().value(QStringLiteral("chapter_id")).toInt() == chapterId)
            return value.toObject().value(QStringLiteral("content")).toString();
    }
    return QString();
}
}

class FeedFaultTest : public QObject
{
    Q_OBJECT
private slots:
    void chapterOfAnUnknownVolumeFetchesTheVolumesAndTheFeedMovesOn();
    void itemThatCannotBeAppliedIsPassedOverAndGivenUpTheSecondTime();
    void repeatedAndOutOfOrderItemsAreAppliedOnceAndTheHighestAcknowledged();
    void itemsOfABookInTheRecycleBinFindItThere();
    void itemWhoseDataThePlatformKeepsRefusingIsGivenUp();
    void jobThatKeepsFailingDoesNotShutOutTheFeed();
    void chapterArrivingRecycledStaysInTheRecycleBin();
    void relativeMoveIsTakenOffTheQueueAtOnce_data();
    void relativeMoveIsTakenOffTheQueueAtOnce();
    void moveOfAnObjectThatIsGoneHoldsNothingBack_data();
    void moveOfAnObjectThatIsGoneHoldsNothingBack();
    void categoryListWithARepeatedIdIsStoredWithoutIt();
    void newMachineReceivesTheAuthorsExistingWork();
};

void FeedFaultTest::chapterOfAnUnknownVolumeFetchesTheVolumesAndTheFeedMovesOn()
{
    JobsFixture f;
    QVERIFY(f.seed());
    // The book is here, its volume not yet.
    TC_Books_AddBook book(QStringLiteral("示例作品"), 1700000000, 1700000000, QString());
    book.header.uid = StandinServer::demoUid();
    book.header.bookId = 5001;
    QVERIFY(CTessaneDb::instance()->insertBook(book));
    QVERIFY(renamedElsewhere(QStringLiteral("上卷")));
    const QJsonArray ids = standin().pushFeed(
        StandinServer::demoUid(),
        {feedItem(4, 5001, 9001, chapterExtra(QStringLiteral("第一章 渡口"), 1, 7001)), feedItem(9, 5001, 9001),
         // A volume the platform does not list: the chapter list places it.
         feedItem(4, 5001, 9002, chapterExtra(QStringLiteral("第二章 远行"), 2, 99999)),
         feedItem(26, 5001, 7001, volumeName(QStringLiteral("上卷")))});
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());

    QCOMPARE(JobsFixture::requestsTo(kVolumes).size(), 1);
    const int localVolume = sql(QStringLiteral("select localId from tb_volume where volumeId = 7001")).toInt();
    QVERIFY(localVolume > 0);
    QCOMPARE(volume7001(), QStringLiteral("上卷"));
    QCOMPARE(sql(QStringLiteral("select localVolumeId from tb_chapter where chapterId = 9001")).toInt(), localVolume);
    QCOMPARE(sql(QStringLiteral("select content from tb_chapter left join tb_chapter_text using (localId) where chapterId = 9001")).toString(),
             platformText(9001));
    QCOMPARE(sql(QStringLiteral("select localVolumeId from tb_chapter where chapterId = 9002")).toInt(), localVolume);
    QCOMPARE(sql(QStringLiteral("select count(*) from tb_chapter")).toInt(), 2);
    QCOMPARE(acknowledgedIds(), QList<int>{ids.last().toInt()});
    QCOMPARE(storeFeedSize(), 0);
    QVERIFY(f.jobIds().isEmpty());
}

void FeedFaultTest::itemThatCannotBeAppliedIsPassedOverAndGivenUpTheSecondTime()
{
    JobsFixture f;
    QVERIFY(f.seed());
    SeededBook book;
    QVERIFY(seedDemoBook(book));
    // The local store refuses this one chapter, whatever happens.
    QSqlQuery trigger = CTessaneDb::instance()->newQuery();
    QVERIFY(trigger.exec(QStringLiteral("CREATE TRIGGER refuse_chapter BEFORE INSERT ON tb_chapter "
                                        "WHEN NEW.name = '拒收的章' BEGIN SELECT RAISE(ABORT, 'refused'); END;")));
    QVERIFY(renamedElsewhere(QStringLiteral("改过的卷名")));
    const QJsonArray ids = standin().pushFeed(
        StandinServer::demoUid(), {feedItem(4, 5001, 424242, chapterExtra(QStringLiteral("拒收的章"), 3, 7001)),
                                   feedItem(26, 5001, 7001, volumeName(QStringLiteral("改过的卷名")))});
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());
    // The item behind it is applied; both come again with the next pull.
    QCOMPARE(volume7001(), QStringLiteral("改过的卷名"));
    QCOMPARE(storeFeedSize(), 2);

    CJobManager::instance()->synNow(true);
    QVERIFY(waitForPassEnd(2));
    QCOMPARE(storeFeedSize(), 0);
    QCOMPARE(acknowledgedIds().last(), ids.last().toInt());
    QCOMPARE(chapterRows(book.localBookId), 2);
    QCOMPARE(CUiManager::instance()->syncRunning(), 0);
}

void FeedFaultTest::repeatedAndOutOfOrderItemsAreAppliedOnceAndTheHighestAcknowledged()
{
    JobsFixture f;
    QVERIFY(f.seed());
    SeededBook book;
    QVERIFY(seedDemoBook(book));
    QVERIFY(renamedElsewhere(QStringLiteral("乙")));
    const QJsonArray items{pulledItem(53, 7, 0, 0), pulledItem(52, 26, 5001, 7001, volumeName(QStringLiteral("乙"))),
                           pulledItem(0, 4, 5001, 0, QStringLiteral("{}")), pulledItem(0, 9, 5001, 0), pulledItem(51, 14, 0, 0),
                           pulledItem(52, 26, 5001, 7001, volumeName(QStringLiteral("丙")))};
    QVERIFY(standin().addFault(kPull, QStringLiteral("raw"), 0, 1,
                               platformReply(3010, StandinServer::demoUid(), items)));
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());
    QCOMPARE(volume7001(), QStringLiteral("乙"));
    QCOMPARE(acknowledgedIds(), QList<int>{53});
    QCOMPARE(chapterRows(book.localBookId), 2);
}

// The book lies in this machine's recycle bin: its add, pulled again, makes
// no second book, and a memo pinned elsewhere to one of its chapters is
// pinned to that chapter here too.
void FeedFaultTest::itemsOfABookInTheRecycleBinFindItThere()
{
    JobsFixture f;
    QVERIFY(f.seed());
    SeededBook book;
    QVERIFY(seedDemoBook(book));
    QVERIFY(CTessaneDb::instance()->newQuery().exec(QStringLiteral("update tb_book set status = 0")));
    QVERIFY(changeElsewhere(QStringLiteral("/memo/editMemo"),
                            {{QStringLiteral("memo_id"), 13001}, {QStringLiteral("book_id"), 5001},
                             {QStringLiteral("chapter_id"), 9001}, {QStringLiteral("update_time"), 1700000100}}));
    standin().pushFeed(StandinServer::demoUid(), {feedItem(1, 5001, 0, json({{QStringLiteral("book_name"), QStringLiteral("示例作品")}})),
                                                  feedItem(16, 0, 13001)});
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());
    QCOMPARE(sql(QStringLiteral("select count(*) from tb_book")).toInt(), 1);
    QCOMPARE(sql(QStringLiteral("select localChapterId from tb_memo where memoId = 13001")).toInt(), book.localChapter1);
}

void FeedFaultTest::itemWhoseDataThePlatformKeepsRefusingIsGivenUp()
{
    JobsFixture f;
    QVERIFY(f.seed());
    SeededBook book;
    QVERIFY(seedDemoBook(book));
    QVERIFY(renamedElsewhere(QStringLiteral("后来改的")));
    const QJsonArray ids = standin().pushFeed(
        StandinServer::demoUid(), {feedItem(9, 5001, 9001), feedItem(26, 5001, 7001, volumeName(QStringLiteral("后来改的")))});
    QVERIFY(standin().addFault(QStringLiteral("/chapter/chapter"), QStringLiteral("http500"), 0, -1));
    QVERIFY(f.start());
    for (int pass = 1; pass <= CSynDataManager::kFetchTries; ++pass) {
        // Each failed fetch ends its pass without acknowledging anything.
        QTRY_COMPARE_WITH_TIMEOUT(JobsFixture::requestsTo(QStringLiteral("/chapter/chapter")).size(), pass, 15000);
        QTRY_COMPARE_WITH_TIMEOUT(CUiManager::instance()->syncRunning(), 0, 15000);
        QCOMPARE(storeFeedSize(), 2);
        CJobManager::instance()->synNow(true);
    }
    QVERIFY(waitForPassEnd());
    QCOMPARE(JobsFixture::requestsTo(QStringLiteral("/chapter/chapter")).size(), CSynDataManager::kFetchTries);
    QCOMPARE(volume7001(), QStringLiteral("后来改的"));
    QCOMPARE(storedChapterText(book.localChapter1), QStringLiteral("本地第一章"));
    QCOMPARE(acknowledgedIds(), QList<int>{ids.last().toInt()});
    QCOMPARE(storeFeedSize(), 0);
}

void FeedFaultTest::jobThatKeepsFailingDoesNotShutOutTheFeed()
{
    JobsFixture f;
    QVERIFY(f.seed());
    SeededBook book;
    QVERIFY(seedDemoBook(book));
    const int stuck = f.addJob(1016, QStringLiteral("平台总是拒收的字"), book.localBookId, 5001, book.localChapter2, 9002,
                               book.localVolumeId, 7001);
    QVERIFY(standin().addFault(kEdit, QStringLiteral("http500"), 0, -1));
    QVERIFY(renamedElsewhere(QStringLiteral("别处改的")));
    const QJsonArray ids =
        standin().pushFeed(StandinServer::demoUid(), {feedItem(26, 5001, 7001, volumeName(QStringLiteral("别处改的")))});
    QSignalSpy indicator(CUiManager::instance(), &CUiManager::sig_SyncAnimation);
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());
    // The synchronisation is not reported as a success while a change waits.
    QVERIFY(!indicator.isEmpty());
    QCOMPARE(indicator.last().at(0).toBool(), false);
    QCOMPARE(indicator.last().at(1).toBool(), false);
    QCOMPARE(JobsFixture::requestsTo(kEdit).size(), 1);
    QCOMPARE(volume7001(), QStringLiteral("别处改的"));
    QCOMPARE(acknowledgedIds(), QList<int>{ids.first().toInt()});
    // The author's change is still waiting, with its text.
    QCOMPARE(f.jobIds(), QList<int>{stuck});
    QCOMPARE(storedChapterText(book.localChapter2), QStringLiteral("本地第二章"));
}

void FeedFaultTest::chapterArrivingRecycledStaysInTheRecycleBin()
{
    JobsFixture f;
    QVERIFY(f.seed());
    SeededBook book;
    QVERIFY(seedDemoBook(book));
    // Edited and then recycled elsewhere: the text arrives with the recycled state.
    QVERIFY(changeElsewhere(QStringLiteral("/chapter/recycle"),
                            {{QStringLiteral("chapter_id"), 9002}, {QStringLiteral("status"), 0},
                             {QStringLiteral("update_time"), 1700000100}}));
    standin().pushFeed(StandinServer::demoUid(), {feedItem(9, 5001, 9002)});
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());
    QCOMPARE(sql(QStringLiteral("select status from tb_chapter where chapterId = 9002")).toInt(), 0);

    // The next start still has it, in the recycle bin.
    QVERIFY(f.restart());
    QVERIFY(waitForPassEnd(2));
    const T_Book* shelf = CPublicManager::instance()->findBookByBookId(5001);
    QVERIFY(shelf != nullptr);
    const T_Chapter* chapter = shelf->findChapterByChapterId(9002);
    QVERIFY(chapter != nullptr);
    QCOMPARE(chapter->status, 0);
    QCOMPARE(shelf->recycleChapterList.size(), 1);
}

void FeedFaultTest::relativeMoveIsTakenOffTheQueueAtOnce_data()
{
    QTest::addColumn<int>("jobType");
    QTest::addColumn<QString>("path");
    QTest::newRow("chapter") << 1018 << QStringLiteral("/chapter/move");
    QTest::newRow("outline") << 1027 << QStringLiteral("/bookoutline/move");
    QTest::newRow("volume") << 1034 << QStringLiteral("/volume/move");
}

void FeedFaultTest::relativeMoveIsTakenOffTheQueueAtOnce()
{
    QFETCH(int, jobType);
    QFETCH(QString, path);
    JobsFixture f;
    QVERIFY(f.seed());
    SeededBook book;
    QVERIFY(seedDemoBook(book));
    QJsonObject content;
    if (jobType == 1018)
        content = {{QStringLiteral("localFromChapterId"), book.localChapter2},
                   {QStringLiteral("localToChapterId"), book.localChapter1},
                   {QStringLiteral("localFromVolumeId"), book.localVolumeId},
                   {QStringLiteral("localToVolumeId"), book.localVolumeId},
                   {QStringLiteral("direction"), 1}};
    else if (jobType == 1027)
        content = {{QStringLiteral("from_localId"), 1}, {QStringLiteral("to_localId"), 1},
                   {QStringLiteral("outlineId_from"), 11001}, {QStringLiteral("outlineId_to"), 11001}};
    else
        content = {{QStringLiteral("localFromVolumeId"), book.localVolumeId},
                   {QStringLiteral("localToVolumeId"), book.localVolumeId}};
    const int move = f.addJob(jobType, json(content), book.localBookId, 5001);
    const int edit = f.addChapterSave(book.localChapter1, 9001, QStringLiteral("正文"));
    QVERIFY(move > 0 && edit > move);
    // The next request is slow: the move's row must be gone while it is out,
    // not half a second later.
    QVERIFY(standin().addFault(kEdit, QStringLiteral("ok"), 3000, 1));
    QVERIFY(f.start());
    QTRY_COMPARE_WITH_TIMEOUT(JobsFixture::requestsTo(kEdit).size(), 1, 15000);
    QCOMPARE(f.jobIds(), QList<int>{edit});
    QVERIFY(JobsFixture::waitForPull());
    QVERIFY(f.jobIds().isEmpty());
    QCOMPARE(JobsFixture::requestsTo(path).size(), 1);
}

void FeedFaultTest::moveOfAnObjectThatIsGoneHoldsNothingBack_data()
{
    QTest::addColumn<QString>("gone");
    QTest::newRow("chapter") << "chapter";
    // Deleted here before its create reached the platform: it never gets an id.
    QTest::newRow("outline dragged, never sent") << "outline";
    QTest::newRow("outline dragged onto, never sent") << "outline onto";
}

// A move stored for an object deleted since can never be sent: it leaves the
// queue, and the volume delete made after it goes. A book's outline list
// follows the platform's order again.
void FeedFaultTest::moveOfAnObjectThatIsGoneHoldsNothingBack()
{
    QFETCH(QString, gone);
    JobsFixture f;
    QVERIFY(f.seed());
    SeededBook book;
    QVERIFY(seedDemoBook(book));
    const bool chapter = gone == QLatin1String("chapter");
    const bool onto = gone.endsWith(QLatin1String("onto"));
    if (chapter) {
        const QJsonObject content{{QStringLiteral("localFromChapterId"), book.localChapter2 + 100},
                                  {QStringLiteral("localToChapterId"), book.localChapter1},
                                  {QStringLiteral("localFromVolumeId"), book.localVolumeId},
                                  {QStringLiteral("localToVolumeId"), book.localVolumeId},
                                  {QStringLiteral("direction"), 1}};
        QVERIFY(f.addJob(1018, json(content), book.localBookId, 5001) > 0);
    } else {
        const QJsonObject content{{QStringLiteral("from_localId"), onto ? 1 : 99},
                                  {QStringLiteral("to_localId"), onto ? 99 : 1},
                                  {QStringLiteral("outlineId_from"), onto ? 11001 : 0},
                                  {QStringLiteral("outlineId_to"), onto ? 0 : 11001}};
        QVERIFY(f.addJob(1027, json(content), book.localBookId, 5001) > 0);
    }
    QVERIFY(f.addJob(1033, QStringLiteral("0"), book.localBookId, 5001, 0, 0, book.localVolumeId, 7001) > 0);
    QVERIFY(f.start());
    QVERIFY(JobsFixture::waitForPull());
    QTRY_VERIFY_WITH_TIMEOUT(f.jobIds().isEmpty(), 15000);
    QCOMPARE(JobsFixture::requestsTo(QStringLiteral("/volume/recycle")).size(), 1);
    QCOMPARE(JobsFixture::requestsTo(chapter ? QStringLiteral("/chapter/move") : QStringLiteral("/bookoutline/move")).size(),
             0);
    if (!chapter) {
        QTRY_VERIFY_WITH_TIMEOUT(!JobsFixture::requestsTo(QStringLiteral("/bookoutline/outlineList")).isEmpty(), 15000);
        return;
    }
    // Nor is a new one recorded.
    TC_Chapter_Move again;
    again.header.localBookId = book.localBookId;
    again.localFromChapterId = book.localChapter2 + 100;
    again.localToChapterId = book.localChapter1;
    again.localFromVolumeId = again.localToVolumeId = book.localVolumeId;
    QVERIFY(!CJobManager::instance()->chapter_move(again));
    QVERIFY(f.jobIds().isEmpty());
}

void FeedFaultTest::categoryListWithARepeatedIdIsStoredWithoutIt()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QSqlQuery stored = CTessaneDb::instance()->newQuery();
    QVERIFY(stored.exec(QStringLiteral("update tb_sys set cateVersion = 1;")));
    QVERIFY(standin().setVersions({{QStringLiteral("cateVersion"), 2}}));
    const auto category = [](int id, const QString& name, const QJsonArray& children = QJsonArray()) {
        return QJsonObject{{QStringLiteral("cate_id"), id}, {QStringLiteral("cate_name"), name},
                           {QStringLiteral("children"), children}};
    };
    const QJsonObject tree{
        {QStringLiteral("version"), 2},
        {QStringLiteral("male"),
         QJsonArray{category(1000, QStringLiteral("玄幻"),
                             {category(1001, QStringLiteral("东方玄幻")), category(1001, QStringLiteral("重复"))}),
                    category(1000, QStringLiteral("重复的顶")),
                    category(1100, QStringLiteral("都市"), {category(1101, QStringLiteral("都市生活"))})}},
        {QStringLiteral("female"),
         QJsonArray{category(2000, QStringLiteral("古代言情"), {category(2001, QStringLiteral("宫闱宅斗"))})}}};
    QVERIFY(standin().addFault(kCate, QStringLiteral("raw"), 0, 1, platformReply(2002, 0, tree)));
    QVERIFY(f.start());
    QTRY_COMPARE_WITH_TIMEOUT(sql(QStringLiteral("select cateVersion from tb_sys")).toInt(), 2, 15000);
    QCOMPARE(sql(QStringLiteral("select count(*) from tb_cate")).toInt(), 6);
    QCOMPARE(sql(QStringLiteral("select cateName from tb_cate where cateId = 1000")).toString(), QStringLiteral("玄幻"));
    QCOMPARE(sql(QStringLiteral("select maleCateCount from tb_sys")).toInt(), 2);
    QCOMPARE(sql(QStringLiteral("select childCount from tb_cate where cateId = 1000")).toInt(), 1);

    // Stored for good: the next start asks for nothing.
    QVERIFY(JobsFixture::waitForPull());
    QVERIFY(f.restart());
    QVERIFY(JobsFixture::waitForPull(2));
    QCOMPARE(JobsFixture::requestsTo(kCate).size(), 1);
    QCOMPARE(CPublicManager::instance()->cateList.male.items.size(), 2);
}

void FeedFaultTest::newMachineReceivesTheAuthorsExistingWork()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(standin().setDeviceWelcome(true));
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());

    T_Book* book = CPublicManager::instance()->findBookByBookId(5001);
    QVERIFY(book != nullptr);
    QCOMPARE(book->bookName, QStringLiteral("示例作品"));
    const int localBook = book->localId;
    const int localVolume = sql(QStringLiteral("select localId from tb_volume where volumeId = 7001")).toInt();
    QVERIFY(localVolume > 0);
    QCOMPARE(sql(QStringLiteral("select count(*) from tb_chapter where localBookId = %1 and localVolumeId = %2")
                     .arg(localBook)
                     .arg(localVolume))
                 .toInt(),
             2);
    QVERIFY(!platformText(9001).isEmpty());
    QCOMPARE(sql(QStringLiteral("select content from tb_chapter left join tb_chapter_text using (localId) where chapterId = 9001")).toString(), platformText(9001));
    QCOMPARE(sql(QStringLiteral("select title from tb_outline where outlineId = 11001")).toString(), QStringLiteral("主线"));
    QCOMPARE(sql(QStringLiteral("select content from tb_memo where memoId = 13001")).toString(),
             QStringLiteral("记得回收渡口的伏笔"));
    QCOMPARE(storeFeedSize(), 0);
    QVERIFY(f.jobIds().isEmpty());

    // The same machine again is no new one: nothing more arrives.
    QVERIFY(f.restart());
    QVERIFY(waitForPassEnd(2));
    QCOMPARE(acknowledgedIds().size(), 1);
    QCOMPARE(sql(QStringLiteral("select count(*) from tb_chapter")).toInt(), 2);
    QCOMPARE(sql(QStringLiteral("select count(*) from tb_book")).toInt(), 1);
}

int runFeedFaultTests(int argc, char** argv)
{
    FeedFaultTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_FeedFaults.moc"

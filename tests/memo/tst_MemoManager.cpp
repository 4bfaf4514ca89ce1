// The memo operations: model, rows, jobs and requests kept in step; offline
// changes queued and replayed; changes from the platform applied without a
// job; texts with quotes and placeholders kept as typed.

#include "FeedFixture.h"
#include "MemoFixture.h"

#include "common/ServerClock.h"
#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Memo.h"
#include "manager/CJobManager.h"
#include "manager/CMemoManager.h"
#include "manager/CPublicManager.h"
#include "remote/CTessaneHttp.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

namespace {
const QString kAdd = QStringLiteral("/memo/addMemo");
const QString kDel = QStringLiteral("/memo/delMemo");
const QString kEdit = QStringLiteral("/memo/editMemo");
const QString kDetail = QStringLiteral("/memo/memoDetail");

int now()
{
    return static_cast<int>(currentServerTime());
}

TC_Memo_Edit editOf(const T_Memo* memo)
{
    return TC_Memo_Edit(memo->localId, memo->memoId, now(), memo->content, memo->color, memo->localBookId,
                        memo->localChapterId, memo->x, memo->y, memo->isHold, 0, 0);
}

// A client started with the demo book, its chapters asked for.
bool startWithDemoBook(JobsFixture& f, SeededBook& book)
{
    if (!f.seed() || !seedDemoBook(book) || !f.start() || !waitForPassEnd() || !standin().clearJournal())
        return false;
    CJobManager::instance()->getChapters(CPublicManager::instance()->findBookByLocalId(book.localBookId));
    return true;
}

QJsonObject jsonOf(const QString& text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}
}

class MemoManagerTest : public QObject
{
    Q_OBJECT
private slots:
    void editsOfAnUnsentMemoWaitMergedAndGoAfterTheAdd();
    void deleteOfAMemoThePlatformNeverHadQueuesNothing();
    void pinningBindsToTheChapterAndSendsTheLocation();
    void detailLeavingAMemberOutKeepsItHere_data();
    void detailLeavingAMemberOutKeepsItHere();
    void nothingChangesWithoutASignedInAuthor();
    void changeFromTheFeedWritesRowButNoJobOrRequest();
    void memoDeletedWhileItsAddWasOutIsDeletedOnThePlatform();
    void replayedCombinedEditSendsOnlyTheKeysItHolds();
};

void MemoManagerTest::editsOfAnUnsentMemoWaitMergedAndGoAfterTheAdd()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    QVERIFY(standin().addFault(kAdd, QStringLiteral("http500")));
    TC_Memo_Add add;
    add.content = QStringLiteral("离线写的");
    add.color = QStringLiteral("#C6C6FC");
    add.updateTime = now();
    QVERIFY(CJobManager::instance()->memoAdd(add));
    const int localId = add.header.localMemoId;
    QVERIFY(waitFor([]() { return bodiesTo(kAdd).size() == 1; }));
    // The refused add is back in the queue before the memo changes again.
    QVERIFY(settleClient());
    T_Memo* memo = CPublicManager::instance()->findMemoByLocalId(localId);
    QCOMPARE(memo->memoId, 0);

    TC_Memo_Edit colour = editOf(memo);
    colour.color = QStringLiteral("#FFB4C6");
    QVERIFY(CJobManager::instance()->memoEditColor(colour));
    QCOMPARE(colour.header.jobType, 3004);
    TC_Memo_Edit text = editOf(memo);
    text.content = QStringLiteral("离线改的 \"%1\"");
    QVERIFY(CJobManager::instance()->memoEditContent(text));
    QCOMPARE(text.header.jobType, 3005);
    QCOMPARE(memoRow(localId).content, QStringLiteral("离线改的 \"%1\""));

    // One add and one merged edit wait; nothing went to the edit endpoint.
    const QList<MemoJob> jobs = memoJobs(localId);
    QCOMPARE(jobs.size(), 2);
    QCOMPARE(jobs.at(0).jobType, 3002);
    QCOMPARE(jobs.at(1).jobType, 3007);
    // With the text it replaced, which the platform may hold meanwhile.
    QCOMPARE(jsonOf(jobs.at(1).content),
             (QJsonObject{{QStringLiteral("color"), QStringLiteral("#FFB4C6")},
                          {QStringLiteral("content"), QStringLiteral("离线改的 \"%1\"")},
                          {QStringLiteral("was"), QJsonArray{noteTextMd5(QStringLiteral("离线写的"))}}}));
    QVERIFY(bodiesTo(kEdit).isEmpty());

    // The next start replays both: the add first, then the edit with its id.
    QVERIFY(f.restart());
    QVERIFY(waitFor([&]() { return bodiesTo(kEdit).size() == 1 && memoJobs(localId).isEmpty(); }));
    memo = CPublicManager::instance()->findMemoByLocalId(localId);
    QVERIFY(memo && memo->memoId > 0);
    const QJsonObject edit = bodiesTo(kEdit).first();
    QCOMPARE(edit.value(QStringLiteral("memo_id")).toInt(), memo->memoId);
    QCOMPARE(edit.value(QStringLiteral("color")).toString(), QStringLiteral("#FFB4C6"));
    QCOMPARE(edit.value(QStringLiteral("content")).toString(), QStringLiteral("离线改的 \"%1\""));
}

void MemoManagerTest::deleteOfAMemoThePlatformNeverHadQueuesNothing()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    QVERIFY(standin().addFault(kAdd, QStringLiteral("http500")));
    TC_Memo_Add add;
    add.content = QStringLiteral("马上删");
    add.updateTime = now();
    QVERIFY(CJobManager::instance()->memoAdd(add));
    QVERIFY(waitFor([]() { return bodiesTo(kAdd).size() == 1; }));
    // The refused add is back in the queue before the memo changes again.
    QVERIFY(settleClient());
    TC_Memo_Edit text(add.header.localMemoId, 0, now(), QStringLiteral("改"), QString(), 0, 0, 0, 0, 0, 0, 0);
    QVERIFY(CJobManager::instance()->memoEditContent(text));
    QCOMPARE(memoJobs(add.header.localMemoId).size(), 2);

    TC_Memo_Del del;
    del.header.localMemoId = add.header.localMemoId;
    del.updateTime = now();
    QVERIFY(CJobManager::instance()->memoDel(del));
    QVERIFY(!memoRow(add.header.localMemoId).found);
    QVERIFY(!CPublicManager::instance()->findMemoByLocalId(add.header.localMemoId));
    // The refused add might still have been made there: it stays until the
    // next pass has looked for it, finds nothing, and neither sends it
    // again nor a delete.
    QCOMPARE(memoJobs(add.header.localMemoId).size(), 1);
    CJobManager::instance()->synNow(false);
    QVERIFY(settleClient());
    QTRY_VERIFY(memoJobs(add.header.localMemoId).isEmpty());
    QVERIFY(bodiesTo(kDel).isEmpty());
    QCOMPARE(bodiesTo(kAdd).size(), 1);
}

void MemoManagerTest::pinningBindsToTheChapterAndSendsTheLocation()
{
    JobsFixture f;
    SeededBook book;
    QVERIFY(startWithDemoBook(f, book));
    T_Memo* memo = addSyncedMemo(QStringLiteral("钉住"));
    QVERIFY(memo);

    TC_Memo_Edit pin(memo->localId, memo->memoId, now(), memo->content, memo->color, book.localBookId,
                     book.localChapter1, 120.5f, 64, 0, 0, 0);
    QVERIFY(CJobManager::instance()->memoEditLocation(pin));
    QCOMPARE(pin.header.jobType, 3006);
    QVERIFY(memo->isHold);
    QCOMPARE(memo->bookId, 5001);
    QCOMPARE(memo->chapterId, 9001);
    QCOMPARE(memo->chapterName, QStringLiteral("第一章"));
    QCOMPARE(memo->bookName, QStringLiteral("示例作品"));
    const MemoRow row = memoRow(memo->localId);
    QCOMPARE(row.localChapterId, book.localChapter1);
    QCOMPARE(row.isHold, 1);
    QCOMPARE(row.x, 120.5);
    QVERIFY(waitFor([]() { return bodiesTo(kEdit).size() == 1; }));
    const QJsonObject body = bodiesTo(kEdit).first();
    QCOMPARE(body.value(QStringLiteral("book_id")).toInt(), 5001);
    QCOMPARE(body.value(QStringLiteral("chapter_id")).toInt(), 9001);
    QCOMPARE(body.value(QStringLiteral("location")).toString(), QStringLiteral("120.5,64,0,0"));
    QVERIFY(!body.contains(QStringLiteral("isHold")));

    TC_Memo_Edit unpin(memo->localId, memo->memoId, now(), memo->content, memo->color, 0, 0, 0, 0, 0, 0, 0);
    QVERIFY(CJobManager::instance()->memoEditLocation(unpin));
    QVERIFY(!memo->isHold);
    QCOMPARE(memo->chapterId, 0);
    QCOMPARE(memoRow(memo->localId).isHold, 0);
    // Back at the origin the location goes out empty.
    QVERIFY(waitFor([]() { return bodiesTo(kEdit).size() == 2; }));
    QCOMPARE(bodiesTo(kEdit).at(1).value(QStringLiteral("location")).toString(), QString());
}

void MemoManagerTest::detailLeavingAMemberOutKeepsItHere_data()
{
    QTest::addColumn<QString>("without");
    QTest::newRow("text") << "content,update_time";
    QTest::newRow("colour") << "color,color_update_time";
    QTest::newRow("place") << "book_id,chapter_id";
    QTest::newRow("all of them") << "content,color,book_id,chapter_id";
}

// A detail from the feed that leaves a member out (a faulty or hostile
// reply) tells nothing of it: the memo keeps its text, colour and place.
void MemoManagerTest::detailLeavingAMemberOutKeepsItHere()
{
    QFETCH(QString, without);
    JobsFixture f;
    SeededBook book;
    QVERIFY(startWithDemoBook(f, book));
    T_Memo* memo = addSyncedMemo(QStringLiteral("留在这里的字"), QStringLiteral("#FFB4C6"));
    QVERIFY(memo);
    const int localId = memo->localId;
    TC_Memo_Edit pin(localId, memo->memoId, now(), memo->content, memo->color, book.localBookId, book.localChapter1,
                     12, 34, 0, 0, 0);
    QVERIFY(CJobManager::instance()->memoEditLocation(pin));
    QVERIFY(waitFor([&]() { return bodiesTo(kEdit).size() == 1 && memoJobs(localId).isEmpty(); }));
    QVERIFY(standin().clearJournal());

    QVERIFY(standin().addFault(kDetail, QStringLiteral("without:") + without));
    TC_Memo_Detail detail;
    detail.header.localMemoId = localId;
    detail.header.memoId = memo->memoId;
    detail.header.synStep = 1;
    QVERIFY(CMemoManager::instance()->memoDetail(detail));
    QVERIFY(waitFor([]() { return bodiesTo(kDetail).size() == 1 && CTessaneHttp::instance()->outstandingReplies() == 0; }));
    const MemoRow row = memoRow(localId);
    QCOMPARE(row.content, QStringLiteral("留在这里的字"));
    QCOMPARE(row.color, QStringLiteral("#FFB4C6"));
    QCOMPARE(row.localChapterId, book.localChapter1);
    QCOMPARE(row.isHold, 1);
    memo = CPublicManager::instance()->findMemoByLocalId(localId);
    QVERIFY(memo);
    QCOMPARE(memo->content, row.content);
    QCOMPARE(memo->color, row.color);
    QCOMPARE(memo->chapterId, 9001);
}

void MemoManagerTest::nothingChangesWithoutASignedInAuthor()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    T_Memo* memo = addSyncedMemo(QStringLiteral("登出后"));
    QVERIFY(memo);
    CPublicManager* model = CPublicManager::instance();
    const int uid = model->userInfo.uid;
    model->userInfo.uid = 0;
    TC_Memo_Add add;
    add.content = QStringLiteral("无人");
    TC_Memo_Edit edit = editOf(memo);
    edit.content = QStringLiteral("无人改");
    TC_Memo_Del del;
    del.header.localMemoId = memo->localId;
    const bool added = CJobManager::instance()->memoAdd(add);
    const bool edited = CJobManager::instance()->memoEditContent(edit);
    const bool deleted = CJobManager::instance()->memoDel(del);
    model->userInfo.uid = uid;
    QVERIFY(!added && !edited && !deleted);
    QCOMPARE(memoRow(memo->localId).content, QStringLiteral("登出后"));
    QVERIFY(memoJobs(memo->localId).isEmpty());
}

void MemoManagerTest::changeFromTheFeedWritesRowButNoJobOrRequest()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    T_Memo* memo = addSyncedMemo(QStringLiteral("平台改"));
    QVERIFY(memo);
    standin().clearJournal();
    TC_Memo_Edit text = editOf(memo);
    text.content = QStringLiteral("平台上改过");
    text.header.synStep = 1;
    QVERIFY(CMemoManager::instance()->memoEditContent(text));
    QCOMPARE(memoRow(memo->localId).content, QStringLiteral("平台上改过"));
    QVERIFY(memoJobs(memo->localId).isEmpty());
    QTest::qWait(200);
    QVERIFY(bodiesTo(kEdit).isEmpty());
}

void MemoManagerTest::memoDeletedWhileItsAddWasOutIsDeletedOnThePlatform()
{
    JobsFixture f;
    QVERIFY(startClient(f));
    const int memosBefore = standin().store().value(QStringLiteral("memos")).toArray().size();
    QVERIFY(standin().addFault(kAdd, QStringLiteral("ok"), 600));
    TC_Memo_Add add;
    add.content = QStringLiteral("飞行中删除");
    add.updateTime = now();
    QVERIFY(CJobManager::instance()->memoAdd(add));
    TC_Memo_Del del;
    del.header.localMemoId = add.header.localMemoId;
    del.updateTime = now();
    QVERIFY(CJobManager::instance()->memoDel(del));
    QVERIFY(waitFor([]() { return bodiesTo(kDel).size() == 1; }));
    QVERIFY(waitFor([&]() {
        return standin().store().value(QStringLiteral("memos")).toArray().size() == memosBefore;
    }));
}

void MemoManagerTest::replayedCombinedEditSendsOnlyTheKeysItHolds()
{
    JobsFixture f;
    QVERIFY(f.seed());
    CTessaneDb* db = CTessaneDb::instance();
    T_Http_Custom colourOnly;
    colourOnly.jobType = 3004;
    colourOnly.localMemoId = 71;
    colourOnly.memoId = 13001;
    QVERIFY(db->addJob(colourOnly, QStringLiteral("#FFB4C6"), 1700000000, 0));
    T_Http_Custom emptyText;
    emptyText.jobType = 3005;
    emptyText.localMemoId = 72;
    emptyText.memoId = 13001;
    QVERIFY(db->addJob(emptyText, QString(), 1700000001, 0));
    QVERIFY(f.start());
    QVERIFY(waitForPassEnd());
    const QList<QJsonObject> bodies = bodiesTo(kEdit);
    QCOMPARE(bodies.size(), 2);
    QCOMPARE(bodies.at(0).value(QStringLiteral("color")).toString(), QStringLiteral("#FFB4C6"));
    QVERIFY(!bodies.at(0).contains(QStringLiteral("content")));
    QVERIFY(!bodies.at(0).contains(QStringLiteral("location")));
    QVERIFY(!bodies.at(1).contains(QStringLiteral("color")));
    QVERIFY(bodies.at(1).contains(QStringLiteral("content")));
    QCOMPARE(bodies.at(1).value(QStringLiteral("content")).toString(), QString());
    QVERIFY(memoJobs(71).isEmpty() && memoJobs(72).isEmpty());
}

int runMemoManagerTests(int argc, char** argv)
{
    MemoManagerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_MemoManager.moc"

// Chapter operations: order room, renames and saves, recycle bin, deletion,
// snapshots and moves.

#include "BooksFixture.h"

#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "manager/CPublicManager.h"
#include "volume/CBookVolumeController.h"

#include <memory>
#include <QJsonDocument>
#include <QTest>

namespace {
const QString kHostileName = QStringLiteral("第'1'章 \"%1\" 50%");

int orderOf(int localChapterId)
{
    return BooksFixture::scalar(QStringLiteral("select orderNum from tb_chapter where localId = %1").arg(localChapterId))
        .toInt();
}

int addVolume(T_Book* book, const QString& name, int order)
{
    TC_Volume_Add volume(book->localId, 0, 0, order, 1700000000, name);
    volume.header.synStep = 1;
    return CBookJobManager::instance()->volume_add(volume) ? volume.header.localVolumeId : 0;
}

int addChapter(T_Book* book, int localVolumeId, int order, bool fromPlatform)
{
    TC_Chapter_Add chapter(book->localId, book->bookId, localVolumeId, 0, 1700000000, order, QStringLiteral("章"));
    chapter.header.synStep = fromPlatform ? 1 : 0;
    return CBookJobManager::instance()->chapter_add(chapter) ? chapter.header.localChapterId : 0;
}
}

class ChapterOperationsTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_f = std::make_unique<BooksFixture>();
        QVERIFY(m_f->up());
    }
    void cleanup() { m_f.reset(); }
    void newChapterAtTakenOrderMovesOnlyItsVolume();
    void renameAndUnsentSaveTravelTogether();
    void recycleAndRestoreMoveBetweenLists();
    void deleteRemovesRowModelAndSends();
    void moveBetweenVolumesTakesTheTreeOrder();

private:
    std::unique_ptr<BooksFixture> m_f;
};

void ChapterOperationsTest::newChapterAtTakenOrderMovesOnlyItsVolume()
{
    T_Book* book = m_f->offlineBook(QStringLiteral("排序"));
    QVERIFY(book);
    const int v1 = book->volumeList.first()->localId;
    const int c1 = book->chapterList.at(0)->localId;
    const int c2 = book->chapterList.at(1)->localId;
    const int v2 = addVolume(book, QStringLiteral("第二卷"), 2);
    const int other = addChapter(book, v2, 2, true);
    QVERIFY(v2 > 0 && other > 0);

    const int added = addChapter(book, v1, 2, false);
    QVERIFY(added > 0);
    QCOMPARE(orderOf(c1), 1);
    QCOMPARE(orderOf(c2), 3);
    QCOMPARE(orderOf(added), 2);
    QCOMPARE(orderOf(other), 2); // another volume keeps its numbers
    QCOMPARE(book->findChapterByLocalId(c2)->orderNum, 3);
    QCOMPARE(book->findChapterByLocalId(other)->orderNum, 2);

    const int free = addChapter(book, v1, 9, false);
    QCOMPARE(orderOf(c2), 3);
    QCOMPARE(orderOf(free), 9);
    // Offline: both recorded, nothing sent.
    QCOMPARE(BooksFixture::jobTypes(), (QList<int>{1008, 1008}));
    QTest::qWait(200);
    QCOMPARE(BooksFixture::sent(QStringLiteral("/chapter/addChapter")), 0);

    TC_Chapter_Add nowhere(book->localId, 0, 999999, 0, 1700000000, 1, QStringLiteral("无卷"));
    QVERIFY(!CBookJobManager::instance()->chapter_add(nowhere));
}

void ChapterOperationsTest::renameAndUnsentSaveTravelTogether()
{
    T_Book* book = m_f->onlineBook(QStringLiteral("保存"));
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.first();
    standin().clearJournal();

    TC_Chapter_Edit_Content save;
    save.header.localBookId = book->localId;
    save.header.localChapterId = chapter->localId;
    save.content = QStringLiteral("　　正文'一'\"%1\" 100%");
    save.updateTime = 1700000500;
    save.isSendToSrv = false;
    QVERIFY(CBookJobManager::instance()->chapter_edit_content(save));
    QCOMPARE(chapter->content, save.content);
    QCOMPARE(chapter->wordCount, T_Chapter::countWords(save.content));
    QCOMPARE(BooksFixture::jobTypes(), QList<int>{1017});
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select content from tb_chapter where localId = %1")
                                      .arg(chapter->localId)).toString(),
             save.content);
    QTest::qWait(200);
    QCOMPARE(BooksFixture::sent(QStringLiteral("/chapter/editChapter")), 0);

    TC_Chapter_Edit_Name rename;
    rename.header.localBookId = book->localId;
    rename.header.localChapterId = chapter->localId;
    rename.chapterName = kHostileName;
    QVERIFY(CBookJobManager::instance()->chapter_edit_name(rename));
    QCOMPARE(chapter->name, kHostileName);
    QVERIFY(BooksFixture::waitUntil([]() { return BooksFixture::jobTypes().isEmpty(); }));
    QCOMPARE(BooksFixture::sent(QStringLiteral("/chapter/editChapter")), 1);
    const QJsonObject body = BooksFixture::lastBody(QStringLiteral("/chapter/editChapter"));
    QCOMPARE(body.value(QStringLiteral("chapter_name")).toString(), kHostileName);
    QCOMPARE(body.value(QStringLiteral("content")).toString(), save.content);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select name from tb_chapter where localId = %1")
                                      .arg(chapter->localId)).toString(),
             kHostileName);
}

void ChapterOperationsTest::recycleAndRestoreMoveBetweenLists()
{
    T_Book* book = m_f->offlineBook(QStringLiteral("回收"));
    QVERIFY(book);
    T_Chapter* first = book->chapterList.first();
    first->wordCount = 7;
    book->chapterList.at(1)->wordCount = 5;

    TC_Chapter_Recycle recycle;
    recycle.header.localBookId = book->localId;
    recycle.header.localVolumeId = first->localVolumeId;
    recycle.header.localChapterId = first->localId;
    recycle.status = 0;
    QVERIFY(CBookJobManager::instance()->chapter_recycle(recycle, false));
    QCOMPARE(book->recycleChapterList.last(), first);
    QVERIFY(!book->chapterList.contains(first));
    QVERIFY(first->recycleTime > 0);
    QCOMPARE(book->wordNum, 5);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select status from tb_chapter where localId = %1").arg(first->localId)).toInt(), 0);
    QCOMPARE(BooksFixture::jobContent(1010), QStringLiteral("0"));

    recycle.status = 1;
    QVERIFY(CBookJobManager::instance()->chapter_recycle(recycle, true));
    QCOMPARE(book->chapterList.last(), first);
    QCOMPARE(book->wordNum, 12);
    QCOMPARE(BooksFixture::jobTypes().count(1010), 1); // fromSync: no job

    QVERIFY(!CBookJobManager::instance()->chapter_recycle(recycle, false)); // not in the bin any more
}

void ChapterOperationsTest::deleteRemovesRowModelAndSends()
{
    T_Book* book = m_f->onlineBook(QStringLiteral("删除"));
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.first();
    const int localId = chapter->localId;
    const int serverId = chapter->chapterId;
    standin().clearJournal();
    TC_Chapter_Delete remove;
    remove.header.localBookId = book->localId;
    remove.header.localChapterId = localId;
    QVERIFY(CBookJobManager::instance()->chapter_delete(remove));
    QVERIFY(book->findChapterByLocalId(localId) == nullptr);
    QVERIFY(!BooksFixture::scalar(QStringLiteral("select localId from tb_chapter where localId = %1").arg(localId)).isValid());
    QVERIFY(BooksFixture::waitUntil([]() { return BooksFixture::sent(QStringLiteral("/chapter/delChapter")) == 1; }));
    QCOMPARE(BooksFixture::lastBody(QStringLiteral("/chapter/delChapter")).value(QStringLiteral("chapter_id")).toInt(), serverId);
    QVERIFY(!CBookJobManager::instance()->chapter_delete(remove));
}

void ChapterOperationsTest::moveBetweenVolumesTakesTheTreeOrder()
{
    T_Book* book = m_f->offlineBook(QStringLiteral("移动"));
    QVERIFY(book);
    const int v1 = book->volumeList.first()->localId;
    const int c1 = book->chapterList.at(0)->localId;
    const int c2 = book->chapterList.at(1)->localId;
    const int v2 = addVolume(book, QStringLiteral("第二卷"), 2);
    const int c3 = addChapter(book, v2, 1, true);
    CBookVolumeController* tree = CBookVolumeController::instance();
    tree->loadBook(book);
    // The tree after the drag: c1 placed after c3 in the second volume.
    tree->setChapterOrder(v2, {c3, c1});

    TC_Chapter_Move move;
    move.header.localBookId = book->localId;
    move.localFromVolumeId = v1;
    move.localToVolumeId = v2;
    move.localFromChapterId = c1;
    move.localToChapterId = c3;
    move.direction = 1;
    move.updateTime = 1700000600;
    QVERIFY(CBookJobManager::instance()->chapter_move(move));
    const T_Chapter* moved = book->findChapterByLocalId(c1);
    QCOMPARE(moved->localVolumeId, v2);
    QCOMPARE(moved->orderNum, 2);
    QCOMPARE(book->findChapterByLocalId(c3)->orderNum, 1);
    QCOMPARE(book->findChapterByLocalId(c2)->orderNum, 2); // the source volume keeps its numbers
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select localVolumeId from tb_chapter where localId = %1").arg(c1)).toInt(), v2);
    const QJsonObject stored = QJsonDocument::fromJson(BooksFixture::jobContent(1018).toUtf8()).object();
    QCOMPARE(stored.value(QStringLiteral("localFromChapterId")).toInt(), c1);
    QCOMPARE(stored.value(QStringLiteral("direction")).toInt(), 1);
    tree->loadBook(nullptr);

    move.localToVolumeId = 999999;
    QVERIFY(!CBookJobManager::instance()->chapter_move(move));
}

int runChapterOperationTests(int argc, char** argv)
{
    ChapterOperationsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ChapterOperations.moc"

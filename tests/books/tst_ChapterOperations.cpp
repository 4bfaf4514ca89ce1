// Chapter operations: order room, and a rename travelling with an unsent save.

#include "BooksFixture.h"

#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"

#include <memory>
#include <QJsonDocument>
#include <QJsonObject>
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
    void savedTextJoinsAPendingRename();

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
    QVERIFY(BooksFixture::waitUntil([]() { return BooksFixture::jobTypes().isEmpty(); }));
    QCOMPARE(BooksFixture::sent(QStringLiteral("/chapter/editChapter")), 1);
    const QJsonObject body = BooksFixture::lastBody(QStringLiteral("/chapter/editChapter"));
    QCOMPARE(body.value(QStringLiteral("chapter_name")).toString(), kHostileName);
    QCOMPARE(body.value(QStringLiteral("content")).toString(), save.content);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select name from tb_chapter where localId = %1")
                                      .arg(chapter->localId)).toString(),
             kHostileName);
}

void ChapterOperationsTest::savedTextJoinsAPendingRename()
{
    T_Book* book = m_f->offlineBook(QStringLiteral("改名"));
    QVERIFY(book);
    T_Chapter* chapter = book->chapterList.first();
    TC_Chapter_Edit_Name rename;
    rename.header.localBookId = book->localId;
    rename.header.localChapterId = chapter->localId;
    rename.chapterName = kHostileName;
    QVERIFY(CBookJobManager::instance()->chapter_edit_name(rename));

    // Each save rewrites the one pending edit: the name stays, the text is
    // the newest, byte for byte, in the row and in the job.
    for (const QString& text : {QStringLiteral("　　他说：\"走\\吧\"\n\t'%1' 100%"),
                                QStringLiteral("　　第二稿") + QChar(0) + QStringLiteral("}]\u2028")}) {
        TC_Chapter_Edit_Content save;
        save.header.localBookId = book->localId;
        save.header.localChapterId = chapter->localId;
        save.content = text;
        save.updateTime = 1700000600;
        QVERIFY(CBookJobManager::instance()->chapter_edit_content(save));
        QCOMPARE(BooksFixture::jobTypes(), QList<int>{1017});
        const QJsonObject job = QJsonDocument::fromJson(BooksFixture::jobContent(1017).toUtf8()).object();
        QCOMPARE(job.value(QStringLiteral("name")).toString(), kHostileName);
        QCOMPARE(job.value(QStringLiteral("content")).toString(), text);
        QCOMPARE(BooksFixture::scalar(QStringLiteral("select content from tb_chapter where localId = %1")
                                          .arg(chapter->localId)).toString(),
                 text);
    }
    // Without a rename the job holds the text, as written, and the text it
    // was edited from.
    T_Chapter* other = book->chapterList.last();
    QVERIFY(other != chapter);
    TC_Chapter_Edit_Content save;
    save.header.localBookId = book->localId;
    save.header.localChapterId = other->localId;
    save.content = QStringLiteral("　　\"\\/\b\f\r\n\u001f") + QChar(0) + QStringLiteral("尾");
    save.updateTime = 1700000700;
    QVERIFY(CBookJobManager::instance()->chapter_edit_content(save));
    const QString stored = BooksFixture::scalar(QStringLiteral("select content from tb_job where localChapterId = %1")
                                                    .arg(other->localId)).toString();
    QJsonParseError error;
    const QJsonObject job = QJsonDocument::fromJson(stored.toUtf8(), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(job.keys(), QStringList({QStringLiteral("base"), QStringLiteral("content")}));
    QCOMPARE(job.value(QStringLiteral("content")).toString(), save.content);

    // A second save keeps the text the first one started from: the platform
    // still holds that one.
    save.content = QStringLiteral("　　第三稿");
    QVERIFY(CBookJobManager::instance()->chapter_edit_content(save));
    const QJsonObject again = QJsonDocument::fromJson(
        BooksFixture::scalar(QStringLiteral("select content from tb_job where localChapterId = %1").arg(other->localId))
            .toString()
            .toUtf8())
                                  .object();
    QCOMPARE(again.value(QStringLiteral("content")).toString(), save.content);
    QCOMPARE(again.value(QStringLiteral("base")).toString(), job.value(QStringLiteral("base")).toString());
}

int runChapterOperationTests(int argc, char** argv)
{
    ChapterOperationsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ChapterOperations.moc"

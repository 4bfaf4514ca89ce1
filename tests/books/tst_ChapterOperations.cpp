// Chapter operations: order room, and a rename travelling with an unsent save.

#include "BooksFixture.h"

#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"

#include <memory>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
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

bool saveText(const T_Chapter* chapter, const QString& text, bool send)
{
    TC_Chapter_Edit_Content save;
    save.header.localBookId = chapter->localBookId;
    save.header.localChapterId = chapter->localId;
    save.content = text;
    save.updateTime = 1700000800;
    save.isSendToSrv = send;
    return CBookJobManager::instance()->chapter_edit_content(save);
}

QJsonObject pendingEdit()
{
    return QJsonDocument::fromJson(BooksFixture::jobContent(1017).toUtf8()).object();
}

// A chapter edit as an older build left it: its keys on either side of the text.
bool storeOlderEdit(const T_Chapter* chapter, int bookId, const QString& content)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    query.prepare(QStringLiteral("insert into tb_job(uid,jobType,localBookId,bookId,localVolumeId,volumeId,"
                                 "localChapterId,chapterId,content,createTime) values(?,1017,?,?,?,?,?,?,?,1700000000)"));
    for (const QVariant& value : {QVariant(StandinServer::demoUid()), QVariant(chapter->localBookId), QVariant(bookId),
                                  QVariant(chapter->localVolumeId), QVariant(chapter->volumeId),
                                  QVariant(chapter->localId), QVariant(chapter->chapterId), QVariant(content)})
        query.addBindValue(value);
    return query.exec();
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
    void renameAndBaseOutlastLaterSaves();
    void editOfAnOlderBuildKeepsItsRenameAndBase();

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
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select content from tb_chapter_text where localId = %1")
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
        QCOMPARE(BooksFixture::scalar(QStringLiteral("select content from tb_chapter_text where localId = %1")
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

// A rename waiting with the text: the second and third save keep the name and
// the text the first one started from, and the queue sends all of it.
void ChapterOperationsTest::renameAndBaseOutlastLaterSaves()
{
    T_Book* book = m_f->onlineBook(QStringLiteral("三稿"));
    QVERIFY(book);
    const T_Chapter* chapter = book->chapterList.first();
    const QString before =
        BooksFixture::scalar(QStringLiteral("select content from tb_chapter_text where localId = %1").arg(chapter->localId))
            .toString();
    QVERIFY(m_f->addJob(1015, kHostileName, book->localId, book->bookId, chapter->localId, chapter->chapterId,
                        chapter->localVolumeId, chapter->volumeId) > 0);
    const QStringList drafts{QStringLiteral("　　一稿\"}"), QStringLiteral("　　二稿\\"),
                             QStringLiteral("　　三稿") + QString(1200, QChar(0x4e09))};
    for (const QString& text : drafts) {
        QVERIFY(saveText(chapter, text, false));
        const QJsonObject job = pendingEdit();
        QCOMPARE(job.value(QStringLiteral("name")).toString(), kHostileName);
        QCOMPARE(job.value(QStringLiteral("base")).toString(), bytesMd5(before.toUtf8()));
        QCOMPARE(job.value(QStringLiteral("content")).toString(), text);
    }
    QCOMPARE(BooksFixture::jobTypes(), QList<int>{1017});

    standin().clearJournal();
    QVERIFY(m_f->restart());
    QVERIFY(BooksFixture::waitUntil([]() { return BooksFixture::jobTypes().isEmpty(); }));
    const QJsonObject body = BooksFixture::lastBody(QStringLiteral("/chapter/editChapter"));
    QCOMPARE(body.value(QStringLiteral("chapter_name")).toString(), kHostileName);
    QCOMPARE(body.value(QStringLiteral("content")).toString(), drafts.last());
    QCOMPARE(body.value(QStringLiteral("base_hash")).toString(), bytesMd5(before.toUtf8()));
}

// Edits stored with a key behind the text (by an older build, or by a base
// added later) are read whole once: the save keeps their name and base.
void ChapterOperationsTest::editOfAnOlderBuildKeepsItsRenameAndBase()
{
    T_Book* book = m_f->onlineBook(QStringLiteral("旧版"));
    QVERIFY(book);
    const T_Chapter* chapter = book->chapterList.first();
    const QString base = bytesMd5(QByteArrayLiteral("platform"));
    const QString text = QStringLiteral("　　新稿");
    for (const QString& older : {QStringLiteral("{\"base\":\"%1\",\"content\":\"旧稿\",\"name\":\"旧名\"}"),
                                 QStringLiteral("{\"name\":\"旧名\",\"content\":\"旧稿\",\"base\":\"%1\"}"),
                                 QString()}) {
        QVERIFY(CTessaneDb::instance()->newQuery().exec(QStringLiteral("delete from tb_job")));
        if (older.isEmpty()) {
            QVERIFY(m_f->addJob(1015, QStringLiteral("旧名"), book->localId, book->bookId, chapter->localId,
                                chapter->chapterId, chapter->localVolumeId, chapter->volumeId) > 0);
            const int jobId = m_f->addJob(1016, QStringLiteral("旧稿"), book->localId, book->bookId, chapter->localId,
                                          chapter->chapterId, chapter->localVolumeId, chapter->volumeId);
            QVERIFY(CTessaneDb::instance()->setChapterJobBase(jobId, base, true));
        } else {
            QVERIFY(storeOlderEdit(chapter, book->bookId, older.arg(base)));
        }
        QVERIFY(saveText(chapter, text, false));
        QJsonObject job = pendingEdit();
        // A rename recorded by this build also keeps the names it replaced.
        job.remove(QStringLiteral("was"));
        QCOMPARE(job.keys(), QStringList({QStringLiteral("base"), QStringLiteral("content"), QStringLiteral("name")}));
        QCOMPARE(job.value(QStringLiteral("name")).toString(), QStringLiteral("旧名"));
        QCOMPARE(job.value(QStringLiteral("base")).toString(), base);
        QCOMPARE(job.value(QStringLiteral("content")).toString(), text);
    }
    // A save sent at once carries the waiting rename it read.
    standin().clearJournal();
    QVERIFY(saveText(chapter, text + QStringLiteral("。"), true));
    QVERIFY(BooksFixture::waitUntil([]() { return BooksFixture::jobTypes().isEmpty(); }));
    const QJsonObject body = BooksFixture::lastBody(QStringLiteral("/chapter/editChapter"));
    QCOMPARE(body.value(QStringLiteral("chapter_name")).toString(), QStringLiteral("旧名"));
    QCOMPARE(body.value(QStringLiteral("content")).toString(), text + QStringLiteral("。"));
}

int runChapterOperationTests(int argc, char** argv)
{
    ChapterOperationsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ChapterOperations.moc"

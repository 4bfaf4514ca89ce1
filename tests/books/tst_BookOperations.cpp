// Book operations against the stand-in: what each does to the model, the
// rows, the job queue and the wire.

#include "BooksFixture.h"

#include "common/Utility.h"
#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"

#include <memory>
#include <QDir>
#include <QImage>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kHostileName = QStringLiteral("她说'你好'\"%1\" 100% 书");
}

class BookOperationsTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_f = std::make_unique<BooksFixture>();
        QVERIFY(m_f->up());
    }
    void cleanup() { m_f.reset(); }
    void newBookRecordsBookVolumeChapterThenSendsAndStoresIds();
    void coverIsCopiedOnceUnderItsDigestAndSentAsDataUrl();
    void offlineDeleteRestoreAndHardDeleteQueueOnly();

private:
    std::unique_ptr<BooksFixture> m_f;
};

void BookOperationsTest::newBookRecordsBookVolumeChapterThenSendsAndStoresIds()
{
    standin().clearJournal();
    CPublicManager* model = CPublicManager::instance();

    TC_Books_AddBook request(kHostileName, 1700000000, 1700000000, QString());
    T_Book* book = CBookJobManager::instance()->books_add(request, false);
    QVERIFY(book != nullptr);
    QCOMPARE(model->bookList.first(), book);
    // Recorded in the order the platform must take them, before any reply.
    QCOMPARE(BooksFixture::jobTypes(), (QList<int>{1002, 1031, 1008}));
    QCOMPARE(BooksFixture::jobContent(1002), kHostileName);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select bookName from tb_book where localId = %1")
                                      .arg(book->localId)).toString(),
             kHostileName);

    QVERIFY(BooksFixture::waitUntil([book]() {
        return book->bookId > 0 && book->volumeList.size() == 1 && book->volumeList.first()->volumeId > 0
               && book->chapterList.first()->chapterId > 0 && BooksFixture::jobTypes().isEmpty();
    }));
    QCOMPARE(BooksFixture::lastBody(QStringLiteral("/books/addBook")).value(QStringLiteral("book_name")).toString(),
             kHostileName);
    for (const char* path : {"/books/addBook", "/volume/addVolume", "/chapter/addChapter"})
        QCOMPARE(BooksFixture::sent(QLatin1String(path)), 1);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select bookId from tb_book where localId = %1").arg(book->localId)).toInt(),
             book->bookId);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select chapterId from tb_chapter where localId = %1")
                                      .arg(book->chapterList.first()->localId)).toInt(),
             book->chapterList.first()->chapterId);
    QCOMPARE(book->chapterList.first()->volumeId, book->volumeList.first()->volumeId);
}

void BookOperationsTest::coverIsCopiedOnceUnderItsDigestAndSentAsDataUrl()
{
    T_Book* book = m_f->onlineBook(QStringLiteral("封面"));
    QVERIFY(book);
    QTemporaryDir pictures;
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString picture = pictures.path() + QStringLiteral("/cover.png");
    QVERIFY(image.save(picture));
    const QString target = appDirPath() + QStringLiteral("/data/bookImg/") + fileMd5(picture) + QStringLiteral(".png");
    QFile::remove(target);

    // The author chose a category earlier; a cover edit names none.
    TC_Books_Edit category(book->localId, 2, 2001, 2000, QString(), QString(), QString(), 1700000200);
    QVERIFY(CBookJobManager::instance()->books_edit(category));
    QVERIFY(BooksFixture::waitUntil([]() { return BooksFixture::jobTypes().isEmpty(); }));
    standin().clearJournal();
    for (int i = 0; i < 2; ++i) {
        TC_Books_Edit edit(book->localId, 0, 0, 0, QString(), QString(), picture, 1700000300 + i);
        QVERIFY(CBookJobManager::instance()->books_edit(edit));
        QVERIFY(edit.localCover.startsWith(QStringLiteral("data:image/png;base64,")));
    }
    QCOMPARE(book->localCover, target);
    QVERIFY(QFile::exists(target));
    QDir folder(appDirPath() + QStringLiteral("/data/bookImg/"));
    QCOMPARE(folder.entryList({fileMd5(picture) + QStringLiteral("*")}, QDir::Files).size(), 1);
    QTest::qWait(300);
    CJobManager::instance()->synNow(false);
    QVERIFY(BooksFixture::waitUntil([]() { return BooksFixture::jobTypes().isEmpty(); }));
    QVERIFY(BooksFixture::lastBody(QStringLiteral("/books/editBook"))
                .value(QStringLiteral("cover")).toString().startsWith(QStringLiteral("data:image/png;base64,")));
    // The platform replaces every member it is sent: the book's category
    // travels with each cover, never a category 0.
    const QJsonArray edits = BooksFixture::requestsTo(QStringLiteral("/books/editBook"));
    QVERIFY(!edits.isEmpty());
    for (const QJsonValue& entry : edits) {
        const QJsonObject sent = StandinServer::bodyOf(entry.toObject());
        QCOMPARE(sent.value(QStringLiteral("cate_id")).toInt(), 2001);
        QCOMPARE(sent.value(QStringLiteral("channel_type")).toInt(), 2);
    }
    QFile::remove(target);
}

void BookOperationsTest::offlineDeleteRestoreAndHardDeleteQueueOnly()
{
    CPublicManager* model = CPublicManager::instance();
    T_Book* book = m_f->offlineBook(QStringLiteral("离线"));
    QVERIFY(book);
    const int localId = book->localId;
    standin().clearJournal();

    // A book on the shelf can be neither restored nor deleted for good.
    TC_Books_Restore restore;
    restore.header.localBookId = localId;
    TC_Books_Delete_Hard hard;
    hard.header.localBookId = localId;
    QVERIFY(!CBookJobManager::instance()->books_restore(restore, false));
    QVERIFY(!CBookJobManager::instance()->books_delete_hard(hard, false));
    QVERIFY(BooksFixture::jobTypes().isEmpty());
    QCOMPARE(model->findBookByLocalId(localId), book);

    TC_Books_Delete remove(localId, 1700000000);
    QVERIFY(CBookJobManager::instance()->books_delete(remove, false));
    QVERIFY(model->findBookByLocalId(localId) == nullptr);
    QCOMPARE(model->findRecycledBookByLocalId(localId), book);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select status from tb_book where localId = %1").arg(localId)).toInt(), 0);
    QVERIFY(BooksFixture::jobTypes().contains(1005));

    QVERIFY(CBookJobManager::instance()->books_restore(restore, false));
    QCOMPARE(model->bookList.first(), book);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select status from tb_book where localId = %1").arg(localId)).toInt(), 1);

    QVERIFY(CBookJobManager::instance()->books_delete(remove, false));
    QVERIFY(CBookJobManager::instance()->books_delete_hard(hard, false));
    const int changesElsewhere = BooksFixture::scalar(QStringLiteral("PRAGMA data_version")).toInt();
    QVERIFY(model->findRecycledBookByLocalId(localId) == nullptr);
    QVERIFY(!BooksFixture::scalar(QStringLiteral("select localId from tb_book where localId = %1").arg(localId)).isValid());
    // Its chapters go with their texts by a worker's connection: deleting a
    // large book does not hold the window.
    QTRY_COMPARE(
        BooksFixture::scalar(QStringLiteral("select count(*) from tb_chapter where localBookId = %1").arg(localId)).toInt(),
        0);
    QVERIFY(BooksFixture::scalar(QStringLiteral("PRAGMA data_version")).toInt() != changesElsewhere);
    // The platform never had the book: nothing for it is left in the queue.
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select count(*) from tb_job where localBookId = %1").arg(localId)).toInt(), 0);
    QTest::qWait(200);
    QVERIFY(BooksFixture::requestsTo(QStringLiteral("/books/recycle")).isEmpty());
    QVERIFY(BooksFixture::requestsTo(QStringLiteral("/books/delBook")).isEmpty());
}

int runBookOperationTests(int argc, char** argv)
{
    BookOperationsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_BookOperations.moc"

// The shared model: list moves, look-ups, memos, sync marks, downloads, and
// the book record's own helpers.

#include "ModelDb.h"

#include "common/ServerClock.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"

#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

TC_Books_AddBook bookRequest(int localId, const QString& name)
{
    TC_Books_AddBook request(name, 111, 112, QStringLiteral("cover.png"));
    request.header.localBookId = localId;
    request.header.bookId = localId * 100;
    return request;
}

T_Chapter* chapter(int localId, int chapterId, int localVolumeId, int order, int words = 0)
{
    auto* c = new T_Chapter;
    c->localId = localId;
    c->chapterId = chapterId;
    c->localVolumeId = localVolumeId;
    c->orderNum = order;
    c->wordCount = words;
    c->status = 1;
    c->name = QStringLiteral("ch%1").arg(localId);
    return c;
}

} // namespace

class TestModelPublic : public QObject
{
    Q_OBJECT

    CPublicManager* model = CPublicManager::instance();

private slots:
    void init()
    {
        model->clearBooks();
        model->clearMemos();
        model->resetUser();
    }

    void chapterOfABookNotYetLoadedOnlyCounts()
    {
        T_Book* book = model->addBook(bookRequest(1, QStringLiteral("b")));
        book->chaptersLoaded = false;
        book->updateTime = 0;
        T_Http_Custom header;
        header.localBookId = 1;
        header.localChapterId = 10;
        QVERIFY(!model->addChapter(book, header, 1, QStringLiteral("c"), 50));
        QCOMPARE(book->chapterCount, 1);
        QVERIFY(book->updateTime > 0);
        QVERIFY(book->chapterList.isEmpty());

        book->chaptersLoaded = true;
        header.localVolumeId = 3;
        T_Chapter* c = model->addChapter(book, header, 2, QStringLiteral("d"), 60);
        QVERIFY(c);
        QCOMPARE(book->chapterList.last(), c);
        QCOMPARE(c->status, 1);
        QCOMPARE(c->createTime, 60);
        QCOMPARE(c->localVolumeId, 3);
        QCOMPARE(model->findChapter(1, 10), c);
        QVERIFY(!model->addChapter(nullptr, header, 1, QString(), 0));
    }

    void memoFromServerFindsARecycledChapter()
    {
        T_Book* book = model->addBook(bookRequest(1, QStringLiteral("book")));
        book->recycleChapterList << chapter(11, 110, 1, 1);
        TC_Memo_Add add;
        add.header.localMemoId = 1;
        add.header.memoId = 77;
        T_Memo* memo = model->addMemo(add);
        TS_Memo_Detail reply;
        reply.id = 77;
        reply.color = QStringLiteral("blue");
        reply.content = QStringLiteral("from server");
        reply.update_time = 8;
        reply.color_update_time = 9;
        reply.book_id = 100;
        reply.chapter_id = 110;
        QCOMPARE(model->updateMemoFromServer(reply), memo);
        QCOMPARE(memo->color, QStringLiteral("blue"));
        QCOMPARE(memo->colorUpdateTime, 9);
        QVERIFY(memo->isHold);
        QCOMPARE(memo->localChapterId, 11);
        reply.id = 78;
        QVERIFY(!model->updateMemoFromServer(reply));
    }

    void resettingSyncStateEndsTheBookImport()
    {
        T_Book* book = model->addBook(bookRequest(1, QStringLiteral("b")));
        model->addBookSynCount(book);
        model->addBookSynCount(book);
        model->addBookSynCount(nullptr);
        QCOMPARE(book->synCount, 2);
        QVERIFY(book->isSyncing);
        book->isImporting = true;
        CUiManager::instance()->setBookImporting(true);
        model->resetAllBookSynState();
        QVERIFY(!CUiManager::instance()->isBookImporting());
        QVERIFY(!book->isSyncing);
        QVERIFY(!book->isImporting);
        QCOMPARE(book->synCount, 0);
    }

    void finishedDownloadsReachTheirRecord()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("pic.png"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("PNGDATA");
        file.close();
        const QUrl url = QUrl::fromLocalFile(path);
        T_Download_Img img;
        model->downloadMap->insert(url.toString(), &img);
        QSignalSpy spy(model, &CPublicManager::sig_downloadImgFinished);
        model->netManager->get(QNetworkRequest(url));
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy.first().first().value<T_Download_Img*>(), &img);
        QVERIFY(img.done);
        QCOMPARE(img.data, QByteArray("PNGDATA"));
        model->downloadMap->remove(url.toString());

        const QString other = dir.filePath(QStringLiteral("other.png"));
        QFile second(other);
        QVERIFY(second.open(QIODevice::WriteOnly));
        second.write("x");
        second.close();
        spy.clear();
        model->netManager->get(QNetworkRequest(QUrl::fromLocalFile(other)));
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy.first().first().value<T_Download_Img*>(), nullptr);
    }

    // --- the book record ---

    void chapterWordCountSkipsBlanks()
    {
        T_Chapter c;
        c.content = QStringLiteral(" a b\tc\r\n\u3000d，1😀");
        c.calcWordCount();
        QCOMPARE(c.wordCount, 8);
        c.content.clear();
        c.calcWordCount();
        QCOMPARE(c.wordCount, 0);
    }

};

int runModelPublic(int argc, char** argv)
{
    TestModelPublic test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_model_public.moc"

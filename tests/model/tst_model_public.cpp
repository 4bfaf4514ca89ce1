// The shared model: list moves, look-ups, memos, sync marks, downloads, and
// the book record's own helpers.

#include "ModelDb.h"

#include "manager/CPublicManager.h"

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


};

int runModelPublic(int argc, char** argv)
{
    TestModelPublic test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_model_public.moc"

// The sign-in load of books, volumes, chapters and outlines.

#include "ModelDb.h"

#include "common/ServerClock.h"
#include "db/records/T_Book.h"

#include <QtTest>

namespace {

const int kAuthor = 77;

struct Loaded
{
    QList<T_Book*> shelf;
    QList<T_Book*> recycled;
    ~Loaded()
    {
        qDeleteAll(shelf);
        qDeleteAll(recycled);
    }
    T_Book* shelfBook(int localId) const
    {
        for (T_Book* b : shelf)
            if (b->localId == localId)
                return b;
        return nullptr;
    }
};

} // namespace

class TestModelBooks : public QObject
{
    Q_OBJECT

private:
    bool addBook(ModelDb& m, int localId, int status, const QString& name = QStringLiteral("b"),
                 int updateTime = 0)
    {
        return m.exec(QStringLiteral("insert into tb_book(localId,authorId,bookName,status,"
                                     "updateTime,wordNum) values(%1,%2,'%3',%4,%5,999)")
                          .arg(localId)
                          .arg(kAuthor)
                          .arg(name)
                          .arg(status)
                          .arg(updateTime));
    }
    bool addChapter(ModelDb& m, int localBookId, int order, int status, qint64 recycleTime,
                    const QString& name, int words, int localVolumeId = 1)
    {
        return m.exec(QStringLiteral("insert into tb_chapter(localBookId,bookId,localVolumeId,"
                                     "orderNum,name,wordCount,status,recycleTime) "
                                     "values(%1,0,%2,%3,'%4',%5,%6,%7)")
                          .arg(localBookId)
                          .arg(localVolumeId)
                          .arg(order)
                          .arg(name)
                          .arg(words)
                          .arg(status)
                          .arg(recycleTime))
            && m.exec(QStringLiteral("insert into tb_chapter_text(localId,content) values(last_insert_rowid(),"
                                     "'text of %1')")
                          .arg(name));
    }

private slots:

    void booksOtherThanStatusOneGoToTheRecycleBinWithTheirChildren()
    {
        ModelDb m;
        QVERIFY(addBook(m, 1, 1, QStringLiteral("shelf"), 10));
        QVERIFY(addBook(m, 2, 0, QStringLiteral("zero"), 30));
        QVERIFY(addBook(m, 3, 2, QStringLiteral("two"), 20));
        QVERIFY(m.exec("insert into tb_book(localId,authorId,bookName) values(4,5,'someone else')"));
        QVERIFY(m.exec("insert into tb_volume(localBookId,bookId,orderNum,volumeName) "
                       "values(3,0,1,'v')"));
        QVERIFY(addChapter(m, 3, 1, 1, 0, QStringLiteral("c"), 4));
        QVERIFY(m.exec("insert into tb_outline(localBookId,bookId,title) values(3,0,'o')"));

        Loaded l;
        QVERIFY(m->getBooks(kAuthor, l.shelf, l.recycled));
        QCOMPARE(l.shelf.size(), 1);
        QCOMPARE(l.shelf.first()->bookName, QStringLiteral("shelf"));
        QCOMPARE(l.recycled.size(), 2);
        // Most recently updated first.
        QCOMPARE(l.recycled.at(0)->localId, 2);
        T_Book* two = l.recycled.at(1);
        QCOMPARE(two->localId, 3);
        QCOMPARE(two->volumeList.size(), 1);
        QCOMPARE(two->chapterList.size(), 1);
        QCOMPARE(two->outline.outlineList.size(), 1);
        QVERIFY(two->chaptersLoaded);
    }

    void recycledChaptersStayThirtyDaysInTheBin()
    {
        ModelDb m;
        QVERIFY(addBook(m, 1, 1));
        QVERIFY(m.exec("insert into tb_volume(localId,localBookId,bookId,orderNum,volumeName) values(1,1,0,1,'v')"));
        const qint64 day = 86400;
        const qint64 now = currentServerTime();
        QVERIFY(addChapter(m, 1, 1, 1, 0, QStringLiteral("live"), 1));
        QVERIFY(addChapter(m, 1, 2, 0, now - 4 * day, QStringLiteral("four days"), 1));
        QVERIFY(addChapter(m, 1, 3, 0, now - 29 * day, QStringLiteral("twenty-nine days"), 1));
        QVERIFY(addChapter(m, 1, 4, 0, now - 30 * day - 60, QStringLiteral("thirty days"), 1));
        Loaded l;
        QVERIFY(m->getBooks(kAuthor, l.shelf, l.recycled));
        const T_Book* book = l.shelfBook(1);
        QVERIFY(book);
        QCOMPARE(book->chapterList.size(), 1);
        QStringList kept;
        for (const T_Chapter* chapter : book->recycleChapterList)
            kept.append(chapter->name);
        QCOMPARE(kept, (QStringList{QStringLiteral("four days"), QStringLiteral("twenty-nine days")}));
    }

    void chapterTextOfAVanishedRowIsReportedMissing()
    {
        ModelDb m;
        T_Chapter chapter;
        chapter.localId = 42;
        QVERIFY(!m->getChapterContent(&chapter));
        QVERIFY(!chapter.contentLoaded);
        chapter.localId = 0;
        QVERIFY(!m->getChapterContent(&chapter));
    }

    void failedLoadLeavesTheListsAsTheyWere()
    {
        ModelDb m;
        QVERIFY(addBook(m, 1, 1, QStringLiteral("first")));
        Loaded l;
        QVERIFY(m->getBooks(kAuthor, l.shelf, l.recycled));
        T_Book* before = l.shelf.first();
        QVERIFY(m.exec("drop table tb_chapter"));
        QVERIFY(!m->getBooks(kAuthor, l.shelf, l.recycled));
        QCOMPARE(l.shelf.size(), 1);
        QCOMPARE(l.shelf.first(), before);
        // A failed chapter reload keeps what the book held.
        QVERIFY(!m->getChapters(before));
    }

    void oddRowsLoadWithoutLosingOthers()
    {
        ModelDb m;
        QVERIFY(addBook(m, 1, 1));
        QVERIFY(m.exec("insert into tb_volume(localId,localBookId,bookId,orderNum,volumeName) "
                       "values(1,1,0,1,NULL)"));
        // NULL texts, a text where a number belongs, a NUL inside a name, a
        // chapter whose volume is gone.
        QVERIFY(m.exec("insert into tb_chapter(localBookId,bookId,localVolumeId,orderNum,name,"
                       "wordCount) values(1,0,1,1,NULL,'many')"));
        QVERIFY(m.exec("insert into tb_chapter(localBookId,bookId,localVolumeId,orderNum,name) "
                       "values(1,0,1,2,'a' || char(0) || 'b')"));
        QVERIFY(m.exec("insert into tb_chapter(localBookId,bookId,localVolumeId,orderNum,name) "
                       "values(1,0,9,3,'orphan')"));
        QVERIFY(m.exec("insert into tb_outline(localBookId,bookId,title,content) "
                       "values(1,NULL,NULL,NULL)"));
        Loaded l;
        QVERIFY(m->getBooks(kAuthor, l.shelf, l.recycled));
        T_Book* book = l.shelf.first();
        QCOMPARE(book->volumeList.size(), 1);
        QVERIFY(book->volumeList.first()->volumeName.isEmpty());
        QCOMPARE(book->chapterList.size(), 3);
        QCOMPARE(book->chapterList.at(0)->wordCount, 0);
        QCOMPARE(book->chapterList.at(1)->name, QString::fromUtf16(u"a\u0000b", 3));
        QCOMPARE(book->chapterList.at(2)->name, QStringLiteral("orphan"));
        QCOMPARE(book->outline.outlineList.size(), 1);
    }
};

int runModelBooks(int argc, char** argv)
{
    TestModelBooks test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_model_books.moc"

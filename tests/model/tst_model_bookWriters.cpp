// Writers of the book, volume and chapter tables.

#include "ModelDb.h"

#include "common/ServerClock.h"
#include "db/records/T_Book.h"
#include "remote/records/BookRecords.h"
#include "remote/records/VolumeRecords.h"

#include <QtTest>

class TestModelBookWriters : public QObject
{
    Q_OBJECT

private:
    // A stored chapter of a book and volume, by local ids.
    int storeChapter(ModelDb& m, int localBookId, int localVolumeId, int order,
                     int bookId = 0, int volumeId = 0)
    {
        T_Http_Custom header;
        header.localBookId = localBookId;
        header.localVolumeId = localVolumeId;
        header.bookId = bookId;
        header.volumeId = volumeId;
        if (!m->insertChapter(header, QStringLiteral("c%1").arg(order), 100, order))
            return 0;
        return header.localChapterId;
    }
    int orderOf(ModelDb& m, int localChapterId)
    {
        return m.count(QStringLiteral("select orderNum from tb_chapter where localId = %1")
                           .arg(localChapterId));
    }

private slots:
    void textsWithQuotesAndPlaceholdersRoundTrip()
    {
        ModelDb m;
        const QString tricky = QStringLiteral("It's %1 and %2'' \"q\" %%3");
        TC_Books_AddBook add(tricky, 1, 1, tricky);
        add.header.uid = 5;
        QVERIFY(m->insertBook(add));
        QVERIFY(add.header.localBookId > 0);

        T_Book book(add.header.localBookId, tricky);
        book.intro = tricky;
        book.coverUrl = tricky;
        book.localCover = tricky;
        book.status = 1;
        QVERIFY(m->updateBook(&book));
        QCOMPARE(m.value("select intro from tb_book").toString(), tricky);
        QCOMPARE(m.value("select bookName from tb_book").toString(), tricky);
        QCOMPARE(m.value("select localCover from tb_book").toString(), tricky);

        TC_Volume_Add volume(book.localId, 0, 0, 1, 100, tricky);
        QVERIFY(m->insertVolume(volume));
        QCOMPARE(m.value("select volumeName from tb_volume").toString(), tricky);

        T_Chapter chapter;
        chapter.localBookId = book.localId;
        chapter.name = tricky;
        chapter.content = tricky;
        QVERIFY(m->insertChapterWithContent(&chapter));
        chapter.content = tricky + tricky;
        QVERIFY(m->updateChapterContent(&chapter));
        QVERIFY(m->getChapterContent(&chapter));
        QCOMPARE(chapter.content, tricky + tricky);
        const int fromServer = m->insertChapterFromServer(book.localId, 0, 0, 0, 9, 2, tricky,
                                                          tricky);
        QVERIFY(fromServer > 0);
        QCOMPARE(m.value(QStringLiteral("select name from tb_chapter where localId = %1")
                             .arg(fromServer))
                     .toString(),
                 tricky);
    }

    void failedInsertLeavesTheRecordsIdAlone()
    {
        ModelDb m;
        QVERIFY(m.exec("drop table tb_chapter"));
        T_Chapter chapter;
        chapter.localId = 7;
        QVERIFY(!m->insertChapterWithContent(&chapter));
        QCOMPARE(chapter.localId, 7);
        QCOMPARE(m->insertChapterFromServer(1, 0, 0, 0, 0, 1, QString(), QString()), 0);
    }

    void shiftingByServerIdsRefusesObjectsNotOnThePlatform()
    {
        ModelDb m;
        const int offline = storeChapter(m, 1, 10, 5);
        const int online = storeChapter(m, 2, 20, 5, 300, 400);
        QVERIFY(!m->shiftChapterOrderByServerIds(0, 0, 1, 1));
        QCOMPARE(orderOf(m, offline), 5);
        QVERIFY(m->shiftChapterOrderByServerIds(300, 400, 5, 2));
        QCOMPARE(orderOf(m, online), 7);
        QVERIFY(!m->updateChapterVolumeId(10, 0));
        QCOMPARE(m.count("select count(*) from tb_chapter where localVolumeId = 10"), 1);
    }

    void deletingABookIsAllOrNothing()
    {
        ModelDb m;
        TC_Books_AddBook add(QStringLiteral("b"), 1, 1, QString());
        QVERIFY(m->insertBook(add));
        storeChapter(m, add.header.localBookId, 1, 1);
        QVERIFY(m.exec("drop table tb_outline"));
        TC_Books_Delete_Hard del;
        del.header.localBookId = add.header.localBookId;
        QVERIFY(!m->deleteBook(del));
        QCOMPARE(m.count("select count(*) from tb_book"), 1);
        QCOMPARE(m.count("select count(*) from tb_chapter"), 1);
    }

    void savingARecordWhoseRowIsGoneFails()
    {
        ModelDb m;
        T_Chapter chapter;
        chapter.localId = 99;
        chapter.content = QStringLiteral("lost?");
        QVERIFY(!m->updateChapterContent(&chapter));
        QVERIFY(!m->updateChapterName(&chapter));
        QVERIFY(!m->updateChapterStatus(&chapter));
        T_Book book(99, QStringLiteral("b"));
        QVERIFY(!m->updateBook(&book));
        QVERIFY(!m->updateBookMoney(99, 1.0));
        QVERIFY(!m->touchBook(99));
        T_Volume volume;
        volume.localId = 99;
        QVERIFY(!m->updateVolumeName(&volume));
        TC_Volume_Delete status;
        status.header.localVolumeId = 99;
        QVERIFY(!m->updateVolumeStatus(status));
    }

    // A NUL inside a text neither breaks the statement nor cuts the row
    // short: the text is stored whole.
    void textWithANulCharacterIsStoredWhole()
    {
        ModelDb m;
        T_Chapter chapter;
        chapter.localBookId = 1;
        chapter.name = QStringLiteral("n");
        chapter.content = QString::fromUtf16(u"before\u0000after", 12);
        QVERIFY(m->insertChapterWithContent(&chapter));
        QCOMPARE(m.value(QStringLiteral("select content from tb_chapter_text where localId = %1").arg(chapter.localId))
                     .toString(),
                 chapter.content);
    }

};

int runModelBookWriters(int argc, char** argv)
{
    TestModelBookWriters test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_model_bookWriters.moc"

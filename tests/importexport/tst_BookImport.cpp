// Importing text files as books: what lands in the tables, the job queue and
// the shared model, and how the worker hands its results to the GUI thread.

#include "ImportFixture.h"

#include "AreaMain.h"

#include "common/ServerClock.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSet>
#include <QTest>
#include <QTextCodec>
#include <QThread>

namespace {

const QString kNovel = QStringLiteral(
    "第1章 开始\n他推开门。\n\n外面下着雨。\n"
    "第2章 雨夜\n雨一直下。\n");

QByteArray encoded(const QString& text, const char* codec, const QByteArray& bom = QByteArray())
{
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return bom + QTextCodec::codecForName(codec)->fromUnicode(text.constData(), text.size(), &state);
}

QString chapters(int n)
{
    QString text;
    for (int i = 1; i <= n; ++i)
        text += QStringLiteral("第%1章 标题%1\n正文%1。\n").arg(i);
    return text;
}

} // namespace

class TestBookImport : public QObject
{
    Q_OBJECT
private slots:
    void textWithChapterHeadingsBecomesOneVolumeWithChaptersAndJobs();
    void chaptersTravelTwentyToABatchJob_data();
    void chaptersTravelTwentyToABatchJob();
    void volumeHeadingsMakeVolumesInTextOrder();
    void pianHeadingsAreVolumesToo();
    void volumesWithoutChaptersGiveEmptyVolumesAndEndTheImport();
    void textIsCutIntoChaptersAtHeadingLines_data();
    void textIsCutIntoChaptersAtHeadingLines();
    void quotesAndPlaceholdersInHeadingsAreStoredAsTheyStand();
    void oneImportAtATime();
    void writesOfTheWindowGoInWhileTheWriteLockIsTaken_data();
    void writesOfTheWindowGoInWhileTheWriteLockIsTaken();
    void chaptersHeadedHuiAreCutByTheCatalogueAndTheBuiltInPattern_data();
    void chaptersHeadedHuiAreCutByTheCatalogueAndTheBuiltInPattern();
    void serverIdsReachAnImportedBookWithoutWritingItsTextsAgain();
    void anImportedBookLeadsTheShelfAfterARestart();
    void anImportCopiesItsLogBackAsItGoes();
};

void TestBookImport::textWithChapterHeadingsBecomesOneVolumeWithChaptersAndJobs()
{
    ImportFixture f;
    QVERIFY(f.ready());
    QCOMPARE(f.import(f.writeFile(QStringLiteral("雨夜.txt"), kNovel.toUtf8())), 200);
    const int localBookId = f.rows(QStringLiteral("select localId from tb_book")).first().first().toInt();
    const QList<QVariantList> volumes = f.rows(QStringLiteral("select localId,volumeName from tb_volume"));
    QCOMPARE(volumes.size(), 1);
    QCOMPARE(volumes.first().at(1).toString(), QStringLiteral("第一卷"));
    const int localVolumeId = volumes.first().at(0).toInt();
    const QList<QVariantList> chapterRows = f.rows(QStringLiteral(
        "select localId,name,content,wordCount,createTime from tb_chapter left join tb_chapter_text using (localId) order by orderNum"));
    QCOMPARE(chapterRows.size(), 2);
    QCOMPARE(chapterRows.at(0).at(2).toString(), QStringLiteral("他推开门。\n\n外面下着雨。\n"));
    QCOMPARE(chapterRows.at(0).at(3).toInt(), 11);
    QCOMPARE(chapterRows.at(1).at(4).toInt() - chapterRows.at(0).at(4).toInt(), 1);

    // The model got the same book while the import was still being answered.
    T_Book* book = f.firstBook();
    QVERIFY(book);
    QCOMPARE(book->localId, localBookId);
    QCOMPARE(book->chapterList.size(), 2);

    // Jobs in the order the replay needs: book, volume, chapters; each
    // taken off the queue once answered, so the wire shows the order.
    QVERIFY(f.waitUntilAllAnswered());
    const QStringList order{QStringLiteral("/books/addBook"), QStringLiteral("/volume/addVolume"),
                            QStringLiteral("/chapter/batchCreateChapter")};
    QStringList paths;
    for (const QJsonValue& entry : standin().journal()) {
        const QString path = entry.toObject().value(QStringLiteral("path")).toString();
        if (order.contains(path) && !paths.contains(path))
            paths.append(path);
    }
    QCOMPARE(paths, order);
    const QList<QJsonArray> batches = f.receivedBatches();
    QCOMPARE(batches.size(), 1);
    QCOMPARE(batches.first().size(), 2);
    const QJsonObject first = batches.first().at(0).toObject();
    QCOMPARE(first.value(QStringLiteral("local_id")).toInt(), chapterRows.at(0).at(0).toInt());
    QCOMPARE(first.value(QStringLiteral("local_volume_id")).toInt(), localVolumeId);
    QCOMPARE(first.value(QStringLiteral("content")).toString(), chapterRows.at(0).at(2).toString());

    // Every answer is in: the book is no longer marked as importing and the
    // next import may start.
    QVERIFY(!book->isImporting);
    QCOMPARE(book->synCount, 0);
    QVERIFY(!CUiManager::instance()->isBookImporting());
    for (const QVariantList& row : f.rows(QStringLiteral("select chapterId from tb_chapter")))
        QVERIFY(row.first().toInt() > 0);
}

void TestBookImport::chaptersTravelTwentyToABatchJob_data()
{
    QTest::addColumn<int>("chapterCount");
    QTest::addColumn<QList<int>>("batchSizes");
    QTest::newRow("20") << 20 << QList<int>{20};
    QTest::newRow("21") << 21 << QList<int>{20, 1};
    QTest::newRow("45") << 45 << QList<int>{20, 20, 5};
}

void TestBookImport::chaptersTravelTwentyToABatchJob()
{
    QFETCH(int, chapterCount);
    QFETCH(QList<int>, batchSizes);
    ImportFixture f;
    QVERIFY(f.ready());
    QCOMPARE(f.import(f.writeFile(QStringLiteral("批量.txt"), chapters(chapterCount).toUtf8())), 200);
    T_Book* book = f.firstBook();
    QVERIFY(book);
    // Stored at once, answered in their own time: the outcome is every
    // batch answered, each chapter sent once and in order, and the book's
    // progress over.
    QVERIFY(f.waitUntilAllAnswered());
    QList<int> sizes;
    int order = 0;
    for (const QJsonArray& batch : f.receivedBatches()) {
        sizes.append(batch.size());
        for (const QJsonValue& item : batch)
            QCOMPARE(item.toObject().value(QStringLiteral("order_num")).toInt(), ++order);
    }
    QCOMPARE(sizes, batchSizes);
    QCOMPARE(f.count(QStringLiteral("tb_chapter")), chapterCount);
    QCOMPARE(f.rows(QStringLiteral("select count(*) from tb_chapter where chapterId > 0")).first().first().toInt(),
             chapterCount);
    QVERIFY(!book->isImporting);
    QCOMPARE(book->synCount, 0);
    QCOMPARE(book->synDoneCount, 0);
    QVERIFY(!CUiManager::instance()->isBookImporting());
}

void TestBookImport::volumeHeadingsMakeVolumesInTextOrder()
{
    ImportFixture f;
    QVERIFY(f.ready());
    // A connection closed under the first volume, as a busy machine meets
    // it: the transport sends that request again.
    QVERIFY(standin().addFault(QStringLiteral("/volume/addVolume"), QStringLiteral("drop")));
    const QString text = QStringLiteral(
        "第一卷 风起\n第1章 甲\n甲文\n第2章 乙\n乙文\n"
        "第二卷 云涌\n第3章 丙\n丙文\n"
        "第二卷 云涌\n第4章 丁\n丁文\n");
    QCOMPARE(f.import(f.writeFile(QStringLiteral("分卷.txt"), text.toUtf8())), 200);
    const QList<QVariantList> volumes =
        f.rows(QStringLiteral("select localId,volumeName from tb_volume order by orderNum"));
    QCOMPARE(volumes.size(), 2);
    QCOMPARE(volumes.at(1).at(1).toString(), QStringLiteral("第二卷 云涌"));
    const QList<QVariantList> chapterRows =
        f.rows(QStringLiteral("select name,localVolumeId,content from tb_chapter left join tb_chapter_text using (localId) order by orderNum"));
    QCOMPARE(chapterRows.size(), 4);
    QCOMPARE(chapterRows.at(1).at(1), volumes.at(0).at(0));
    QCOMPARE(chapterRows.at(2).at(1), volumes.at(1).at(0));
    QCOMPARE(chapterRows.at(3).at(1), volumes.at(1).at(0));
    QCOMPARE(chapterRows.at(3).at(2).toString(), QStringLiteral("丁文\n"));
    // Each volume reached the platform; a request the queue sent again while
    // the machine was busy is the same volume.
    QVERIFY(f.waitUntilAllAnswered());
    QSet<QString> sent;
    for (const QJsonObject& entry : standin().requestsTo(QStringLiteral("/volume/addVolume")))
        sent << StandinServer::bodyOf(entry).value(QStringLiteral("volume_name")).toString();
    QCOMPARE(sent, (QSet<QString>{QStringLiteral("第一卷 风起"), QStringLiteral("第二卷 云涌")}));
    // One look at the book's volumes stands for the answers of all of them,
    // asked after the last: a book of many volumes is not listed per volume.
    QTRY_COMPARE(f.rows(QStringLiteral("select count(*) from tb_owed_look")).value(0).value(0).toInt(), 0);
    const QJsonArray journal = standin().journal();
    QList<int> lists;
    int lastAdd = -1;
    for (int i = 0; i < journal.size(); ++i) {
        const QString path = journal.at(i).toObject().value(QStringLiteral("path")).toString();
        if (path == QLatin1String("/volume/volumeList"))
            lists << i;
        else if (path == QLatin1String("/volume/addVolume"))
            lastAdd = i;
    }
    QCOMPARE(lists.size(), 1);
    QVERIFY(lists.first() > lastAdd);
}

void TestBookImport::pianHeadingsAreVolumesToo()
{
    ImportFixture f;
    QVERIFY(f.ready());
    const QString text = QStringLiteral("第一篇 春\n第1章 甲\n甲文\n第二篇 夏 第2章 乙\n乙文\n");
    QCOMPARE(f.import(f.writeFile(QStringLiteral("分篇.txt"), text.toUtf8())), 200);
    QStringList pairs;
    for (const QVariantList& row : f.rows(QStringLiteral(
             "select v.volumeName,c.name from tb_chapter c join tb_volume v on v.localId=c.localVolumeId "
             "order by c.orderNum")))
        pairs << row.at(0).toString() + QLatin1Char('/') + row.at(1).toString();
    QCOMPARE(pairs, (QStringList{QStringLiteral("第一篇 春/第1章 甲"), QStringLiteral("第二篇 夏/第2章 乙")}));
}

void TestBookImport::volumesWithoutChaptersGiveEmptyVolumesAndEndTheImport()
{
    ImportFixture f;
    QVERIFY(f.ready());
    const QString text = QStringLiteral("第一卷\n第二卷 终\n");
    QCOMPARE(f.import(f.writeFile(QStringLiteral("空卷.txt"), text.toUtf8())), 200);
    QCOMPARE(f.count(QStringLiteral("tb_volume")), 2);
    QCOMPARE(f.count(QStringLiteral("tb_chapter")), 0);
    QCOMPARE(f.rows(QStringLiteral("select count(*) from tb_job where jobType=1009")).first().first().toInt(), 0);
    // No batch will ever be answered: the import is over at once and the next may start.
    T_Book* book = f.firstBook();
    QVERIFY(book);
    QVERIFY(!book->isImporting);
    QVERIFY(!CUiManager::instance()->isBookImporting());
}

void TestBookImport::textIsCutIntoChaptersAtHeadingLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("texts");
    const QStringList novelNames{QStringLiteral("第1章 开始"), QStringLiteral("第2章 雨夜")};
    const QStringList novelTexts{QStringLiteral("他推开门。\n\n外面下着雨。\n"), QStringLiteral("雨一直下。\n")};
    QTest::newRow("utf-8") << encoded(kNovel, "UTF-8") << novelNames << novelTexts;
    QTest::newRow("utf-8 with bom") << encoded(kNovel, "UTF-8", "\xEF\xBB\xBF") << novelNames << novelTexts;
    QTest::newRow("utf-16le with bom") << encoded(kNovel, "UTF-16LE", "\xFF\xFE") << novelNames << novelTexts;
    QTest::newRow("utf-16be with bom") << encoded(kNovel, "UTF-16BE", "\xFE\xFF") << novelNames << novelTexts;
    QTest::newRow("gb18030") << encoded(kNovel, "GB18030") << novelNames << novelTexts;
    // Characters outside GBK: four-byte sequences of GB18030.
    QTest::newRow("gb18030 four-byte") << encoded(kNovel + QStringLiteral("€𠀀\n"), "GB18030") << novelNames
                                       << QStringList{novelTexts.first(), QStringLiteral("雨一直下。\n€𠀀\n")};
    QTest::newRow("text before the first heading is a preface")
        << QStringLiteral("作者的话\n谢谢阅读。\n第1章 起\n正文\n").toUtf8()
        << QStringList{QStringLiteral("序言"), QStringLiteral("第1章 起")}
        << QStringList{QStringLiteral("作者的话\n谢谢阅读。\n"), QStringLiteral("正文\n")};
    const QString body = QStringLiteral("他说\n这一行比二十个字更长一些，这一行比二十个字更长一些。\n"
                                        "他读完了第三章的内容，合上书。\n");
    QTest::newRow("headings are whole lines only")
        << (QStringLiteral("第1章 开始\n") + body + QStringLiteral("第2章 后来\n完\n")).toUtf8()
        << QStringList{QStringLiteral("第1章 开始"), QStringLiteral("第2章 后来")}
        << QStringList{body, QStringLiteral("完\n")};
    // The import rules promise that a text without headings becomes one chapter.
    QTest::newRow("no heading") << QStringLiteral("只是一段文字。\n没有章节。\n").toUtf8()
                                << QStringList{QStringLiteral("第一章")}
                                << QStringList{QStringLiteral("只是一段文字。\n没有章节。\n")};
    QTest::newRow("heading inside a sentence") << QStringLiteral("他读到第三章的时候睡着了。\n").toUtf8()
                                               << QStringList{QStringLiteral("第一章")}
                                               << QStringList{QStringLiteral("他读到第三章的时候睡着了。\n")};
    QTest::newRow("entities are read whole, tags before them")
        << QStringLiteral("第1章 甲\n&nbsp;&nbsp;&nbsp;&nbsp;她说<p>\na &lt; b &amp;&amp; c &gt; d&#12;\n"
                          "&quot;&lt;p&gt;&quot; &amp;lt;\n").toUtf8()
        << QStringList{QStringLiteral("第1章 甲")}
        << QStringList{QStringLiteral("她说\na < b && c > d\n\"<p>\" &lt;\n")};
    QTest::newRow("tags with attributes, self-closing tags")
        << QStringLiteral("第1章 甲\n<p class=\"x\">她说<br/>走<br />吧<span style=\"color:red\">红字</span>\n"
                          "<走吧><i love you><TD>\n").toUtf8()
        << QStringList{QStringLiteral("第1章 甲")}
        << QStringList{QStringLiteral("她说走吧红字\n<走吧><i love you><TD>\n")};
    QTest::newRow("CR LF and lone CR end lines")
        << QStringLiteral("第1章 甲\r\n一行\r\n两行\r第2章 乙\r三行\r").toUtf8()
        << QStringList{QStringLiteral("第1章 甲"), QStringLiteral("第2章 乙")}
        << QStringList{QStringLiteral("一行\n两行\n"), QStringLiteral("三行\n")};
}

void TestBookImport::textIsCutIntoChaptersAtHeadingLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    QFETCH(QStringList, texts);
    ImportFixture f;
    QVERIFY(f.ready());
    QCOMPARE(f.import(f.writeFile(QStringLiteral("书.txt"), bytes)), 200);
    QStringList storedNames, storedTexts;
    for (const QVariantList& row : f.rows(QStringLiteral("select name,content from tb_chapter left join tb_chapter_text using (localId) order by orderNum"))) {
        storedNames << row.at(0).toString();
        storedTexts << row.at(1).toString();
    }
    QCOMPARE(storedNames, names);
    QCOMPARE(storedTexts, texts);
}

void TestBookImport::quotesAndPlaceholdersInHeadingsAreStoredAsTheyStand()
{
    ImportFixture f;
    QVERIFY(f.ready());
    const QString heading = QStringLiteral("第1章 \"他说\" '%1' %2 \\ ;--");
    const QString text = heading + QStringLiteral("\n'%1' 正文 \"%2\"\n");
    QCOMPARE(f.import(f.writeFile(QStringLiteral("O'Brien %1.txt"), text.toUtf8())), 200);
    QCOMPARE(f.rows(QStringLiteral("select bookName from tb_book")).first().first().toString(),
             QStringLiteral("O'Brien %1"));
    const QList<QVariantList> rows = f.rows(QStringLiteral("select name,content from tb_chapter left join tb_chapter_text using (localId)"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().at(0).toString(), heading);
    QCOMPARE(rows.first().at(1).toString(), QStringLiteral("'%1' 正文 \"%2\"\n"));
    QVERIFY(f.waitUntilAllAnswered());
    const QList<QJsonArray> batches = f.receivedBatches();
    QCOMPARE(batches.size(), 1);
    QCOMPARE(batches.first().first().toObject().value(QStringLiteral("chapter_name")).toString(), heading);
}

void TestBookImport::oneImportAtATime()
{
    ImportFixture f;
    QVERIFY(f.ready());
    CBookJobManager* manager = CBookJobManager::instance();
    const QString path = f.writeFile(QStringLiteral("一.txt"), chapters(3).toUtf8());
    CUiManager::instance()->setBookImporting(true);
    QVERIFY(!manager->startImportBook(path));
    CUiManager::instance()->setBookImporting(false);

    // The flag is taken when the first import starts, before its book exists.
    QSignalSpy finished(manager, &CBookJobManager::sig_ImportBookFinished);
    QVERIFY(manager->startImportBook(path));
    QVERIFY(!manager->startImportBook(f.writeFile(QStringLiteral("二.txt"), chapters(3).toUtf8())));
    QVERIFY(finished.wait(60000));
    QCOMPARE(f.count(QStringLiteral("tb_book")), 1);
    // Free again once the platform has answered the import.
    QVERIFY(f.waitUntilAllAnswered());
    QVERIFY(!CUiManager::instance()->isBookImporting());
    QVERIFY(manager->startImportBook(path));
    QVERIFY(finished.wait(60000));
    QCOMPARE(f.count(QStringLiteral("tb_book")), 2);
}

void TestBookImport::writesOfTheWindowGoInWhileTheWriteLockIsTaken_data()
{
    QTest::addColumn<int>("write");
    QTest::addColumn<bool>("import");
    const char* const writes[] = {"a book opened goes to the shelf's front", "a chapter saved on the window's thread",
                                  "a chapter saved by the writing tick"};
    for (int write = 0; write < 3; ++write)
        QTest::addRow("%s while an import writes", writes[write]) << write << true;
    for (int write = 0; write < 3; ++write)
        QTest::addRow("%s while another program holds the write lock", writes[write]) << write << false;
}

void TestBookImport::writesOfTheWindowGoInWhileTheWriteLockIsTaken()
{
    QFETCH(int, write);
    QFETCH(bool, import);
    ImportFixture f;
    QVERIFY(f.ready());
    // The author's book, open in the writing window.
    CPublicManager* model = CPublicManager::instance();
    model->userConf.uid = StandinServer::demoUid();
    CTessaneDb* db = CTessaneDb::instance();
    QVERIFY(db->exec(QStringLiteral("insert into tb_book(localId,bookName,authorId) values(900,'旧作',%1);"),
                     {StandinServer::demoUid()}));
    auto* book = new T_Book(900, QStringLiteral("旧作"));
    auto* chapter = new T_Chapter;
    chapter->localBookId = 900;
    chapter->name = QStringLiteral("第一章");
    chapter->content = QStringLiteral("开头。");
    chapter->contentLoaded = true;
    QVERIFY(db->insertChapterWithContent(chapter));
    book->chapterList.append(chapter);
    book->chaptersLoaded = true;
    model->bookList.append(book);
    Widget_Creation_Content pane;
    pane.show();
    QVERIFY(pane.showChapter(book, chapter, true));

    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other program"));
    QSqlQuery lock;
    if (import) {
        QVERIFY(f.slowChapterRows(true));
        QVERIFY(CBookJobManager::instance()->startImportBook(
            f.writeFile(QStringLiteral("长.txt"), chapters(3000).toUtf8())));
        QTRY_VERIFY_WITH_TIMEOUT(f.firstBook() && f.firstBook()->isImporting, 60000);
    } else {
        other.setDatabaseName(db->dbFilePath());
        QVERIFY(other.open());
        lock = QSqlQuery(other);
        QVERIFY(lock.exec(QStringLiteral("BEGIN IMMEDIATE;")));
    }

    // The book is only opened: an edit would go to the front with the
    // tick's save.
    if (write != 0)
        QTest::keyClicks(pane.textEdit(), QStringLiteral("xyz"));
    const auto inTheFile = [&]() {
        if (write == 0)
            return f.rows(QStringLiteral("select updateTime from tb_book where localId = 900")).value(0).value(0).toInt() > 0;
        return f.rows(QStringLiteral("select count(*) from tb_chapter_text c join tb_job j on j.localChapterId = c.localId "
                                     "where c.localId = %1 and c.content like '%xyz%' and j.jobType = 1017")
                          .arg(chapter->localId))
                   .value(0).value(0).toInt() == 1;
    };
    // The book is moved once and its time stored by the program's own
    // retries; a save is tried again as the next tick would.
    const auto attempt = [&]() {
        if (write == 1)
            pane.saveChapter(true);
        else if (write == 2 && pane.saveChapterInBackground())
            db->settleBackgroundStore();
    };
    QSignalSpy told(CUiManager::instance(), &CUiManager::sig_Message);
    const qint64 waitedBefore = ImportFixture::lockWaitMs();
    if (write == 0)
        CJobManager::instance()->moveBookToFront(book, true);
    else
        attempt();
    if (!import) {
        // Not stored while the lock is held, and nothing for the author to
        // hear: the words wait in the editor, the book's place in the queue.
        // The window waited for the lock a frame or two, not the
        // connection's whole busy timeout.
        QVERIFY(!inTheFile());
        const qint64 waited = ImportFixture::lockWaitMs() - waitedBefore;
        QVERIFY2(waited <= 100, qPrintable(QString::number(waited)));
        QVERIFY2(told.isEmpty(), qPrintable(told.value(0).value(0).toString()));
        QVERIFY(lock.exec(QStringLiteral("ROLLBACK;")));
    }
    // The import's chapters in the file once the write was: all of them
    // would mean that it waited for the import's end.
    int importedThen = -1;
    const auto stored = [&]() {
        if (write != 0 && !inTheFile())
            attempt();
        if (!inTheFile())
            return false;
        if (importedThen < 0)
            importedThen = f.count(QStringLiteral("tb_chapter")) - 1;
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(stored(), 20000);
    if (import) {
        QVERIFY2(importedThen < 3000, qPrintable(QString::number(importedThen)));
        CBookJobManager::instance()->stopImport();
        QVERIFY(f.slowChapterRows(false));
    }
    lock = QSqlQuery();
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("other program"));
    pane.dropChapter();
}

void TestBookImport::chaptersHeadedHuiAreCutByTheCatalogueAndTheBuiltInPattern_data()
{
    QTest::addColumn<bool>("catalogue");
    QTest::newRow("the catalogue's pattern") << true;
    QTest::newRow("the built-in pattern") << false;
}

void TestBookImport::chaptersHeadedHuiAreCutByTheCatalogueAndTheBuiltInPattern()
{
    QFETCH(bool, catalogue);
    ImportFixture f;
    QVERIFY(f.ready());
    const QString text = QStringLiteral("第一回 宴桃园豪杰三结义\n话说天下大势。\n第二回 张翼德怒鞭督邮\n且说董卓。\n");
    useProgramCatalogue(catalogue);
    const int result = f.import(f.writeFile(QStringLiteral("演义.txt"), text.toUtf8()));
    useProgramCatalogue(true);
    QCOMPARE(result, 200);
    const QList<QVariantList> rows = f.rows(QStringLiteral("select name,content from tb_chapter left join tb_chapter_text using (localId) order by orderNum"));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).at(0).toString(), QStringLiteral("第一回 宴桃园豪杰三结义"));
    QCOMPARE(rows.at(0).at(1).toString(), QStringLiteral("话说天下大势。\n"));
    QCOMPARE(rows.at(1).at(0).toString(), QStringLiteral("第二回 张翼德怒鞭督邮"));
    QVERIFY(f.waitUntilAllAnswered());
}

void TestBookImport::serverIdsReachAnImportedBookWithoutWritingItsTextsAgain()
{
    ImportFixture f;
    QVERIFY(f.ready());
    // The platform answers the book only once the author wrote in one of its
    // chapters: that save waits for every id.
    QVERIFY(standin().addFault(QStringLiteral("/books/addBook"), QStringLiteral("ok"), -1));
    const QString text =
        QStringLiteral("第一卷 起\n") + chapters(25) + QStringLiteral("第二卷 终\n第26章 尾声\n正文26。\n");
    QCOMPARE(f.import(f.writeFile(QStringLiteral("回音.txt"), text.toUtf8())), 200);
    T_Book* book = f.firstBook();
    QVERIFY(book && !book->chapterList.isEmpty());
    const int localChapterId = book->chapterList.first()->localId;
    Widget_Creation_Content pane;
    pane.show();
    QVERIFY(pane.showChapter(book, book->chapterList.first(), true));
    QTest::keyClicks(pane.textEdit(), QStringLiteral("xyz"));
    QVERIFY(pane.saveChapter(true));

    // The file itself counts every write of a chapter's text from here on,
    // and every rewrite of a job that holds one but for the mark of its
    // request leaving.
    {
        QSqlDatabase own = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("text writes"));
        own.setDatabaseName(CTessaneDb::instance()->dbFilePath());
        QVERIFY(own.open());
        QSqlQuery query(own);
        for (const char* statement :
             {"create table text_writes(what text);",
              "create trigger chapter_text_added after insert on tb_chapter_text begin "
              "insert into text_writes values('chapter ' || new.localId); end;",
              "create trigger chapter_text_written after update on tb_chapter_text begin "
              "insert into text_writes values('chapter ' || new.localId); end;",
              "create trigger job_text_written after update on tb_job when instr(new.content, '正文') > 0 "
              "and new.sent is old.sent begin "
              "insert into text_writes values('job ' || new.jobId || ' type ' || new.jobType); end;"})
            QVERIFY2(query.exec(QString::fromUtf8(statement)), statement);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("text writes"));

    // The book's add is held once it came.
    QTRY_VERIFY(!standin().requestsTo(QStringLiteral("/books/addBook")).isEmpty());
    QVERIFY(standin().releaseHeld());
    QVERIFY(f.waitUntilAllAnswered());
    QCOMPARE(f.rows(QStringLiteral("select count(*) from tb_chapter where bookId > 0 and volumeId > 0 and chapterId > 0"))
                 .value(0).value(0).toInt(),
             26);
    const QList<QVariantList> written = f.rows(QStringLiteral("select what from text_writes"));
    QVERIFY2(written.isEmpty(), qPrintable(written.value(0).value(0).toString()));
    // The words typed before any id was known went to the chapter the
    // platform made of it, under the ids that came since.
    const QList<QJsonObject> edits = standin().requestsTo(QStringLiteral("/chapter/editChapter"));
    QCOMPARE(edits.size(), 1);
    const QJsonObject edit = StandinServer::bodyOf(edits.first());
    QCOMPARE(edit.value(QStringLiteral("book_id")).toInt(), book->bookId);
    QCOMPARE(edit.value(QStringLiteral("chapter_id")).toInt(),
             f.rows(QStringLiteral("select chapterId from tb_chapter where localId = %1").arg(localChapterId))
                 .value(0).value(0).toInt());
    QVERIFY(edit.value(QStringLiteral("content")).toString().contains(QStringLiteral("xyz")));
    pane.dropChapter();
}

void TestBookImport::anImportedBookLeadsTheShelfAfterARestart()
{
    ImportFixture f;
    QVERIFY(f.ready());
    CTessaneDb* db = CTessaneDb::instance();
    // A book written in yesterday.
    QVERIFY(db->exec(QStringLiteral("insert into tb_book(localId,bookName,authorId,updateTime) values(900,'旧作',%1,%2);"),
                     {StandinServer::demoUid(), qint64(currentServerTime() - 86400)}));
    QCOMPARE(f.import(f.writeFile(QStringLiteral("新作.txt"), kNovel.toUtf8())), 200);
    QVERIFY(f.waitUntilAllAnswered());
    const QString file = db->dbFilePath();

    // The next start: the shelf as the stored books give it.
    CPublicManager::instance()->clearBooks();
    db->close();
    QVERIFY(db->init(file, f.dir() + QStringLiteral("/program")));
    db->setCurrentUid(StandinServer::demoUid());
    QVERIFY(CBookJobManager::instance()->loadBooks());
    const QList<T_Book*>& shelf = CPublicManager::instance()->bookList;
    QCOMPARE(shelf.size(), 2);
    QCOMPARE(shelf.first()->bookName, QStringLiteral("新作"));
    QCOMPARE(shelf.last()->localId, 900);
}

void TestBookImport::anImportCopiesItsLogBackAsItGoes()
{
    ImportFixture f;
    QVERIFY(f.ready());
    // 20 MB of text: a log that took it whole before copying it back would
    // make the window's commits wait for one long sync of the disk.
    const QString body = QString(3400, QChar(0x58F0)) + QLatin1Char('\n');
    QString text;
    for (int i = 1; i <= 2000; ++i)
        text += QStringLiteral("第%1章 标题%1\n").arg(i) + body;
    QCOMPARE(f.import(f.writeFile(QStringLiteral("长河.txt"), text.toUtf8())), 200);
    QCOMPARE(f.count(QStringLiteral("tb_chapter")), 2000);
    // The log file keeps the largest size it reached.
    const qint64 logBytes = QFileInfo(CTessaneDb::instance()->dbFilePath() + QStringLiteral("-wal")).size();
    QVERIFY2(logBytes > 0 && logBytes < 8 * 1024 * 1024, qPrintable(QString::number(logBytes)));
}

int runBookImportTests(int argc, char** argv)
{
    TestBookImport tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_BookImport.moc"

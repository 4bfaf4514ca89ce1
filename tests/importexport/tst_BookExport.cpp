// Writing a whole book to one text file: its layout, order, old texts, and
// that a failed export never damages the file that was there.

#include "ImportFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "manager/CPublicManager.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

// A book of the model with one live volume per name and the given chapters
// (volume index, name, text), created after mid-2020.
T_Book* makeBook(const QString& name, const QStringList& volumes,
                 const QList<std::tuple<int, QString, QString>>& chapters)
{
    auto* book = new T_Book(900, name);
    for (int i = 0; i < volumes.size(); ++i) {
        auto* volume = new T_Volume;
        volume->localId = 100 + i;
        volume->orderNum = i + 1;
        volume->volumeName = volumes.at(i);
        book->volumeList.append(volume);
    }
    int order = 0;
    for (const auto& c : chapters) {
        auto* chapter = new T_Chapter;
        chapter->localId = 1000 + order;
        chapter->orderNum = ++order;
        chapter->localVolumeId = 100 + std::get<0>(c);
        chapter->name = std::get<1>(c);
        chapter->content = std::get<2>(c);
        chapter->contentLoaded = true;
        chapter->status = 1;
        chapter->createTime = 1700000000;
        chapter->updateTime = 1700000000;
        book->chapterList.append(chapter);
    }
    CPublicManager::instance()->bookList.prepend(book);
    return book;
}

QString readUtf8(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<unreadable>");
    return QString::fromUtf8(file.readAll());
}

} // namespace

class TestBookExport : public QObject
{
    Q_OBJECT
private slots:
    void descendingBookIsWrittenBackwardsWithoutResortingItsLists();
    void deletedVolumesAndRecycledChaptersAreLeftOut();
    void failedExportLeavesTheOldFileAsItWas();
    void importThenExportRoundTrips();
};

void TestBookExport::descendingBookIsWrittenBackwardsWithoutResortingItsLists()
{
    ImportFixture f;
    QVERIFY(f.ready());
    T_Book* book = makeBook(QStringLiteral("书"), {QStringLiteral("甲卷"), QStringLiteral("乙卷")},
                            {{0, QStringLiteral("一"), QStringLiteral("1")},
                             {0, QStringLiteral("二"), QStringLiteral("2")},
                             {1, QStringLiteral("三"), QStringLiteral("3")}});
    book->orderType = 1;
    const QString path = f.dir() + QStringLiteral("/out.txt");
    QVERIFY(CBookJobManager::instance()->books_export(book, path));
    QCOMPARE(readUtf8(path), QStringLiteral("乙卷 三\n\n3\n\n\n甲卷 二\n\n2\n\n\n甲卷 一\n\n1\n\n\n"));
    QCOMPARE(book->chapterList.first()->name, QStringLiteral("一"));
    QCOMPARE(book->volumeList.first()->volumeName, QStringLiteral("甲卷"));
}

void TestBookExport::deletedVolumesAndRecycledChaptersAreLeftOut()
{
    ImportFixture f;
    QVERIFY(f.ready());
    T_Book* book = makeBook(QStringLiteral("书"), {QStringLiteral("甲卷"), QStringLiteral("乙卷")},
                            {{0, QStringLiteral("一"), QStringLiteral("1")},
                             {1, QStringLiteral("二"), QStringLiteral("2")},
                             {5, QStringLiteral("无卷"), QStringLiteral("x")}});
    book->volumeList.at(1)->status = 0;
    auto* recycled = new T_Chapter;
    recycled->localVolumeId = 100;
    recycled->orderNum = 9;
    recycled->name = QStringLiteral("回收");
    recycled->contentLoaded = true;
    book->recycleChapterList.append(recycled);
    const QString path = f.dir() + QStringLiteral("/out.txt");
    QVERIFY(CBookJobManager::instance()->books_export(book, path));
    QCOMPARE(readUtf8(path), QStringLiteral("甲卷 一\n\n1\n\n\n"));
}

void TestBookExport::failedExportLeavesTheOldFileAsItWas()
{
    ImportFixture f;
    QVERIFY(f.ready());
    const QString path = f.writeFile(QStringLiteral("old.txt"), "earlier export");
    T_Book* book = makeBook(QStringLiteral("书"), {QStringLiteral("卷")},
                            {{0, QStringLiteral("一"), QStringLiteral("1")},
                             {0, QStringLiteral("二"), QString()}});
    // The second text has no row to load from: the export stops half-way.
    book->chapterList.at(1)->contentLoaded = false;
    QVERIFY(!CBookJobManager::instance()->books_export(book, path));
    QCOMPARE(readUtf8(path), QStringLiteral("earlier export"));

    QVERIFY(!CBookJobManager::instance()->books_export(
        book, f.dir() + QStringLiteral("/no/such/folder/out.txt")));
    QVERIFY(!CBookJobManager::instance()->books_export(nullptr, path));
}

void TestBookExport::importThenExportRoundTrips()
{
    ImportFixture f;
    QVERIFY(f.ready());
    // A preface, a chapter whose text starts and ends with blank lines, and
    // an empty chapter.
    const QString text = QStringLiteral(
        "作者的话\n\n第一卷 风起\n第1章 甲\n\n甲文一\n甲文二\n第2章 \"乙\" %1\n\n\n乙文\n\n"
        "第二卷 云涌\n第3章 丙\n丙文\n第4章 丁\n");
    QCOMPARE(f.import(f.writeFile(QStringLiteral("往返.txt"), text.toUtf8())), 200);
    const QString first = f.dir() + QStringLiteral("/first.txt");
    QVERIFY(CBookJobManager::instance()->books_export(f.firstBook(), first));
    QCOMPARE(readUtf8(first),
             QStringLiteral("第一卷 序言\n\n作者的话\n\n\n\n\n"
                            "第一卷 风起 第1章 甲\n\n甲文一\n甲文二\n\n\n\n"
                            "第一卷 风起 第2章 \"乙\" %1\n\n\n乙文\n\n\n\n\n"
                            "第二卷 云涌 第3章 丙\n\n丙文\n\n\n\n"
                            "第二卷 云涌 第4章 丁\n\n\n\n\n"));

    // Each exported file imports as the same volumes, chapters and texts,
    // cycle after cycle.
    const QString structure = QStringLiteral(
        "select v.volumeName,c.name,t.content from tb_chapter c join tb_volume v "
        "on v.localId=c.localVolumeId left join tb_chapter_text t on t.localId=c.localId "
        "where c.localBookId=(select max(localId) from tb_book) "
        "order by c.orderNum");
    const QList<QVariantList> before = f.rows(structure);
    QCOMPARE(before.size(), 5);
    QString exported = first;
    for (int cycle = 1; cycle <= 2; ++cycle) {
        CPublicManager::instance()->resetBookSynState(f.firstBook());
        QCOMPARE(f.import(exported), 200);
        QCOMPARE(f.rows(structure), before);
        exported = f.dir() + QStringLiteral("/cycle%1.txt").arg(cycle);
        QVERIFY(CBookJobManager::instance()->books_export(f.firstBook(), exported));
        QCOMPARE(readUtf8(exported), readUtf8(first));
    }
}

int runBookExportTests(int argc, char** argv)
{
    TestBookExport tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_BookExport.moc"

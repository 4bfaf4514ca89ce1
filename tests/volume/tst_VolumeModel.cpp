// The volume list: filling from a book, row state, selection across the
// tree, and the rename and move that are recorded for the book.

#include "BooksFixture.h"

#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "volume/CBookChapterModel.h"
#include "volume/CBookVolumeModel.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {
// A book held only here: volumes with the given statuses (orderNum 1, 2, ...)
// and two chapters in each.
std::unique_ptr<T_Book> memoryBook(const QList<int>& statuses)
{
    auto book = std::make_unique<T_Book>(900, QStringLiteral("书"));
    int chapterId = 1;
    for (int i = 0; i < statuses.size(); ++i) {
        auto* volume = new T_Volume;
        volume->localId = 100 + i;
        volume->localBookId = 900;
        volume->orderNum = i + 1;
        volume->status = statuses.at(i);
        volume->volumeName = QStringLiteral("卷\n%1").arg(i + 1);
        book->volumeList.append(volume);
        for (int c = 1; c <= 2; ++c) {
            auto* chapter = new T_Chapter;
            chapter->localId = chapterId++;
            chapter->localVolumeId = volume->localId;
            chapter->orderNum = c;
            chapter->status = 1;
            book->chapterList.append(chapter);
        }
    }
    return book;
}
}

class VolumeModelTest : public QObject
{
    Q_OBJECT
private slots:
    void deletedVolumesAndTheirChaptersAreNotShown();
    void moveRecordsTheNewNumbersForTheBook();
    void renameIsRecordedWithQuotesIntact();
};

void VolumeModelTest::deletedVolumesAndTheirChaptersAreNotShown()
{
    auto book = memoryBook({1, 0, 1});
    CBookVolumeModel model;
    model.setBook(book.get());
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.volumeAt(0).localId, 100);
    QCOMPARE(model.volumeAt(1).localId, 102);
    QCOMPARE(model.getChapterModel(1)->rowCount(), 2);
    QCOMPARE(model.getChapterModel(1)->getItem(0).chapter.localId, 5);
    QVERIFY(model.getChapterModelByLocalId(101) == nullptr);
    QCOMPARE(model.index(0, 0).data(Qt::UserRole + 3).toString(), QStringLiteral("卷1"));
    QCOMPARE(model.roleNames().value(Qt::UserRole + 4), QByteArray("ouderNum"));
    QCOMPARE(model.roleNames().value(Qt::UserRole + 9), QByteArray("bookId"));
}

void VolumeModelTest::moveRecordsTheNewNumbersForTheBook()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("卷序"));
    QVERIFY(book);
    for (int order = 2; order <= 4; ++order) {
        TC_Volume_Add volume(book->localId, 0, 0, order, 1700000000, QStringLiteral("卷%1").arg(order));
        volume.header.synStep = 1;
        QVERIFY(CBookJobManager::instance()->volume_add(volume));
    }
    CBookVolumeModel model;
    model.setBook(book);
    QCOMPARE(model.rowCount(), 4);
    const int v1 = model.volumeAt(0).localId;
    const int v2 = model.volumeAt(1).localId;
    const int v3 = model.volumeAt(2).localId;
    const int v4 = model.volumeAt(3).localId;
    model.moveItem(0, 2, 1);
    QCOMPARE(book->findVolumeByLocalId(v1)->orderNum, 3);
    QCOMPARE(book->findVolumeByLocalId(v2)->orderNum, 1);
    QCOMPARE(book->findVolumeByLocalId(v3)->orderNum, 2);
    QCOMPARE(book->findVolumeByLocalId(v4)->orderNum, 4);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select orderNum from tb_volume where localId = %1").arg(v1)).toInt(), 3);
    QCOMPARE(BooksFixture::jobTypes(), QList<int>{1034});
    const QJsonObject stored = QJsonDocument::fromJson(BooksFixture::jobContent(1034).toUtf8()).object();
    QCOMPARE(stored.value(QStringLiteral("localFromVolumeId")).toInt(), v1);
    QCOMPARE(stored.value(QStringLiteral("localToVolumeId")).toInt(), v3);
}

void VolumeModelTest::renameIsRecordedWithQuotesIntact()
{
    BooksFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("卷名"));
    QVERIFY(book);
    CBookVolumeModel model;
    model.setBook(book);
    const QString name = QStringLiteral("第'1'卷 \"%1\"");
    model.setVolumeName(0, name);
    QCOMPARE(model.index(0, 0).data(CBookVolumeModel::VolumeNameRole).toString(), name);
    QCOMPARE(book->volumeList.first()->volumeName, name);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select volumeName from tb_volume where localId = %1")
                                      .arg(book->volumeList.first()->localId))
                 .toString(),
             name);
    QCOMPARE(BooksFixture::jobTypes(), QList<int>{1032});
    model.setVolumeName(7, QStringLiteral("x"));
    QCOMPARE(BooksFixture::jobTypes(), QList<int>{1032});
}

int runVolumeModelTests(int argc, char** argv)
{
    VolumeModelTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_VolumeModel.moc"

// The volume list: a rename is recorded for the book with its quotes intact.

#include "BooksFixture.h"

#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "volume/CBookVolumeModel.h"

#include <QTest>

class VolumeModelTest : public QObject
{
    Q_OBJECT
private slots:
    void renameIsRecordedWithQuotesIntact();
};

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

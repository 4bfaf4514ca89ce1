// Volume and outline operations.

#include "BooksFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"

#include <memory>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QTest>

namespace {
T_Outline* addOutline(T_Book* book, int order, bool fromPlatform)
{
    TC_BookOutline_Create create(book->bookId, book->localId, 0, 0, 1, order, 1700000000,
                                 QStringLiteral("大纲'%1'").arg(order), QStringLiteral("内容\"%1\" 100%"));
    create.header.synStep = fromPlatform ? 1 : 0;
    if (!CBookJobManager::instance()->outline_create(create))
        return nullptr;
    return book->findOutlineByLocalId(create.localOutlineId);
}
}

class VolumeOutlineTest : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_f = std::make_unique<BooksFixture>();
        QVERIFY(m_f->up());
    }
    void cleanup() { m_f.reset(); }
    void onlineVolumeIsSentAndLearnsItsId();
    void failedTableWriteLeavesModelAndQueueAlone();
    void outlineOfOfflineBookQueuesOnly();
    void outlineMoveRotatesOrderNumbers();

private:
    std::unique_ptr<BooksFixture> m_f;
};

void VolumeOutlineTest::onlineVolumeIsSentAndLearnsItsId()
{
    T_Book* book = m_f->onlineBook(QStringLiteral("新卷"));
    QVERIFY(book);
    standin().clearJournal();
    const QString name = QStringLiteral("卷'二'\"%1\" 10%");
    TC_Volume_Add add(book->localId, 0, 0, 2, 1700000000, name);
    QVERIFY(CBookJobManager::instance()->volume_add(add));
    T_Volume* volume = book->findVolumeByLocalId(add.header.localVolumeId);
    QVERIFY(volume);
    QVERIFY(BooksFixture::waitUntil([volume]() { return volume->volumeId > 0 && BooksFixture::jobTypes().isEmpty(); }));
    QCOMPARE(BooksFixture::lastBody(QStringLiteral("/volume/addVolume")).value(QStringLiteral("volume_name")).toString(), name);
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select volumeId from tb_volume where localId = %1").arg(volume->localId)).toInt(),
             volume->volumeId);

    TC_Volume_Edit rename;
    rename.header.localBookId = book->localId;
    rename.header.localVolumeId = volume->localId;
    rename.volumeName = QStringLiteral("改'%1'");
    QVERIFY(CBookJobManager::instance()->volume_edit(rename));
    QVERIFY(BooksFixture::waitUntil([]() { return BooksFixture::sent(QStringLiteral("/volume/editVolume")) == 1; }));
    const QJsonObject body = BooksFixture::lastBody(QStringLiteral("/volume/editVolume"));
    QCOMPARE(body.value(QStringLiteral("volume_name")).toString(), QStringLiteral("改'%1'"));
    QCOMPARE(body.value(QStringLiteral("id")).toInt(), volume->volumeId);
}

void VolumeOutlineTest::failedTableWriteLeavesModelAndQueueAlone()
{
    T_Book* book = m_f->offlineBook(QStringLiteral("坏表"));
    QVERIFY(book);
    T_Volume* volume = book->volumeList.first();
    const QString before = volume->volumeName;
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    QVERIFY(query.exec(QStringLiteral("drop table tb_volume")));
    TC_Volume_Edit rename;
    rename.header.localBookId = book->localId;
    rename.header.localVolumeId = volume->localId;
    rename.volumeName = QStringLiteral("不会写入");
    QVERIFY(!CBookJobManager::instance()->volume_edit(rename));
    QCOMPARE(volume->volumeName, before);
    QVERIFY(CBookJobManager::instance()->lastError().startsWith(QStringLiteral("数据库错误\n")));
    QVERIFY(BooksFixture::jobTypes().isEmpty());
}

void VolumeOutlineTest::outlineOfOfflineBookQueuesOnly()
{
    T_Book* book = m_f->offlineBook(QStringLiteral("离线大纲"));
    QVERIFY(book);
    standin().clearJournal();
    T_Outline* outline = addOutline(book, 1, false);
    QVERIFY(outline);
    QCOMPARE(outline->title, QStringLiteral("大纲'1'"));
    QCOMPARE(BooksFixture::jobTypes(), QList<int>{1022});
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select ext1 from tb_job where jobType = 1022")).toInt(), outline->localId);
    const QJsonObject stored = QJsonDocument::fromJson(BooksFixture::jobContent(1022).toUtf8()).object();
    QCOMPARE(stored.value(QStringLiteral("content")).toString(), QStringLiteral("内容\"%1\" 100%"));
    QTest::qWait(200);
    QCOMPARE(BooksFixture::sent(QStringLiteral("/bookoutline/addOutline")), 0);

    // Deleting it takes the record, the row and its waiting create job.
    TC_BookOutline_Delete remove;
    remove.localBookId = book->localId;
    remove.localOutlineId = outline->localId;
    const int localId = outline->localId;
    QVERIFY(CBookJobManager::instance()->outline_delete(remove));
    QVERIFY(book->findOutlineByLocalId(localId) == nullptr);
    QVERIFY(!BooksFixture::scalar(QStringLiteral("select localId from tb_outline where localId = %1").arg(localId)).isValid());
    QVERIFY(BooksFixture::jobTypes().isEmpty());
}

int runVolumeOutlineTests(int argc, char** argv)
{
    VolumeOutlineTest test;
    return QTest::qExec(&test, argc, argv);
}

// Moving a card rotates the orders between the two places, in the model and
// the table; the way back restores them, and an impossible place is refused.
void VolumeOutlineTest::outlineMoveRotatesOrderNumbers()
{
    T_Book* book = m_f->offlineBook(QStringLiteral("大纲排序"));
    QVERIFY(book);
    QList<T_Outline*> outlines;
    for (int order = 1; order <= 6; ++order)
        outlines.append(addOutline(book, order, true));
    const auto orders = [&outlines]() {
        QList<int> result;
        for (const T_Outline* o : qAsConst(outlines))
            result.append(o->orderNum);
        return result;
    };
    TC_BookOutline_Move move;
    move.localBookId = book->localId;
    move.fromLocalId = outlines.at(1)->localId;
    move.toLocalId = outlines.at(4)->localId;
    QVERIFY(CBookJobManager::instance()->outline_move(move, 1, 4));
    QCOMPARE(orders(), (QList<int>{1, 5, 2, 3, 4, 6}));
    QCOMPARE(BooksFixture::scalar(QStringLiteral("select orderNum from tb_outline where localId = %1")
                                      .arg(outlines.at(1)->localId)).toInt(), 5);
    QVERIFY(CBookJobManager::instance()->outline_move(move, 4, 1));
    QCOMPARE(orders(), (QList<int>{1, 4, 2, 3, 5, 6}));
    QVERIFY(!CBookJobManager::instance()->outline_move(move, 0, 99));
    QVERIFY(BooksFixture::jobTypes().contains(1027));
}

#include "tst_VolumeOutlineOperations.moc"

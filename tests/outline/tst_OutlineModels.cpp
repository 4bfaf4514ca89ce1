// The outline models over the real book operations and database: edits,
// deletes and export.

#include "OutlineFixture.h"

#include "outline/COutlineBookModel.h"
#include "outline/COutlineController.h"
#include "outline/COutlineModel.h"
#include "outline/COutlineSortModel.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QSqlQuery>
#include <QTest>

namespace {

struct Models
{
    COutlineController* ctr = COutlineController::instance();
    COutlineModel* model = nullptr;
    COutlineSortModel* sorted = nullptr;

    explicit Models(T_Book* book)
    {
        ctr->getWidget();
        model = ctr->outlineModel();
        sorted = ctr->sortModel();
        ctr->addAllItem(book);
        sorted->setFilter(0);
    }
    int sourceRow(int viewRow) const { return sorted->mapToSource(sorted->index(viewRow, 0)).row(); }
};

const QString kAwkward = QStringLiteral("他说：\"别走\"，'%1' 100% %2 \\n");

}

class OutlineModelTest : public QObject
{
    Q_OBJECT
private slots:
    void updateStoresTextWithQuotesAndPlaceholders();
    void failedDeleteKeepsTheRow();
    void removeAllDeletesOnlyCheckedOutlines();
    void exportWritesCheckedOutlinesHighestFirst();
    void exportToUnwritablePlaceSaysCreateFailed();
};

void OutlineModelTest::updateStoresTextWithQuotesAndPlaceholders()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("书'名\"%1"));
    QVERIFY(book);
    // Titled elsewhere: the panel shows no title and must not send an empty one.
    T_Outline* outline = OutlineFixture::stored(book, 1, 1, QStringLiteral("原文"), QStringLiteral("网页上起的题目"));
    QVERIFY(outline);
    Models m(book);
    QSignalSpy changed(m.model, &QAbstractItemModel::dataChanged);
    QVERIFY(m.model->update(outline->localId, 3, kAwkward));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).toModelIndex().row(), 0);
    QCOMPARE(OutlineFixture::storedContent(outline->localId), kAwkward);
    QCOMPARE(OutlineFixture::storedType(outline->localId), 3);
    QCOMPARE(outline->content, kAwkward);
    QCOMPARE(OutlineFixture::jobTypes(), QList<int>{1023});
    QVERIFY(OutlineFixture::jobContent(1023).contains(QStringLiteral("'%1' 100% %2")));
    QVERIFY(OutlineFixture::jobContent(1023).contains(QStringLiteral("\"title\":\"网页上起的题目\"")));
    QCOMPARE(OutlineFixture::scalar(QStringLiteral("select title from tb_outline where localId = %1")
                                        .arg(outline->localId)).toString(),
             QStringLiteral("网页上起的题目"));

    // An outline the book does not have changes nothing.
    QVERIFY(!m.model->update(9999, 1, QStringLiteral("x")));
    QCOMPARE(OutlineFixture::jobTypes(), QList<int>{1023});
}

void OutlineModelTest::failedDeleteKeepsTheRow()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("删不掉"));
    QVERIFY(book);
    T_Outline* outline = OutlineFixture::stored(book, 1, 1, QStringLiteral("留下"));
    QVERIFY(outline);
    Models m(book);
    QSqlQuery drop = CTessaneDb::instance()->newQuery();
    QVERIFY(drop.exec(QStringLiteral("create trigger keepOutline before delete on tb_outline "
                                     "begin select raise(abort, 'kept'); end;")));
    QVERIFY(!m.model->deleteItem(outline->localId));
    QCOMPARE(m.model->rowCount(), 1);
    QCOMPARE(book->findOutlineByLocalId(outline->localId), outline);
    QCOMPARE(OutlineFixture::outlineRows(book->localId), 1);
}

void OutlineModelTest::removeAllDeletesOnlyCheckedOutlines()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("批量"));
    QVERIFY(book);
    QList<int> ids;
    for (int i = 1; i <= 4; ++i)
        ids.append(OutlineFixture::stored(book, 1, i, QStringLiteral("条%1").arg(i))->localId);
    Models m(book);
    QVERIFY(m.model->removeAll());  // nothing checked: nothing goes
    QCOMPARE(m.model->rowCount(), 4);
    m.model->check(ids.at(0), true);
    m.model->check(ids.at(2), true);
    QSignalSpy reset(m.model, &QAbstractItemModel::modelReset);
    QVERIFY(m.model->removeAll());
    QCOMPARE(reset.count(), 1);
    QCOMPARE(OutlineFixture::localIds(*m.model), (QList<int>{ids.at(1), ids.at(3)}));
    QCOMPARE(OutlineFixture::outlineRows(book->localId), 2);
    QCOMPARE(OutlineFixture::storedContent(ids.at(1)), QStringLiteral("条2"));
}

void OutlineModelTest::exportWritesCheckedOutlinesHighestFirst()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("导出"));
    QVERIFY(book);
    T_Outline* a = OutlineFixture::stored(book, 1, 1, QStringLiteral("A"));
    T_Outline* b = OutlineFixture::stored(book, 2, 2, QStringLiteral("B \"%1\""));
    T_Outline* c = OutlineFixture::stored(book, 3, 3, QStringLiteral("unchecked"));
    QVERIFY(a && b && c);
    Models m(book);
    m.model->check(a->localId, true);
    m.model->check(b->localId, true);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("大纲.txt"));
    QVERIFY(m.model->exportTo(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()),
             QStringLiteral("----------情节大纲----------\nB \"%1\"\n\n----------本书大纲----------\nA"));

    const QString name = COutlineModel::defaultExportName(QStringLiteral("书"));
    QVERIFY(name.startsWith(QStringLiteral("书大纲")));
    QCOMPARE(name.size(), 3 + 10);
}

void OutlineModelTest::exportToUnwritablePlaceSaysCreateFailed()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("导出失败"));
    QVERIFY(book);
    T_Outline* a = OutlineFixture::stored(book, 1, 1, QStringLiteral("A"));
    QVERIFY(a);
    Models m(book);
    m.model->check(a->localId, true);
    QTemporaryDir dir;
    bool answered = false;
    QString text;
    OutlineFixture::answerNextBox(-1, &answered, &text);
    QVERIFY(!m.model->exportTo(dir.filePath(QStringLiteral("missing/folder/out.txt"))));
    QVERIFY(answered);
    QVERIFY(text.endsWith(QStringLiteral("创建失败")));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("missing/folder/out.txt"))));
}

int runOutlineModelTests(int argc, char** argv)
{
    OutlineModelTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_OutlineModels.moc"

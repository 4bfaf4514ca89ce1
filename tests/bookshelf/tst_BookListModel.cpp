#include "BookshelfFixture.h"

#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/bookshelf/CBookListDelegate.h"
#include "ui/bookshelf/CBookListModel.h"
#include "ui/bookshelf/Widget_BookShelfList.h"
#include "ui/bookshelf/Widget_Bookshelf.h"

#include <QListView>
#include <QSignalSpy>
#include <QTest>

// The book grid's model and delegate over the shared book list.
class TestBookListModel : public QObject
{
    Q_OBJECT
private slots:
    void removingTakesTheBooksOwnRowAndIgnoresUnknownBooks();
    void clickOnACoverOpensTheBookUnlessItIsSyncing();
    void tileStopsSayingSyncingWhenThePassEnds();
};

void TestBookListModel::removingTakesTheBooksOwnRowAndIgnoresUnknownBooks()
{
    BookshelfFixture f({{QStringLiteral("A"), 1700000000}, {QStringLiteral("B"), 1600000000}});
    QVERIFY(f.ok());
    CBookListModel* model = f.list()->model();
    TC_Books_Delete unknown(987654, 1);
    model->removeBook(0, unknown);
    QCOMPARE(model->rowCount(), 3);
    // A stale row (0) for the second book still takes the second tile.
    const int b = CPublicManager::instance()->bookList.at(1)->localId;
    model->removeBook(0, TC_Books_Delete(b, 1));
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->index(0, 0).data().value<BookShelf_Book>().bookName, QStringLiteral("A"));
    QCOMPARE(CPublicManager::instance()->recycleBookList.size(), 1);
}

namespace {
QPoint coverCentre(QListView* view, CBookListDelegate* delegate, int row)
{
    return delegate->coverRect(view->visualRect(view->model()->index(row, 0)).topLeft()).center();
}
}

void TestBookListModel::clickOnACoverOpensTheBookUnlessItIsSyncing()
{
    BookshelfFixture f({{QStringLiteral("A"), 1700000000}, {QStringLiteral("B"), 1600000000}});
    QVERIFY(f.ok());
    QListView* view = f.list()->listView();
    CBookListDelegate* delegate = f.list()->delegate();
    f.shelf()->resize(1000, 700);
    QVERIFY(QTest::qWaitForWindowExposed(f.shelf()));
    QSignalSpy opened(delegate, &CBookListDelegate::sig_open);
    QSignalSpy creation(CUiManager::instance(), &CUiManager::sig_openCreation);

    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, coverCentre(view, delegate, 0));
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.at(0).at(0).toInt(), CPublicManager::instance()->bookList.at(0)->localId);
    QCOMPARE(creation.count(), 1);

    CPublicManager::instance()->bookList.at(1)->isSyncing = true;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, coverCentre(view, delegate, 1));
    QCOMPARE(opened.count(), 1);
    CPublicManager::instance()->bookList.at(1)->isSyncing = false;
}

void TestBookListModel::tileStopsSayingSyncingWhenThePassEnds()
{
    BookshelfFixture f({{QStringLiteral("A"), 1700000000}});
    QVERIFY(f.ok());
    CBookListModel* model = f.list()->model();
    CUiManager* ui = CUiManager::instance();
    QTRY_VERIFY_WITH_TIMEOUT(ui->syncRunning() == 0, 10000);
    T_Book* book = CPublicManager::instance()->bookList.at(0);
    // As the change feed does for a book it has items for.
    CPublicManager::instance()->addBookSynCount(book);
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    CJobManager::instance()->synNow(true);
    QTRY_VERIFY_WITH_TIMEOUT(!book->isSyncing, 10000);
    // The view repaints the tile only when its row is announced.
    QTRY_VERIFY_WITH_TIMEOUT(!changed.isEmpty(), 10000);
    const QModelIndex first = changed.last().at(0).toModelIndex();
    const QModelIndex last = changed.last().at(1).toModelIndex();
    QVERIFY(first.row() <= 0 && last.row() >= 0);
    QVERIFY(!model->data(model->index(0, 0)).value<BookShelf_Book>().syncing);
}

int runBookListModelTests(int argc, char** argv)
{
    TestBookListModel test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_BookListModel.moc"

#include "BookshelfFixture.h"

#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/bookshelf/CBookListDelegate.h"
#include "ui/bookshelf/CBookListModel.h"
#include "ui/bookshelf/Widget_BookListPreview.h"
#include "ui/bookshelf/Widget_BookShelfList.h"
#include "ui/bookshelf/Widget_Bookshelf.h"

#include <QListView>
#include <QScrollBar>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

// The book grid's model and delegate over the shared book list.
class TestBookListModel : public QObject
{
    Q_OBJECT
private slots:
    void emptyShelfHasOnlyTheNewBookTileAndRowsStayInRange();
    void rowsFollowTheStoredUpdateTimeNewestFirst();
    void removingTakesTheBooksOwnRowAndIgnoresUnknownBooks();
    void clickOnACoverOpensTheBookUnlessItIsSyncing();
    void menusReportTheBookTheyWereOpenedFor();
    void tileStopsSayingSyncingWhenThePassEnds();
    void previewColumnShowsItsScrollBarOnlyWhenTheListScrolls();
};

void TestBookListModel::emptyShelfHasOnlyTheNewBookTileAndRowsStayInRange()
{
    CBookListModel shelf(CBookListModel::Shelf);
    CBookListModel preview(CBookListModel::Preview);
    QCOMPARE(shelf.rowCount(), 1);
    QCOMPARE(preview.rowCount(), 0);
    QVERIFY(!shelf.data(shelf.index(0, 0)).isValid());
    QCOMPARE(shelf.rowCount(shelf.index(0, 0)), 0);
    // Rows outside the count are neither inserted nor removed.
    QVERIFY(!preview.insertRows(1, 1));
    QVERIFY(!preview.removeRows(0, 1));
    QVERIFY(preview.insertRows(0, 2));
    QVERIFY(!preview.removeRows(1, 2));
    QVERIFY(preview.removeRows(1, 1));
    QCOMPARE(preview.rowCount(), 1);
    preview.resetCount();
    QCOMPARE(preview.rowCount(), 0);
}

void TestBookListModel::rowsFollowTheStoredUpdateTimeNewestFirst()
{
    BookshelfFixture f({{QStringLiteral("Old"), 1600000000},
                        {QStringLiteral("Newest"), 1700000300},
                        {QStringLiteral("Middle"), 1650000000}});
    QVERIFY(f.ok());
    CBookListModel* model = f.list()->model();
    QCOMPARE(model->rowCount(), 4);
    QStringList names;
    for (int row = 0; row < 3; ++row)
        names << model->index(row, 0).data().value<BookShelf_Book>().bookName;
    QCOMPARE(names, (QStringList{QStringLiteral("Newest"), QStringLiteral("Middle"), QStringLiteral("Old")}));
}

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
    QTRY_VERIFY_WITH_TIMEOUT(!changed.isEmpty(), 2000);
    const QModelIndex first = changed.last().at(0).toModelIndex();
    const QModelIndex last = changed.last().at(1).toModelIndex();
    QVERIFY(first.row() <= 0 && last.row() >= 0);
    QVERIFY(!model->data(model->index(0, 0)).value<BookShelf_Book>().syncing);
}

void TestBookListModel::menusReportTheBookTheyWereOpenedFor()
{
    BookshelfFixture f({{QStringLiteral("A"), 1700000000}, {QStringLiteral("B"), 1600000000}});
    QVERIFY(f.ok());
    QListView* view = f.list()->listView();
    CBookListDelegate* delegate = f.list()->delegate();
    QVERIFY(QTest::qWaitForWindowExposed(f.shelf()));
    // The page's handlers must not run here: they would ask questions.
    disconnect(delegate, nullptr, f.list(), nullptr);
    QSignalSpy info(delegate, &CBookListDelegate::sig_info);
    QSignalSpy deleted(delegate, &CBookListDelegate::sig_delete);
    QSignalSpy opened(delegate, &CBookListDelegate::sig_open);

    // A click on the name, outside the cover, opens nothing.
    const QRect tile = view->visualRect(view->model()->index(0, 0));
    const QPoint onName = delegate->nameRect(tile.topLeft()).center();
    QVERIFY(!delegate->coverRect(tile.topLeft()).contains(onName));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, onName);
    QCOMPARE(opened.count(), 0);

    // The new-book tile has its own menu.
    QTest::mouseClick(view->viewport(), Qt::RightButton, Qt::NoModifier, coverCentre(view, delegate, 2));
    QTRY_VERIFY(delegate->newBookMenu()->isVisible());
    QVERIFY(!delegate->bookMenu()->isVisible());
    delegate->newBookMenu()->close();

    CPublicManager::instance()->bookList.at(1)->isSyncing = true;
    QTest::mouseClick(view->viewport(), Qt::RightButton, Qt::NoModifier, coverCentre(view, delegate, 1));
    QTRY_VERIFY(delegate->bookMenu()->isVisible());
    const int localId = CPublicManager::instance()->bookList.at(1)->localId;
    const QList<QAction*> actions = delegate->bookMenu()->actions();
    actions.at(0)->trigger(); // "Open" still opens a syncing book
    actions.at(1)->trigger();
    delegate->deleteAction()->trigger();
    QCOMPARE(opened.count(), 1);
    QCOMPARE(opened.at(0).at(0).toInt(), localId);
    QCOMPARE(info.count(), 1);
    QCOMPARE(info.at(0).at(0).toInt(), localId);
    QCOMPARE(info.at(0).at(1).toInt(), 1);
    QCOMPARE(deleted.count(), 1);
    QCOMPARE(deleted.at(0).at(1).toString(), QStringLiteral("B"));
    delegate->bookMenu()->close();
    CPublicManager::instance()->bookList.at(1)->isSyncing = false;
}

void TestBookListModel::previewColumnShowsItsScrollBarOnlyWhenTheListScrolls()
{
    QList<BookshelfFixture::Book> books;
    for (int i = 0; i < 8; ++i)
        books.append({QStringLiteral("Book %1").arg(i), 1700000000 + i});
    BookshelfFixture f(books);
    QVERIFY(f.ok());
    Widget_BookListPreview preview;
    QSignalSpy changed(&preview, &Widget_BookListPreview::previewChanged);
    preview.setPreview(true);
    QCOMPARE(changed.count(), 1);
    QVERIFY(preview.isPreview());
    preview.resize(preview.width(), 300);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QTRY_COMPARE_WITH_TIMEOUT(preview.model()->rowCount(), 8, 5000);
    QTRY_VERIFY(preview.scrollBar()->isVisible());
    preview.scrollBar()->setValue(preview.scrollBar()->maximum());
    QCOMPARE(preview.listView()->verticalScrollBar()->value(), preview.scrollBar()->maximum());

    preview.resize(preview.width(), 3000);
    QTRY_VERIFY(!preview.scrollBar()->isVisible());
}

int runBookListModelTests(int argc, char** argv)
{
    TestBookListModel test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_BookListModel.moc"

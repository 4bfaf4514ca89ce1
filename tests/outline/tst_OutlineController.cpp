// The panel's controller: which book it shows, what the book operations
// report to it, the questions before deleting and the day's statistics.

#include "OutlineFixture.h"

#include "outline/COutlineController.h"
#include "outline/COutlineModel.h"
#include "outline/COutlineSortModel.h"

#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "manager/CPublicManager.h"

#include <QQuickWidget>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

class OutlineControllerTest : public QObject
{
    Q_OBJECT
private slots:
    void outlinesOfAClosedPanelStayWithTheirBook();
    void switchingBooksShowsTheirOutlines();
    void bookLeavingTheShelfMovesThePanelOn();
    void outlinesFromTheFeedJoinTheirBook();
    void deleteFromTheFeedDropsTheRow();
    void deletingAskesFirstAndCancelKeeps();
    void deletingCheckedOutlinesAsksOnce();
    void checkStateIsAnnouncedOnEveryChange();
    void panelRowsAreMappedThroughTheOrder();
    void outlineCharactersCountForTheDay();
    void signOutDetachesTheWidgetAndForgetsTheBook();
};

void OutlineControllerTest::outlinesOfAClosedPanelStayWithTheirBook()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("未打开"));
    QVERIFY(book);
    // Whether or not a panel was ever made, stored outlines join the book's
    // list and deleted ones leave it.
    T_Outline* outline = OutlineFixture::stored(book, 2, 1, QStringLiteral("x"));
    QVERIFY(outline);
    QCOMPARE(book->outline.outlineList.size(), 1);
    TC_BookOutline_Delete remove;
    remove.localBookId = book->localId;
    remove.localOutlineId = outline->localId;
    QVERIFY(CBookJobManager::instance()->outline_delete(remove));
    QVERIFY(book->outline.outlineList.isEmpty());
}

void OutlineControllerTest::switchingBooksShowsTheirOutlines()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* first = f.offlineBook(QStringLiteral("第一本"));
    T_Book* second = f.offlineBook(QStringLiteral("第二本'%1'"));
    QVERIFY(first && second);
    QVERIFY(OutlineFixture::stored(first, 1, 1, QStringLiteral("一")));
    QVERIFY(OutlineFixture::stored(second, 1, 1, QStringLiteral("二")));
    QVERIFY(OutlineFixture::stored(second, 2, 2, QStringLiteral("三")));

    COutlineController* ctr = COutlineController::instance();
    QVERIFY(ctr->getWidget());
    QCOMPARE(ctr->getWidget(), ctr->getWidget());
    QSignalSpy names(ctr, &COutlineController::sigBookName);
    ctr->addAllItem(first);
    QCOMPARE(names.count(), 1);
    QCOMPARE(names.last().at(0).toString(), QStringLiteral("第一本"));
    QCOMPARE(ctr->outlineModel()->rowCount(), 1);
    QCOMPARE(ctr->bookName(), QStringLiteral("第一本"));

    ctr->toggleBook(second->localId);
    QCOMPARE(names.last().at(0).toString(), QStringLiteral("第二本'%1'"));
    QCOMPARE(ctr->outlineModel()->rowCount(), 2);
    QCOMPARE(ctr->currentBook(), second);

    ctr->toggleBook(987654);  // no such book: the panel stays
    ctr->addAllItem(nullptr);
    QCOMPARE(names.count(), 2);
    QCOMPARE(ctr->currentBook(), second);
}

void OutlineControllerTest::bookLeavingTheShelfMovesThePanelOn()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* first = f.offlineBook(QStringLiteral("留下的"));
    T_Book* second = f.offlineBook(QStringLiteral("删掉的"));
    QVERIFY(first && second);
    QVERIFY(OutlineFixture::stored(first, 1, 1, QStringLiteral("一")));
    COutlineController* ctr = COutlineController::instance();
    ctr->getWidget();
    ctr->addAllItem(second);

    ctr->removeBook(first->localId);  // not the book on show
    QCOMPARE(ctr->currentBook(), second);
    TC_Books_Delete request;
    request.header.localBookId = second->localId;
    QVERIFY(CBookJobManager::instance()->books_delete(request, true));
    QVERIFY(ctr->currentBook() != second);
    QVERIFY(ctr->currentBook() != nullptr);
    QCOMPARE(ctr->currentBook()->bookName, ctr->bookName());

    // The last book gone: the panel shows nothing rather than a book whose
    // outlines can no longer be saved.
    const QList<T_Book*> shelf = CPublicManager::instance()->bookList;
    for (T_Book* book : shelf) {
        TC_Books_Delete last;
        last.header.localBookId = book->localId;
        QVERIFY(CBookJobManager::instance()->books_delete(last, true));
    }
    QVERIFY(ctr->currentBook() == nullptr);
    QCOMPARE(ctr->outlineModel()->rowCount(), 0);
    QCOMPARE(ctr->bookName(), QString());
}

void OutlineControllerTest::outlinesFromTheFeedJoinTheirBook()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* shown = f.offlineBook(QStringLiteral("显示的"));
    T_Book* other = f.offlineBook(QStringLiteral("另一本"));
    QVERIFY(shown && other);
    COutlineController* ctr = COutlineController::instance();
    ctr->getWidget();
    ctr->addAllItem(shown);
    QSignalSpy inserted(ctr->outlineModel(), &QAbstractItemModel::rowsInserted);

    // Stored by another screen into a book without outlines: it shows.
    TC_BookOutline_Create first(shown->bookId, shown->localId, 0, 0, 3, 1, 1700000000, QString(),
                                QStringLiteral("第一条"));
    QVERIFY(CBookJobManager::instance()->outline_create(first));
    QCOMPARE(ctr->outlineModel()->rowCount(), 1);
    QVERIFY(shown->findOutlineByLocalId(first.localOutlineId));
    TC_BookOutline_Delete drop;
    drop.localBookId = shown->localId;
    drop.localOutlineId = first.localOutlineId;
    QVERIFY(CBookJobManager::instance()->outline_delete(drop));
    QCOMPARE(ctr->outlineModel()->rowCount(), 0);
    inserted.clear();

    // While the author types a new card, an outline from the platform must
    // not take over the unsaved row.
    ctr->create(1);
    T_Outline* fromFeed = OutlineFixture::stored(shown, 4, 9, QStringLiteral("来自平台"));
    QVERIFY(fromFeed);
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(ctr->outlineModel()->rowCount(), 2);
    QCOMPARE(OutlineFixture::localIds(*ctr->sortModel()), (QList<int>{0, fromFeed->localId}));

    QVERIFY(OutlineFixture::stored(other, 1, 1, QStringLiteral("别处")));
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(other->outline.outlineList.size(), 1);

    // Stored while nothing is being typed (another screen's creation): the
    // record joins the list instead of overwriting a saved outline.
    ctr->remove(0);
    TC_BookOutline_Create local(shown->bookId, shown->localId, 0, 0, 2, 10, 1700000000, QString(),
                                QStringLiteral("本地"));
    QVERIFY(CBookJobManager::instance()->outline_create(local));
    QCOMPARE(ctr->outlineModel()->rowCount(), 2);
    QCOMPARE(fromFeed->content, QStringLiteral("来自平台"));
    QVERIFY(shown->findOutlineByLocalId(local.localOutlineId));
}

void OutlineControllerTest::deleteFromTheFeedDropsTheRow()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("平台删除"));
    QVERIFY(book);
    T_Outline* outline = OutlineFixture::stored(book, 1, 1, QStringLiteral("x"));
    QVERIFY(OutlineFixture::stored(book, 1, 2, QStringLiteral("y")));
    COutlineController* ctr = COutlineController::instance();
    ctr->getWidget();
    ctr->addAllItem(book);
    QSignalSpy removed(ctr->outlineModel(), &QAbstractItemModel::rowsRemoved);
    TC_BookOutline_Delete remove;
    remove.header.synStep = 1;
    remove.localBookId = book->localId;
    remove.localOutlineId = outline->localId;
    QVERIFY(CBookJobManager::instance()->outline_delete(remove));
    QCOMPARE(removed.count(), 1);
    QCOMPARE(ctr->outlineModel()->rowCount(), 1);
    QVERIFY(OutlineFixture::jobTypes().isEmpty());
}

void OutlineControllerTest::deletingAskesFirstAndCancelKeeps()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("确认"));
    QVERIFY(book);
    T_Outline* outline = OutlineFixture::stored(book, 1, 1, QStringLiteral("x"));
    QVERIFY(outline);
    const int localId = outline->localId;
    COutlineController* ctr = COutlineController::instance();
    ctr->getWidget();
    ctr->addAllItem(book);

    bool answered = false;
    QString text;
    OutlineFixture::answerNextBox(1, &answered, &text);
    ctr->remove(localId);
    QVERIFY(answered);
    QCOMPARE(text, QStringLiteral("RedContent|确定要删除这条大纲吗？"));
    QCOMPARE(OutlineFixture::outlineRows(book->localId), 1);

    answered = false;
    OutlineFixture::answerNextBox(-1, &answered);
    ctr->remove(localId);
    QVERIFY(answered);
    QCOMPARE(OutlineFixture::outlineRows(book->localId), 1);

    OutlineFixture::answerNextBox(0);
    ctr->remove(localId);
    QCOMPARE(OutlineFixture::outlineRows(book->localId), 0);
    QCOMPARE(ctr->outlineModel()->rowCount(), 0);

    // The unsaved row goes without a question.
    ctr->create(1);
    ctr->remove(0);
    QCOMPARE(ctr->outlineModel()->rowCount(), 0);
}

void OutlineControllerTest::deletingCheckedOutlinesAsksOnce()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("批量确认"));
    QVERIFY(book);
    for (int i = 1; i <= 3; ++i)
        QVERIFY(OutlineFixture::stored(book, 1, i, QStringLiteral("第%1").arg(i)));
    COutlineController* ctr = COutlineController::instance();
    ctr->getWidget();
    ctr->addAllItem(book);
    ctr->checkAll(true);
    QString text;
    OutlineFixture::answerNextBox(1, nullptr, &text);
    ctr->removeAll();
    QCOMPARE(text, QStringLiteral("RedContent|确定要删除选中的大纲吗？"));
    QCOMPARE(OutlineFixture::outlineRows(book->localId), 3);
    QSignalSpy state(ctr, &COutlineController::checkStateChanged);
    OutlineFixture::answerNextBox(0);
    ctr->removeAll();
    QCOMPARE(OutlineFixture::outlineRows(book->localId), 0);
    QCOMPARE(state.last().at(0).toInt(), 0);
}

void OutlineControllerTest::checkStateIsAnnouncedOnEveryChange()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("状态"));
    QVERIFY(book);
    T_Outline* a = OutlineFixture::stored(book, 1, 1, QStringLiteral("a"));
    QVERIFY(OutlineFixture::stored(book, 1, 2, QStringLiteral("b")));
    COutlineController* ctr = COutlineController::instance();
    ctr->getWidget();
    ctr->addAllItem(book);
    QSignalSpy state(ctr, &COutlineController::checkStateChanged);
    ctr->check(a->localId, true);
    QCOMPARE(state.last().at(0).toInt(), 1);
    ctr->checkAll(true);
    QCOMPARE(state.last().at(0).toInt(), 3);
    QCOMPARE(ctr->checkState(), 3);
    ctr->edit(a->localId, true);  // no change, announced all the same
    QCOMPARE(state.count(), 3);
    QCOMPARE(state.last().at(0).toInt(), 3);
}

void OutlineControllerTest::panelRowsAreMappedThroughTheOrder()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("映射"));
    QVERIFY(book);
    for (int i = 1; i <= 3; ++i)
        QVERIFY(OutlineFixture::stored(book, 1, i, QStringLiteral("第%1").arg(i)));
    COutlineController* ctr = COutlineController::instance();
    ctr->getWidget();
    ctr->addAllItem(book);
    // Panel row 0 is the highest orderNum, the last of the book's list.
    ctr->moveLine(0);
    QCOMPARE(book->outline.outlineList.last()->moveLine, 1);
    ctr->moveLine(2, false);
    QCOMPARE(book->outline.outlineList.first()->moveLine, 0);
    ctr->moveLine(5, true);
    for (const T_Outline* outline : qAsConst(book->outline.outlineList))
        QCOMPARE(outline->moveLine, -1);
    const QList<int> before = OutlineFixture::localIds(*ctr->sortModel());
    ctr->move(2, 0, 1);
    QCOMPARE(OutlineFixture::localIds(*ctr->sortModel()), (QList<int>{before.at(2), before.at(0), before.at(1)}));
    ctr->move(0, 7, 1);  // an invalid target stores nothing
    QCOMPARE(OutlineFixture::jobTypes(), QList<int>{1027});
}

void OutlineControllerTest::outlineCharactersCountForTheDay()
{
    OutlineFixture f;
    QVERIFY(f.up());
    COutlineController* ctr = COutlineController::instance();
    const int uid = CPublicManager::instance()->userInfo.uid;
    QVERIFY(uid > 0);
    ctr->statistics(12);
    ctr->statistics(-5);
    QCOMPARE(OutlineFixture::scalar(QStringLiteral("select outlineNum from tb_statistics where uid = %1").arg(uid)).toInt(),
             7);
    QCOMPARE(CPublicManager::instance()->statistics.outlineNum, 0);
}

void OutlineControllerTest::signOutDetachesTheWidgetAndForgetsTheBook()
{
    OutlineFixture f;
    QVERIFY(f.up());
    T_Book* book = f.offlineBook(QStringLiteral("退出"));
    QVERIFY(book);
    QVERIFY(OutlineFixture::stored(book, 1, 1, QStringLiteral("a")));
    COutlineController* ctr = COutlineController::instance();
    QWidget host;
    QQuickWidget* widget = ctr->getWidget();
    widget->setParent(&host);
    ctr->addAllItem(book);
    QSignalSpy hidden(ctr, &COutlineController::hideBall);
    ctr->hide();
    QCOMPARE(hidden.count(), 1);
    QSignalSpy names(ctr, &COutlineController::sigBookName);
    ctr->reset();
    QVERIFY(widget->parent() == nullptr);
    QVERIFY(ctr->currentBook() == nullptr);
    QCOMPARE(ctr->outlineModel()->rowCount(), 0);
    QCOMPARE(names.count(), 1);
    QCOMPARE(ctr->getWidget(), widget);
}

int runOutlineControllerTests(int argc, char** argv)
{
    OutlineControllerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_OutlineController.moc"

// The panel's controller: a book leaving the shelf, deletes from the feed,
// the question before deleting, and signing out.

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
    void bookLeavingTheShelfMovesThePanelOn();
    void deleteFromTheFeedDropsTheRow();
    void deletingAskesFirstAndCancelKeeps();
    void signOutDetachesTheWidgetAndForgetsTheBook();
};

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
    QTRY_VERIFY(answered);
    QCOMPARE(text, QStringLiteral("RedContent|确定要删除这条大纲吗？"));
    QCOMPARE(OutlineFixture::outlineRows(book->localId), 1);

    answered = false;
    OutlineFixture::answerNextBox(-1, &answered);
    ctr->remove(localId);
    QTRY_VERIFY(answered);
    QCOMPARE(OutlineFixture::outlineRows(book->localId), 1);

    OutlineFixture::answerNextBox(0);
    ctr->remove(localId);
    QTRY_COMPARE(OutlineFixture::outlineRows(book->localId), 0);
    QCOMPARE(ctr->outlineModel()->rowCount(), 0);

    // The unsaved row goes without a question.
    ctr->create(1);
    ctr->remove(0);
    QCOMPARE(ctr->outlineModel()->rowCount(), 0);
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

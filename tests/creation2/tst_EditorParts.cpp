// The editor's scroll bar and the chapter lists around the writing window's editor.

#include "CreationFixture.h"

#include "common/ServerClock.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/creation/ChapterListDelegate.h"
#include "ui/creation/ChapterListModel.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Createtion_TextEdit_VScroll.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"

#include <QDateTime>
#include <QListView>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

namespace {

// Moves the client's clock forward, so "two seconds later" needs no waiting.
void clockAhead(qint64 seconds)
{
    resetServerTimeOffset();
    setServerTimeOffset(QDateTime::currentSecsSinceEpoch() + seconds);
}

void hover(QWidget* viewport, const QPoint& at)
{
    QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &move);
}

void clockNow()
{
    resetServerTimeOffset();
}

void wheel(QWidget* target)
{
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent event(at, target->mapToGlobal(at.toPoint()), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target, &event);
}

} // namespace

class EditorPartsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void wheelShowsTheBarAndATickTwoSecondsLaterHidesIt();
    void hoveredBarNeverHides();
    void listShowsTheBookChaptersInOrder();
    void removingAnUnknownChapterChangesNothing();
    void clickBelowTheLastRowEmitsNothing();
    void toolTipFollowsTheRowUnderTheMouse();

private:
    Createtion_TextEdit_VScroll* bar() const;
    CreationFixture* m_f = nullptr;
    T_Book* m_book = nullptr;
};

void EditorPartsTest::initTestCase()
{
    m_f = new CreationFixture();
    QVERIFY(m_f->up());
    m_book = m_f->offlineBook(QStringLiteral("零件之书"));
    QVERIFY(m_book);
    QVERIFY(m_f->open(m_book));
    m_f->window()->resize(1200, 800);
    m_f->holdTimer();
}

void EditorPartsTest::cleanupTestCase()
{
    clockNow();
    delete m_f;
}

void EditorPartsTest::cleanup()
{
    clockNow();
}

Createtion_TextEdit_VScroll* EditorPartsTest::bar() const
{
    return qobject_cast<Createtion_TextEdit_VScroll*>(m_f->editor()->verticalScrollBar());
}

void EditorPartsTest::wheelShowsTheBarAndATickTwoSecondsLaterHidesIt()
{
    // The editor carries the fading bar, hidden until the author scrolls.
    QVERIFY(bar());
    bar()->clean();
    QVERIFY(!bar()->isShown());
    QCOMPARE(bar()->opacity(), 0.0);
    wheel(m_f->editor()->viewport());
    QVERIFY(bar()->isShown());
    QTRY_COMPARE(bar()->opacity(), 1.0);
    wheel(m_f->editor()->viewport());
    QVERIFY(bar()->isShown());

    CUiManager::instance()->emitCreationScrollTimer();
    QVERIFY(bar()->isShown());
    clockAhead(2);
    CUiManager::instance()->emitCreationScrollTimer();
    QVERIFY(!bar()->isShown());
    QTRY_COMPARE(bar()->opacity(), 0.0);
}

void EditorPartsTest::hoveredBarNeverHides()
{
    bar()->clean();
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(bar(), &enter);
    QVERIFY(bar()->isShown());
    clockAhead(30);
    CUiManager::instance()->emitCreationScrollTimer();
    QVERIFY(bar()->isShown());

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(bar(), &leave);
    CUiManager::instance()->emitCreationScrollTimer();
    QVERIFY(bar()->isShown());
    clockAhead(33);
    CUiManager::instance()->emitCreationScrollTimer();
    QVERIFY(!bar()->isShown());
}

void EditorPartsTest::listShowsTheBookChaptersInOrder()
{
    ChapterListModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.loadBook(m_book, false);
    QCOMPARE(model.rowCount(), m_book->chapterList.size());
    QCOMPARE(inserted.count(), m_book->chapterList.size());
    for (int row = 0; row < model.rowCount(); ++row) {
        const auto item = model.index(row, 0).data().value<T_ChapterListItem>();
        QCOMPARE(item.localChapterId, m_book->chapterList.at(row)->localId);
        QCOMPARE(item.localBookId, m_book->localId);
        QCOMPARE(item.chapterName, m_book->chapterList.at(row)->name);
    }
    QVERIFY(!model.index(0, 0).data(Qt::ToolTipRole).isValid());
    model.loadBook(m_book, true);
    QCOMPARE(model.rowCount(), m_book->recycleChapterList.size());
    model.loadBook(nullptr, false);
    QCOMPARE(model.rowCount(), 0);
}

void EditorPartsTest::removingAnUnknownChapterChangesNothing()
{
    ChapterListModel model;
    model.loadBook(m_book, false);
    const int rows = model.rowCount();
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QVERIFY(model.removeItem(-42));
    QCOMPARE(model.rowCount(), rows);
    QCOMPARE(removed.count(), 0);
    QVERIFY(model.removeItem(m_book->chapterList.first()->localId));
    QCOMPARE(model.rowCount(), rows - 1);
    QCOMPARE(removed.count(), 1);
    model.clear();
    QCOMPARE(model.rowCount(), 0);
}

void EditorPartsTest::clickBelowTheLastRowEmitsNothing()
{
    QListView view;
    ChapterListModel model;
    model.loadBook(m_book, false);
    auto* delegate = new ChapterListDelegate(&view);
    delegate->setMode(7);
    view.setModel(&model);
    view.setItemDelegate(delegate);
    view.setMouseTracking(true);
    view.viewport()->installEventFilter(delegate);
    view.resize(200, 400);
    view.show();
    QSignalSpy left(delegate, &ChapterListDelegate::sig_onMousePressedByLeftBtn);
    QSignalSpy right(delegate, &ChapterListDelegate::sig_onMousePressedByRightBtn);

    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(50, 390));
    QTest::mousePress(view.viewport(), Qt::RightButton, Qt::NoModifier, QPoint(50, 390));
    QCOMPARE(left.count(), 0);
    QCOMPARE(right.count(), 0);

    const QPoint second = view.visualRect(model.index(1, 0)).center();
    QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, second);
    QCOMPARE(left.count(), 1);
    QCOMPARE(left.at(0).at(0).toInt(), m_book->chapterList.at(1)->localId);
    QTest::mousePress(view.viewport(), Qt::RightButton, Qt::NoModifier, second);
    QCOMPARE(right.count(), 1);
    QCOMPARE(right.at(0).at(1).toInt(), 1);
    // Rows cannot be edited in place in the recycle bin.
    QVERIFY(!delegate->createEditor(view.viewport(), QStyleOptionViewItem(), model.index(0, 0)));
}

void EditorPartsTest::toolTipFollowsTheRowUnderTheMouse()
{
    QListView view;
    ChapterListModel model;
    model.loadBook(m_book, false);
    auto* delegate = new ChapterListDelegate(&view);
    delegate->setMode(7);
    view.setModel(&model);
    view.setItemDelegate(delegate);
    view.setMouseTracking(true);
    view.viewport()->installEventFilter(delegate);
    view.resize(200, 400);
    view.show();

    const QRect first = view.visualRect(model.index(0, 0));
    hover(view.viewport(), first.center());
    QCOMPARE(view.toolTip(), m_book->chapterList.at(0)->name);
    QCOMPARE(view.property("index").toInt(), 0);
    view.setToolTip(QStringLiteral("marker"));
    // Moving along the same row does not set the tool tip again.
    hover(view.viewport(), first.center() + QPoint(5, 0));
    QCOMPARE(view.toolTip(), QStringLiteral("marker"));
    hover(view.viewport(), QPoint(50, 390));
    QCOMPARE(view.toolTip(), QString());
    QCOMPARE(view.property("index").toInt(), -1);
}

int runEditorPartsTests(int argc, char** argv)
{
    EditorPartsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_EditorParts.moc"

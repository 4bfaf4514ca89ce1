#include "ui/common/BorderShadow.h"
#include "ui/common/NcFramelessHelper.h"

#include <QApplication>
#include <QHoverEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTest>
#include <QWidget>

namespace {
void sendMouse(QWidget* w, QEvent::Type type, const QPoint& global, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(w->mapFromGlobal(global)), QPointF(global), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void press(QWidget* w, const QPoint& global, Qt::MouseButton button = Qt::LeftButton)
{
    sendMouse(w, QEvent::MouseButtonPress, global, button, button);
}

void dragTo(QWidget* w, const QPoint& global)
{
    sendMouse(w, QEvent::MouseMove, global, Qt::NoButton, Qt::LeftButton);
}

void release(QWidget* w, const QPoint& global, Qt::MouseButton button = Qt::LeftButton)
{
    sendMouse(w, QEvent::MouseButtonRelease, global, button, Qt::NoButton);
}

void hover(QWidget* w, const QPoint& global)
{
    const QPoint local = w->mapFromGlobal(global);
    QHoverEvent event(QEvent::HoverMove, local, local);
    QApplication::sendEvent(w, &event);
}
}

class TestFrameless : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void edgeZoneIsTenPixelsInclusive();
    void cornersAreTheConjunctionOfTheirEdges();
    void attachingMakesTheWindowFramelessAndTracked();
    void attachingTwiceKeepsOneState();
    void removeFromUnattachedWidgetDoesNothing();
    void destroyingHelperRestoresFlagsAndVisibility();
    void deletingWindowWithItsHelperIsClean();

    void dragInsideMovesWindow();
    void dragRightEdgeResizes();
    void dragTopLeftCornerMovesTwoEdges();
    void resizeStopsAtMinimumWidthButHeightFollows();
    void withResizingOffEdgeDragMovesAndNoCursor();
    void immovableWindowStaysOnDrag();
    void rightButtonNeitherMovesNorResizes();
    void hoverShowsResizeCursors_data();
    void hoverShowsResizeCursors();
    void maximisedWindowShowsNoResizeCursor();
    void leaveUnsetsCursorUnlessDragging();
    void rubberBandMoveAppliesOnRelease();

    void shadowRingsFadeOutwards();
    void secondShadowReplacesFirst();
    void shadowPaintsGreyRingInsideMargin();

private:
    QWidget* m_window = nullptr;
    NcFramelessHelper* m_helper = nullptr;
};

void TestFrameless::init()
{
    m_window = new QWidget;
    m_window->setMinimumSize(100, 80);
    m_window->setGeometry(200, 150, 400, 300);
    m_helper = new NcFramelessHelper(m_window);
    m_helper->activateOn(m_window);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_window->setGeometry(200, 150, 400, 300);
}

void TestFrameless::cleanup()
{
    delete m_window;
    m_window = nullptr;
}

void TestFrameless::edgeZoneIsTenPixelsInclusive()
{
    const QRect frame(100, 100, 400, 300);
    QVERIFY(NcEdgeTest::test(QPoint(110, 200), frame).left);
    QVERIFY(!NcEdgeTest::test(QPoint(111, 200), frame).left);
    QVERIFY(!NcEdgeTest::test(QPoint(111, 200), frame).onEdges);
    QVERIFY(NcEdgeTest::test(QPoint(500, 200), frame).right);   // one beyond the last pixel
    QVERIFY(NcEdgeTest::test(QPoint(490, 200), frame).right);
    QVERIFY(!NcEdgeTest::test(QPoint(489, 200), frame).right);
    QVERIFY(NcEdgeTest::test(QPoint(300, 400), frame).bottom);
    QVERIFY(NcEdgeTest::test(QPoint(300, 100), frame).top);
    QVERIFY(!NcEdgeTest::test(QPoint(300, 99), frame).onEdges);
}

void TestFrameless::cornersAreTheConjunctionOfTheirEdges()
{
    const QRect frame(0, 0, 200, 100);
    const NcEdgeTest tl = NcEdgeTest::test(QPoint(3, 4), frame);
    QVERIFY(tl.topLeft && tl.top && tl.left && tl.onEdges);
    QVERIFY(!tl.bottomLeft && !tl.topRight && !tl.bottomRight);
    const NcEdgeTest br = NcEdgeTest::test(QPoint(199, 95), frame);
    QVERIFY(br.bottomRight && !br.topLeft);
    const NcEdgeTest edge = NcEdgeTest::test(QPoint(100, 2), frame);
    QVERIFY(edge.top && !edge.topLeft && !edge.topRight);
}

void TestFrameless::attachingMakesTheWindowFramelessAndTracked()
{
    QVERIFY(m_window->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(m_window->windowFlags().testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(m_window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(m_window->testAttribute(Qt::WA_MouseTracking));
    QVERIFY(m_window->testAttribute(Qt::WA_Hover));
    QVERIFY(m_window->isVisible());
}

void TestFrameless::attachingTwiceKeepsOneState()
{
    m_helper->activateOn(m_window);
    QVERIFY(m_helper->isAttached(m_window));
    // One filter: one drag moves the window by the drag distance, not twice.
    const QPoint start = m_window->frameGeometry().topLeft() + QPoint(100, 100);
    press(m_window, start);
    dragTo(m_window, start + QPoint(30, 20));
    release(m_window, start + QPoint(30, 20));
    QCOMPARE(m_window->pos(), QPoint(230, 170));
}

void TestFrameless::removeFromUnattachedWidgetDoesNothing()
{
    QWidget other;
    const Qt::WindowFlags before = other.windowFlags();
    m_helper->removeFrom(&other);
    QCOMPARE(other.windowFlags(), before);
    QVERIFY(m_helper->isAttached(m_window));
}

void TestFrameless::destroyingHelperRestoresFlagsAndVisibility()
{
    QWidget window;
    const Qt::WindowFlags before = window.windowFlags();
    auto* helper = new NcFramelessHelper;
    helper->activateOn(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    delete helper;
    QCOMPARE(window.windowFlags(), before);
    QVERIFY(window.isVisible());
    QVERIFY(!window.testAttribute(Qt::WA_MouseTracking));
    QVERIFY(!window.testAttribute(Qt::WA_Hover));

    QWidget hidden;
    NcFramelessHelper other;
    other.activateOn(&hidden);
    other.removeFrom(&hidden);
    QVERIFY(!hidden.isVisible());
}

void TestFrameless::deletingWindowWithItsHelperIsClean()
{
    auto* window = new QWidget;
    QPointer<NcFramelessHelper> helper = new NcFramelessHelper(window);
    helper->activateOn(window);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    delete window;
    QVERIFY(helper.isNull());
}

void TestFrameless::dragInsideMovesWindow()
{
    const QPoint start(400, 300);
    press(m_window, start);
    dragTo(m_window, QPoint(450, 260));
    QCOMPARE(m_window->pos(), QPoint(250, 110));
    QCOMPARE(m_window->size(), QSize(400, 300));
    release(m_window, QPoint(450, 260));
    // After the release a move without the button drags nothing.
    dragTo(m_window, QPoint(500, 500));
    QCOMPARE(m_window->pos(), QPoint(250, 110));
}

void TestFrameless::dragRightEdgeResizes()
{
    const QRect frame = m_window->frameGeometry();
    const QPoint start(frame.x() + frame.width() - 3, frame.y() + 150);
    press(m_window, start);
    dragTo(m_window, start + QPoint(60, 0));
    release(m_window, start + QPoint(60, 0));
    QCOMPARE(m_window->pos(), QPoint(200, 150));
    // The dragged edge lands on the mouse: right = 597 + 60.
    QCOMPARE(m_window->geometry().right(), 657);
    QCOMPARE(m_window->height(), 300);
}

void TestFrameless::dragTopLeftCornerMovesTwoEdges()
{
    press(m_window, QPoint(202, 152));
    dragTo(m_window, QPoint(180, 140));
    release(m_window, QPoint(180, 140));
    QCOMPARE(m_window->geometry(), QRect(QPoint(180, 140), QPoint(599, 449)));
}

void TestFrameless::resizeStopsAtMinimumWidthButHeightFollows()
{
    // Bottom-left corner dragged far right (below the minimum width) and down.
    press(m_window, QPoint(201, 448));
    dragTo(m_window, QPoint(560, 500));
    release(m_window, QPoint(560, 500));
    QCOMPARE(m_window->x(), 200);
    QCOMPARE(m_window->width(), 400);
    QCOMPARE(m_window->geometry().bottom(), 500);
}

void TestFrameless::withResizingOffEdgeDragMovesAndNoCursor()
{
    m_helper->setWidgetResizable(false);
    hover(m_window, QPoint(201, 300));
    QCOMPARE(m_window->cursor().shape(), Qt::ArrowCursor);
    press(m_window, QPoint(201, 300));
    dragTo(m_window, QPoint(211, 310));
    release(m_window, QPoint(211, 310));
    QCOMPARE(m_window->geometry(), QRect(210, 160, 400, 300));
}

void TestFrameless::immovableWindowStaysOnDrag()
{
    m_helper->setWidgetMovable(false);
    press(m_window, QPoint(400, 300));
    dragTo(m_window, QPoint(450, 350));
    release(m_window, QPoint(450, 350));
    QCOMPARE(m_window->pos(), QPoint(200, 150));
}

void TestFrameless::rightButtonNeitherMovesNorResizes()
{
    press(m_window, QPoint(400, 300), Qt::RightButton);
    sendMouse(m_window, QEvent::MouseMove, QPoint(450, 350), Qt::NoButton, Qt::RightButton);
    release(m_window, QPoint(450, 350), Qt::RightButton);
    press(m_window, QPoint(201, 300), Qt::RightButton);
    sendMouse(m_window, QEvent::MouseMove, QPoint(150, 300), Qt::NoButton, Qt::RightButton);
    QCOMPARE(m_window->geometry(), QRect(200, 150, 400, 300));
}

void TestFrameless::hoverShowsResizeCursors_data()
{
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<int>("shape");
    QTest::newRow("top-left") << QPoint(2, 2) << int(Qt::SizeFDiagCursor);
    QTest::newRow("bottom-right") << QPoint(398, 298) << int(Qt::SizeFDiagCursor);
    QTest::newRow("top-right") << QPoint(398, 2) << int(Qt::SizeBDiagCursor);
    QTest::newRow("bottom-left") << QPoint(2, 298) << int(Qt::SizeBDiagCursor);
    QTest::newRow("left") << QPoint(10, 150) << int(Qt::SizeHorCursor);
    QTest::newRow("right") << QPoint(395, 150) << int(Qt::SizeHorCursor);
    QTest::newRow("top") << QPoint(200, 5) << int(Qt::SizeVerCursor);
    QTest::newRow("bottom") << QPoint(200, 295) << int(Qt::SizeVerCursor);
    QTest::newRow("inside") << QPoint(11, 150) << int(Qt::ArrowCursor);
}

void TestFrameless::hoverShowsResizeCursors()
{
    QFETCH(QPoint, offset);
    QFETCH(int, shape);
    hover(m_window, m_window->frameGeometry().topLeft() + offset);
    QCOMPARE(int(m_window->cursor().shape()), shape);
    // A mouse move without the button updates the cursor the same way.
    hover(m_window, QPoint(400, 300));
    QCOMPARE(m_window->cursor().shape(), Qt::ArrowCursor);
    sendMouse(m_window, QEvent::MouseMove, m_window->frameGeometry().topLeft() + offset, Qt::NoButton,
              Qt::NoButton);
    QCOMPARE(int(m_window->cursor().shape()), shape);
}

void TestFrameless::maximisedWindowShowsNoResizeCursor()
{
    hover(m_window, QPoint(201, 300));
    QCOMPARE(m_window->cursor().shape(), Qt::SizeHorCursor);
    m_window->showMaximized();
    QTRY_VERIFY(m_window->isMaximized());
    hover(m_window, m_window->frameGeometry().topLeft() + QPoint(1, 100));
    QCOMPARE(m_window->cursor().shape(), Qt::ArrowCursor);
}

void TestFrameless::leaveUnsetsCursorUnlessDragging()
{
    hover(m_window, QPoint(201, 300));
    QCOMPARE(m_window->cursor().shape(), Qt::SizeHorCursor);
    QEvent leave(QEvent::Leave);
    press(m_window, QPoint(201, 300));
    QApplication::sendEvent(m_window, &leave);
    QCOMPARE(m_window->cursor().shape(), Qt::SizeHorCursor);
    release(m_window, QPoint(201, 300));
    QApplication::sendEvent(m_window, &leave);
    QCOMPARE(m_window->cursor().shape(), Qt::ArrowCursor);
}

void TestFrameless::rubberBandMoveAppliesOnRelease()
{
    m_helper->useRubberBandOnMove(true);
    press(m_window, QPoint(400, 300));
    dragTo(m_window, QPoint(420, 330));
    QCOMPARE(m_window->pos(), QPoint(200, 150));
    release(m_window, QPoint(420, 330));
    QCOMPARE(m_window->pos(), QPoint(220, 180));
    QCOMPARE(m_window->size(), QSize(400, 300));
}

void TestFrameless::shadowRingsFadeOutwards()
{
    const QList<int> expected{150, 100, 79, 63, 50, 38, 27, 17, 8, 0};
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(BorderShadow::ringAlpha(i), expected.at(i));
}

void TestFrameless::secondShadowReplacesFirst()
{
    QWidget widget;
    QPointer<BorderShadow> first = new BorderShadow;
    first->attachTo(&widget);
    QCOMPARE(widget.property(BorderShadow::kProperty).value<QObject*>(), first.data());
    // Attaching the same shadow again keeps it.
    first->attachTo(&widget);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!first.isNull());

    auto* second = new BorderShadow(&widget);
    second->attachTo(&widget);
    QCOMPARE(widget.property(BorderShadow::kProperty).value<QObject*>(), second);
    QVERIFY(!first.isNull());   // deleted later, not at once
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    second->attachTo(nullptr);
}

void TestFrameless::shadowPaintsGreyRingInsideMargin()
{
    QWidget widget;
    widget.setAttribute(Qt::WA_TranslucentBackground);
    widget.resize(120, 80);
    auto* shadow = new BorderShadow(&widget);
    shadow->attachTo(&widget);
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    // The ring next to the content is the strongest, the outermost clear.
    const QColor inner = image.pixelColor(60, 10);
    const QColor outer = image.pixelColor(60, 1);
    QVERIFY2(inner.alpha() > 40, qPrintable(QString::number(inner.alpha())));
    QVERIFY(qAbs(inner.red() - inner.blue()) < 8);   // grey
    QVERIFY(outer.alpha() < inner.alpha());
    QCOMPARE(image.pixelColor(60, 40).alpha(), 0);   // content left to the widget
}

QTEST_MAIN(TestFrameless)
#include "tst_frameless.moc"

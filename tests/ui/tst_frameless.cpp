#include "ui/common/NcFramelessHelper.h"

#include <QApplication>
#include <QMouseEvent>
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
}

class TestFrameless : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void attachingTwiceKeepsOneState();

    void dragMovesOrResizes_data();
    void dragMovesOrResizes();


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

void TestFrameless::dragMovesOrResizes_data()
{
    // The window starts at (200,150) 400x300 with a minimum of 100x80.
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("resizable");
    QTest::addColumn<bool>("movable");
    QTest::addColumn<QRect>("expected");
    const int left = Qt::LeftButton;
    QTest::newRow("inside moves") << QPoint(400, 300) << QPoint(450, 260) << left << true << true
                                  << QRect(250, 110, 400, 300);
    QTest::newRow("minimum width holds, height follows") << QPoint(201, 448) << QPoint(560, 500) << left << true
                                                         << true << QRect(QPoint(200, 150), QPoint(599, 500));
    QTest::newRow("edge moves when not resizable") << QPoint(201, 300) << QPoint(211, 310) << left << false << true
                                                   << QRect(210, 160, 400, 300);
    QTest::newRow("right button") << QPoint(201, 300) << QPoint(150, 300) << int(Qt::RightButton) << true << true
                                  << QRect(200, 150, 400, 300);
}

void TestFrameless::dragMovesOrResizes()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(int, button);
    QFETCH(bool, resizable);
    QFETCH(bool, movable);
    QFETCH(QRect, expected);
    m_helper->setWidgetResizable(resizable);
    m_helper->setWidgetMovable(movable);
    const auto b = Qt::MouseButton(button);
    press(m_window, from, b);
    sendMouse(m_window, QEvent::MouseMove, to, Qt::NoButton, b);
    release(m_window, to, b);
    QCOMPARE(m_window->geometry(), expected);
    // After the release a move without the button drags nothing.
    dragTo(m_window, QPoint(700, 700));
    QCOMPARE(m_window->geometry(), expected);
}

QTEST_MAIN(TestFrameless)
#include "tst_frameless.moc"

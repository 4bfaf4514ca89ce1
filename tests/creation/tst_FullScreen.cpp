// Full screen: the floating panes, the edge reveal and the keys that leave it.

#include "CreationFixture.h"

#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Top.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

class FullScreenTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void panesFloatOutOfSight();
    void leftStripRevealsAndTheRightAreaHides();
    void pinnedPaneStaysUntilClicked();
    void typingHidesTheRevealedToolBar();
    void escapeLeavesFullScreenButNotUnderALock();

private:
    void moveTo(int x, int y);
    void goFull();
    Widget_Creation* window() const { return m_f->window(); }
    CreationFixture* m_f = nullptr;
};

void FullScreenTest::initTestCase()
{
    m_f = new CreationFixture();
    T_Book* book = m_f->start(QStringLiteral("全屏"));
    QVERIFY(book);
    window()->resize(1200, 800);
}

void FullScreenTest::cleanupTestCase()
{
    delete m_f;
}

void FullScreenTest::cleanup()
{
    CPublicManager::instance()->userConf.writeLock = T_WriteLock();
    CUiManager::instance()->setWindowFullScreen(false);
}

void FullScreenTest::goFull()
{
    CUiManager::instance()->setWindowFullScreen(true);
    QVERIFY(CUiManager::instance()->isFullScreen());
}

void FullScreenTest::moveTo(int x, int y)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(x, y), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(m_f->editor()->viewport(), &move);
}

void FullScreenTest::panesFloatOutOfSight()
{
    goFull();
    QWidget* left = window()->getLeft();
    QCOMPARE(left->parentWidget(), static_cast<QWidget*>(window()));
    QCOMPARE(left->x(), -left->width());
    QVERIFY(window()->getTop()->y() < 0);
    CUiManager::instance()->setWindowFullScreen(false);
    QVERIFY(left->parentWidget() != window());
    QVERIFY(window()->getTop()->parentWidget() != window());
}

void FullScreenTest::leftStripRevealsAndTheRightAreaHides()
{
    goFull();
    // The lock zone at the bottom of the strip reveals nothing.
    moveTo(5, window()->height() - 20);
    QVERIFY(!window()->isLeftShown());
    moveTo(5, 200);
    QVERIFY(window()->isLeftShown());
    QTRY_COMPARE(window()->getLeft()->x(), 0);
    moveTo(600, 200);
    QVERIFY(!window()->isLeftShown());
    QTRY_COMPARE(window()->getLeft()->x(), -window()->getLeft()->width());
}

void FullScreenTest::pinnedPaneStaysUntilClicked()
{
    goFull();
    window()->lockButton()->click();
    QVERIFY(window()->isLeftPinned());
    QVERIFY(window()->isLeftShown());
    moveTo(600, 200);
    QVERIFY(window()->isLeftShown());
    window()->lockButton()->click();
    QVERIFY(!window()->isLeftShown());
}

void FullScreenTest::typingHidesTheRevealedToolBar()
{
    goFull();
    moveTo(300, 2);
    QVERIFY(window()->isTopShown());
    QTest::keyClick(m_f->editor(), Qt::Key_A);
    QVERIFY(!window()->isTopShown());
    moveTo(300, 400);
    QVERIFY(!window()->isTopShown());
}

void FullScreenTest::escapeLeavesFullScreenButNotUnderALock()
{
    goFull();
    CPublicManager::instance()->userConf.writeLock.lockType = 2;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window(), &escape);
    QVERIFY(CUiManager::instance()->isFullScreen());
    CPublicManager::instance()->userConf.writeLock = T_WriteLock();
    QApplication::sendEvent(window(), &escape);
    QVERIFY(!CUiManager::instance()->isFullScreen());
}

int runFullScreenTests(int argc, char** argv)
{
    FullScreenTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_FullScreen.moc"

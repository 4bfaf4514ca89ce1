// The boss key on a real X server: the key is typed through the server's
// test extension, as a user's keyboard would, on a signed-in start.

#include "ShellHelpers.h"

#include "common/QxtGlobalShortcut.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/shell/Dialog_Unlock.h"

#include <QLineEdit>
#include <QStandardPaths>
#include <QWindow>
#include <QSystemTrayIcon>
#include <QX11Info>
#include <QtTest>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {
StandinServer* g_standin = nullptr;
}

StandinServer& standin()
{
    return *g_standin;
}

class BossKeyTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QX11Info::isPlatformX11())
            QSKIP("needs an X server (run under xvfb-run)");
        int event = 0, error = 0, major = 0, minor = 0;
        m_display = XOpenDisplay(nullptr);
        QVERIFY(m_display);
        if (!XTestQueryExtension(m_display, &event, &error, &major, &minor))
            QSKIP("the X server has no test extension");
        QVERIFY(m_fixture.seed());
        QVERIFY(m_fixture.start());
        CUiManager::instance()->idleTimer()->stop();
        CUiManager::instance()->initTray();
    }

    void cleanupTestCase()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }

    void bossKeyHidesAndShowsTheBookshelf()
    {
        CUiManager* ui = CUiManager::instance();
        QVERIFY(ui->bossKey());
        QVERIFY(ui->setBoosKey(QStringLiteral("Ctrl+Shift+N")));
        QWidget* shelf = ui->bookshelf();
        QVERIFY(shelf);
        QVERIFY(QTest::qWaitForWindowExposed(shelf));
        typeCtrlShiftN();
        QTRY_VERIFY_WITH_TIMEOUT(!shelf->isVisible(), 5000);
        typeCtrlShiftN();
        QTRY_VERIFY_WITH_TIMEOUT(shelf->isVisible(), 5000);
    }

    void bossKeyOnlyHidesWhileTheIdleLockIsUp()
    {
        CUiManager* ui = CUiManager::instance();
        QVERIFY(ui->setBoosKey(QStringLiteral("Ctrl+Shift+N")));
        QWidget* shelf = ui->bookshelf();
        QTRY_VERIFY(shelf->isVisible());
        T_SystemConf& conf = CPublicManager::instance()->userConf.systemConf;
        conf.pwdLockType = 4;
        conf.pwdLockTime = 1;
        conf.pwdLockPwd = QStringLiteral("boss");
        bool lockHidden = false, lockBack = false, shelfStayedHidden = true;
        ModalAnswerer<Dialog_Unlock> answer({[&](Dialog_Unlock* d) {
            QVERIFY(QTest::qWaitForWindowExposed(d));
            typeCtrlShiftN();
            lockHidden = QTest::qWaitFor([d] { return !d->windowHandle()->isVisible(); }, 5000);
            shelfStayedHidden = !shelf->isVisible();
            typeCtrlShiftN();
            lockBack = QTest::qWaitFor([d] { return d->windowHandle()->isVisible(); }, 5000);
            shelfStayedHidden = shelfStayedHidden && !shelf->isVisible();
            d->lineEditPwd()->setText(QStringLiteral("boss"));
            d->unlock();
        }});
        QVERIFY(!ui->checkPwdLock(4));
        conf.pwdLockType = 0;
        QCOMPARE(answer.done(), 1);
        QVERIFY(lockHidden);
        QVERIFY(shelfStayedHidden);
        QVERIFY(lockBack);
        QVERIFY(shelf->isVisible());
    }

private:
    void typeCtrlShiftN()
    {
        const KeySym modifiers[] = {XK_Control_L, XK_Shift_L};
        for (KeySym modifier : modifiers)
            XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, modifier), True, CurrentTime);
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, XK_n), True, CurrentTime);
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, XK_n), False, CurrentTime);
        for (KeySym modifier : modifiers)
            XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, modifier), False, CurrentTime);
        XSync(m_display, False);
    }

    Display* m_display = nullptr;
    JobsFixture m_fixture;
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    StandinServer server;
    g_standin = &server;
    if (!server.start())
        return 1;
    server.exportApiBase();
    int failures = 0;
    {
        BossKeyTest test;
        failures = QTest::qExec(&test, argc, argv);
    }
    server.stop();
    return failures;
}

#include "tst_bosskey.moc"

#include "ShellHelpers.h"

#include "ui/bookshelf/Widget_Bookshelf.h"

#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QSignalSpy>
#include <QTest>

class ShellWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_fixture.seed());
        QVERIFY(storeLockSettings(0, 0, QStringLiteral("0"), 1));
        QVERIFY(m_fixture.start());
        QVERIFY(CUiManager::instance()->bookshelf());
        CUiManager::instance()->idleTimer()->stop();
        CUiManager::instance()->initTray();
    }

    void init()
    {
        CPublicManager::instance()->userConf.writeLock.lockType = 0;
        CUiManager::instance()->bookshelf()->show();
    }

    void bossKeyHidesTheWindowAndTrayThenBringsThemBack()
    {
        CUiManager* ui = CUiManager::instance();
        ui->trayIcon()->show();
        ui->toggleMainWindow();
        QVERIFY(!ui->bookshelf()->isVisible());
        QVERIFY(!ui->trayIcon()->isVisible());
        // The lock would ask on a re-show, but the boss key never asks.
        CPublicManager::instance()->userConf.systemConf.pwdLockType = 2;
        ui->toggleMainWindow();
        CPublicManager::instance()->userConf.systemConf.pwdLockType = 0;
        QVERIFY(ui->bookshelf()->isVisible());
        QVERIFY(ui->trayIcon()->isVisible());
        QVERIFY(!ui->isUnlockDialogOpen());
    }

    void bossKeyAndCloseButtonHideNothingUnderTheWritingLock()
    {
        CUiManager* ui = CUiManager::instance();
        CPublicManager::instance()->userConf.writeLock.lockType = 1;
        auto* toast = ui->bookshelf()->findChild<QLabel*>(QStringLiteral("BookshelfTips"));
        QVERIFY(toast);
        for (int attempt = 0; attempt < 2; ++attempt) {
            toast->hide();
            if (attempt == 0)
                ui->toggleMainWindow();
            else
                ui->closeWindow();
            QVERIFY(ui->bookshelf()->isVisible());
            // The author is told why the window stays.
            QVERIFY(toast->isVisible());
            QCOMPARE(toast->text(), QStringLiteral("Currently locked"));
        }
    }

    void trayQuitDoesNothingUnderTheWritingLock()
    {
        CUiManager* ui = CUiManager::instance();
        CPublicManager::instance()->userConf.writeLock.lockType = 1;
        QSignalSpy quitting(qApp, &QCoreApplication::aboutToQuit);
        const QList<QAction*> actions = ui->trayIcon()->contextMenu()->actions();
        QCOMPARE(actions.size(), 2);
        actions.at(1)->trigger();
        QTest::qWait(300);
        QCOMPARE(quitting.count(), 0);
        QVERIFY(ui->bookshelf()->isVisible());
    }

private:
    JobsFixture m_fixture;
};

int runShellWindowTests(int argc, char** argv)
{
    ShellWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ShellWindow.moc"

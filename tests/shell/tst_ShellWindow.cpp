#include "ShellHelpers.h"

#include "platform/ProgramPath.h"
#include "ui/bookshelf/Widget_Bookshelf.h"

#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QScreen>
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
        QCOMPARE(actions.at(0)->text(), QStringLiteral("Main Client"));
        QCOMPARE(actions.at(1)->text(), QStringLiteral("Quick"));
        actions.at(1)->trigger();
        QTest::qWait(300);
        QCOMPARE(quitting.count(), 0);
        QVERIFY(ui->bookshelf()->isVisible());
    }

    void closeButtonWithTrayKeepsTheProgramRunning()
    {
        CUiManager* ui = CUiManager::instance();
        ui->closeWindow();
        QVERIFY(!ui->bookshelf()->isVisible());
        QCOMPARE(ui->signInState(), 1);
        ui->trayIcon()->contextMenu()->actions().at(0)->trigger();
        QVERIFY(ui->bookshelf()->isVisible());
    }

    void fullScreenTogglesAndKeepsMaximised()
    {
        CUiManager* ui = CUiManager::instance();
        QWidget* shelf = ui->bookshelf();
        ui->setWindowFullScreen(true);
        QVERIFY(ui->isFullScreen());
        ui->setWindowFullScreen(false);
        QVERIFY(!ui->isFullScreen());
        shelf->setWindowState(Qt::WindowMaximized);
        ui->setWindowFullScreen(true);
        QCOMPARE(shelf->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen),
                 Qt::WindowMaximized | Qt::WindowFullScreen);
        ui->setWindowFullScreen(false);
        QCOMPARE(shelf->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen),
                 Qt::WindowStates(Qt::WindowMaximized));
        shelf->setWindowState(Qt::WindowNoState);
    }

    void sizeModesUseTheScreenOrTheStoredGeometry()
    {
        CUiManager* ui = CUiManager::instance();
        QWidget* shelf = ui->bookshelf();
        const QRect normal(40, 30, 800, 600);
        shelf->setProperty("CG", normal);
        CPublicManager::instance()->userInfo.windowSize = 2;
        ui->setWindowSize();
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        if (available == QGuiApplication::primaryScreen()->geometry())
            QCOMPARE(shelf->geometry().height(), available.height() - 2);
        else
            QCOMPARE(shelf->geometry(), available);
        CPublicManager::instance()->userInfo.windowSize = 1;
        ui->setWindowSize();
        QCOMPARE(shelf->geometry(), normal);
    }

    void exeAutoIsStoredAndReadBack()
    {
        const QString file = ProgramPath::settingsFile();
        QFile original(file);
        const bool existed = original.open(QIODevice::ReadOnly);
        const QByteArray kept = existed ? original.readAll() : QByteArray();
        original.close();
        QFile::remove(file);
        QVERIFY(!CUiManager::isExeAuto());
        CUiManager::setExeAuto(true);
        QVERIFY(CUiManager::isExeAuto());
        CUiManager::setExeAuto(false);
        QVERIFY(!CUiManager::isExeAuto());
        QSettings settings(file, QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("system/exeAuto")).toInt(), 0);
        if (existed) {
            QFile restore(file);
            QVERIFY(restore.open(QIODevice::WriteOnly));
            restore.write(kept);
        } else {
            QFile::remove(file);
        }
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

#include "ShellHelpers.h"

#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/bookshelf/Widget_Bookshelf_Content.h"
#include "ui/setting/Widget_Setting.h"
#include "ui/common/BkMessageBox.h"
#include "ui/login/Dialog_LoginMain.h"
#include "ui/shell/Dialog_Unlock.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QSystemTrayIcon>
#include <QTest>

class AppLockTest : public QObject
{
    Q_OBJECT

    // A signed-in start whose lock comes after one idle second (password
    // "idle"); the idle ticks are the test's.
    static bool startWithIdleLock(JobsFixture& fixture, int type = 4)
    {
        if (!fixture.seed() || !storeLockSettings(type, 1, QStringLiteral("idle"), 1)
            || !startThroughLock<Dialog_Unlock>(fixture, QStringLiteral("idle")))
            return false;
        CUiManager::instance()->idleTimer()->stop();
        return true;
    }
    static void unlockIdle(Dialog_Unlock* d)
    {
        d->lineEditPwd()->setText(QStringLiteral("idle"));
        d->btnConfirm()->click();
    }

private slots:
    void init()
    {
        CPublicManager::instance()->userConf.writeLock.lockType = 0;
    }

    void startLockRefusesAWrongPasswordThenOpensTheBookshelf()
    {
        JobsFixture fixture;
        QVERIFY(fixture.seed());
        QVERIFY(storeLockSettings(1, 30, QStringLiteral("Ab12")));
        QString errorAfterWrongTry;
        ModalAnswerer<Dialog_Unlock> answer({[&](Dialog_Unlock* d) {
                                                 d->lineEditPwd()->setText(QStringLiteral("ab12"));
                                                 QTest::mouseClick(d->btnConfirm(), Qt::LeftButton);
                                                 errorAfterWrongTry = d->labelError()->text();
                                                 // Case matters and nothing is trimmed.
                                                 d->lineEditPwd()->setText(QStringLiteral("Ab12"));
                                                 QTest::keyClick(d->lineEditPwd(), Qt::Key_Return);
                                             }});
        QVERIFY(fixture.start());
        QCOMPARE(answer.done(), 1);
        QCOMPARE(errorAfterWrongTry, QStringLiteral("wrong password"));
        CUiManager* ui = CUiManager::instance();
        QVERIFY(ui->bookshelf());
        QVERIFY(ui->bookshelf()->isVisible());
        QVERIFY(ui->idleTimer()->isActive());
        QCOMPARE(ui->idleSeconds(), 0);
    }

    void startLockForgotClearsTheLockAndSignsOut()
    {
        JobsFixture fixture;
        QVERIFY(fixture.seed());
        QVERIFY(storeLockSettings(7, 30, QStringLiteral("pw")));
        ModalAnswerer<Dialog_Unlock> unlock({[](Dialog_Unlock* d) { d->btnForgotPwd()->click(); }});
        ModalAnswerer<BkMessageBox> confirm({[](BkMessageBox* box) { box->textButtons().value(0)->click(); }});
        QVERIFY(fixture.start());
        QCOMPARE(confirm.done(), 1);
        CUiManager* ui = CUiManager::instance();
        QCOMPARE(ui->signInState(), 2);
        QVERIFY(ui->loginDialog());
        QVERIFY(!ui->idleTimer()->isActive());
        // The lock is off in the stored settings too, so the next start does not ask.
        TS_Author_Info user;
        T_UserConf conf;
        QVERIFY(CTessaneDb::instance()->getUserData(StandinServer::demoUid(), user, conf));
        QCOMPARE(conf.systemConf.pwdLockType, 0);
        QCOMPARE(conf.systemConf.pwdLockTime, 0);
        QCOMPARE(conf.systemConf.pwdLockPwd, T_SystemConf().pwdLockPwd);
        ui->loginDialog()->hide();
    }

    void aHiddenWindowNeverIdleLocksAndAsksWhenShownAgain()
    {
        JobsFixture fixture;
        QVERIFY(fixture.seed());
        QVERIFY(storeLockSettings(6, 1, QStringLiteral("back"), 1));
        QVERIFY(startThroughLock<Dialog_Unlock>(fixture, QStringLiteral("back")));
        CUiManager* ui = CUiManager::instance();
        ui->idleTimer()->stop();
        ui->closeWindow();
        QVERIFY(!ui->bookshelf()->isVisible());
        for (int i = 0; i < 3; ++i)
            QVERIFY(!ui->checkPwdLock(4));
        QCOMPARE(ui->idleSeconds(), 0);

        QString errorAfterWrongTry;
        ModalAnswerer<Dialog_Unlock> answer({[&](Dialog_Unlock* d) {
            d->lineEditPwd()->setText(QStringLiteral("bacK"));
            d->btnConfirm()->click();
            errorAfterWrongTry = d->labelError()->text();
            d->lineEditPwd()->setText(QStringLiteral("back"));
            d->btnConfirm()->click();
        }});
        ui->showMainWindow();
        QCOMPARE(answer.done(), 1);
        QCOMPARE(errorAfterWrongTry, QStringLiteral("wrong password"));
        QVERIFY(ui->bookshelf()->isVisible());
    }

    void idleLockHidesOnlyTheClientsWindowsAndShowsThemAgain_data()
    {
        QTest::addColumn<bool>("closedFirst");
        QTest::newRow("unlocked") << false;
        // Closed with ×: the windows stay hidden until the tray's lock is answered.
        QTest::newRow("closed, then the tray's lock unlocked") << true;
    }
    void idleLockHidesOnlyTheClientsWindowsAndShowsThemAgain()
    {
        QFETCH(bool, closedFirst);
        JobsFixture fixture;
        QVERIFY(startWithIdleLock(fixture, closedFirst ? 6 : 4));
        CUiManager* ui = CUiManager::instance();
        QWidget* shelf = ui->bookshelf();
        QVERIFY(shelf && shelf->isVisible());
        // Another window of the client, and a window kept out of the window
        // manager's hands as the tray icon's is.
        QWidget own;
        own.setWindowFlags(Qt::Tool);
        own.show();
        QWidget trayLike(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
        trayLike.show();

        bool hiddenWhileLocked = false;
        bool trayWhileLocked = false;
        ModalAnswerer<Dialog_Unlock> answer({[&](Dialog_Unlock* d) {
                                                 hiddenWhileLocked = !shelf->isVisible() && !own.isVisible();
                                                 trayWhileLocked = trayLike.isVisible();
                                                 closedFirst ? d->btnClose()->click() : unlockIdle(d);
                                             },
                                             unlockIdle});
        QCOMPARE(ui->checkPwdLock(4), closedFirst);
        if (closedFirst) {
            QVERIFY(!shelf->isVisible() && !own.isVisible());
            ui->initTray();
            emit ui->trayIcon()->activated(QSystemTrayIcon::Trigger);
        }
        QCOMPARE(answer.done(), closedFirst ? 2 : 1);
        QVERIFY(hiddenWhileLocked);
        QVERIFY(trayWhileLocked);
        QVERIFY(shelf->isVisible());
        QVERIFY(own.isVisible());
        QVERIFY(trayLike.isVisible());
    }

    void idleLockOverTheSettingsPageLeavesEveryWindowTakingInput()
    {
        JobsFixture fixture;
        QVERIFY(startWithIdleLock(fixture));
        CUiManager* ui = CUiManager::instance();
        Widget_Bookshelf* shelf = ui->bookshelf();
        QVERIFY(QTest::qWaitForWindowExposed(shelf));

        ModalAnswerer<Dialog_Unlock> unlock({unlockIdle});
        // The lock comes while the settings page is up, and the author closes
        // the page after unlocking.
        ModalAnswerer<Widget_Setting> page({[&](Widget_Setting*) { QVERIFY(!ui->checkPwdLock(4)); },
                                            [](Widget_Setting* p) { p->reject(); }});
        shelf->getContent()->showPage(2);
        QCOMPARE(unlock.done(), 1);
        QTRY_COMPARE(page.done(), 2);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);

        // A click through the window system reaches the bookshelf again.
        auto* sync = shelf->findChild<QPushButton*>(QStringLiteral("btnSync"));
        // Hidden while a sync runs.
        QTRY_VERIFY(sync && sync->isVisible());
        QSignalSpy pressed(sync, &QPushButton::pressed);
        QTest::mouseClick(shelf->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          sync->mapTo(shelf, sync->rect().center()));
        QCOMPARE(pressed.count(), 1);
    }

    // The password field has the keys as the lock screen shows, and keeps
    // them: a wrong password typed and entered is told, Escape is swallowed,
    // the right one entered unlocks.
    void lockScreenTakesTheKeysWheneverItShows_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("start") << 1;
        QTest::newRow("idle") << 4;
        QTest::newRow("tray") << 2;
    }
    void lockScreenTakesTheKeysWheneverItShows()
    {
        QFETCH(int, type);
        JobsFixture fixture;
        QVERIFY(fixture.seed() && storeLockSettings(type, 1, QStringLiteral("keys"), 1));
        // Every lock asks at the start too.
        QVERIFY(type == 1 || startThroughLock<Dialog_Unlock>(fixture, QStringLiteral("keys")));
        CUiManager* ui = CUiManager::instance();
        ui->idleTimer()->stop();
        QStringList seen;
        bool hidden = false;
        ModalAnswerer<Dialog_Unlock> answer({[&](Dialog_Unlock* d) {
            QVERIFY(QTest::qWaitForWindowActive(d));
            // The boss key hides it and brings it back, the start's too.
            ui->toggleMainWindow();
            hidden = !d->windowHandle()->isVisible();
            ui->toggleMainWindow();
            for (int key : {Qt::Key_Backtab, Qt::Key_K, Qt::Key_E, Qt::Key_Y, Qt::Key_Z, Qt::Key_Return, Qt::Key_Escape})
                QTest::keyClick(d->windowHandle(), Qt::Key(key));
            seen << d->labelError()->text() << (d->isVisible() ? "shown" : "gone");
            for (int key : {Qt::Key_Backspace, Qt::Key_S, Qt::Key_Enter})
                QTest::keyClick(d->windowHandle(), Qt::Key(key));
        }});
        if (type == 2) { // the window goes to the tray, and its icon brings it back
            ui->initTray();
            ui->closeWindow();
            emit ui->trayIcon()->activated(QSystemTrayIcon::Trigger);
        }
        // The start lock, or the idle lock after a second untouched.
        QVERIFY(type == 1 ? fixture.start() : type == 2 || !ui->checkPwdLock(4));
        QCOMPARE(answer.done(), 1);
        QVERIFY(hidden);
        QCOMPARE(seen, QStringList({QStringLiteral("wrong password"), QStringLiteral("shown")}));
        QVERIFY(ui->bookshelf() && ui->bookshelf()->isVisible());
    }

    void refusedForgottenPasswordKeepsTheLockAndEveryWindow_data()
    {
        QTest::addColumn<bool>("atTheLockScreen");
        QTest::newRow("idle lock over the settings page") << true;
        QTest::newRow("settings page") << false;
    }

    void refusedForgottenPasswordKeepsTheLockAndEveryWindow()
    {
        QFETCH(bool, atTheLockScreen);
        JobsFixture fixture;
        QVERIFY(startWithIdleLock(fixture, 7));
        CUiManager* ui = CUiManager::instance();
        // The sign-out's own write: the last user cannot be cleared.
        QVERIFY(CTessaneDb::instance()->newQuery().exec(QStringLiteral(
            "CREATE TRIGGER refuse BEFORE UPDATE ON tb_sys BEGIN SELECT RAISE(ABORT, 'disk says no'); END;")));
        // 忘记密码锁 → OK, then OK on why the lock stays, then the password.
        // A lock the password no longer opens is closed, so the test ends.
        ModalAnswerer<Dialog_Unlock> unlock({[](Dialog_Unlock* d) { d->btnForgotPwd()->click(); }, unlockIdle,
                                             [](Dialog_Unlock* d) { d->btnClose()->click(); }});
        const auto ok = [](BkMessageBox* box) {
            (box->textButtons().isEmpty() ? box->button(QMessageBox::Ok) : box->textButtons().first())->click();
        };
        ModalAnswerer<BkMessageBox> boxes({ok, ok});
        bool pageBack = false;
        ModalAnswerer<Widget_Setting> page({[&](Widget_Setting* p) {
                                                if (atTheLockScreen)
                                                    QVERIFY(!ui->checkPwdLock(4));
                                                else
                                                    p->findChild<QPushButton*>(QStringLiteral("btnForgotPwd"))->click();
                                            },
                                            [&](Widget_Setting* p) {
                                                pageBack = p->windowHandle()->isVisible();
                                                p->reject();
                                            }});
        ui->bookshelf()->getContent()->showPage(2);
        QTRY_COMPARE(page.done(), 2);
        QCOMPARE(unlock.done(), atTheLockScreen ? 2 : 0);
        QCOMPARE(boxes.done(), atTheLockScreen ? 2 : 1);
        QVERIFY(pageBack);
        QVERIFY(ui->bookshelf()->windowHandle()->isVisible());
        QCOMPARE(ui->signInState(), 1);
        const T_SystemConf& conf = CPublicManager::instance()->userConf.systemConf;
        QCOMPARE(conf.pwdLockType, 7);
        QCOMPARE(conf.pwdLockPwd, QStringLiteral("idle"));
    }

    // The forgotten password at the idle lock signs out over a dialog opened
    // from another one. The sign-out waits for their loops: a box the inner
    // dialog's caller opens once its exec() returned ends unanswered, and the
    // sign-in follows; or the program ends meanwhile and takes the windows.
    void signOutWaitingForDialogsEndsWhatOpensAndGoesWithTheProgram_data()
    {
        QTest::addColumn<bool>("programEnds");
        // The platform's "sign in again" while the boss key hides the lock screen.
        QTest::addColumn<bool>("hiddenLock");
        QTest::newRow("a box the dialog's caller opens next") << false << false;
        QTest::newRow("the program ends while it waits") << true << false;
        QTest::newRow("a forced sign-out, the lock screen hidden") << false << true;
    }
    void signOutWaitingForDialogsEndsWhatOpensAndGoesWithTheProgram()
    {
        QFETCH(bool, programEnds);
        QFETCH(bool, hiddenLock);
        JobsFixture fixture;
        QVERIFY(startWithIdleLock(fixture, 7));
        CUiManager* ui = CUiManager::instance();
        const QPointer<QWidget> shelf = ui->bookshelf();
        bool heldOpen = false;
        ModalAnswerer<Dialog_Unlock> unlock({[&](Dialog_Unlock* d) {
            if (!hiddenLock)
                return d->btnForgotPwd()->click();
            // A lock screen left open would hold the test: closed after a while, it fails it.
            QTimer::singleShot(5000, d, [&heldOpen, d]() { heldOpen = true, d->reject(); });
            ui->toggleMainWindow();
            ui->logout();
        }});
        ModalAnswerer<BkMessageBox> confirm({[](BkMessageBox* box) { box->textButtons().value(0)->click(); }});
        int next = 0;
        {
            // Gone before the sign-out may release the shelf that owns them.
            QDialog outer(shelf);
            QTimer::singleShot(0, &outer, [&]() {
                QDialog inner(&outer);
                QTimer::singleShot(0, &inner, [ui]() { ui->checkPwdLock(4); });
                inner.exec();
                if (programEnds)
                    return;
                // A box left open would hold the test: answered after a while, it fails it.
                QTimer::singleShot(5000, qApp, []() {
                    if (auto* box = qobject_cast<BkMessageBox*>(QApplication::activeModalWidget()))
                        box->textButtons().value(0)->click();
                });
                next = BkMessageBox::question(shelf, QStringLiteral("下一个"), QStringLiteral("?"), QStringLiteral("好"),
                                              QStringLiteral("不"), 0);
            });
            outer.exec();
        }
        QVERIFY(!heldOpen);
        QCOMPARE(ui->signInState(), 2);
        if (programEnds) {
            // Ended before the sign-out came back to finish.
            ui->shutdown();
            QVERIFY(shelf.isNull());
            return;
        }
        QCOMPARE(next, BkMessageBox::kNoAnswer);
        QTRY_VERIFY(ui->loginDialog() && ui->loginDialog()->isVisible());
        QVERIFY(shelf.isNull());
        ui->loginDialog()->hide();
    }

    // The boss key hides the lock screen with the tray icon, and a second
    // start brings both back; closed unanswered, the lock screen is what
    // the tray or the boss key brings back, also where only the idle lock
    // was chosen.
    void theLockScreenComesBackFromASecondStartAndTheTray_data()
    {
        QTest::addColumn<bool>("bossKey");
        QTest::newRow("tray") << false;
        QTest::newRow("boss key") << true;
    }
    void theLockScreenComesBackFromASecondStartAndTheTray()
    {
        QFETCH(bool, bossKey);
        JobsFixture fixture;
        QVERIFY(startWithIdleLock(fixture));
        CUiManager* ui = CUiManager::instance();
        ui->initTray();
        QList<bool> shown;
        ModalAnswerer<Dialog_Unlock> answer({[&](Dialog_Unlock* d) {
                                                 ui->toggleMainWindow();
                                                 shown << d->windowHandle()->isVisible() << ui->trayIcon()->isVisible();
                                                 ui->activeWindows(QStringLiteral("vellora-client"));
                                                 shown << d->windowHandle()->isVisible() << ui->trayIcon()->isVisible();
                                                 QTest::mouseClick(d->findChild<QPushButton*>("btn_close_popup"), Qt::LeftButton);
                                             },
                                             unlockIdle});
        QVERIFY(ui->checkPwdLock(4));
        QCOMPARE(shown, QList<bool>({false, false, true, true}));
        QVERIFY(!ui->bookshelf()->isVisible());
        if (bossKey)
            ui->toggleMainWindow();
        else
            emit ui->trayIcon()->activated(QSystemTrayIcon::Trigger);
        QTRY_COMPARE(answer.done(), 2);
        QVERIFY(ui->bookshelf()->isVisible());
    }

    void escapeDoesNotDismissTheLockScreen()
    {
        CPublicManager::instance()->userConf.systemConf.pwdLockPwd = QStringLiteral("esc");
        Dialog_Unlock dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.resultKind(), 1);
        QVERIFY(!dialog.btnConfirm()->isEnabled());
        dialog.lineEditPwd()->setText(QStringLiteral("esc"));
        QVERIFY(dialog.btnConfirm()->isEnabled());
        QTest::keyClick(dialog.lineEditPwd(), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.resultKind(), 0);
    }
};

int runAppLockTests(int argc, char** argv)
{
    AppLockTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_AppLock.moc"

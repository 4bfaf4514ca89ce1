// The boss key on a real X server: the key is typed through the server's
// test extension, as a user's keyboard would, on a signed-in start.

#include "BooksFixture.h"
#include "ShellHelpers.h"
#include "WindowManagerProbe.h"

#include "common/DPIAdapter.h"
#include "common/QxtGlobalShortcut.h"
#include "manager/CJobManager.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/bookshelf/Widget_Bookshelf_Content.h"
#include "platform/PendingInput.h"
#include "ui/common/HiddenWindows.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Dialog_TimeMachine.h"
#include "ui/creation/Dialog_Search.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/Widget_Creation_Top.h"
#include "ui/creation/Widget_SensitiveWords.h"
#include "ui/creation/memo/MemoItemManager.h"
#include "ui/creation/memo/MemoItemWidget.h"
#include "ui/creation/memo/MemoListWidget.h"
#include "ui/creation/tools/Dialog_WritingSettings.h"
#include "ui/login/Dialog_LoginMain.h"
#include "ui/login/Widget_Login.h"
#include "ui/login/Widget_WeChatLogin.h"
#include "ui/setting/Widget_Setting.h"
#include "ui/shell/Dialog_Unlock.h"
#include "ui/common/CTabButton.h"
#include "ui/common/CTextEdit.h"
#include "volume/CBookVolumeController.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QListView>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QQuickItem>
#include <QQuickWidget>
#include <QStandardPaths>
#include <QWindow>
#include <QSystemTrayIcon>
#include <QX11Info>
#include <QThread>
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

// Whether a mouse button was let go anywhere in the program.
struct ReleaseSeen : QObject {
    bool seen = false;
    bool eventFilter(QObject*, QEvent* event) override
    {
        seen = seen || event->type() == QEvent::MouseButtonRelease;
        return false;
    }
};

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
        // Where the keys go once windows come back is the window manager's to say.
        QVERIFY(m_windowManager.ensureWindowManager(CUiManager::instance()->bookshelf()));
    }

    // A row that failed half-way leaves nothing hidden or open for the next.
    void cleanup()
    {
        CUiManager* ui = CUiManager::instance();
        CPublicManager::instance()->userConf.systemConf.pwdLockType = 0;
        if (ui->signInState() == 2) {
            // Signed out by the row: in again, as at the start.
            CJobManager::instance()->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(m_fixture.start());
            ui->idleTimer()->stop();
        }
        if (const QSharedPointer<QWidget> main = ui->currentWindow(); main && !main->isVisible())
            ui->showMainWindow();
        MemoItemManager::instance()->closeAll();
        ui->closeCreation();
        QTRY_VERIFY(ui->bookshelf() && ui->bookshelf()->isVisible());
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
        QVERIFY(QTest::qWaitForWindowExposed(shelf, 15000));
        typeCtrlShiftN();
        QTRY_VERIFY_WITH_TIMEOUT(!shelf->isVisible(), 15000);
        pressBossKeyWhileAway();
        QTRY_VERIFY_WITH_TIMEOUT(shelf->isVisible(), 15000);
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
            QVERIFY(QTest::qWaitForWindowExposed(d, 15000));
            typeCtrlShiftN();
            lockHidden = QTest::qWaitFor([d] { return !d->windowHandle()->isVisible(); }, 15000);
            shelfStayedHidden = !shelf->isVisible();
            pressBossKeyWhileAway();
            lockBack = QTest::qWaitFor([d] { return d->windowHandle()->isVisible(); }, 15000);
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

    // A book open with its tools, and a modal dialog over it in its exec():
    // every one goes with the boss key, or with the window's close to the
    // tray, and those not closed, hidden or deleted meanwhile come back with
    // the key or the tray, the icon too.
    void everyWindowGoesAndTheSameOnesComeBack_data()
    {
        QTest::addColumn<bool>("toTray");
        QTest::newRow("boss key") << false;
        QTest::newRow("closed to the tray") << true;
    }
    void everyWindowGoesAndTheSameOnesComeBack()
    {
        QFETCH(bool, toTray);
        CUiManager* ui = CUiManager::instance();
        QVERIFY(ui->setBoosKey(QStringLiteral("Ctrl+Shift+N")));
        CPublicManager::instance()->userConf.systemConf.isTray = 1;
        ui->openCreation(m_fixture.offlineBook(QString::number(toTray)));
        Widget_Creation* writing = ui->creationWindow();
        QVERIFY(writing && QTest::qWaitForWindowExposed(writing, 15000));
        // 便签 (F10) and a memo from its +, 查找/替换 (F6), 敏感词检测 (F7).
        for (Qt::Key key : {Qt::Key_F10, Qt::Key_F6, Qt::Key_F7}) {
            writing->getContent()->textEdit()->setFocus();
            QTest::keyClick(writing->windowHandle(), key);
        }
        const QPointer<QWidget> search = writing->findChild<Dialog_Search*>(), memos = MemoItemManager::instance()->memoList(),
                                sensitive = writing->findChild<Widget_SensitiveWords*>();
        QTRY_VERIFY(search && memos && sensitive && search->isVisible() && memos->isVisible() && sensitive->isVisible());
        QTest::mouseClick(memos->findChild<QPushButton*>(QStringLiteral("btnAddMemo")), Qt::LeftButton);
        QTRY_COMPARE(MemoItemManager::instance()->openWindows().size(), 1);
        const auto goAndComeBack = [&](QWidget* modal) {
            QList<QPointer<QWidget>> shown;
            for (QWidget* top : QApplication::topLevelWidgets())
                shown << (top->isVisible() && HiddenWindows::isProgramWindow(top) ? top : nullptr);
            const auto showing = [&shown](bool visible) {
                return [&shown, visible]() {
                    return std::all_of(shown.cbegin(), shown.cend(),
                                       [visible](const QPointer<QWidget>& w) { return !w || w->isVisible() == visible; });
                };
            };
            toTray ? void(writing->close()) : typeCtrlShiftN();
            QVERIFY(QTest::qWaitFor(showing(false), 15000) && ui->trayIcon()->isVisible() == toTray);
            search->close();
            memos->hide();
            delete MemoItemManager::instance()->openWindows().value(0);
            shown.removeAll(search);
            shown.removeAll(memos);
            toTray ? emit ui->trayIcon()->activated(QSystemTrayIcon::Trigger) : pressBossKeyWhileAway();
            QVERIFY(QTest::qWaitFor(showing(true), 15000) && !search->isVisible() && !memos->isVisible());
            QVERIFY(shown.contains(writing) && shown.contains(sensitive) && (!modal || shown.contains(modal)));
            QVERIFY(ui->trayIcon()->isVisible());
        };
        if (toTray) {
            goAndComeBack(nullptr);
        } else {
            // 写作设置 (F11): its exec() goes on, and ends with the author's answer.
            ModalAnswerer<Dialog_WritingSettings> answer({[&](Dialog_WritingSettings* d) {
                goAndComeBack(d);
                QCOMPARE(QApplication::activeModalWidget(), d);
                d->reject();
            }});
            QTest::keyClick(writing->windowHandle(), Qt::Key_F11);
            QCOMPARE(answer.done(), 1);
        }
        QVERIFY(!QTest::currentTestFailed() && QApplication::activeModalWidget() == nullptr);
        ui->closeCreation();
    }


    // A field the author typed in keeps the keys and its text through the
    // boss key pressed twice; the window's first field is not chosen again.
    void theSignInKeepsWhatWasTyped_data()
    {
        QTest::addColumn<bool>("signIn");
        QTest::newRow("the sign-in's password") << true;
        QTest::newRow("the settings' new password") << false;
    }
    void theSignInKeepsWhatWasTyped()
    {
        QFETCH(bool, signIn);
        CUiManager* ui = CUiManager::instance();
        QVERIFY(ui->setBoosKey(QStringLiteral("Ctrl+Shift+N")));
        QTRY_VERIFY(ui->bookshelf()->isVisible());
        const auto typeBesideTheFirst = [&](QWidget* window, QLineEdit* first, QLineEdit* second) {
            QVERIFY(m_windowManager.ensureWindowManager(window));
            window->activateWindow();
            QTRY_VERIFY(window->isActiveWindow() && keyboardFocusedOn(window));
            QTRY_COMPARE(QApplication::focusWidget(), first);
            first->clear();
            typeText("13800000000");
            tap(XK_Tab);
            typeText("demo12");
            QTRY_COMPARE(second->text(), QStringLiteral("demo12"));
            typeCtrlShiftN();
            QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 15000);
            pressBossKeyWhileAway();
            QTRY_VERIFY_WITH_TIMEOUT(window->isVisible(), 15000);
            // The window that had the keys has them again once all are back.
            QTRY_VERIFY_WITH_TIMEOUT(keysAreBackIn(window), 15000);
            typeText("34");
            QTRY_COMPARE(second->text(), QStringLiteral("demo1234"));
            QCOMPARE(first->text(), QStringLiteral("13800000000"));
        };
        if (signIn) {
            ui->showLoginDialog();
            Dialog_LoginMain* dialog = ui->loginDialog();
            QVERIFY(dialog && QTest::qWaitForWindowExposed(dialog, 15000));
            Widget_Login* page = dialog->loginPage();
            const int sent = standin().requestsTo(QStringLiteral("/account/login")).size();
            typeBesideTheFirst(dialog, page->accountEdit(), page->passwordEdit());
            tap(XK_Return);
            QTRY_COMPARE(standin().requestsTo(QStringLiteral("/account/login")).size(), sent + 1);
            const QJsonObject body = StandinServer::bodyOf(standin().requestsTo(QStringLiteral("/account/login")).last());
            QCOMPARE(body.value(QStringLiteral("phone")).toString(), QStringLiteral("13800000000"));
            ui->hideLoginDialog();
            return;
        }
        ModalAnswerer<Widget_Setting> answer({[&](Widget_Setting* d) {
            typeBesideTheFirst(d, d->findChild<QLineEdit*>(QStringLiteral("lineEditPwd")),
                               d->findChild<QLineEdit*>(QStringLiteral("lineEditNewPwd")));
            d->reject();
        }});
        ui->bookshelf()->getContent()->showPage(2);
        QCOMPARE(answer.done(), 1);
    }

    // 敏感词检测 and 时光机 brought back keep what the author left there: the
    // words being typed into the own list, still editable and with the
    // keys, the result page with the treatment chosen, the version chosen
    // (restored by 恢复此版本).
    void aToolBroughtBackKeepsWhatTheAuthorLeft_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<bool>("toTray");
        for (const char* tool : {"own words", "result"}) {
            QTest::addRow("%s, boss key", tool) << tool << false;
            QTest::addRow("%s, closed to the tray", tool) << tool << true;
        }
        QTest::newRow("time machine, boss key") << "time machine" << false;
    }
    void aToolBroughtBackKeepsWhatTheAuthorLeft()
    {
        QFETCH(QString, tool);
        QFETCH(bool, toTray);
        CUiManager* ui = CUiManager::instance();
        QVERIFY(ui->setBoosKey(QStringLiteral("Ctrl+Shift+N")));
        CPublicManager::instance()->userConf.systemConf.isTray = 1;
        T_Book* book = m_fixture.offlineBook(QTest::currentDataTag());
        ui->openCreation(book);
        Widget_Creation* writing = ui->creationWindow();
        QVERIFY(writing && QTest::qWaitForWindowExposed(writing, 15000) && m_windowManager.ensureWindowManager(writing));
        const auto goAndComeBack = [&](QWidget* window) {
            QVERIFY(QTest::qWaitForWindowExposed(window, 15000) && m_windowManager.ensureWindowManager(window));
            toTray ? ui->closeWindow() : typeCtrlShiftN();
            QVERIFY(QTest::qWaitFor([&] { return !window->isVisible() && !writing->isVisible(); }, 15000));
            toTray ? emit ui->trayIcon()->activated(QSystemTrayIcon::Trigger) : pressBossKeyWhileAway();
        };
        if (tool == "time machine") {
            T_Chapter* chapter = writing->getContent()->currentChapter();
            // Newest first: the second in the list is the older.
            TC_Chapter_ContentBlade blade;
            blade.header.localBookId = book->localId;
            blade.header.localChapterId = chapter->localId;
            for (const char* text : {"older version", "newer version"})
                QVERIFY(CJobManager::instance()->chapter_contentBlade((blade.content = QString::fromLatin1(text), blade)));
            ModalAnswerer<Dialog_TimeMachine> answer({[&](Dialog_TimeMachine* d) {
                const auto end = qScopeGuard([d] { d->accept(); });
                QVERIFY(QTest::qWaitFor([&] { return keysAreBackIn(d); }, 15000));
                typeKey(XK_Down);
                QVERIFY(QTest::qWaitFor([d] { return d->currentIndex() == 1 && !d->isComparing(); }, 15000));
                goAndComeBack(d);
                QVERIFY(QTest::qWaitFor([&] { return keysAreBackIn(d); }, 15000));
                QCOMPARE(d->currentIndex(), 1);
                QVERIFY(clickOn(d->findChild<QPushButton*>(QStringLiteral("btnRestore"))));
                QVERIFY(QTest::qWaitFor([d] { return !d->isRestoring(); }, 15000));
            }});
            ui->showTimeMachine(chapter);
            QVERIFY(answer.done() == 1 && !QTest::currentTestFailed());
            QTRY_VERIFY(writing->getContent()->textEdit()->toPlainText().contains(QLatin1String("older version")));
            ui->closeCreation();
            return;
        }
        QTest::keyClick(writing->windowHandle(), Qt::Key_F7);
        QPointer<Widget_SensitiveWords> panel = writing->findChild<Widget_SensitiveWords*>();
        QVERIFY(panel && QTest::qWaitForWindowExposed(panel, 15000) && m_windowManager.ensureWindowManager(panel));
        auto* words = panel->findChild<QTextEdit*>(QStringLiteral("textEdit"));
        auto* treatment = panel->findChild<QRadioButton*>(QStringLiteral("radioButton_3"));
        auto* page = panel->findChild<QWidget*>(QStringLiteral("pageSetting"));
        QVERIFY(clickOn(page->findChild<QPushButton*>(tool == "result" ? "btnConfirm" : "btnEdit")));
        QVERIFY(clickOn(tool == "result" ? static_cast<QWidget*>(treatment) : words));
        typeText("qq");
        goAndComeBack(panel);
        typeText("ww");
        QTRY_VERIFY_WITH_TIMEOUT(panel->isVisible() && keysAreBackIn(panel), 15000);
        if (tool == "result")
            QVERIFY(treatment->isVisible() && treatment->isChecked());
        else
            QTRY_VERIFY(words->toPlainText().endsWith(QLatin1String("qqww")) && !words->isReadOnly());
        panel->close();
        ui->closeCreation();
    }

    // The QR sign-in brought back goes on asking after the code on its page
    // (it may be scanned already) instead of showing a new one.
    void theQrSignInKeepsItsCode()
    {
        CUiManager* ui = CUiManager::instance();
        QVERIFY(ui->setBoosKey(QStringLiteral("Ctrl+Shift+N")));
        ui->showLoginDialog();
        ui->loginDialog()->onDealToggle(3);
        QPointer<Widget_WeChatLogin> qr = ui->loginDialog()->weChatWindow();
        QVERIFY(qr && QTest::qWaitForWindowExposed(qr, 15000) && m_windowManager.ensureWindowManager(qr));
        const QString codes = QStringLiteral("/author/wxCodeLogin"), polls = QStringLiteral("/author/pollingWx");
        QTRY_VERIFY(!standin().requestsTo(polls).isEmpty());
        const int fetched = standin().requestsTo(codes).size();
        typeCtrlShiftN();
        QTRY_VERIFY_WITH_TIMEOUT(!qr->isVisible(), 15000);
        const int polled = standin().requestsTo(polls).size();
        pressBossKeyWhileAway();
        QTRY_VERIFY_WITH_TIMEOUT(standin().requestsTo(polls).size() > polled, 15000);
        QCOMPARE(standin().requestsTo(codes).size(), fetched);
        qr->close();
        ui->hideLoginDialog();
    }

    // F11 read just before the boss key while the window's thread is busy:
    // 写作设置 opens, and goes with everything else.
    void aKeyJustBeforeTheBossKeyOpensNothingAlone()
    {
        CUiManager* ui = CUiManager::instance();
        QVERIFY(ui->setBoosKey(QStringLiteral("Ctrl+Shift+N")));
        ui->openCreation(m_fixture.offlineBook(QStringLiteral("busy")));
        Widget_Creation* writing = ui->creationWindow();
        QVERIFY(writing && QTest::qWaitForWindowExposed(writing, 15000) && m_windowManager.ensureWindowManager(writing));
        writing->activateWindow();
        QTRY_VERIFY(writing->isActiveWindow() && keyboardFocusedOn(writing));
        writing->getContent()->textEdit()->setFocus();
        // The dialog may be out of sight before anyone sees it, and then no
        // longer the application's modal window: it is answered once it exists.
        bool aloneNever = false, back = false;
        int answered = 0;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&]() {
            auto* d = writing->findChild<Dialog_WritingSettings*>();
            if (d == nullptr || answered++ > 0)
                return;
            aloneNever = QTest::qWaitFor([] { return programWindowsShown() == 0; }, 3000);
            pressBossKeyWhileAway();
            back = QTest::qWaitFor([d] { return d->isVisible(); }, 15000);
            d->reject();
        });
        poll.start(50);
        tap(XK_F11);
        typeCtrlShiftN();
        QThread::msleep(300);
        QVERIFY(QTest::qWaitFor([&answered, writing] { return answered == 1 && !writing->findChild<Dialog_WritingSettings*>(); }, 15000));
        QVERIFY(aloneNever);
        QVERIFY(back);
        QTRY_VERIFY(writing->isVisible());
        ui->closeCreation();
    }

    // An open menu holds the whole keyboard: the boss key still takes every
    // window along, the menu closing, and brings them back without it.
    void theBossKeyGoesPastAnOpenMenu_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::newRow("the tree's chapter menu") << "tree";
        QTest::newRow("the ≡ menu") << "tools";
        QTest::newRow("the tray icon's menu") << "tray";
    }
    void theBossKeyGoesPastAnOpenMenu()
    {
        QFETCH(QString, menu);
        CUiManager* ui = CUiManager::instance();
        QVERIFY(ui->setBoosKey(QStringLiteral("Ctrl+Shift+N")));
        ui->openCreation(m_fixture.offlineBook(QStringLiteral("menu ") + QTest::currentDataTag()));
        Widget_Creation* writing = ui->creationWindow();
        QVERIFY(writing && QTest::qWaitForWindowExposed(writing, 15000) && m_windowManager.ensureWindowManager(writing));
        writing->activateWindow();
        QTRY_VERIFY(writing->isActiveWindow() && keyboardFocusedOn(writing));
        // Where the author clicks, in the server's pixels, and what opens.
        QPoint at;
        unsigned button = 3;
        const auto* expected = static_cast<QObject*>(ui->trayIcon()->contextMenu());
        // The rows after this one have no tray host, as before it.
        const auto trayHostGoes = qScopeGuard([this]() {
            m_trayHost.terminate();
            m_trayHost.waitForFinished(5000);
        });
        if (menu == "tree") {
            QQuickWidget* tree = CBookVolumeController::instance()->getQuickWidget();
            QQuickItem* row = nullptr;
            QTRY_VERIFY((row = firstChapterRow(tree->rootObject())) != nullptr);
            at = tree->mapToGlobal(row->mapToScene(QPointF(row->width() / 2, row->height() / 2)).toPoint());
            expected = CBookVolumeController::instance()->chapterMenu();
        } else if (menu == "tools") {
            auto* tools = writing->getTop()->findChild<QPushButton*>(QStringLiteral("btn_creation_setup1"));
            at = tools->mapToGlobal(tools->rect().center());
            button = 1;
            expected = nullptr;
        } else {
            // The icon in a tray host, as on a desktop.
            QVERIFY(ensureTrayHost());
            // Once the host has it in its place: the server shows the icon there.
            const auto iconShown = [&at, ui, this]() {
                const QWidgetList tops = QApplication::topLevelWidgets();
                const auto icon = std::find_if(tops.cbegin(), tops.cend(),
                                               [](const QWidget* w) { return w->inherits("QSystemTrayIconSys"); });
                at = ui->trayIcon()->geometry().center();
                return icon != tops.cend() && windowAt(at) == (*icon)->winId();
            };
            QTRY_VERIFY_WITH_TIMEOUT(iconShown(), 15000);
        }
        at *= writing->devicePixelRatioF();
        // The menu runs in a loop of its own: the key is typed from inside.
        bool held = false, gone = false;
        int answered = 0;
        QPointer<QWidget> popup;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&]() {
            QWidget* open = QApplication::activePopupWidget();
            if (open == nullptr || !open->isVisible() || (expected != nullptr && open != expected)
                || (expected == nullptr && !open->inherits("Widget_Creation_Plane1")) || answered++ > 0)
                return;
            popup = open;
            held = keyboardHeld();
            typeCtrlShiftN();
            gone = QTest::qWaitFor([ui]() { return programWindowsShown() == 0 && !ui->trayIcon()->isVisible(); }, 15000);
            if (!gone)
                popup->close();
        });
        poll.start(20);
        XTestFakeMotionEvent(m_display, -1, at.x(), at.y(), CurrentTime);
        XTestFakeButtonEvent(m_display, button, True, CurrentTime);
        XTestFakeButtonEvent(m_display, button, False, CurrentTime);
        XSync(m_display, False);
        QTRY_VERIFY_WITH_TIMEOUT(answered == 1 && QApplication::activePopupWidget() == nullptr, 30000);
        poll.stop();
        QVERIFY(held);
        QVERIFY(gone);
        QVERIFY(popup.isNull() || !popup->isVisible());
        pressBossKeyWhileAway();
        QTRY_VERIFY_WITH_TIMEOUT(keysAreBackIn(writing) && ui->trayIcon()->isVisible(), 15000);
        QVERIFY(popup.isNull() || !popup->isVisible());
        ui->closeCreation();
    }

    // After a click on a title bar, or a drag by it, the keys go where the
    // window takes text; no title bar's button takes them.
    void typingAfterAClickOnATitleBarGoesToTheText_data()
    {
        QTest::addColumn<QString>("bar");
        QTest::addColumn<bool>("drag");
        QTest::newRow("a memo's title clicked") << QStringLiteral("memo") << false;
        QTest::newRow("a memo dragged by its title") << QStringLiteral("memo") << true;
        QTest::newRow("the memo list's title clicked") << QStringLiteral("memo list") << false;
        QTest::newRow("the writing window's strip clicked") << QStringLiteral("writing") << false;
        QTest::newRow("the writing window dragged by its strip") << QStringLiteral("writing") << true;
        QTest::newRow("a chapter tab clicked") << QStringLiteral("tab") << false;
    }
    void typingAfterAClickOnATitleBarGoesToTheText()
    {
        QFETCH(QString, bar);
        QFETCH(bool, drag);
        CUiManager* ui = CUiManager::instance();
        ui->openCreation(m_fixture.offlineBook(QStringLiteral("title ") + QTest::currentDataTag()));
        Widget_Creation* writing = ui->creationWindow();
        QVERIFY(writing && QTest::qWaitForWindowExposed(writing, 15000) && m_windowManager.ensureWindowManager(writing));
        writing->activateWindow();
        QTextEdit* editor = writing->getContent()->textEdit();
        QTRY_VERIFY_WITH_TIMEOUT(writing->isActiveWindow() && keyboardFocusedOn(writing), 15000);
        QWidget* window = writing;
        QTextEdit* text = editor;
        QPoint at;
        if (bar.startsWith(QLatin1String("memo"))) {
            MemoItemManager::instance()->showMemoList(writing);
            MemoListWidget* list = MemoItemManager::instance()->memoList();
            QVERIFY(list && QTest::qWaitForWindowExposed(list, 15000));
            if (bar == QLatin1String("memo list")) {
                window = list;
                text = nullptr;
                at = list->findChild<QLabel*>(QStringLiteral("CommonLabelTitle"))->geometry().center();
                at = list->findChild<QLabel*>(QStringLiteral("CommonLabelTitle"))->parentWidget()->mapTo(list, at);
            } else {
                MemoItemWidget* memo = MemoItemManager::instance()->creatItemWidget(list);
                QVERIFY(memo && QTest::qWaitForWindowExposed(memo, 15000));
                window = memo;
                text = memo->textEdit();
                QWidget* title = memo->findChild<QWidget*>(QStringLiteral("widgetTitle"));
                at = title->mapTo(memo, QPoint(title->width() / 4, title->height() / 2));
            }
        } else if (bar == QLatin1String("tab")) {
            CTabButton* tab = writing->getTop()->currentTab();
            QVERIFY(tab && tab->isVisible());
            at = tab->mapTo(writing, QPoint(tab->width() / 3, tab->height() / 2));
        } else {
            QWidget* setup = writing->getTop()->findChild<QPushButton*>(QStringLiteral("btn_creation_setup1"));
            at = setup->mapTo(writing, QPoint(-int(40 * DPIAdapter::instance()->scale()), setup->height() / 2));
        }
        editor->setFocus();
        const int memos = MemoItemManager::instance()->openWindows().size();
        const QString before = text ? text->toPlainText() : QString();
        clickAt(window, at, drag ? QPoint(30, 20) : QPoint());
        QTRY_VERIFY(window->isActiveWindow());
        QVERIFY(!before.contains(QStringLiteral("qz")));
        tap(XK_space);
        typeText("qz");
        if (text) {
            QTRY_VERIFY(text->toPlainText().contains(QStringLiteral("qz")));
        } else {
            QTRY_COMPARE(QApplication::focusWidget(), window->findChild<QListView*>());
            QCOMPARE(MemoItemManager::instance()->openWindows().size(), memos);
        }
        QVERIFY(!qobject_cast<QPushButton*>(QApplication::focusWidget()));
        for (MemoItemWidget* memo : MemoItemManager::instance()->openWindows())
            delete memo;
        if (MemoListWidget* list = MemoItemManager::instance()->memoList())
            list->hide();
        ui->closeCreation();
    }

    // Under a window manager, whichever way the windows come back, the next
    // keys go where the last ones went: never to a memo mapped later, and a
    // tree's rename box is still open with what was typed.
    void theKeysComeBackWhereTheyWere_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("typed");
        for (const char* way : {"boss key", "tray click", "main client", "second start"}) {
            for (const char* where : {"editor", "memo", "one of several memos", "shelf", "rename box"})
                QTest::addRow("%s, %s", way, where) << way << where << "once back";
        }
        // The idle lock brings them back too; a sign-out under the boss key
        // brings back the sign-in alone.
        for (const char* way : {"idle lock", "idle lock closed", "forced sign-out"})
            QTest::addRow("%s, one of several memos", way) << way << "one of several memos" << "once back";
        // Typed as an author does: at once, while the windows are on their
        // way; or once the window manager has them on screen while the
        // window's thread is still busy.
        for (const char* way : {"boss key", "tray click", "main client", "second start", "idle lock closed"}) {
            for (const char* where : {"editor", "editor under several memos"}) {
                for (const char* typed : {"at once", "while busy"})
                    QTest::addRow("%s, %s, typed %s", way, where, typed) << way << where << typed;
            }
        }
        // Minimised with its tools, the window is brought up by the tray.
        for (const char* way : {"tray click", "main client", "second start"})
            QTest::addRow("boss key twice, %s, minimised editor", way) << QStringLiteral("boss key, %1").arg(way)
                                                                       << "minimised editor" << "at once";
    }
    void theKeysComeBackWhereTheyWere()
    {
        QFETCH(QString, way);
        QFETCH(QString, where);
        QFETCH(QString, typed);
        CUiManager* ui = CUiManager::instance();
        QVERIFY(ui->setBoosKey(QStringLiteral("Ctrl+Shift+N")));
        CPublicManager::instance()->userConf.systemConf.isTray = 1;
        T_Book* book = where == "shelf" ? nullptr : m_fixture.offlineBook(QTest::currentDataTag());
        if (book)
            ui->openCreation(book);
        QWidget* main = book ? static_cast<QWidget*>(ui->creationWindow()) : ui->bookshelf();
        QVERIFY(main && QTest::qWaitForWindowExposed(main, 15000));
        QVERIFY(m_windowManager.ensureWindowManager(main));
        MemoItemManager* memos = MemoItemManager::instance();
        memos->showMemoList(main, nullptr);
        QTRY_VERIFY(memos->memoList() && memos->memoList()->isVisible());
        for (int i = 0; i < (where.contains("several memos") ? 3 : 1); ++i) {
            QTest::mouseClick(memos->memoList()->findChild<QPushButton*>(QStringLiteral("btnAddMemo")), Qt::LeftButton);
            QTRY_COMPARE(memos->openWindows().size(), i + 1);
            // Overlapping, each lower right of the one before.
            MemoItemWidget* memo = memos->openWindows().last();
            memo->move(main->geometry().topLeft() + QPoint(1 + i, 1 + i) * memo->width() / 3);
            QTRY_COMPARE(QApplication::activeWindow(), memo);
        }
        QWidget* keys = main;
        QQuickItem* box = nullptr;
        if (where.contains("editor"))
            keys = ui->creationWindow()->getContent()->textEdit();
        else if (where.contains("memo"))
            keys = memos->openWindows().first()->textEdit();
        else if (where == "rename box")
            keys = CBookVolumeController::instance()->getQuickWidget();
        // A click, as the author's: the shelf's on a label of its own.
        QVERIFY(clickOn(where == "shelf" ? main->findChild<QWidget*>(QStringLiteral("labelTime"))
                                         : (where == "rename box" ? ui->creationWindow()->getContent()->textEdit() : keys)));
        QTRY_COMPARE(QApplication::activeWindow(), keys->window());
        if (where == "rename box") {
            const T_Volume* volume = book->volumeList.value(0);
            QVERIFY(volume);
            CBookVolumeController::instance()->editChapter(volume->localId, 0, true);
            QQuickItem* tree = CBookVolumeController::instance()->getQuickWidget()->rootObject();
            QTRY_VERIFY((box = openNameBox(tree)) && box->hasActiveFocus());
        }
        typeText("abc");
        if (box != nullptr)
            QTRY_COMPARE(box->property("text").toString(), QStringLiteral("abc"));
        else if (keys != main)
            QTRY_VERIFY(keys->property("plainText").toString().contains(QLatin1String("abc")));

        if (where.startsWith("minimised")) {
            QVERIFY(clickOn(ui->creationWindow()->getTop()->findChild<QPushButton*>(QStringLiteral("btn_min"))));
            QTRY_VERIFY(WindowManagerProbe::states(memos->memoList()).contains(QStringLiteral("HIDDEN")));
        }
        QList<QPointer<QWidget>> all = {main, memos->memoList()};
        for (MemoItemWidget* memo : memos->openWindows())
            all << memo;
        const auto showing = [&all](bool visible) {
            return std::all_of(all.cbegin(), all.cend(), [visible](const QPointer<QWidget>& w) {
                return w && w->isVisible() == visible && (!visible || !HiddenWindows::isAway(w));
            });
        };
        if (way.startsWith("idle lock")) {
            T_SystemConf& conf = CPublicManager::instance()->userConf.systemConf;
            conf.pwdLockType = 4;
            conf.pwdLockTime = 1;
            conf.pwdLockPwd = QStringLiteral("boss");
            bool hidden = false;
            QList<ModalAnswerer<Dialog_Unlock>::Step> steps{[&](Dialog_Unlock* d) {
                hidden = showing(false);
                d->lineEditPwd()->setText(QStringLiteral("boss"));
                d->unlock();
            }};
            // Closed unanswered, the lock comes back with the tray.
            if (way == "idle lock closed")
                steps.prepend([](Dialog_Unlock* d) { d->reject(); });
            ModalAnswerer<Dialog_Unlock> answer(steps);
            ui->checkPwdLock(4);
            if (way == "idle lock closed")
                emit ui->trayIcon()->activated(QSystemTrayIcon::Trigger);
            QVERIFY(answer.done() == steps.size() && hidden);
        } else {
            (way == "tray click" || way == "main client") ? ui->closeWindow() : typeCtrlShiftN();
            QTRY_VERIFY_WITH_TIMEOUT(showing(false), 15000);
        }
        if (way == "forced sign-out") {
            // The sign-in alone comes, with the tray icon, and has the keys.
            ui->logout();
            QTRY_VERIFY(QApplication::activeWindow() && QApplication::activeWindow()->inherits("Dialog_LoginMain")
                        && keyboardFocusedOn(QApplication::activeWindow()));
            typeText("135");
            const auto typedIn = []() {
                const auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
                return field && field->window() == QApplication::activeWindow() && field->text().endsWith("135");
            };
            if (!QTest::qWaitFor(typedIn, 15000)) {
                const auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
                QFAIL(qPrintable(QStringLiteral("keys in %1, %2").arg(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QStringLiteral("nothing"), field ? field->text() : QString())));
            }
            QVERIFY(ui->trayIcon()->isVisible());
            QVERIFY(std::none_of(all.cbegin(), all.cend(), [](const QPointer<QWidget>& w) { return w && w->isVisible(); }));
            return;
        }
        // Typed at once: the words follow the boss key in one burst, as an
        // author types them, before the program has heard the key.
        const bool burst = way == "boss key" && typed == "at once";
        if (burst) {
            // The desktop has the keys, as on an author's desktop; with the
            // focus nowhere the X server would drop the boss key itself.
            XSetInputFocus(m_display, PointerRoot, RevertToPointerRoot, CurrentTime);
            QSignalSpy heard(CUiManager::instance()->findChild<QxtGlobalShortcut*>(), &QxtGlobalShortcut::activated);
            typeCtrlShiftN();
            typeText("xyz");
            QVERIFY2(heard.wait(10000) || heard.size() == 1, "the boss key was never heard");
        } else if (way.startsWith("boss key")) {
            pressBossKeyWhileAway();
        }
        if (way.endsWith("tray click")) {
            emit ui->trayIcon()->activated(QSystemTrayIcon::Trigger);
        } else if (way.endsWith("main client")) {
            QAction* mainClient = ui->trayIcon()->contextMenu()->actions().value(0);
            QVERIFY(mainClient && mainClient->text() == CUiManager::tr("Main Client"));
            mainClient->trigger();
        } else if (way.endsWith("second start")) {
            ui->activeWindows(QString());
        }
        if (typed == "at once" && !burst)
            typeText("xyz");
        else if (typed == "while busy")
            typeOnceOnScreen(all, "xyz");
        QTRY_VERIFY_WITH_TIMEOUT(showing(true), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(keysAreBackIn(keys->window()), 15000);
        if (box != nullptr)
            QTRY_VERIFY(box->hasActiveFocus());
        if (typed == "once back")
            typeText("xyz");
        if (box != nullptr) {
            typeKey(XK_Return);
            const auto named = [book]() {
                return std::any_of(book->chapterList.cbegin(), book->chapterList.cend(),
                                   [](const T_Chapter* c) { return c->name == QLatin1String("abcxyz"); });
            };
            QTRY_VERIFY(named());
        } else if (keys != main) {
            QTRY_VERIFY(keys->property("plainText").toString().contains(QLatin1String("abcxyz")));
        }
        QVERIFY(PendingInput::deliver());
        for (MemoItemWidget* memo : memos->openWindows()) {
            if (memo->textEdit() != keys)
                QVERIFY(!memo->textEdit()->toPlainText().contains(QLatin1String("xyz")));
        }
        QCOMPARE(QApplication::activeWindow(), keys->window());
        QVERIFY(!WindowManagerProbe::states(main).contains(QStringLiteral("HIDDEN")));
    }

private:
    static int programWindowsShown()
    {
        const QWidgetList tops = QApplication::topLevelWidgets();
        return int(std::count_if(tops.cbegin(), tops.cend(), [](const QWidget* w) {
            return w->isVisible() && HiddenWindows::isProgramWindow(w);
        }));
    }

    void tap(KeySym symbol)
    {
        const KeyCode code = XKeysymToKeycode(m_display, symbol);
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
        XSync(m_display, False);
    }

    // A press of the first button at a point of the window, moved by drag
    // before it is let go, through the X server as the author's mouse.
    void clickAt(QWidget* window, QPoint at, QPoint drag)
    {
        const qreal ratio = window->devicePixelRatioF();
        const QPoint global = window->mapToGlobal(at) * ratio;
        const int screen = DefaultScreen(m_display);
        XTestFakeMotionEvent(m_display, screen, global.x(), global.y(), CurrentTime);
        XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
        XSync(m_display, False);
        if (!drag.isNull()) {
            for (int step = 1; step <= 5; ++step) {
                QTest::qWait(20);
                const QPoint to = global + drag * step / 5;
                XTestFakeMotionEvent(m_display, screen, to.x(), to.y(), CurrentTime);
                XSync(m_display, False);
            }
        }
        QTest::qWait(20);
        XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
        XSync(m_display, False);
    }

    static QQuickItem* firstChapterRow(QQuickItem* item)
    {
        if (item->isVisible() && item->property("chapterIndex") == 0)
            return item;
        for (QQuickItem* child : item->childItems()) {
            if (QQuickItem* row = firstChapterRow(child))
                return row;
        }
        return nullptr;
    }

    // A tray host on the server, started when it has none.
    bool ensureTrayHost()
    {
        const Atom tray = XInternAtom(m_display, "_NET_SYSTEM_TRAY_S0", False);
        if (XGetSelectionOwner(m_display, tray) == None && m_trayHost.state() == QProcess::NotRunning) {
            m_trayHost.start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("bottom")});
            if (!m_trayHost.waitForStarted())
                return false;
        }
        return QTest::qWaitFor([&]() { return XGetSelectionOwner(m_display, tray) != None; }, 10000);
    }

    // The innermost window the server shows at a point of the screen.
    Window windowAt(QPoint at) const
    {
        Window window = DefaultRootWindow(m_display), child = None;
        for (int x = 0, y = 0; XTranslateCoordinates(m_display, DefaultRootWindow(m_display), window, at.x(), at.y(),
                                                     &x, &y, &child) && child != None;)
            window = child;
        return window;
    }

    // Whether a client holds the whole keyboard (a popup grabs it).
    bool keyboardHeld() const
    {
        const int status = XGrabKeyboard(m_display, DefaultRootWindow(m_display), False, GrabModeAsync,
                                         GrabModeAsync, CurrentTime);
        if (status == GrabSuccess)
            XUngrabKeyboard(m_display, CurrentTime);
        XSync(m_display, False);
        return status == AlreadyGrabbed;
    }

    static QQuickItem* openNameBox(QQuickItem* item)
    {
        if (item->objectName() == QLatin1String("chapterNameBox") && item->isVisible())
            return item;
        for (QQuickItem* child : item->childItems()) {
            if (QQuickItem* box = openNameBox(child))
                return box;
        }
        return nullptr;
    }

    // True once the program had the click. The window manager holds a click
    // on a window while it decides on raising it, and keys typed meanwhile
    // would reach the text before the click moves its cursor.
    // The click lands on a part of the widget no other window covers.
    bool clickOn(const QWidget* widget)
    {
        const int x = qMin(8, widget->width() / 4), y = qMin(8, widget->height() / 4);
        const QRect inside = widget->rect().adjusted(x, y, -x, -y);
        const QPoint points[] = {inside.center(), inside.topLeft(), inside.bottomRight(), inside.bottomLeft(),
                                 inside.topRight()};
        const auto bare = [widget](const QPoint& p) {
            const QWidget* there = QApplication::widgetAt(widget->mapToGlobal(p));
            return there != nullptr && there->window() == widget->window();
        };
        const auto* point = std::find_if(std::begin(points), std::end(points), bare);
        if (point == std::end(points))
            return false;
        // In the server's pixels, at any scale.
        const QPoint at = widget->mapToGlobal(*point) * widget->devicePixelRatioF();
        ReleaseSeen release;
        qApp->installEventFilter(&release);
        XTestFakeMotionEvent(m_display, -1, at.x(), at.y(), CurrentTime);
        XTestFakeButtonEvent(m_display, 1, True, CurrentTime);
        XTestFakeButtonEvent(m_display, 1, False, CurrentTime);
        XSync(m_display, False);
        const bool had = QTest::qWaitFor([&release]() { return release.seen; });
        qApp->removeEventFilter(&release);
        return had;
    }

    // The window manager puts the keyboard's focus somewhere a moment after
    // the window that had it goes; a key typed before goes nowhere, not even
    // to the boss key.
    bool keyboardFocused() const
    {
        Window focus = None;
        int revert = 0;
        return XGetInputFocus(m_display, &focus, &revert) && focus != None;
    }

    // With every window of the program gone, a desktop's window manager
    // gives the keys to the desktop; a bare one may leave them nowhere, where
    // the X server drops every key, the boss key too.
    void desktopHasTheKeys()
    {
        if (!QTest::qWaitFor([this]() { return keyboardFocused(); }, 1000)) {
            XSetInputFocus(m_display, PointerRoot, RevertToPointerRoot, CurrentTime);
            XSync(m_display, False);
        }
    }

    // The program says every window is back and the keys are where they
    // were: the window has them, for Qt and for the X server.
    bool keysAreBackIn(QWidget* window) const
    {
        return !HiddenWindows::isAway(window) && window->isActiveWindow() && keyboardFocusedOn(window);
    }

    // Whether the X server sends the keys to this window (Qt may call a
    // window active a moment before the window manager has handed it the keys).
    bool keyboardFocusedOn(const QWidget* widget) const
    {
        Window focus = None;
        int revert = 0;
        return XGetInputFocus(m_display, &focus, &revert) && focus == widget->window()->winId();
    }

    void typeKey(KeySym key)
    {
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, key), True, CurrentTime);
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, key), False, CurrentTime);
        XSync(m_display, False);
    }

    void typeText(const char* text)
    {
        for (const char* letter = text; *letter != 0; ++letter)
            typeKey(XStringToKeysym(QByteArray(1, *letter).constData()));
    }

    // The window's thread is kept busy here until the window manager has the
    // windows on screen again (a loaded machine); the keys typed then wait in
    // the program's queue behind what the window manager did meanwhile.
    void typeOnceOnScreen(const QList<QPointer<QWidget>>& windows, const char* text)
    {
        XWindowAttributes seen;
        const auto onScreen = [&](const QPointer<QWidget>& w) {
            return !w || (XGetWindowAttributes(m_display, w->windowHandle()->winId(), &seen) && seen.map_state == IsViewable);
        };
        for (QDeadlineTimer bound(10000); !bound.hasExpired() && !std::all_of(windows.cbegin(), windows.cend(), onScreen);)
            QThread::msleep(5);
        typeText(text);
    }

    // The boss key pressed with every window of the program gone. The X
    // server drops a key while the keyboard's focus is nowhere, where a bare
    // window manager may leave it a moment after the window with the keys
    // went: a press the program never heard is pressed again, as an author
    // would, and the program hears the boss key once.
    void pressBossKeyWhileAway()
    {
        auto* key = CUiManager::instance()->findChild<QxtGlobalShortcut*>();
        QVERIFY(key);
        QSignalSpy heard(key, &QxtGlobalShortcut::activated);
        for (int press = 0; press < 3 && heard.isEmpty(); ++press) {
            if (press > 0)
                qInfo("the boss key is pressed again: the program never heard the press before");
            desktopHasTheKeys();
            typeCtrlShiftN();
            heard.wait(10000);
        }
        QCOMPARE(heard.size(), 1);
    }

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
    BooksFixture m_fixture;
    WindowManagerProbe m_windowManager;
    QProcess m_trayHost;
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    // A run at another scale (CTest gives it), before any window is built.
    const double scale = qEnvironmentVariable("TEST_DPI_SCALE").toDouble();
    if (scale > 0)
        DPIAdapter::instance()->setScaleForTest(scale);
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
    // As at the program's quit: the windows and the tray icon (embedded in a
    // tray host's window once there was one) go before the application does.
    CUiManager::instance()->shutdown();
    server.stop();
    return failures;
}

#include "tst_bosskey.moc"

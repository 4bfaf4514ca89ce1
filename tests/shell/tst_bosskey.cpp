// The boss key on a real X server: the key is typed through the server's
// test extension, as a user's keyboard would, on a signed-in start.

#include "BooksFixture.h"
#include "ShellHelpers.h"
#include "WindowManagerProbe.h"

#include "common/DPIAdapter.h"
#include "common/QxtGlobalShortcut.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/bookshelf/Widget_Bookshelf_Content.h"
#include "ui/common/HiddenWindows.h"
#include "ui/creation/Creation_TextEdit.h"
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
#include "ui/setting/Widget_Setting.h"
#include "ui/shell/Dialog_Unlock.h"
#include "ui/common/CTabButton.h"
#include "ui/common/CTextEdit.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
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
        QVERIFY(m_probe.ensureWindowManager(CUiManager::instance()->bookshelf()));
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
        QVERIFY(writing && QTest::qWaitForWindowExposed(writing));
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
            QVERIFY(QTest::qWaitFor(showing(false), 5000) && ui->trayIcon()->isVisible() == toTray);
            search->close();
            memos->hide();
            delete MemoItemManager::instance()->openWindows().value(0);
            shown.removeAll(search);
            shown.removeAll(memos);
            toTray ? emit ui->trayIcon()->activated(QSystemTrayIcon::Trigger) : typeCtrlShiftN();
            QVERIFY(QTest::qWaitFor(showing(true), 5000) && !search->isVisible() && !memos->isVisible());
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
            QVERIFY(m_probe.ensureWindowManager(window));
            window->activateWindow();
            QTRY_VERIFY(window->isActiveWindow());
            QTRY_COMPARE(QApplication::focusWidget(), first);
            first->clear();
            typeText("13800000000");
            tap(XK_Tab);
            typeText("demo12");
            QTRY_COMPARE(second->text(), QStringLiteral("demo12"));
            typeCtrlShiftN();
            QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 5000);
            typeCtrlShiftN();
            QTRY_VERIFY_WITH_TIMEOUT(window->isVisible(), 5000);
            // Which window has the keys once all are back is not this row's question.
            window->activateWindow();
            QTRY_VERIFY(window->isActiveWindow());
            typeText("34");
            QTRY_COMPARE(second->text(), QStringLiteral("demo1234"));
            QCOMPARE(first->text(), QStringLiteral("13800000000"));
        };
        if (signIn) {
            ui->showLoginDialog();
            Dialog_LoginMain* dialog = ui->loginDialog();
            QVERIFY(dialog && QTest::qWaitForWindowExposed(dialog));
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

    // F11 read just before the boss key while the window's thread is busy:
    // 写作设置 opens, and goes with everything else.
    void aKeyJustBeforeTheBossKeyOpensNothingAlone()
    {
        CUiManager* ui = CUiManager::instance();
        QVERIFY(ui->setBoosKey(QStringLiteral("Ctrl+Shift+N")));
        ui->openCreation(m_fixture.offlineBook(QStringLiteral("busy")));
        Widget_Creation* writing = ui->creationWindow();
        QVERIFY(writing && QTest::qWaitForWindowExposed(writing) && m_probe.ensureWindowManager(writing));
        writing->activateWindow();
        QTRY_VERIFY(writing->isActiveWindow());
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
            typeCtrlShiftN();
            back = QTest::qWaitFor([d] { return d->isVisible(); }, 5000);
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
        QVERIFY(writing && QTest::qWaitForWindowExposed(writing) && m_probe.ensureWindowManager(writing));
        writing->activateWindow();
        QTRY_VERIFY(writing->isActiveWindow());
        QTextEdit* editor = writing->getContent()->textEdit();
        QWidget* window = writing;
        QTextEdit* text = editor;
        QPoint at;
        if (bar.startsWith(QLatin1String("memo"))) {
            MemoItemManager::instance()->showMemoList(writing);
            MemoListWidget* list = MemoItemManager::instance()->memoList();
            QVERIFY(list && QTest::qWaitForWindowExposed(list));
            if (bar == QLatin1String("memo list")) {
                window = list;
                text = nullptr;
                at = list->findChild<QLabel*>(QStringLiteral("CommonLabelTitle"))->geometry().center();
                at = list->findChild<QLabel*>(QStringLiteral("CommonLabelTitle"))->parentWidget()->mapTo(list, at);
            } else {
                MemoItemWidget* memo = MemoItemManager::instance()->creatItemWidget(list);
                QVERIFY(memo && QTest::qWaitForWindowExposed(memo));
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

    // Digits and small letters: their key symbols are their characters.
    void typeText(const char* text)
    {
        for (const char* c = text; *c; ++c)
            tap(KeySym(*c));
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
    WindowManagerProbe m_probe;
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
    server.stop();
    return failures;
}

#include "tst_bosskey.moc"

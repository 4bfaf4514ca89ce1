// The boss key on a real X server: the key is typed through the server's
// test extension, as a user's keyboard would, on a signed-in start.

#include "BooksFixture.h"
#include "ShellHelpers.h"
#include "WindowManagerProbe.h"

#include "common/DPIAdapter.h"
#include "common/QxtGlobalShortcut.h"
#include "manager/CJobManager.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "platform/PendingInput.h"
#include "ui/common/HiddenWindows.h"
#include "ui/common/CTextEdit.h"
#include "ui/creation/Creation_TextEdit.h"
#include "ui/creation/Dialog_Search.h"
#include "ui/creation/Widget_Creation.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/Widget_SensitiveWords.h"
#include "ui/creation/memo/MemoItemManager.h"
#include "ui/creation/memo/MemoItemWidget.h"
#include "ui/creation/memo/MemoListWidget.h"
#include "ui/creation/tools/Dialog_WritingSettings.h"
#include "ui/shell/Dialog_Unlock.h"
#include "volume/CBookVolumeController.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QQuickItem>
#include <QQuickWidget>
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

    // Under a window manager, whichever way the windows come back, the next
    // keys go where the last ones went: never to a memo mapped later, and a
    // tree's rename box is still open with what was typed.
    void theKeysComeBackWhereTheyWere_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("where");
        for (const char* way : {"boss key", "tray click", "main client", "second start"}) {
            for (const char* where : {"editor", "memo", "one of several memos", "shelf", "rename box"})
                QTest::addRow("%s, %s", way, where) << way << where;
        }
        // The idle lock brings them back too; a sign-out under the boss key
        // brings back the sign-in alone.
        for (const char* way : {"idle lock", "idle lock closed", "forced sign-out"})
            QTest::addRow("%s, one of several memos", way) << way << "one of several memos";
    }
    void theKeysComeBackWhereTheyWere()
    {
        QFETCH(QString, way);
        QFETCH(QString, where);
        CUiManager* ui = CUiManager::instance();
        QVERIFY(ui->setBoosKey(QStringLiteral("Ctrl+Shift+N")));
        CPublicManager::instance()->userConf.systemConf.isTray = 1;
        T_Book* book = where == "shelf" ? nullptr : m_fixture.offlineBook(QTest::currentDataTag());
        if (book)
            ui->openCreation(book);
        QWidget* main = book ? static_cast<QWidget*>(ui->creationWindow()) : ui->bookshelf();
        QVERIFY(main && QTest::qWaitForWindowExposed(main));
        QVERIFY(m_windowManager.ensureWindowManager(main));
        MemoItemManager* memos = MemoItemManager::instance();
        memos->showMemoList(main, nullptr);
        QTRY_VERIFY(memos->memoList() && memos->memoList()->isVisible());
        for (int i = 0; i < (where == "one of several memos" ? 3 : 1); ++i) {
            QTest::mouseClick(memos->memoList()->findChild<QPushButton*>(QStringLiteral("btnAddMemo")), Qt::LeftButton);
            QTRY_COMPARE(memos->openWindows().size(), i + 1);
            // Overlapping, each lower right of the one before.
            MemoItemWidget* memo = memos->openWindows().last();
            memo->move(main->geometry().topLeft() + QPoint(1 + i, 1 + i) * memo->width() / 3);
            QTRY_COMPARE(QApplication::activeWindow(), memo);
        }
        QWidget* keys = main;
        QQuickItem* box = nullptr;
        if (where == "editor")
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
            way.contains("tray") || way == "main client" ? ui->closeWindow() : typeCtrlShiftN();
            QTRY_VERIFY_WITH_TIMEOUT(showing(false), 5000);
        }
        if (way == "forced sign-out") {
            // The sign-in alone comes, with the tray icon, and has the keys.
            ui->logout();
            QTRY_VERIFY(QApplication::activeWindow() && QApplication::activeWindow()->inherits("Dialog_LoginMain"));
            typeText("135");
            const auto typedIn = []() {
                const auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
                return field && field->window() == QApplication::activeWindow() && field->text().endsWith("135");
            };
            QTRY_VERIFY(typedIn());
            QVERIFY(ui->trayIcon()->isVisible());
            QVERIFY(std::none_of(all.cbegin(), all.cend(), [](const QPointer<QWidget>& w) { return w && w->isVisible(); }));
            return;
        }
        if (way == "boss key") {
            QTRY_VERIFY(keyboardFocused());
            typeCtrlShiftN();
        } else if (way == "tray click") {
            emit ui->trayIcon()->activated(QSystemTrayIcon::Trigger);
        } else if (way == "main client") {
            QAction* mainClient = ui->trayIcon()->contextMenu()->actions().value(0);
            QVERIFY(mainClient && mainClient->text() == CUiManager::tr("Main Client"));
            mainClient->trigger();
        } else if (way == "second start") {
            ui->activeWindows(QString());
        }
        QTRY_VERIFY_WITH_TIMEOUT(showing(true), 5000);
        QTRY_COMPARE(QApplication::activeWindow(), keys->window());
        if (box != nullptr)
            QTRY_VERIFY(box->hasActiveFocus());
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
    }

private:
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

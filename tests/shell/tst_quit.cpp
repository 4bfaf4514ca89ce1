// Every way out of the real program, on an X server with a tray host: the
// client runs as a child process, driven through the server's test extension
// as a user's mouse and keyboard would, and must end with status 0.

#include "common/DPIAdapter.h"
#include "common/StyleType.h"
#include "common/Translations.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
#include "db/records/T_Memo.h"
#include "db/records/T_UserConf.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "remote/records/AccountRecords.h"
#include "ui/bookshelf/CBookListDelegate.h"
#include "ui/common/CColorDialog.h"
#include "ui/common/HColorArea.h"
#include "ui/common/PreviewColorArea.h"
#include "ui/common/SVColorArea.h"
#include "volume/CBookVolumeController.h"
#include "ui/bookshelf/Dialog_BookImportRule.h"
#include "ui/bookshelf/Dialog_BookInfo.h"
#include "ui/bookshelf/Dialog_BookRecycle.h"
#include "ui/bookshelf/Widget_BookShelfList.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "outline/COutlineController.h"
#include "platform/SoundServer.h"
#include "ui/creation/Dialog_Search.h"
#include "ui/creation/Widget_Creation_Content.h"
#include "ui/creation/memo/MemoItemManager.h"
#include "ui/creation/memo/MemoListWidget.h"
#include "ui/login/Dialog_LoginMain.h"
#include "ui/login/Widget_Login.h"
#include "ui/common/StartupLook.h"
#include "ui/login/Dialog_LoginMain.h"
#include "ui/login/Widget_ForgetPwd.h"
#include "ui/login/Widget_Login.h"
#include "ui/setting/Widget_Setting.h"
#include "ui/shell/Dialog_Unlock.h"

#include "FullDisk.h"
#include "StandinServer.h"
#include "WindowManagerProbe.h"

#include <QCheckBox>
#include <QDirIterator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QQuickItem>
#include <QQuickWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QX11Info>
#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <atomic>
#include <csignal>
#include <poll.h>
#include <thread>
#include <xcb/xcb.h>
#include <functional>
#include <sys/mount.h>

namespace {
// How long the client may take to show what a step waits for: a bound for
// a hung client, not a pace; a sanitizer build on a busy machine is slow.
constexpr int kPatience = 60000;

// The titles of the bookshelf and the writing window, and of the boxes
// about words no place would take and where they were kept. Other windows
// of the client come and go (the tray icon before it is embedded, previews).
const QString kMainTitle = QStringLiteral("Vellora 写作");
const QString kBoxTitle = QStringLiteral("文字未保存");
const QString kSignInTitle = QStringLiteral("登录");
const QString kSignIn = QStringLiteral("/account/login");
const QString kDemoPhone = QStringLiteral("13800000000");
const QString kDemoPassword = QStringLiteral("demo1234");

// The first visible item of the tree panel that passes the test.
QQuickItem* treeItem(QQuickItem* from, const std::function<bool(QQuickItem*)>& test)
{
    for (QQuickItem* item : from ? from->childItems() : QList<QQuickItem*>()) {
        if (!item->isVisible())
            continue;
        if (test(item))
            return item;
        if (QQuickItem* inner = treeItem(item, test))
            return inner;
    }
    return nullptr;
}

// Owns the clipboard through a connection and a thread of its own: every
// request is refused at once, but after holdNext() the next one of another
// program is left unanswered, and that program waits (Qt gives up after five
// seconds), taking no event meanwhile.
class ClipboardHolder
{
public:
    ClipboardHolder() : m_display(XOpenDisplay(nullptr))
    {
        const xcb_setup_t* setup = xcb_get_setup(QX11Info::connection());
        m_ownBase = setup->resource_id_base;
        m_mask = setup->resource_id_mask;
        const Atom clipboard = XInternAtom(m_display, "CLIPBOARD", False);
        const Window owner = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(m_display, clipboard, owner, CurrentTime);
        m_owns = XGetSelectionOwner(m_display, clipboard) == owner;
        m_thread = std::thread([this] { answer(); });
    }
    ~ClipboardHolder()
    {
        m_stop = true;
        m_thread.join();
        XCloseDisplay(m_display);
    }
    bool owns() const { return m_owns; }
    void holdNext() { m_holding = true; }
    bool holds() const { return m_held; }

private:
    void answer()
    {
        while (!m_stop) {
            pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
            ::poll(&fd, 1, 20);
            for (XEvent event; XPending(m_display) > 0;) {
                XNextEvent(m_display, &event);
                const XSelectionRequestEvent& asked = event.xselectionrequest;
                if (event.type != SelectionRequest
                    || (m_holding && (asked.requestor & ~m_mask) != m_ownBase && !m_held.exchange(true)))
                    continue;
                XSelectionEvent refusal{SelectionNotify, 0, True, m_display, asked.requestor, asked.selection,
                                        asked.target, None, asked.time};
                XSendEvent(m_display, asked.requestor, False, 0, reinterpret_cast<XEvent*>(&refusal));
                XFlush(m_display);
            }
        }
    }

    Display* m_display;
    unsigned long m_ownBase = 0;
    unsigned long m_mask = 0;
    bool m_owns = false;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_holding{false};
    std::atomic<bool> m_held{false};
    std::thread m_thread;
};

// The rows of a statement on a database file, as QuitTest::rows() gives
// them; the database's error when the statement failed, else nothing.
QString readRows(const QString& file, const QString& sql, QStringList& found)
{
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("rows"));
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        QSqlQuery query(db);
        if (!db.open())
            error = db.lastError().text();
        else if (!query.exec(sql))
            error = query.lastError().text();
        while (query.next()) {
            QStringList columns;
            for (int i = 0; i < query.record().count(); ++i)
                columns << query.value(i).toString();
            found << columns.join(QLatin1Char('|'));
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("rows"));
    return error;
}
} // namespace

class QuitTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void trayMenuQuitEndsCleanly();
    void escapedSignInComesBackFromTheTray_data();
    void escapedSignInComesBackFromTheTray();
    void bookshelfCloseButtonEndsCleanly();
    void sessionEndKeepsTheWordsJustTyped_data();
    void sessionEndKeepsTheWordsJustTyped();
    void ignoredHangUpLeavesTheClientWriting();
    void sessionEndAnswersNoOpenQuestion_data();
    void sessionEndAnswersNoOpenQuestion();
    void sessionEndKeepsTheMemoJustTyped_data();
    void sessionEndKeepsTheMemoJustTyped();
    void startFailureBoxEndsCleanly_data();
    void startFailureBoxEndsCleanly();
    void damageTheBackupFindsIsToldBeforeTheQuit_data();
    void damageTheBackupFindsIsToldBeforeTheQuit();
    void sessionEndsTwiceWithNoRoomKeepsTheWordsInTheFirstFolderThatTakesThem_data();
    void sessionEndsTwiceWithNoRoomKeepsTheWordsInTheFirstFolderThatTakesThem();
    void escapeOnTheNoRoomBoxAsksAgainAndAQuitEndsIt_data();
    void escapeOnTheNoRoomBoxAsksAgainAndAQuitEndsIt();
    void signOutEndsEveryOpenDialog_data();
    void signOutEndsEveryOpenDialog();
    void secondSubmitWhileTheSignInWaitsSendsNothing_data();
    void secondSubmitWhileTheSignInWaitsSendsNothing();
    void signInWhileAPasswordResetWaitsEndsCleanly();
    void lateSignInAgainOfAnEndedSessionLeavesTheNextOneAlone();
    void quitDuringAnImportStoresNothingOfIt_data();
    void quitDuringAnImportStoresNothingOfIt();
    void signOutEndsTheImportAndTheNextAuthorNeverSeesIt();
    void recoveredWordsAreToldOnlyToTheirAuthor();
    void unconfirmedChapterNameIsNotStored_data();
    void unconfirmedChapterNameIsNotStored();
    void forcedSignOutKeepsTheKeysTypedBeforeIt_data();
    void forcedSignOutKeepsTheKeysTypedBeforeIt();
    void typingWithSoundsKeepsEveryKey();
    void aWindowManagersCloseDoesWhatTheSettingSays_data();
    void aWindowManagersCloseDoesWhatTheSettingSays();

private:
    // The author remembered with a sign-in and one book, made by this process
    // as the client makes them; its bookshelf tells where the book's cover
    // and the close button are (the same window size as the client's).
    // With a lock type, the author's application lock (password "idle",
    // idle time one second); in the bin, the book is in the recycle bin.
    // Where the buttons of the windows the questions come from are, too.
    bool seedBook(int lockType = 0, bool inBin = false, int lockSeconds = 1);
    // Each book on the shelf as "name:text of its first chapter", then each
    // book in the recycle bin as "(name)", then the text of every memo; of
    // the database file, or of the file given (a backup).
    QString storedTexts(const QString& file = QString());
    // The seeded author's stored settings; false when they cannot be read.
    bool storedConf(T_UserConf& conf, const QString& file = QString());
    // The seeded author's stored settings, changed.
    bool changeStoredConf(const std::function<void(T_SystemConf&)>& change);
    // The seeded author's typing sounds are on.
    bool switchSoundsOn();
    // The streams the sound server plays (-1 when it cannot be asked).
    static int soundStreams();
    QString dbFile() const { return m_dir->filePath(QStringLiteral("data/Tessane/vellora-client/data/db/wrt.db")); }
    // The platform holds the start's profile request, to answer it "sign in
    // again" at releaseHeld(); nothing else gets through.
    bool holdSignInAgain();
    // The sign-in dialog is the client's only window.
    bool signInAlone() const;
    // The author the next start signs in, made with a sign-in when missing.
    bool rememberAuthor(int uid);
    // The client's home and temporary folders are given ones when not empty.
    void startClient(const QString& home = QString(), const QString& temp = QString());
    // The chapter's saves fail (a trigger in the file), and the recovery
    // folder cannot be made (a file stands in its place), as on a full disk;
    // or, with markOnly, it has room for one file only (a tiny file system).
    bool refuseChapterAndRecoveryFolder(bool markOnly = false);
    QString recoveryFolder() const { return m_dir->filePath(QStringLiteral("data/Tessane/vellora-client/recovered")); }
    // Every write of that kind ("INSERT", "UPDATE") to the table fails, as on
    // a failing disk; or, with slowness, takes as many steps of counting (some
    // thousands a millisecond), as on a slow disk.
    bool refuse(const QString& table, const QString& operation, int slowness = 0);
    // A file where a folder is wanted: nothing can be written below it, even by root.
    bool blockWithFile(const QString& path);
    // The recovery files the client kept in that folder, with their texts
    // (in folders of its own their names do not start with its name).
    QMap<QString, QString> keptIn(const QString& folder) const;
    // Repeats the author's action, if any, until the client has ended, which it must do cleanly.
    // The client ends by itself (after action, tried until it does) with
    // that exit code.
    void expectCleanExit(const std::function<void()>& action = {}, int exitCode = 0);
    // Starts the client, which names the kept words in a box while the mark
    // says the author was not told; the key closes the box, which takes the
    // mark; then the session ends.
    void closeTheRecoveryBox(KeySym key, const QString& mark, const QString& home = QString(),
                             const QString& temp = QString());
    int backupCount() const { return backups().size(); }
    QStringList backups() const;
    // The client's viewable windows: top-level ones, or the ones the tray
    // host embedded; with a title, only those of that title.
    QList<Window> clientWindows(bool embedded, const QString& title = QString()) const;
    Window findClientWindow(bool embedded, const QString& title = QString()) const
    {
        return clientWindows(embedded, title).value(0, None);
    }
    // The window tree changes while it is walked, so a walk may miss a window
    // another one found: the first window found (other than except) is kept.
    static bool keepFound(Window& kept, Window now, Window except = None)
    {
        if (kept == None && now != except)
            kept = now;
        return kept != None;
    }
    // Waits for a top-level window of the client, at least of the size
    // given, that is not among those given, once two looks 50 ms apart find
    // it (a starting client maps some windows for a moment only); None when
    // none came. A box or a dialog is larger than the toasts that come and
    // go. Nudge runs while there is none.
    Window awaitNewWindow(const QList<Window>& before, QSize least = QSize(300, 150),
                          const std::function<void()>& nudge = {});
    // Waits for a menu of the client to pop up: a window of a menu's type,
    // not a toast that comes meanwhile (keys typed then would miss the menu).
    Window awaitMenu(const QList<Window>& before);
    Window awaitWindow(const QList<Window>& before, const std::function<bool(Window)>& wanted,
                       const std::function<void()>& nudge = {});
    // Opens the seeded book in the writing window, from the bookshelf; None
    // when it did not open.
    Window openBook(Window shelf);
    // Opens the seeded book from the bookshelf and types into it: the
    // writing window, or None when the book did not open.
    Window typeIntoTheBook(Window shelf);
    // Starts the client, opens the seeded book and clicks the writing window
    // with the focus a window manager gives the window clicked: the writing
    // window, or None when the book did not open.
    Window startWriting();
    // One step of opening a dialog, in the window the last step opened: a
    // click at a point of it (none without a point), then keys (walking the
    // menu the click popped up, or typed into the window), then a wait: for
    // a new window, for the place the next step clicks to be drawn anew
    // (a panel inside the window), or for nothing.
    enum class Then { Opens, Draws, Nothing };
    struct Step
    {
        QPoint QuitTest::*at;
        unsigned button = Button1;
        QList<KeySym> keys = {};
        Then then = Then::Opens;
    };
    // How an author opens a dialog: from the bookshelf, or from the writing
    // window (typed into first). With a slow path, what opens waits for the
    // platform's late answer to that request in a loop of its own.
    struct Route
    {
        const char* dialog;
        bool writing;
        QList<Step> steps;
        const char* slowPath = nullptr;
    };
    static const QList<Route>& routes();
    // A book of that many chapters in the author's documents folder, where
    // the import's chooser opens; its file name.
    QString writeNovel(int chapters);
    // Imports the file as the author does (new-book tile, import, the rules,
    // the chooser); true once the client's import thread runs, while it
    // reads and cuts the file or, with writing, once it holds the database
    // for its writes.
    bool startImport(Window shelf, const QString& fileName, bool writing);
    // Each row of a statement on the database file, its columns joined by
    // "|". A statement that fails fails the test, naming the database's
    // error, and gives no row: two failed reads never compare equal.
    QStringList rows(const QString& sql);
    // Another connection holds the database for its writes.
    bool writesHeld();
    // Types the seeded password into the lock of the start; false when it did not go.
    bool unlockAtStart();
    // Opens the dialog as an author does, from the bookshelf or the writing window (typed into first).
    Window openDialog(const QString& dialog, QList<Window>& seen);
    // At a point of the window; a null point is its centre, a negative x counts from its right edge.
    void clickAt(Window window, QPoint position = QPoint(), unsigned button = Button1);
    QPoint place(Window window, QPoint position) const;
    // What the server shows of the window in the square of that side around a point of it.
    QImage shot(Window window, QPoint at, int side = 1) const;
    void typeKey(KeySym key);
    // The sign-in dialog's place of a field or button, as "page/objectName"
    // (pages Widget_Login and Widget_ForgetPwd), as the client shows it.
    QPoint signInPlace(const QString& name);
    // Clicks the field and types the text over what it holds (digits and
    // small letters); the sign-in page's phone and password, then Enter.
    void typeOver(Window dialog, const QString& field, const QString& text);
    void signIn(Window dialog, const QString& phone, const QString& password);
    // Clicks the button and waits until the page is drawn: its spot (where
    // the page left shows nothing that changes) looks different.
    bool switchPage(Window dialog, const QString& button, const QString& shown);
    // Starts the client on the platform with these faults (as addFault
    // takes them); the sign-in window once shown.
    struct Fault
    {
        QString path;
        int delayMs;
        QString kind = QStringLiteral("ok");
    };
    Window startAtSignIn(const QList<Fault>& faults);

    Display* m_display = nullptr;
    QProcess m_trayHost;
    QScopedPointer<QTemporaryDir> m_dir;
    QProcess m_client;
    QPoint m_cover;
    QPoint m_close;
    bool m_mounted = false;
    QPoint m_chapterRow;
    // The chapter name box of the first chapter: its border, where its first
    // letter is; the next chapter's is a row further down.
    QPoint m_nameBox;
    QPoint m_nameLetter;
    int m_rowStep = 0;
    QPoint m_volumeNameBox;
    QPoint m_volumeNameLetter;
    QPoint m_volumeTitle;
    QPoint m_setup;
    QPoint m_binButton;
    QPoint m_binRow;
    QPoint m_safetyTab;
    QPoint m_settingsForgot;
    QPoint m_forgotPassword;
    QPoint m_lockPassword;
    QPoint m_searchField;
    QPoint m_replaceField;
    QPoint m_replaceAll;
    // In the font colour dialog: the hue strip, the colour square and the swatch.
    QPoint m_hueStrip;
    QPoint m_colourSquare;
    QPoint m_colourSwatch;
    // 便签 on the bookshelf, and + on the memo list it opens.
    QPoint m_memo;
    QPoint m_addMemo;
    QPoint m_newBook;
    QPoint m_backupsTab;
    QPoint m_changeBackups;
    // The middle of a window.
    QPoint m_middle;
    // On the bookshelf, in the book information dialog, on the settings
    // page's lock tab, in the writing window and in its outline panel.
    QPoint m_userHead;
    QPoint m_style;
    QPoint m_customCover;
    QPoint m_lockCheck;
    QPoint m_setMoney;
    QPoint m_skin;
    QPoint m_outlineSettings;
    QPoint m_outlineSelectAll;
    QPoint m_outlineDelete;
    // 个人数据 on the bookshelf.
    QPoint m_personalData;
    QMap<QString, QPoint> m_signInPlaces;
    // The import rules' 确认.
    QPoint m_importConfirm;
    // The client's platform when set; otherwise nothing answers.
    StandinServer m_platform;
    QString m_apiBase;
};

void QuitTest::initTestCase()
{
    if (!QX11Info::isPlatformX11())
        QSKIP("needs an X server (run under xvfb-run)");
    // Nothing answers on the discard port: the clients stay on this machine.
    qputenv("TESSANE_API_BASE", "http://127.0.0.1:9");
    m_display = XOpenDisplay(nullptr);
    QVERIFY(m_display);
    int event = 0, error = 0, major = 0, minor = 0;
    QVERIFY(XTestQueryExtension(m_display, &event, &error, &major, &minor));
    // An ordinary desktop has a tray: the client's icon then lives in a window
    // of another program, and must be gone before the client ends.
    const Atom tray = XInternAtom(m_display, "_NET_SYSTEM_TRAY_S0", False);
    if (XGetSelectionOwner(m_display, tray) == None) {
        m_trayHost.start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("bottom")});
        QVERIFY2(m_trayHost.waitForStarted(), "no tray host: scripts/install-deps.sh installs trayer");
        QTRY_VERIFY_WITH_TIMEOUT(XGetSelectionOwner(m_display, tray) != None, 10000);
    }
    // A run at another scale (CTest gives it): the client reads it from the
    // settings file init() writes beside it.
    if (const double scale = qEnvironmentVariable("TEST_DPI_SCALE").toDouble(); scale > 0)
        DPIAdapter::instance()->setScaleForTest(scale);
    // The client's look, fonts and texts: the places measured here are where its windows have them.
    StartupLook::apply();
    QVERIFY(installTranslations(*QCoreApplication::instance()));
}

void QuitTest::cleanupTestCase()
{
    m_trayHost.terminate();
    m_trayHost.waitForFinished(5000);
    if (m_display)
        XCloseDisplay(m_display);
}

void QuitTest::init()
{
    // A private copy gives the client its own program directory and instance name.
    m_dir.reset(new QTemporaryDir);
    const QString exe = m_dir->filePath(QStringLiteral("vellora-client"));
    QVERIFY(QFile::copy(QStringLiteral(CLIENT_EXE), exe));
    QVERIFY(QFile::setPermissions(exe, QFile::permissions(QStringLiteral(CLIENT_EXE))));
    if (const double scale = qEnvironmentVariable("TEST_DPI_SCALE").toDouble(); scale > 0) {
        QSettings settings(m_dir->filePath(QStringLiteral("data/config/setting.ini")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("system/dpiScale"), scale);
        settings.setValue(QStringLiteral("system/rheight"), QGuiApplication::primaryScreen()->size().height());
    }
}

void QuitTest::cleanup()
{
    m_apiBase.clear();
    m_client.kill();
    m_client.waitForFinished(5000);
    if (m_mounted)
        ::umount2(QFile::encodeName(recoveryFolder()).constData(), MNT_DETACH);
    m_mounted = false;
}

bool QuitTest::seedBook(int lockType, bool inBin, int lockSeconds)
{
    m_cover = QPoint();
    CTessaneDb* db = CTessaneDb::instance();
    const QString programDb = m_dir->filePath(QStringLiteral("data/db"));
    if (!QDir().mkpath(QFileInfo(dbFile()).path()) || !db->init(dbFile(), programDb))
        return false;
    TS_Author_Info user;
    user.uid = 10001;
    // The stand-in platform's own author, where a test lets requests through.
    user.token = QString::fromLatin1(StandinServer::demoToken());
    T_UserConf conf;
    conf.uid = user.uid;
    conf.systemConf.isTray = 0; // closing the bookshelf quits
    if (!db->insertUser(user, conf) || !db->saveLastLogin(user.uid))
        return false;
    db->close();
    CQssManager::instance()->applyStyle(StyleLight);
    TC_Books_AddBook request(QStringLiteral("退出之书"), 1700000000, 1700000000, QString());
    if (CJobManager::instance()->init(dbFile(), programDb) && CBookJobManager::instance()->books_add(request, false)) {
        Widget_Bookshelf* shelf = CUiManager::instance()->bookshelf();
        QListView* view = shelf->findChild<Widget_BookShelfList*>()->listView();
        const QRect item = view->visualRect(view->model()->index(0, 0));
        const QRect cover = qobject_cast<CBookListDelegate*>(view->itemDelegate())->coverRect(item.topLeft());
        m_cover = view->viewport()->mapTo(shelf, cover.center());
        // The shelf's last item makes a new book.
        const QRect last = view->visualRect(view->model()->index(view->model()->rowCount() - 1, 0));
        m_newBook = view->viewport()->mapTo(shelf, qobject_cast<CBookListDelegate*>(view->itemDelegate())
                                                       ->coverRect(last.topLeft()).center());
        auto* close = shelf->findChild<QPushButton*>(QStringLiteral("btn_close"));
        const QPoint centre = close->mapTo(shelf, close->rect().center());
        m_close = centre - QPoint(shelf->width(), 0);
        auto* memo = shelf->findChild<QAbstractButton*>(QStringLiteral("btnMemo"));
        m_memo = memo->mapTo(shelf, memo->rect().center());
        MemoItemManager::instance()->showMemoList(shelf);
        MemoListWidget* list = MemoItemManager::instance()->memoList();
        auto* add = list->findChild<QAbstractButton*>(QStringLiteral("btnAddMemo"));
        m_addMemo = add->mapTo(list, add->rect().center());
        auto* setup = shelf->findChild<QPushButton*>(QStringLiteral("btn_setup"));
        m_setup = setup->mapTo(shelf, setup->rect().center()) - QPoint(shelf->width(), 0);
        const auto middleOf = [](const QWidget* w, QWidget* in) { return w->mapTo(in, w->rect().center()); };
        m_style = middleOf(shelf->findChild<QWidget*>(QStringLiteral("btn_style")), shelf) - QPoint(shelf->width(), 0);
        m_userHead = middleOf(shelf->findChild<QWidget*>(QStringLiteral("btnHeadImg")), shelf);
        m_personalData = middleOf(shelf->findChild<QWidget*>(QStringLiteral("btnUserInfo")), shelf);
        Dialog_BookInfo info(shelf);
        info.show();
        m_customCover = middleOf(info.btnCustomCover(), &info);
        // The settings page's lock tab, as the client shows it.
        Widget_Setting settings(shelf);
        settings.show();
        auto* safety = settings.findChild<QPushButton*>(QStringLiteral("btnSafety"));
        m_safetyTab = safety->mapTo(&settings, safety->rect().center());
        safety->click();
        auto* forgot = settings.findChild<QPushButton*>(QStringLiteral("btnForgotPwd"));
        m_settingsForgot = forgot->mapTo(&settings, forgot->rect().center());
        // The box and its text take the click; the row may be wider.
        auto* lock = settings.findChild<QCheckBox*>(QStringLiteral("checkBoxPwdLock"));
        m_lockCheck = lock->mapTo(&settings, QPoint(lock->sizeHint().width() / 2, lock->height() / 2));
        auto* backups = settings.findChild<QPushButton*>(QStringLiteral("btnBackups"));
        m_backupsTab = middleOf(backups, &settings);
        backups->click();
        m_changeBackups = middleOf(settings.findChild<QPushButton*>(QStringLiteral("btnChangePath")), &settings);
        Dialog_BookImportRule rules(shelf);
        rules.show();
        m_importConfirm = middleOf(rules.findChild<QWidget*>(QStringLiteral("btnConfirm")), &rules);
        auto* bin = shelf->findChild<QWidget*>(QStringLiteral("btnRecycle"));
        m_binButton = bin->mapTo(shelf, bin->rect().center());
        // The writing window's chapter tree.
        CUiManager::instance()->openCreation(CPublicManager::instance()->bookList.value(0));
        QQuickWidget* tree = CBookVolumeController::instance()->getQuickWidget();
        QQuickItem *chapter = nullptr, *volume = nullptr;
        QTest::qWaitFor([&] {
            chapter = treeItem(tree->rootObject(), [](QQuickItem* i) { return i->property("chapterIndex") == 0; });
            volume = treeItem(tree->rootObject(), [](QQuickItem* i) { return i->objectName() == "volumeTitle"; });
            return chapter && volume;
        }, 10000);
        const auto inWindow = [tree](QQuickItem* item) {
            const QPoint centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
            return tree->mapTo(tree->window(), centre);
        };
        m_chapterRow = chapter ? inWindow(chapter) : QPoint();
        m_volumeTitle = volume ? inWindow(volume) : QPoint();
        // The name boxes of the first chapter and volume: the left border, and the first letter.
        const auto boxAt = [tree](QQuickItem* box, QPoint& border, QPoint& letter) {
            const auto at = [&](qreal x) {
                return tree->mapTo(tree->window(), box->mapToScene(QPointF(x, box->height() / 2)).toPoint());
            };
            border = at(0);
            letter = at(box->property("leftPadding").toReal() + 6);
        };
        if (auto* box = chapter ? chapter->findChild<QQuickItem*>(QStringLiteral("chapterNameBox")) : nullptr)
            boxAt(box, m_nameBox, m_nameLetter);
        if (auto* box = volume ? volume->parentItem()->findChild<QQuickItem*>(QStringLiteral("volumeNameBox")) : nullptr)
            boxAt(box, m_volumeNameBox, m_volumeNameLetter);
        m_rowStep = tree->rootObject()->property("rowHeight").toInt();
        QWidget* writing = tree->window();
        m_setMoney = middleOf(writing->findChild<QWidget*>(QStringLiteral("btn_setMoney")), writing);
        m_skin = middleOf(writing->findChild<QWidget*>(QStringLiteral("btnSkin")), writing);
        // The outline panel as the writing window opens it, with an outline
        // to delete; its bar's buttons once laid out, in select mode too.
        TC_BookOutline_Create outline(0, CPublicManager::instance()->bookList.value(0)->localId, 0, 0, 1, 1,
                                      1700000000, QString(), QStringLiteral("大纲"));
        if (!CBookJobManager::instance()->outline_create(outline))
            m_cover = QPoint();
        writing->findChild<Widget_Creation_Content*>()->openOutline();
        QQuickWidget* panel = COutlineController::instance()->getWidget();
        const auto onPanel = [panel, writing](const char* name) {
            const auto* item = panel->rootObject()->findChild<QQuickItem*>(QLatin1String(name));
            return item ? panel->mapTo(writing, item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint())
                        : QPoint();
        };
        bool laidOut =
            QTest::qWaitFor([&] { return (m_outlineSettings = onPanel("settingButton")).x() > onPanel("hideButton").x(); }, 10000);
        panel->rootObject()->setProperty("selectMode", true);
        laidOut = laidOut && QTest::qWaitFor([&] {
            m_outlineSelectAll = onPanel("selectAllButton");
            return (m_outlineDelete = onPanel("deleteButton")).x() > m_outlineSelectAll.x();
        }, 10000);
        if (!laidOut)
            m_cover = QPoint();
        TC_Books_Delete recycle(CPublicManager::instance()->bookList.value(0)->localId, 1700000001);
        // A book that cannot go to the bin fails the seeding.
        if (inBin && !CJobManager::instance()->books_delete(recycle))
            m_cover = QPoint();
        Dialog_BookRecycle binDialog(shelf);
        binDialog.show();
        auto* binList = binDialog.findChild<QListView*>(QStringLiteral("listView"));
        m_binRow = binList->viewport()->mapTo(&binDialog, binList->visualRect(binList->model()->index(0, 0)).center());
        // The lock screen and the search dialog, as the client builds them.
        Dialog_Unlock unlock;
        unlock.show();
        m_forgotPassword = unlock.btnForgotPwd()->mapTo(&unlock, unlock.btnForgotPwd()->rect().center());
        m_lockPassword = unlock.lineEditPwd()->mapTo(&unlock, unlock.lineEditPwd()->rect().center());
        Dialog_Search search;
        search.show();
        const auto centreOf = [&search](const QWidget* w) { return w->mapTo(&search, w->rect().center()); };
        m_searchField = centreOf(search.searchEdit());
        m_replaceField = centreOf(search.replaceEdit());
        m_replaceAll = centreOf(search.findChild<QPushButton*>(QStringLiteral("btnReplaceAll")));
        CColorDialog colour;
        colour.show();
        m_hueStrip = colour.hueArea()->mapTo(&colour, colour.hueArea()->rect().center());
        m_colourSquare = colour.svArea()->mapTo(&colour, colour.svArea()->rect().topRight() + QPoint(-20, 40));
        m_colourSwatch = colour.previewArea()->mapTo(&colour, colour.previewArea()->rect().center());
    }
    // The client takes the file and the boss key over.
    CUiManager::instance()->setBoosKey(QString());
    CUiManager::instance()->shutdown();
    CJobManager::instance()->close();
    if (lockType > 0) {
        // Any lock asks at every start too.
        conf.systemConf.pwdLockType = lockType;
        conf.systemConf.pwdLockTime = lockSeconds;
        conf.systemConf.pwdLockPwd = QStringLiteral("idle");
        const bool stored = db->init(dbFile(), programDb) && db->updateUserConf(conf);
        db->close();
        if (!stored)
            return false;
    }
    return !m_cover.isNull();
}

QString QuitTest::storedTexts(const QString& file)
{
    CJobManager* jobs = CJobManager::instance();
    QString text;
    if (jobs->init(file.isEmpty() ? dbFile() : file, m_dir->filePath(QStringLiteral("data/db")))) {
        for (T_Book* book : CPublicManager::instance()->bookList) {
            text += book->bookName + QLatin1Char(':');
            if (jobs->getChapters(book) && !book->chapterList.isEmpty()
                && jobs->getChapterContent(book->chapterList.first()))
                text += book->chapterList.first()->content;
        }
        for (T_Book* book : CPublicManager::instance()->recycleBookList)
            text += QLatin1Char('(') + book->bookName + QLatin1Char(')');
        for (const T_Memo* memo : CPublicManager::instance()->memoList)
            text += memo->content;
    }
    CUiManager::instance()->shutdown();
    jobs->close();
    return text;
}

bool QuitTest::holdSignInAgain()
{
    const bool held = m_platform.start() && m_platform.reset()
        && m_platform.addFault(QStringLiteral("/author/info"), QStringLiteral("code300"), -1)
        && m_platform.addFault(QStringLiteral("*"), QStringLiteral("drop"), 0, -1);
    m_apiBase = m_platform.baseUrl();
    return held;
}

bool QuitTest::signInAlone() const
{
    const QList<Window> shown = clientWindows(false);
    return shown.size() == 1 && shown == clientWindows(false, kSignInTitle);
}

bool QuitTest::rememberAuthor(int uid)
{
    CTessaneDb* db = CTessaneDb::instance();
    TS_Author_Info user;
    T_UserConf conf;
    bool remembered = db->init(dbFile(), m_dir->filePath(QStringLiteral("data/db")));
    if (remembered && !db->getUserData(uid, user, conf)) {
        user.uid = conf.uid = uid;
        conf.systemConf.isTray = 0;
        remembered = db->insertUser(user, conf);
    }
    if (remembered && user.token.isEmpty()) {
        user.uid = uid;
        user.token = QStringLiteral("token-%1").arg(uid);
        remembered = db->updateUser(user);
    }
    remembered = remembered && db->saveLastLogin(uid);
    db->close();
    return remembered;
}

bool QuitTest::storedConf(T_UserConf& conf, const QString& file)
{
    CTessaneDb* db = CTessaneDb::instance();
    TS_Author_Info user;
    const bool read = db->init(file.isEmpty() ? dbFile() : file, m_dir->filePath(QStringLiteral("data/db")))
        && db->getUserData(10001, user, conf);
    db->close();
    return read;
}

void QuitTest::startClient(const QString& home, const QString& temp)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.isEmpty() ? m_dir->path() : home);
    if (!temp.isEmpty())
        env.insert(QStringLiteral("TMPDIR"), temp);
    if (!m_apiBase.isEmpty())
        env.insert(QStringLiteral("TESSANE_API_BASE"), m_apiBase);
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir->filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->filePath(QStringLiteral("config")));
    // Without a status-notifier service the tray icon is a window embedded in
    // the tray host's. A bus address that leads nowhere rather than none: with
    // none the bus library forks to launch a bus, and in the sanitizer build
    // the forked child can hang on a lock another thread held, and the start
    // with it.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/bus"));
    m_client.setProcessEnvironment(env);
    m_client.setProgram(m_dir->filePath(QStringLiteral("vellora-client")));
    m_client.setProcessChannelMode(QProcess::ForwardedChannels);
    m_client.start();
    QVERIFY(m_client.waitForStarted());
}

void QuitTest::expectCleanExit(const std::function<void()>& action, int exitCode)
{
    QTRY_VERIFY_WITH_TIMEOUT(m_client.state() == QProcess::NotRunning || (action && (action(), false)), kPatience);
    QCOMPARE(m_client.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_client.exitCode(), exitCode);
}

void QuitTest::closeTheRecoveryBox(KeySym key, const QString& mark, const QString& home, const QString& temp)
{
    startClient(home, temp);
    Window box = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(box, findClientWindow(false, kBoxTitle)), kPatience);
    QVERIFY(QFile::exists(mark));
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(mark) || (clickAt(box), typeKey(key), false), kPatience);
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
}

QStringList QuitTest::backups() const
{
    QStringList found;
    QDirIterator it(m_dir->filePath(QStringLiteral("Documents")), {QStringLiteral("*.db")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

QList<Window> QuitTest::clientWindows(bool embedded, const QString& title) const
{
    const Atom pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
    const Atom nameAtom = XInternAtom(m_display, "_NET_WM_NAME", False);
    const auto nameOf = [&](Window window) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        QString title;
        if (XGetWindowProperty(m_display, window, nameAtom, 0, 256, False, AnyPropertyType, &type, &format,
                               &count, &after, &data) == Success && data)
            title = QString::fromUtf8(reinterpret_cast<const char*>(data), int(count));
        if (data)
            XFree(data);
        return title;
    };
    const auto pidOf = [&](Window window) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        qint64 pid = 0;
        if (XGetWindowProperty(m_display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                               &after, &data) == Success && data && count == 1)
            pid = qint64(*reinterpret_cast<unsigned long*>(data));
        if (data)
            XFree(data);
        return pid;
    };
    // Depth first; "inside" says whether a window of another program holds this one.
    QList<Window> found;
    // An ended client has none (and no process id to match).
    if (m_client.processId() == 0)
        return found;
    std::function<void(Window, bool)> search = [&](Window window, bool inside) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(m_display, window, &attributes) || attributes.map_state != IsViewable)
            return;
        const qint64 pid = pidOf(window);
        if (pid == m_client.processId() && inside == embedded && (title.isEmpty() || nameOf(window) == title)) {
            found.append(window);
            return;
        }
        Window root = None, parent = None, *children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(m_display, window, &root, &parent, &children, &count)) {
            for (unsigned int i = 0; i < count; ++i)
                search(children[i], inside || (pid != 0 && pid != m_client.processId()));
            XFree(children);
        }
    };
    search(DefaultRootWindow(m_display), false);
    return found;
}

Window QuitTest::awaitNewWindow(const QList<Window>& before, QSize least, const std::function<void()>& nudge)
{
    return awaitWindow(before, [&](Window window) {
        XWindowAttributes attributes;
        return XGetWindowAttributes(m_display, window, &attributes) && attributes.width >= least.width()
            && attributes.height >= least.height();
    }, nudge);
}

Window QuitTest::awaitMenu(const QList<Window>& before)
{
    const Atom type = XInternAtom(m_display, "_NET_WM_WINDOW_TYPE", False);
    const QList<Atom> menus{XInternAtom(m_display, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False),
                            XInternAtom(m_display, "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", False)};
    return awaitWindow(before, [&](Window window) {
        Atom actual = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        bool menu = false;
        if (XGetWindowProperty(m_display, window, type, 0, 16, False, XA_ATOM, &actual, &format, &count, &after,
                               &data) == Success && data != nullptr && format == 32) {
            const auto* atoms = reinterpret_cast<const Atom*>(data);
            for (unsigned long i = 0; i < count && !menu; ++i)
                menu = menus.contains(atoms[i]);
        }
        if (data != nullptr)
            XFree(data);
        return menu;
    });
}

Window QuitTest::awaitWindow(const QList<Window>& before, const std::function<bool(Window)>& wanted,
                             const std::function<void()>& nudge)
{
    const auto look = [&] {
        for (Window window : clientWindows(false)) {
            if (!before.contains(window) && wanted(window))
                return window;
        }
        return Window(None);
    };
    Window last = None;
    QElapsedTimer looked;
    const bool settled = QTest::qWaitFor([&] {
        if (looked.isValid() && looked.elapsed() < 50)
            return false;
        looked.start();
        const Window now = look();
        if (now == None && nudge)
            nudge();
        const bool again = now != None && now == last;
        last = now;
        return again;
    }, kPatience);
    return settled ? last : None;
}

Window QuitTest::openBook(Window shelf)
{
    // The book opens in the writing window, which takes the bookshelf's place.
    Window writing = None;
    const bool opened = QTest::qWaitFor([&] {
        return keepFound(writing, findClientWindow(false, kMainTitle), shelf) || (clickAt(shelf, m_cover), false);
    }, kPatience);
    return opened ? writing : None;
}

QPoint QuitTest::place(Window window, QPoint position) const
{
    XWindowAttributes attributes;
    XGetWindowAttributes(m_display, window, &attributes);
    if (position.isNull())
        return QPoint(attributes.width / 2, attributes.height / 2);
    if (position.x() < 0)
        position.rx() += attributes.width;
    return position;
}

QImage QuitTest::shot(Window window, QPoint at, int side) const
{
    const QPoint corner = place(window, at) - QPoint(side / 2, side / 2);
    XImage* image = XGetImage(m_display, window, corner.x(), corner.y(), side, side, AllPlanes, ZPixmap);
    QImage shown(side, side, QImage::Format_RGB32);
    shown.fill(Qt::black);
    for (int y = 0; image && y < side; ++y) {
        for (int x = 0; x < side; ++x)
            shown.setPixel(x, y, QRgb(XGetPixel(image, x, y)));
    }
    if (image)
        XDestroyImage(image);
    return shown;
}

void QuitTest::clickAt(Window window, QPoint position, unsigned button)
{
    position = place(window, position);
    int x = 0, y = 0;
    Window child = None;
    XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), position.x(), position.y(), &x, &y, &child);
    XTestFakeMotionEvent(m_display, DefaultScreen(m_display), x, y, CurrentTime);
    XTestFakeButtonEvent(m_display, button, True, CurrentTime);
    XTestFakeButtonEvent(m_display, button, False, CurrentTime);
    XSync(m_display, False);
}

void QuitTest::typeKey(KeySym key)
{
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, key), True, CurrentTime);
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, key), False, CurrentTime);
    XSync(m_display, False);
}

QPoint QuitTest::signInPlace(const QString& name)
{
    if (m_signInPlaces.isEmpty()) {
        CQssManager::instance()->applyStyle(StyleLight);
        Dialog_LoginMain dialog;
        dialog.show();
        for (QWidget* page : {static_cast<QWidget*>(dialog.loginPage()), static_cast<QWidget*>(dialog.forgetPage())}) {
            dialog.stack()->setCurrentWidget(page);
            for (QWidget* w : page->findChildren<QWidget*>()) {
                const QString name = page->objectName() + QLatin1Char('/') + w->objectName();
                m_signInPlaces.insert(name, w->mapTo(&dialog, w->rect().center()));
                // Where a left-aligned text starts.
                m_signInPlaces.insert(name + QStringLiteral("@start"), w->mapTo(&dialog, QPoint(qMin(12, w->width() / 2), w->height() / 2)));
            }
        }
    }
    return m_signInPlaces.value(name);
}

void QuitTest::typeOver(Window dialog, const QString& field, const QString& text)
{
    // The focus a window manager gives the window clicked.
    XSetInputFocus(m_display, dialog, RevertToPointerRoot, CurrentTime);
    clickAt(dialog, signInPlace(field));
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, XK_Control_L), True, CurrentTime);
    typeKey(XK_a);
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, XK_Control_L), False, CurrentTime);
    for (const QChar c : text)
        typeKey(KeySym(c.unicode()));
}

void QuitTest::signIn(Window dialog, const QString& phone, const QString& password)
{
    typeOver(dialog, QStringLiteral("Widget_Login/lineEditAccount"), phone);
    typeOver(dialog, QStringLiteral("Widget_Login/lineEditPwd"), password);
    typeKey(XK_Return);
}

bool QuitTest::switchPage(Window dialog, const QString& button, const QString& shown)
{
    // The spot as the page left draws it, once that drawing has settled.
    QImage before;
    QElapsedTimer still;
    QTest::qWaitFor([&] {
        const QImage now = shot(dialog, signInPlace(shown), 16);
        if (!still.isValid() || now != before)
            before = now, still.start();
        return still.elapsed() > 300;
    }, kPatience);
    clickAt(dialog, signInPlace(button));
    return QTest::qWaitFor([&] { return shot(dialog, signInPlace(shown), 16) != before; }, kPatience);
}

Window QuitTest::startAtSignIn(const QList<Fault>& faults)
{
    Window dialog = None;
    if (!m_platform.start() || !m_platform.reset())
        return dialog;
    for (const Fault& fault : faults) {
        if (!m_platform.addFault(fault.path, fault.kind, fault.delayMs))
            return dialog;
    }
    m_apiBase = m_platform.baseUrl();
    startClient();
    QTest::qWaitFor([&] { return keepFound(dialog, findClientWindow(false, kSignInTitle)); }, kPatience);
    return dialog;
}

void QuitTest::trayMenuQuitEndsCleanly()
{
    startClient();
    Window icon = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(icon, findClientWindow(true)), kPatience);
    clickAt(icon, QPoint(), Button3);
    // The menu pops up at the pointer and takes the keyboard: its last item quits.
    expectCleanExit([this] { typeKey(XK_Up), typeKey(XK_Return); });
    QCOMPARE(backupCount(), 1);
}

void QuitTest::escapedSignInComesBackFromTheTray_data()
{
    QTest::addColumn<bool>("menu");
    // The sign-in came with the platform's "sign in again" while the boss
    // key had hidden the writing window and a dialog in its exec() over it.
    QTest::addColumn<bool>("bossKeyFirst");
    QTest::newRow("click") << false << false;
    QTest::newRow("主界面") << true << false;
    QTest::newRow("click, after the boss key and a forced sign-out") << false << true;
}

void QuitTest::escapedSignInComesBackFromTheTray()
{
    QFETCH(bool, menu);
    QFETCH(bool, bossKeyFirst);
    QVERIFY(!bossKeyFirst || (seedBook() && holdSignInAgain()));
    startClient();
    if (bossKeyFirst) {
        QList<Window> seen{None};
        QTRY_VERIFY_WITH_TIMEOUT(keepFound(seen.first(), findClientWindow(false, kMainTitle)), kPatience);
        QVERIFY(openDialog(QStringLiteral("writing settings"), seen) != None);
        // Ctrl+Shift+N: the windows and the icon go.
        for (const Bool down : {True, False}) {
            for (KeySym key : {XK_Control_L, XK_Shift_L, XK_n})
                XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, key), down, CurrentTime);
        }
        XSync(m_display, False);
        QTRY_VERIFY_WITH_TIMEOUT(clientWindows(true).isEmpty() && std::none_of(seen.cbegin(), seen.cend(), [this](Window w) {
                                     return clientWindows(false).contains(w);
                                 }), kPatience);
        QTRY_VERIFY_WITH_TIMEOUT(!m_platform.requestsTo(QStringLiteral("/author/info")).isEmpty(), kPatience);
        QVERIFY(m_platform.releaseHeld());
        QTRY_VERIFY_WITH_TIMEOUT(signInAlone(), kPatience);
    }
    Window dialog = None, icon = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(dialog, findClientWindow(false, kSignInTitle)), kPatience);
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(icon, findClientWindow(true)), kPatience);
    // The focus a window manager gives the window clicked.
    XSetInputFocus(m_display, dialog, RevertToPointerRoot, CurrentTime);
    clickAt(dialog, signInPlace(QStringLiteral("Widget_Login/labelTitle")));
    typeKey(XK_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(clientWindows(false, kSignInTitle).isEmpty(), kPatience);
    // A click on the icon, or the first item of its menu, which takes the keyboard.
    clickAt(icon, QPoint(), menu ? Button3 : Button1);
    if (menu) {
        QVERIFY(awaitMenu({}) != None);
        typeKey(XK_Down);
        typeKey(XK_Return);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!clientWindows(false, kSignInTitle).isEmpty(), kPatience);
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
}

void QuitTest::bookshelfCloseButtonEndsCleanly()
{
    QVERIFY(seedBook());
    startClient();
    Window shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(shelf, findClientWindow(false, kMainTitle)), kPatience);
    expectCleanExit([&] { clickAt(shelf, m_close); });
    QCOMPARE(backupCount(), 1);
}

Window QuitTest::typeIntoTheBook(Window shelf)
{
    const Window writing = openBook(shelf);
    if (writing == None)
        return None;
    clickAt(writing);
    for (KeySym key : {XK_z, XK_q, XK_x, XK_j})
        typeKey(key);
    return writing;
}

Window QuitTest::startWriting()
{
    startClient();
    Window shelf = None;
    if (!QTest::qWaitFor([&] { return keepFound(shelf, findClientWindow(false, kMainTitle)); }, kPatience))
        return None;
    const Window writing = openBook(shelf);
    if (writing != None) {
        XSetInputFocus(m_display, writing, RevertToPointerRoot, CurrentTime);
        clickAt(writing);
    }
    return writing;
}

bool QuitTest::blockWithFile(const QString& path)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

bool QuitTest::refuse(const QString& table, const QString& operation, int slowness)
{
    CTessaneDb* db = CTessaneDb::instance();
    const QString body = slowness > 0 ? QStringLiteral("SELECT count(*) FROM (WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL "
                                                       "SELECT x + 1 FROM n WHERE x < %1) SELECT x FROM n)").arg(slowness)
                                      : QStringLiteral("SELECT RAISE(ABORT, 'disk full')");
    const bool armed = db->init(dbFile(), m_dir->filePath(QStringLiteral("data/db")))
        && db->newQuery().exec(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON %2 BEGIN %3; END;")
                                   .arg(operation, table, body));
    db->close();
    return armed;
}

bool QuitTest::refuseChapterAndRecoveryFolder(bool markOnly)
{
    const bool armed = refuse(QStringLiteral("tb_chapter"), QStringLiteral("UPDATE"));
    if (!markOnly)
        return armed && blockWithFile(recoveryFolder());
    // Two inodes: the folder itself and the text file.
    m_mounted = QDir().mkpath(recoveryFolder())
        && ::mount("tmpfs", QFile::encodeName(recoveryFolder()).constData(), "tmpfs", 0, "size=1m,nr_inodes=2") == 0;
    return armed && m_mounted;
}

QMap<QString, QString> QuitTest::keptIn(const QString& folder) const
{
    QMap<QString, QString> kept;
    QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*chapter-*.txt")}, QDir::Files)) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            kept.insert(file.fileName(), QString::fromUtf8(file.readAll()));
    }
    return kept;
}

void QuitTest::sessionEndKeepsTheWordsJustTyped_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("again");  // sent again and again until the client is gone
    QTest::newRow("SIGTERM") << int(SIGTERM) << false;
    QTest::newRow("SIGINT") << int(SIGINT) << false;
    QTest::newRow("SIGHUP") << int(SIGHUP) << false;
    QTest::newRow("SIGTERM, again until it ends") << int(SIGTERM) << true;
}

void QuitTest::sessionEndKeepsTheWordsJustTyped()
{
    QFETCH(int, signalNumber);
    QFETCH(bool, again);
    QVERIFY(seedBook());
    startClient();
    Window shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(shelf, findClientWindow(false, kMainTitle)), kPatience);
    // Typed into the editor, and the session ends at once: the quit saves
    // what the editor holds, also what it took after the quit began.
    const Window writing = typeIntoTheBook(shelf);
    QVERIFY(writing != None);
    const pid_t pid = pid_t(m_client.processId());
    ::kill(pid, signalNumber);
    // A session manager that keeps asking: the quit under way ends as it began.
    if (again)
        expectCleanExit([this, pid]() {
            for (int i = 0; i < 20 && m_client.state() != QProcess::NotRunning; ++i) {
                ::kill(pid, SIGTERM);
                m_client.waitForFinished(2);
            }
        });
    else
        expectCleanExit();
    QVERIFY(storedTexts().contains(QStringLiteral("zqxj")));
    QCOMPARE(backupCount(), 1);
}

void QuitTest::ignoredHangUpLeavesTheClientWriting()
{
    QVERIFY(seedBook());
    // Started under nohup: the client inherits the ignored hang-up.
    struct sigaction ignore = {}, previous = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    QVERIFY(::sigaction(SIGHUP, &ignore, &previous) == 0);
    startClient();
    ::sigaction(SIGHUP, &previous, nullptr);
    Window shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(shelf, findClientWindow(false, kMainTitle)), kPatience);
    // The terminal closes; the author goes on, opens the book, types and
    // opens the search: by then the client has long read the signal, and a
    // quit taken from it would have made the quit's backup.
    ::kill(pid_t(m_client.processId()), SIGHUP);
    const Window writing = typeIntoTheBook(shelf);
    QVERIFY(writing != None);
    typeKey(XK_F6);
    QVERIFY(awaitNewWindow({writing}) != None);
    QCOMPARE(backupCount(), 0);
    QCOMPARE(m_client.state(), QProcess::Running);
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
    QVERIFY(storedTexts().contains(QStringLiteral("zqxj")));
    QCOMPARE(backupCount(), 1);
}

void QuitTest::sessionEndAnswersNoOpenQuestion_data()
{
    // Each question's first button is the one that changes something.
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("lockType");
    QTest::newRow("replace all") << "replace all" << "退出之书:　　zqxj" << 0;
    QTest::newRow("delete the book") << "delete the book" << "退出之书:" << 0;
    QTest::newRow("delete the chapter") << "delete the chapter" << "退出之书:　　zqxj" << 0;
    QTest::newRow("delete the volume") << "delete the volume" << "退出之书:　　zqxj" << 0;
    QTest::newRow("delete for good from the bin") << "delete for good" << "(退出之书)" << 0;
    QTest::newRow("replace the exported file") << "replace the file" << "退出之书:" << 0;
    QTest::newRow("font colour tried out") << "font colour" << "退出之书:　　zqxj" << 0;
    // A lock asks at every start: the shelf is not read here.
    QTest::newRow("forgotten lock password") << "forgotten lock password" << QString() << 4;
    QTest::newRow("settings page's forgotten lock password") << "settings page" << QString() << 1;
    // The sign-out's own write is refused: the lock screen is up again.
    QTest::newRow("lock screen after a refused sign-out") << "refused sign-out" << QString() << 7;
}

void QuitTest::sessionEndAnswersNoOpenQuestion()
{
    QFETCH(QString, question);
    QFETCH(QString, stored);
    QFETCH(int, lockType);
    // The idle lock for the lock screen's question, the start lock only for the page's.
    const bool locking = lockType > 0;
    QVERIFY(seedBook(lockType, question == QLatin1String("delete for good")));
    QVERIFY(question != QLatin1String("refused sign-out") || refuse(QStringLiteral("tb_sys"), QStringLiteral("UPDATE")));
    QFile earlier(m_dir->filePath(QStringLiteral("Documents/退出之书.txt")));
    startClient();
    if (locking)
        QVERIFY(unlockAtStart());
    Window shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(shelf, findClientWindow(false, kMainTitle)), kPatience);
    if (question == QLatin1String("replace all")) {
        const Window writing = typeIntoTheBook(shelf);
        QVERIFY(writing != None);
        typeKey(XK_F6);
        const Window search = awaitNewWindow({writing});
        QVERIFY(search != None);
        // The focus a window manager gives the window clicked.
        XSetInputFocus(m_display, search, RevertToPointerRoot, CurrentTime);
        clickAt(search, m_searchField);
        typeKey(XK_q);
        clickAt(search, m_replaceField);
        typeKey(XK_z);
        clickAt(search, m_replaceAll);
        QVERIFY(awaitNewWindow({writing, search}) != None);
    } else if (question.startsWith(QLatin1String("delete the ")) && question != QLatin1String("delete the book")) {
        const Window writing = typeIntoTheBook(shelf);
        QVERIFY(writing != None);
        clickAt(writing, question.endsWith(QLatin1String("chapter")) ? m_chapterRow : m_volumeTitle, Button3);
        const Window menu = awaitMenu({writing});
        QVERIFY(menu != None);
        // The menu takes the keyboard: its last item deletes.
        typeKey(XK_Up);
        typeKey(XK_Return);
        QVERIFY(awaitNewWindow({writing, menu}) != None);
    } else if (question == QLatin1String("font colour")) {
        const Window writing = typeIntoTheBook(shelf);
        QVERIFY(writing != None);
        clickAt(writing, QPoint(), Button3);
        const Window menu = awaitMenu({writing});
        QVERIFY(menu != None);
        // The menu takes the keyboard: its third item is the font colour.
        for (KeySym key : {XK_Down, XK_Down, XK_Down, XK_Return})
            typeKey(key);
        const Window colour = awaitNewWindow({writing, menu});
        QVERIFY(colour != None);
        clickAt(colour, m_hueStrip);
        clickAt(colour, m_colourSquare);
        // The swatch turns from the grey of the text to the colour tried out.
        QTRY_VERIFY_WITH_TIMEOUT(shot(colour, m_colourSwatch).pixelColor(0, 0).hsvSaturation() > 100, kPatience);
    } else if (question == QLatin1String("delete the book")) {
        clickAt(shelf, m_cover, Button3);
        const Window menu = awaitMenu({shelf});
        QVERIFY(menu != None);
        // The menu takes the keyboard: its last item deletes.
        typeKey(XK_Up);
        typeKey(XK_Return);
        QVERIFY(awaitNewWindow({shelf, menu}) != None);
    } else if (question == QLatin1String("replace the file")) {
        // A file of the book's name is already where the export proposes it.
        QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("Documents"))));
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
        earlier.close();
        clickAt(shelf, m_cover, Button3);
        const Window menu = awaitMenu({shelf});
        QVERIFY(menu != None);
        // The fourth item exports; the chooser proposes the book's name.
        for (KeySym key : {XK_Down, XK_Down, XK_Down, XK_Down, XK_Return})
            typeKey(key);
        const Window chooser = awaitNewWindow({shelf, menu});
        QVERIFY(chooser != None);
        XSetInputFocus(m_display, chooser, RevertToPointerRoot, CurrentTime);
        typeKey(XK_Return);
        QVERIFY(awaitNewWindow({shelf, menu, chooser}) != None);
    } else if (question == QLatin1String("delete for good")) {
        clickAt(shelf, m_binButton);
        const Window bin = awaitNewWindow({shelf});
        QVERIFY(bin != None);
        clickAt(bin, m_binRow, Button3);
        const Window menu = awaitMenu({shelf, bin});
        QVERIFY(menu != None);
        // The menu takes the keyboard: its last item deletes for good.
        typeKey(XK_Up);
        typeKey(XK_Return);
        QVERIFY(awaitNewWindow({shelf, bin, menu}) != None);
    } else if (question == QLatin1String("settings page")) {
        clickAt(shelf, m_setup);
        const Window page = awaitNewWindow({shelf});
        QVERIFY(page != None);
        clickAt(page, m_safetyTab);
        clickAt(page, m_settingsForgot);
        QVERIFY(awaitNewWindow({shelf, page}) != None);
    } else {
        // After a second untouched, the idle lock hides the bookshelf and
        // asks for the password.
        const Window lock = awaitNewWindow({shelf});
        QVERIFY(lock != None);
        clickAt(lock, m_forgotPassword);
        const Window forgot = awaitNewWindow({lock});
        QVERIFY(forgot != None);
        if (question == QLatin1String("refused sign-out")) {
            // OK, and OK on why the lock stays: the lock screen is back.
            clickAt(forgot);
            typeKey(XK_Return);
            const Window told = awaitNewWindow({lock, forgot});
            QVERIFY(told != None);
            QTRY_VERIFY_WITH_TIMEOUT(clientWindows(false).contains(lock) || (clickAt(told), typeKey(XK_Return), false),
                                     kPatience);
        }
    }
    QVERIFY(m_client.processId() > 0);
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
    if (earlier.exists()) {
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), QByteArray("earlier"));
    }
    T_UserConf conf;
    QVERIFY(storedConf(conf));
    QCOMPARE(conf.systemConf.pwdLockType, lockType);
    // Only a confirmed colour is the author's (the seeded author has none),
    // also in the quit's backup.
    for (const QString& file : QStringList(QString()) + backups()) {
        QVERIFY(storedConf(conf, file));
        QCOMPARE(conf.creationConf.fontColor, QString());
    }
    if (!stored.isNull())
        QCOMPARE(storedTexts(), stored);
}

void QuitTest::sessionEndKeepsTheMemoJustTyped_data()
{
    QTest::addColumn<bool>("refused");
    QTest::newRow("stored") << false;
    QTest::newRow("database refuses") << true;
}

void QuitTest::sessionEndKeepsTheMemoJustTyped()
{
    QFETCH(bool, refused);
    QVERIFY(seedBook());
    // As a failing disk would: every new memo row is refused.
    QVERIFY(!refused || refuse(QStringLiteral("tb_memo"), QStringLiteral("INSERT")));
    startClient();
    Window shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(shelf, findClientWindow(false, kMainTitle)), kPatience);
    const Window list = awaitNewWindow({shelf}, QSize(300, 150), [&] { clickAt(shelf, m_memo); });
    QVERIFY(list != None);
    // One click: each opens another memo window.
    clickAt(list, m_addMemo);
    const Window memo = awaitNewWindow({shelf, list});
    QVERIFY(memo != None);
    const auto focused = [this]() {
        Window window = None;
        int revert = 0;
        XGetInputFocus(m_display, &window, &revert);
        return window;
    };
    // A new window takes the focus as it shows; the keyboard follows a
    // click only once the client has taken the click, which it says by
    // moving the focus: away to the (empty) list first, then back.
    QTRY_VERIFY_WITH_TIMEOUT(focused() == list || (clickAt(list), false), kPatience);
    QTRY_VERIFY_WITH_TIMEOUT(focused() == memo || (clickAt(memo), false), kPatience);
    // The first key creates the memo, the others change it in memory only;
    // then the session ends.
    for (KeySym key : {XK_z, XK_q, XK_x, XK_j})
        typeKey(key);
    if (!refused) {
        // Shift+Home selects the line, which the client offers as the X
        // selection once it has taken the keys before: the quit's backup
        // then holds them all.
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, XK_Shift_L), True, CurrentTime);
        typeKey(XK_Home);
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, XK_Shift_L), False, CurrentTime);
        QTRY_VERIFY_WITH_TIMEOUT(XGetSelectionOwner(m_display, XA_PRIMARY) != None, kPatience);
    }
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
    const QString kept = refused ? QStringList(keptIn(recoveryFolder()).values()).join(QString()) : storedTexts();
    QVERIFY(kept.contains(QStringLiteral("zqxj")));
    QVERIFY(refused || (backupCount() == 1 && storedTexts(backups().first()).contains(QStringLiteral("zqxj"))));
}

void QuitTest::startFailureBoxEndsCleanly_data()
{
    QTest::addColumn<bool>("noRoom");
    QTest::newRow("a file that is no database") << false;
    QTest::newRow("no room for the schema step") << true;
}

void QuitTest::startFailureBoxEndsCleanly()
{
    QFETCH(bool, noRoom);
    // The start fails and says so in a box, and ends as a failed start.
    QVERIFY(QDir().mkpath(QFileInfo(dbFile()).path()));
    if (noRoom) {
        // A database of an earlier version lacking tables of this one, on a
        // disk with room for the log's index and a few pages only.
        CTessaneDb* db = CTessaneDb::instance();
        QVERIFY(db->init(dbFile(), m_dir->filePath(QStringLiteral("data/db"))));
        for (const char* table : {"tb_level", "tb_client_statistics", "tb_withdrawn_delete", "tb_deleted_here"})
            QVERIFY(db->exec(QStringLiteral("DROP TABLE %1;").arg(QLatin1String(table))));
        db->close();
        // The client takes the limit with it when it starts.
        FullDisk disk(36 * 1024);
        QVERIFY(disk.ok());
        startClient();
    } else {
        QFile junk(dbFile());
        QVERIFY(junk.open(QIODevice::WriteOnly) && junk.write(QByteArray(8192, 'x')) == 8192 && junk.flush());
        startClient();
    }
    Window box = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(box, findClientWindow(false)), kPatience);
    // Keys go to the window under the pointer; Return presses the box's OK.
    expectCleanExit([&] { clickAt(box), typeKey(XK_Return); }, 1);
}

void QuitTest::sessionEndsTwiceWithNoRoomKeepsTheWordsInTheFirstFolderThatTakesThem_data()
{
    QTest::addColumn<bool>("homeRefuses");
    QTest::addColumn<bool>("markOnly");
    QTest::newRow("home folder") << false << false;
    QTest::newRow("temporary folder") << true << false;
    QTest::newRow("no room for the mark") << false << true;
}

void QuitTest::sessionEndsTwiceWithNoRoomKeepsTheWordsInTheFirstFolderThatTakesThem()
{
    QFETCH(bool, homeRefuses);
    QFETCH(bool, markOnly);
    QVERIFY(seedBook());
    const bool refused = refuseChapterAndRecoveryFolder(markOnly);
    if (markOnly && !m_mounted)
        QSKIP("needs to mount a file system");
    QVERIFY(refused);
    const QString temp = m_dir->filePath(QStringLiteral("tmp"));
    const QString home = homeRefuses ? m_dir->filePath(QStringLiteral("nohome")) : m_dir->path();
    QVERIFY(QDir().mkpath(temp) && (!homeRefuses || blockWithFile(home)));
    startClient(home, temp);
    Window shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(shelf, findClientWindow(false, kMainTitle)), kPatience);
    QVERIFY(typeIntoTheBook(shelf) != None);
    // A session manager sends more than one signal; nobody is there to answer.
    ::kill(pid_t(m_client.processId()), SIGTERM);
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
    const QMap<QString, QString> kept = keptIn(homeRefuses ? temp : home);
    QCOMPARE(kept.size(), 1);
    QVERIFY(kept.first().contains(QStringLiteral("zqxj")));
    const QString mark = kept.firstKey() + QStringLiteral(".untold");
    QVERIFY(QFile::exists(mark));

    // The next start names the file in a box; once the author closed it,
    // the file is not named again.
    closeTheRecoveryBox(XK_Return, mark, home, temp);
}

void QuitTest::escapeOnTheNoRoomBoxAsksAgainAndAQuitEndsIt_data()
{
    QTest::addColumn<bool>("homeGetsRoom");
    QTest::newRow("the home folder gets room") << true;
    QTest::newRow("no room anywhere") << false;
}

void QuitTest::escapeOnTheNoRoomBoxAsksAgainAndAQuitEndsIt()
{
    QFETCH(bool, homeGetsRoom);
    QVERIFY(seedBook());
    QVERIFY(refuseChapterAndRecoveryFolder());
    const QString home = m_dir->filePath(QStringLiteral("nohome"));
    const QString temp = m_dir->filePath(QStringLiteral("notmp"));
    QVERIFY(blockWithFile(home) && blockWithFile(temp));
    startClient(home, temp);
    Window shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(shelf, findClientWindow(false, kMainTitle)), kPatience);
    QVERIFY(typeIntoTheBook(shelf) != None);
    ::kill(pid_t(m_client.processId()), SIGTERM);
    // No folder takes the words: the author is asked, and Escape asks again.
    Window box = None, again = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(box, findClientWindow(false, kBoxTitle)), kPatience);
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(again, findClientWindow(false, kBoxTitle), box)
                                 || (clickAt(box), typeKey(XK_Escape), false),
                             kPatience);
    // A second signal ends the box, and the quit ends; the words are in the
    // home folder once it has room.
    QVERIFY(!homeGetsRoom || (QFile::remove(home) && QDir().mkpath(home)));
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
    const QMap<QString, QString> kept = keptIn(home);
    QCOMPARE(kept.size(), homeGetsRoom ? 1 : 0);
    QVERIFY(!homeGetsRoom || kept.first().contains(QStringLiteral("zqxj")));
}

void QuitTest::damageTheBackupFindsIsToldBeforeTheQuit_data()
{
    QTest::addColumn<bool>("signedIn");
    QTest::newRow("the bookshelf's close button") << true;
    QTest::newRow("nobody signed in, the tray's quit") << false;
}

void QuitTest::damageTheBackupFindsIsToldBeforeTheQuit()
{
    QFETCH(bool, signedIn);
    QVERIFY(seedBook());
    // Damage in the versions' table, which no start reads.
    int rootPage = 0, pageSize = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
        db.setDatabaseName(dbFile());
        QSqlQuery query(db);
        QVERIFY(db.open() && query.exec(QStringLiteral("select rootpage from sqlite_master where name = 'tb_contentblade';"))
                && query.next());
        rootPage = query.value(0).toInt();
        QVERIFY(query.exec(QStringLiteral("PRAGMA page_size;")) && query.next());
        pageSize = query.value(0).toInt();
        QVERIFY(signedIn || query.exec(QStringLiteral("update tb_sys set lastUid = 0, lastLoginTime = 0;")));
        QVERIFY(query.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE);")));
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("damage"));
    QFile file(dbFile());
    QVERIFY(rootPage > 1 && file.open(QIODevice::ReadWrite) && file.seek(qint64(rootPage - 1) * pageSize));
    QCOMPARE(file.write(QByteArray(pageSize, '\xff')), qint64(pageSize));
    file.close();

    startClient();
    Window shown = None;
    if (signedIn) {
        QTRY_VERIFY_WITH_TIMEOUT(keepFound(shown, findClientWindow(false, kMainTitle)), kPatience);
        clickAt(shown, m_close);
    } else {
        // The sign-in dialog.
        shown = awaitNewWindow({});
        QVERIFY(shown != None);
        Window icon = None;
        QTRY_VERIFY_WITH_TIMEOUT(keepFound(icon, findClientWindow(true)), kPatience);
        clickAt(icon, QPoint(), Button3);
        // The menu takes the keyboard: its last item quits.
        typeKey(XK_Up);
        typeKey(XK_Return);
    }
    // The quit's backup finds the damage and waits for the author to read it.
    const Window box = awaitNewWindow({shown});
    QVERIFY(box != None);
    QCOMPARE(m_client.state(), QProcess::Running);
    expectCleanExit([&] { clickAt(box), typeKey(XK_Return); });
    QCOMPARE(backupCount(), 0);
}

bool QuitTest::unlockAtStart()
{
    // Larger than the tray icon's window before it is embedded.
    const Window startLock = awaitNewWindow({});
    if (startLock == None)
        return false;
    clickAt(startLock, m_lockPassword);
    for (KeySym key : {XK_i, XK_d, XK_l, XK_e, XK_Return})
        typeKey(key);
    return QTest::qWaitFor([&] { return !clientWindows(false).contains(startLock); }, kPatience);
}

const QList<QuitTest::Route>& QuitTest::routes()
{
    using Q = QuitTest;
    // A menu's items from its top, or its last one.
    const auto down = [](int times) {
        QList<KeySym> keys;
        while (times-- > 0)
            keys << XK_Down;
        return keys << XK_Return;
    };
    const QList<KeySym> last{XK_Up, XK_Return};
    const Step bookInfo{&Q::m_cover, Button3, down(2)};
    static const QList<Route> all{
        {"recycle bin", false, {{&Q::m_binButton}}},
        {"delete the book", false, {{&Q::m_cover, Button3, last}}},
        {"create book", false, {{&Q::m_newBook, Button1, down(1)}}},
        {"import rules", false, {{&Q::m_newBook, Button1, last}}},
        {"import chooser", false, {{&Q::m_newBook, Button1, last}, {&Q::m_importConfirm}}},
        {"book information", false, {bookInfo}},
        {"custom cover chooser", false, {bookInfo, {&Q::m_customCover}}},
        {"user information", false, {{&Q::m_userHead}}},
        // The page asks the platform for the author's counts and waits.
        {"personal data", false, {{&Q::m_personalData, Button1, {}, Then::Nothing}}, "/authorcount/getData"},
        {"theme picker", false, {{&Q::m_style}}},
        {"backup folder chooser", false, {{&Q::m_setup}, {&Q::m_backupsTab, Button1, {}, Then::Nothing}, {&Q::m_changeBackups}}},
        {"lock password", false, {{&Q::m_setup}, {&Q::m_safetyTab, Button1, {}, Then::Nothing}, {&Q::m_lockCheck}}},
        // The platform offers it after the start's synchronisation.
        {"online update", false, {{nullptr}}},
        {"font colour", true, {{&Q::m_middle, Button3, down(3)}}},
        {"time machine", true, {{&Q::m_chapterRow, Button3, down(5)}}},
        {"delete the chapter", true, {{&Q::m_chapterRow, Button3, last}}},
        {"delete the volume", true, {{&Q::m_volumeTitle, Button3, last}}},
        {"fee rate", true, {{&Q::m_setMoney}}},
        {"writing settings", true, {{nullptr, Button1, {XK_F11}}}},
        {"editor's theme picker", true, {{&Q::m_skin}}},
        // The panel, its select mode, all selected: its delete asks.
        {"outline's delete question", true,
         {{nullptr, Button1, {XK_F3}, Then::Draws}, {&Q::m_outlineSettings, Button1, {}, Then::Draws},
          {&Q::m_outlineSelectAll, Button1, {}, Then::Draws}, {&Q::m_outlineDelete}}},
    };
    return all;
}

Window QuitTest::openDialog(const QString& dialog, QList<Window>& seen)
{
    const auto route = std::find_if(routes().cbegin(), routes().cend(),
                                    [&dialog](const Route& r) { return dialog == QLatin1String(r.dialog); });
    if (route == routes().cend())
        return None;
    Window over = seen.value(0);
    if (route->writing)
        seen << (over = typeIntoTheBook(over));
    const QList<Step>& steps = route->steps;
    for (int i = 0; i < steps.size() && over != None; ++i) {
        const Step& step = steps.at(i);
        const QPoint next = steps.value(i + 1).at ? this->*steps.value(i + 1).at : QPoint();
        const QImage before = step.then == Then::Draws ? shot(over, next, 16) : QImage();
        if (step.at) {
            clickAt(over, this->*step.at, step.button);
            // A menu pops up at the pointer and takes the keyboard.
            if (!step.keys.isEmpty())
                seen << awaitMenu(seen);
        }
        for (KeySym key : step.keys)
            typeKey(key);
        if (step.then == Then::Opens)
            seen << (over = awaitNewWindow(seen));
        else if (step.then == Then::Draws && !QTest::qWaitFor([&] { return shot(over, next, 16) != before; }, kPatience))
            return None;
    }
    return over;
}

QString QuitTest::writeNovel(int chapters)
{
    const QByteArray body = QStringLiteral("　　雨一直下，他站在窗前很久没有说话。\n").repeated(16).toUtf8();
    QFile file(m_dir->filePath(QStringLiteral("Documents/novel.txt")));
    if (!QDir().mkpath(QFileInfo(file).path()) || !file.open(QIODevice::WriteOnly))
        return QString();
    for (int i = 1; i <= chapters; ++i)
        file.write(QStringLiteral("第%1章 雨夜%1\n").arg(i).toUtf8() + body);
    return file.flush() ? QFileInfo(file).fileName() : QString();
}

bool QuitTest::startImport(Window shelf, const QString& fileName, bool writing)
{
    QList<Window> seen{shelf};
    const Window chooser = openDialog(QStringLiteral("import chooser"), seen);
    if (chooser == None)
        return false;
    // Keys go to the window under the pointer; the chooser's name field has the focus.
    int x = 0, y = 0;
    Window child = None;
    const QPoint middle = place(chooser, QPoint());
    XTranslateCoordinates(m_display, chooser, DefaultRootWindow(m_display), middle.x(), middle.y(), &x, &y, &child);
    XTestFakeMotionEvent(m_display, DefaultScreen(m_display), x, y, CurrentTime);
    for (const QChar c : fileName)
        typeKey(c == QLatin1Char('.') ? KeySym(XK_period) : KeySym(c.unicode()));
    const auto importing = [this] {
        const QString tasks = QStringLiteral("/proc/%1/task/").arg(m_client.processId());
        for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile name(tasks + task + QStringLiteral("/comm"));
            if (name.open(QIODevice::ReadOnly) && name.readAll().trimmed() == "book import")
                return true;
        }
        return false;
    };
    // Return takes the completion first, if one popped up, then the file.
    QElapsedTimer pressed;
    return QTest::qWaitFor([&] {
        if (importing() && (!writing || writesHeld()))
            return true;
        if (clientWindows(false).contains(chooser) && (!pressed.isValid() || pressed.elapsed() > 300))
            typeKey(XK_Return), pressed.start();
        return false;
    }, kPatience);
}

QStringList QuitTest::rows(const QString& sql)
{
    QStringList found;
    const QString error = readRows(dbFile(), sql, found);
    if (!error.isEmpty())
        QTest::qFail(qPrintable(QStringLiteral("unreadable: %1 (%2)").arg(sql, error)), __FILE__, __LINE__);
    return found;
}

bool QuitTest::writesHeld()
{
    QStringList none;
    return !readRows(dbFile(), QStringLiteral("BEGIN IMMEDIATE;"), none).isEmpty();
}

void QuitTest::quitDuringAnImportStoresNothingOfIt_data()
{
    QTest::addColumn<int>("sessionEnds");
    QTest::addColumn<bool>("writing");
    QTest::newRow("session end while the file is cut") << 1 << false;
    QTest::newRow("session end while the book is written") << 1 << true;
    QTest::newRow("session end twice while the book is written") << 2 << true;
    QTest::newRow("the tray's quit while the book is written") << 0 << true;
}

void QuitTest::quitDuringAnImportStoresNothingOfIt()
{
    QFETCH(int, sessionEnds);
    QFETCH(bool, writing);
    // The import's writes outlast the quit's own waits for them.
    QVERIFY(seedBook() && refuse(QStringLiteral("tb_chapter"), QStringLiteral("INSERT"), 15000));
    const QString novel = writeNovel(4000);
    startClient();
    Window shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(shelf, findClientWindow(false, kMainTitle)), kPatience);
    QVERIFY(startImport(shelf, novel, writing));
    for (int i = 0; i < sessionEnds; ++i)
        ::kill(pid_t(m_client.processId()), SIGTERM);
    Window icon = None;
    if (sessionEnds == 0) {
        QTRY_VERIFY_WITH_TIMEOUT(keepFound(icon, findClientWindow(true)), kPatience);
        clickAt(icon, QPoint(), Button3);
    }
    // The tray's menu takes the keyboard: its last item quits.
    expectCleanExit([&] { icon != None && (typeKey(XK_Up), typeKey(XK_Return), true); });
    // No worker ran on into what the exit tore down, and the import left nothing.
    QCOMPARE(QDir(m_dir->filePath(QStringLiteral("logs/crashes"))).entryList(QDir::Files), QStringList());
    QCOMPARE(storedTexts(), QStringLiteral("退出之书:"));
    QCOMPARE(rows(QStringLiteral("select count(*) from tb_chapter union all select count(*) from tb_job where jobType = 1009")),
             QStringList({QStringLiteral("1"), QStringLiteral("0")}));
}

void QuitTest::signOutEndsTheImportAndTheNextAuthorNeverSeesIt()
{
    QVERIFY(seedBook() && refuse(QStringLiteral("tb_chapter"), QStringLiteral("INSERT"), 5000));
    const QString novel = writeNovel(20000);
    const QString authorData = QStringLiteral("select authorId, bookName, status from tb_book union all "
                                              "select count(*), 0, 0 from tb_chapter");
    const QStringList before = rows(authorData);
    // Author B has an account; author A's profile request of the start is
    // held, to be answered "sign in again" while A's import writes, and
    // nothing else of A's gets through.
    QVERIFY(m_platform.start() && m_platform.reset());
    const QString phone = QStringLiteral("13900000002"), secret = QStringLiteral("secret123");
    const int authorB = m_platform.callAs(QStringLiteral("b"), QStringLiteral("/account/register"),
                                          {{QStringLiteral("phone"), phone}, {QStringLiteral("password"), secret}})
                            .value(QStringLiteral("uid")).toInt();
    QVERIFY(authorB > 0 && m_platform.addFault(QStringLiteral("/author/info"), QStringLiteral("code300"), -1)
            && m_platform.addFault(QStringLiteral("*"), QStringLiteral("drop"), 0, -1));
    m_apiBase = m_platform.baseUrl();
    startClient();
    Window shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(shelf, findClientWindow(false, kMainTitle)), kPatience);
    QVERIFY(startImport(shelf, novel, true));
    QTRY_VERIFY_WITH_TIMEOUT(!m_platform.requestsTo(QStringLiteral("/author/info")).isEmpty(), kPatience);
    QVERIFY(m_platform.releaseHeld() && m_platform.clearFaults());
    // B signs in on the page the sign-out left.
    Window signIn = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(signIn, findClientWindow(false, kSignInTitle)), kPatience);
    this->signIn(signIn, phone, secret);
    QList<Window> seen{signIn, None};
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(seen.last(), findClientWindow(false, kMainTitle)), kPatience);
    // B's first tile is the new-book tile, whose menu's last item imports; a
    // book's menu would end with its delete, and Return would confirm it.
    clickAt(seen.last(), m_cover, Button3);
    seen << awaitMenu(seen);
    typeKey(XK_Up);
    typeKey(XK_Return);
    const Window asked = awaitNewWindow(seen);
    QVERIFY(asked != None);
    clickAt(asked);
    typeKey(XK_Return);
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
    // Nothing was done under B's name, and A's books are as they were: the
    // import ended with A's session.
    QCOMPARE(rows(QStringLiteral("select count(*) from tb_job where uid = %1").arg(authorB)), QStringList{QStringLiteral("0")});
    QCOMPARE(rows(authorData), before);
}

void QuitTest::signOutEndsEveryOpenDialog_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<bool>("idleLock");
    QTest::addColumn<QString>("stored");
    // A session end while the sign-out waits for the dialog's loop.
    QTest::addColumn<bool>("quitWhileItWaits");
    // The forgotten password forgets the author too, and a lock asks at
    // every start: there is no shelf to read then.
    for (const bool idleLock : {false, true}) {
        const char* how = idleLock ? "idle lock" : "sign in again";
        const QString shelf = idleLock ? QString() : QStringLiteral("退出之书:");
        for (const Route& route : routes()) {
            QTest::addRow("%s, %s", route.dialog, how) << QString::fromLatin1(route.dialog) << idleLock
                                                        << (route.writing && !idleLock ? shelf + QStringLiteral("　　zqxj") : shelf)
                                                        << false;
        }
    }
    QTest::newRow("start lock, sign in again") << "start lock" << false << QString() << false;
    QTest::newRow("personal data, a session end while the sign-out waits")
        << "personal data" << false << QStringLiteral("退出之书:") << true;
}

void QuitTest::signOutEndsEveryOpenDialog()
{
    QFETCH(QString, dialog);
    QFETCH(bool, idleLock);
    QFETCH(QString, stored);
    QFETCH(bool, quitWhileItWaits);
    const bool atStart = dialog == QLatin1String("start lock");
    const auto route = std::find_if(routes().cbegin(), routes().cend(),
                                    [&dialog](const Route& r) { return dialog == QLatin1String(r.dialog); });
    const QString slowPath = route != routes().cend() ? QLatin1String(route->slowPath) : QString();
    // The idle lock comes after three seconds untouched, over the dialog.
    QVERIFY(seedBook(idleLock ? 4 : atStart ? 1 : 0, false, 3));
    const bool update = dialog == QLatin1String("online update");
    if (!idleLock || update || !slowPath.isEmpty()) {
        // The platform holds the profile request of the start, to answer it
        // "sign in again" once the dialog is open; nothing else gets through
        // but the start's synchronisation, after which an update is offered.
        QVERIFY(m_platform.start() && m_platform.reset());
        QVERIFY(idleLock || m_platform.addFault(QStringLiteral("/author/info"), QStringLiteral("code300"), -1));
        // Late, yet before the request's own ten seconds are up.
        QVERIFY(slowPath.isEmpty() || m_platform.addFault(slowPath, QStringLiteral("ok"), 8000));
        QVERIFY(update ? m_platform.offerUpdate({{QStringLiteral("status"), 1}, {QStringLiteral("name"), QStringLiteral("2.0.0")}})
                       : m_platform.addFault(QStringLiteral("*"), QStringLiteral("drop"), 0, -1));
        m_apiBase = m_platform.baseUrl();
    }
    startClient();
    if (idleLock)
        QVERIFY(unlockAtStart());
    QList<Window> seen{None};
    if (atStart)
        QVERIFY(awaitNewWindow({}) != None);
    else
        QTRY_VERIFY_WITH_TIMEOUT(keepFound(seen.first(), findClientWindow(false, kMainTitle)), kPatience);
    QVERIFY(atStart || openDialog(dialog, seen) != None);
    QTRY_VERIFY_WITH_TIMEOUT(slowPath.isEmpty() || !m_platform.requestsTo(slowPath).isEmpty(), kPatience);
    if (idleLock) {
        // 忘记密码锁 on the lock screen, and OK on its question.
        seen << awaitNewWindow(seen);
        QVERIFY(seen.last() != None);
        clickAt(seen.last(), m_forgotPassword);
        const Window ask = awaitNewWindow(seen);
        QVERIFY(ask != None);
        clickAt(ask);
        typeKey(XK_Return);
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(!m_platform.requestsTo(QStringLiteral("/author/info")).isEmpty(), kPatience);
        QVERIFY(m_platform.releaseHeld());
    }
    if (quitWhileItWaits) {
        // Signed out, its windows gone from the screen, the page still waiting.
        QTRY_VERIFY_WITH_TIMEOUT(findClientWindow(false, kMainTitle) == None, kPatience);
        ::kill(pid_t(m_client.processId()), SIGTERM);
        expectCleanExit();
        QCOMPARE(storedTexts(), stored);
        return;
    }
    // The sign-in alone is on screen, and Enter answers nothing of the author's.
    QTRY_VERIFY_WITH_TIMEOUT(signInAlone(), kPatience);
    // The client goes on (a lock ended unanswered would quit it half a second later).
    QVERIFY(!QTest::qWaitFor([this] { return m_client.state() == QProcess::NotRunning; }, 1000));
    typeKey(XK_Return);
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
    if (!stored.isNull())
        QCOMPARE(storedTexts(), stored);
}

void QuitTest::secondSubmitWhileTheSignInWaitsSendsNothing_data()
{
    // The request the platform takes its time over, the password sent, and
    // what is typed over the phone and the password (empty: nothing) before
    // the second submit, Enter or a click on 登录.
    QTest::addColumn<QString>("slow");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QStringList>("again");
    QTest::addColumn<bool>("click");
    const QStringList same{QString(), QString()};
    QTest::newRow("Enter again") << kSignIn << kDemoPassword << same << false;
    QTest::newRow("登录 clicked again") << kSignIn << kDemoPassword << same << true;
    QTest::newRow("another author, Enter") << kSignIn << kDemoPassword << QStringList{"13900000000", "another1"} << false;
    QTest::newRow("the refused password corrected, Enter") << kSignIn << "wrongpass" << QStringList{QString(), kDemoPassword} << false;
    QTest::newRow("first sign-in, its profile slow, Enter again") << "/author/info" << kDemoPassword << same << false;
}

void QuitTest::secondSubmitWhileTheSignInWaitsSendsNothing()
{
    QFETCH(QString, slow);
    QFETCH(QString, password);
    QFETCH(QStringList, again);
    QFETCH(bool, click);
    const bool refused = password != kDemoPassword;
    // The second submit comes long before the answer.
    const Window dialog = startAtSignIn({{slow, 4000}});
    QVERIFY(dialog != None);
    signIn(dialog, kDemoPhone, password);
    QTRY_VERIFY_WITH_TIMEOUT(!m_platform.requestsTo(slow).isEmpty(), kPatience);
    for (int i = 0; i < 2; ++i) {
        if (!again.at(i).isEmpty())
            typeOver(dialog, i == 0 ? QStringLiteral("Widget_Login/lineEditAccount") : QStringLiteral("Widget_Login/lineEditPwd"), again.at(i));
    }
    click ? clickAt(dialog, signInPlace(QStringLiteral("Widget_Login/btnLogin"))) : typeKey(XK_Return);
    if (refused) {
        // The fields kept what was sent; the correction goes once the
        // refusal is told under them.
        const QPoint told = signInPlace(QStringLiteral("Widget_Login/labelError@start"));
        const QImage blank = shot(dialog, told, 16);
        QVERIFY(QTest::qWaitFor([&] { return shot(dialog, told, 16) != blank; }, kPatience));
        typeOver(dialog, QStringLiteral("Widget_Login/lineEditPwd"), kDemoPassword);
        typeKey(XK_Return);
    }
    // Signed in by the first sign-in; after a refusal, by the corrected one.
    Window shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(shelf, findClientWindow(false, kMainTitle)), kPatience);
    const QList<QJsonObject> signIns = m_platform.requestsTo(kSignIn);
    QCOMPARE(signIns.size(), refused ? 2 : 1);
    for (const QJsonObject& request : signIns)
        QCOMPARE(StandinServer::bodyOf(request).value(QStringLiteral("phone")).toString(), kDemoPhone);
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
}

void QuitTest::signInWhileAPasswordResetWaitsEndsCleanly()
{
    // The reset is made at once and answered only when the test says.
    const QString reset = QStringLiteral("/account/forgetPassword");
    const Window dialog = startAtSignIn({{reset, -1}});
    QVERIFY(dialog != None);
    QVERIFY(switchPage(dialog, QStringLiteral("Widget_Login/btnGotoForgetPwd"), QStringLiteral("Widget_ForgetPwd/btnResetPwd")));
    for (const char* field : {"lineEditAccount", "lineEditCode", "lineEditPwd", "lineEditPwdV"}) {
        typeOver(dialog, QStringLiteral("Widget_ForgetPwd/") + QLatin1String(field),
                 field == QLatin1String("lineEditAccount") ? kDemoPhone : QStringLiteral("renewed1"));
    }
    clickAt(dialog, signInPlace(QStringLiteral("Widget_ForgetPwd/btnResetPwd")));
    QTRY_VERIFY_WITH_TIMEOUT(!m_platform.requestsTo(reset).isEmpty(), kPatience);
    // 去登录 while the reset waits, and a sign-in with the new password.
    QVERIFY(switchPage(dialog, QStringLiteral("Widget_ForgetPwd/btnGotoLogin"), QStringLiteral("Widget_Login/checkBoxAuto")));
    signIn(dialog, kDemoPhone, QStringLiteral("renewed1"));
    Window shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(shelf, findClientWindow(false, kMainTitle)), kPatience);
    // The reset's answer comes once the sign-in's dialog is gone.
    XWindowAttributes attributes;
    QTRY_VERIFY_WITH_TIMEOUT(!XGetWindowAttributes(m_display, dialog, &attributes), kPatience);
    QVERIFY(m_platform.releaseHeld());
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
}

void QuitTest::lateSignInAgainOfAnEndedSessionLeavesTheNextOneAlone()
{
    QVERIFY(seedBook());
    // The start's profile request ends the session at once; the look-up of
    // the book's creation (which may have reached the platform), sent with
    // it, is answered the same way after the author has signed in again.
    const QString lookUp = QStringLiteral("/books/booksList");
    const QString signInAgain = QStringLiteral("code300");
    const Window dialog = startAtSignIn({{QStringLiteral("/author/info"), 0, signInAgain}, {lookUp, -1, signInAgain}});
    QVERIFY(dialog != None);
    QTRY_VERIFY_WITH_TIMEOUT(!m_platform.requestsTo(lookUp).isEmpty(), kPatience);
    signIn(dialog, kDemoPhone, kDemoPassword);
    Window shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(shelf, findClientWindow(false, kMainTitle)), kPatience);
    QVERIFY(m_platform.releaseHeld());
    // The late answer reaches nobody: the book's creation goes in this
    // session, which stays.
    QTRY_VERIFY_WITH_TIMEOUT(!m_platform.requestsTo(QStringLiteral("/books/addBook")).isEmpty()
                                 || findClientWindow(false, kSignInTitle) != None,
                             kPatience);
    QCOMPARE(findClientWindow(false, kSignInTitle), Window(None));
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
}

void QuitTest::recoveredWordsAreToldOnlyToTheirAuthor()
{
    QVERIFY(seedBook());
    QVERIFY(refuse(QStringLiteral("tb_chapter"), QStringLiteral("UPDATE")));
    QVERIFY(holdSignInAgain());
    startClient();
    Window shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(shelf, findClientWindow(false, kMainTitle)), kPatience);
    QVERIFY(typeIntoTheBook(shelf) != None);
    // The platform signs the author out; the words no save took go to a file.
    QTRY_VERIFY_WITH_TIMEOUT(!m_platform.requestsTo(QStringLiteral("/author/info")).isEmpty(), kPatience);
    QVERIFY(m_platform.releaseHeld());
    QTRY_VERIFY_WITH_TIMEOUT(signInAlone(), kPatience);
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
    const QMap<QString, QString> kept = keptIn(recoveryFolder());
    QCOMPARE(kept.size(), 1);
    QVERIFY(kept.first().contains(QStringLiteral("zqxj")));
    const QString mark = kept.firstKey() + QStringLiteral(".untold");
    QVERIFY(QFile::exists(mark));

    // Another author signs in on this machine: no box names the file. The
    // memo list opens after whatever the start shows with the bookshelf.
    QVERIFY(rows(QStringLiteral("DROP TRIGGER refuse;")).isEmpty());
    m_apiBase.clear();
    QVERIFY(rememberAuthor(10002));
    startClient();
    shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(shelf, findClientWindow(false, kMainTitle)), kPatience);
    QVERIFY(awaitNewWindow({shelf}, QSize(300, 150), [&] { clickAt(shelf, m_memo); }) != None);
    QVERIFY(clientWindows(false, kBoxTitle).isEmpty());
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
    QVERIFY(QFile::exists(mark));

    // The author signs in again: the box names the file until the author closes it.
    QVERIFY(rememberAuthor(10001));
    // Escape reads the box too, and does nothing to the bookshelf behind it.
    closeTheRecoveryBox(XK_Escape, mark);
}

void QuitTest::unconfirmedChapterNameIsNotStored_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("ending");
    for (const char* box : {"rename", "new chapter"}) {
        for (const char* ending : {"session end", "sign-out", "Escape"})
            QTest::addRow("%s, %s", box, ending) << QString::fromLatin1(box) << QString::fromLatin1(ending);
    }
    QTest::newRow("volume, session end") << "volume" << "session end";
    // Another program's window or menu takes the keyboard.
    for (const char* box : {"rename", "new chapter", "volume"}) {
        for (const char* ending : {"another window", "menu"})
            QTest::addRow("%s, %s", box, ending) << QString::fromLatin1(box) << QString::fromLatin1(ending);
    }
}

void QuitTest::unconfirmedChapterNameIsNotStored()
{
    QFETCH(QString, box);
    QFETCH(QString, ending);
    QVERIFY(seedBook());
    const bool newChapter = box == QLatin1String("new chapter");
    const bool volume = box == QLatin1String("volume");
    const QString volumeNames = QStringLiteral("select volumeName from tb_volume order by localId;");
    const QStringList volumesBefore = rows(volumeNames);
    const bool signOut = ending == QLatin1String("sign-out");
    QVERIFY(!signOut || holdSignInAgain());
    const Window writing = startWriting();
    QVERIFY(writing != None);
    // The menu takes the keyboard: the third item of a chapter's renames it,
    // the second makes a new chapter below, to be named at once; the third
    // of a volume's renames the volume.
    // The box is open once its border shows; the letters typed take the
    // place of the name.
    const QPoint row(0, newChapter ? m_rowStep : 0);
    const QPoint border = (volume ? m_volumeNameBox : m_nameBox) + row;
    const QPoint letter = (volume ? m_volumeNameLetter : m_nameLetter) + row;
    const QColor drawn(0x34, 0x70, 0xff);
    // On a slow build the gesture can meet the tree still taking in the book
    // it loaded, and nothing opens; a rename has no other effect, so the
    // author tries it again, as one would. A new chapter is made once.
    bool opened = false;
    for (int tries = newChapter ? 1 : 3; tries > 0 && !opened; --tries) {
        clickAt(writing, volume ? m_volumeTitle : m_chapterRow, Button3);
        QVERIFY(awaitMenu({writing}) != None);
        for (int i = newChapter ? 2 : 3; i > 0; --i)
            typeKey(XK_Down);
        typeKey(XK_Return);
        opened = QTest::qWaitFor([&] { return shot(writing, border).pixelColor(0, 0) == drawn; },
                                 tries > 1 ? kPatience / 4 : kPatience);
        if (!opened)
            typeKey(XK_Escape);  // a menu the keys missed
    }
    QVERIFY2(opened, "the name's box did not open");
    const QImage name = shot(writing, letter, 8);
    typeKey(XK_z);
    typeKey(XK_q);
    QTRY_VERIFY_WITH_TIMEOUT(shot(writing, letter, 8) != name, kPatience);
    if (ending == QLatin1String("Escape")) {
        typeKey(XK_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(shot(writing, border).pixelColor(0, 0) != drawn, kPatience);
    } else if (ending == QLatin1String("another window") || ending == QLatin1String("menu")) {
        // Another program's window takes the keyboard, as a window manager
        // gives it to the window clicked; or its menu, a window no manager
        // places, grabs it.
        const bool menu = ending == QLatin1String("menu");
        XSetWindowAttributes how;
        how.override_redirect = menu ? True : False;
        const Window other = XCreateWindow(m_display, DefaultRootWindow(m_display), 0, 0, 200, 200, 0, CopyFromParent,
                                           InputOutput, CopyFromParent, CWOverrideRedirect, &how);
        const auto gone = qScopeGuard([&] {
            XUngrabKeyboard(m_display, CurrentTime);
            XDestroyWindow(m_display, other);
            XSync(m_display, False);
        });
        XMapRaised(m_display, other);
        XWindowAttributes shown;
        QTRY_VERIFY_WITH_TIMEOUT(XGetWindowAttributes(m_display, other, &shown) && shown.map_state == IsViewable, kPatience);
        if (menu)
            QCOMPARE(XGrabKeyboard(m_display, other, False, GrabModeAsync, GrabModeAsync, CurrentTime), GrabSuccess);
        else
            XSetInputFocus(m_display, other, RevertToPointerRoot, CurrentTime);
        QTRY_VERIFY_WITH_TIMEOUT(shot(writing, border).pixelColor(0, 0) != drawn, kPatience);
    } else if (signOut) {
        QTRY_VERIFY_WITH_TIMEOUT(!m_platform.requestsTo(QStringLiteral("/author/info")).isEmpty(), kPatience);
        QVERIFY(m_platform.releaseHeld());
        QTRY_VERIFY_WITH_TIMEOUT(signInAlone(), kPatience);
    }
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
    // The names as they were, and no rename for the platform.
    QCOMPARE(rows(QStringLiteral("select name from tb_chapter order by localId;")).join(QLatin1Char(',')),
             QString::fromUtf8(newChapter ? "第一章,第二章 " : "第一章"));
    QCOMPARE(rows(volumeNames), volumesBefore);
    QCOMPARE(rows(QStringLiteral("select count(*) from tb_job where jobType in (1015, 1032);")), QStringList{"0"});
}

void QuitTest::forcedSignOutKeepsTheKeysTypedBeforeIt_data()
{
    QTest::addColumn<bool>("refused");
    QTest::newRow("stored") << false;
    QTest::newRow("database refuses") << true;
}

void QuitTest::forcedSignOutKeepsTheKeysTypedBeforeIt()
{
    QFETCH(bool, refused);
    QVERIFY(seedBook());
    QVERIFY(!refused || refuse(QStringLiteral("tb_chapter"), QStringLiteral("UPDATE")));
    QVERIFY(holdSignInAgain());
    startClient();
    Window shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(shelf, findClientWindow(false, kMainTitle)), kPatience);
    QVERIFY(typeIntoTheBook(shelf) != None);
    QTRY_VERIFY_WITH_TIMEOUT(!m_platform.requestsTo(QStringLiteral("/author/info")).isEmpty(), kPatience);
    // Another program takes the clipboard. Shift+Home selects the line,
    // which the client offers as the X selection once it has taken what
    // came before; End leaves the selection.
    ClipboardHolder holder;
    QVERIFY(holder.owns());
    const Window selectionBefore = XGetSelectionOwner(m_display, XA_PRIMARY);
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, XK_Shift_L), True, CurrentTime);
    typeKey(XK_Home);
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, XK_Shift_L), False, CurrentTime);
    QTRY_VERIFY_WITH_TIMEOUT(XGetSelectionOwner(m_display, XA_PRIMARY) != selectionBefore, kPatience);
    typeKey(XK_End);
    // Ctrl+V: the editor asks the clipboard, which does not answer; the
    // client takes no event until it gives up (five seconds), while the
    // fourteen keys and then the reply reach it. The reply is handled first.
    holder.holdNext();
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, XK_Control_L), True, CurrentTime);
    typeKey(XK_v);
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, XK_Control_L), False, CurrentTime);
    QTRY_VERIFY_WITH_TIMEOUT(holder.holds(), kPatience);
    for (KeySym key : {XK_a, XK_b, XK_c, XK_d, XK_e, XK_f, XK_g, XK_h, XK_i, XK_k, XK_l, XK_m, XK_n, XK_o})
        typeKey(key);
    QVERIFY(m_platform.releaseHeld());
    QTRY_VERIFY_WITH_TIMEOUT(signInAlone(), kPatience);
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
    const QString kept = refused ? QStringList(keptIn(recoveryFolder()).values()).join(QString()) : storedTexts();
    QVERIFY2(kept.contains(QStringLiteral("zqxjabcdefghiklmno")), qPrintable(kept));
}

bool QuitTest::switchSoundsOn()
{
    return changeStoredConf([](T_SystemConf& conf) { conf.isSound = 1; });
}

bool QuitTest::changeStoredConf(const std::function<void(T_SystemConf&)>& change)
{
    T_UserConf conf;
    if (!storedConf(conf))
        return false;
    change(conf.systemConf);
    CTessaneDb* db = CTessaneDb::instance();
    const bool stored = db->init(dbFile(), m_dir->filePath(QStringLiteral("data/db"))) && db->updateUserConf(conf);
    db->close();
    return stored;
}

int QuitTest::soundStreams()
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")});
    if (!pactl.waitForFinished(kPatience) || pactl.exitStatus() != QProcess::NormalExit || pactl.exitCode() != 0)
        return -1;
    return pactl.readAllStandardOutput().count('\n');
}

void QuitTest::typingWithSoundsKeepsEveryKey()
{
    // CTest runs this once with no sound server and once with one of the
    // tests' own, which must then be there.
    QCOMPARE(SoundServer::answers(kPatience), qEnvironmentVariableIsSet("TEST_SOUND_SERVER"));
    QVERIFY(seedBook());
    QVERIFY(switchSoundsOn());
    // The editor has the keyboard, and its keys sound.
    QVERIFY(startWriting() != None);
    // Every line sounds all three kinds: letters, a letter taken back, Enter.
    constexpr int lines = 30;
    for (int line = 0; line < lines; ++line) {
        for (KeySym key : {XK_s, XK_o, XK_u, XK_n, XK_d, XK_l, XK_i, XK_n, XK_e, XK_x, XK_BackSpace, XK_Return})
            typeKey(key);
    }
    // The three sounds play into the server, when there is one; the
    // chapter's auto-save stores every key meanwhile; then the session ends.
    // A client that ended by itself fails at once.
    const auto ended = [this] { return m_client.state() == QProcess::NotRunning; };
    if (qEnvironmentVariableIsSet("TEST_SOUND_SERVER"))
        QTRY_VERIFY_WITH_TIMEOUT(ended() || soundStreams() == 3, kPatience);
    const auto linesStored = [this] {
        return rows(QStringLiteral("select content from tb_chapter_text")).join(QString()).count(QStringLiteral("soundline"));
    };
    QTRY_VERIFY_WITH_TIMEOUT(ended() || linesStored() == lines, kPatience);
    QVERIFY2(!ended(), "the client ended by itself");
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
    const QString stored = storedTexts();
    QVERIFY2(stored.count(QStringLiteral("soundline")) == lines && !stored.contains(QLatin1Char('x')), qPrintable(stored));
}

void QuitTest::aWindowManagersCloseDoesWhatTheSettingSays_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("taskBar");
    QTest::addColumn<bool>("toTray");
    for (const char* window : {"bookshelf", "writing window"}) {
        for (const bool taskBar : {false, true}) {
            for (const bool toTray : {false, true})
                QTest::addRow("%s, %s, %s", window, taskBar ? "a task bar's close" : "Alt+F4",
                              toTray ? "最小化到托盘" : "退出程序")
                    << QString::fromLatin1(window) << taskBar << toTray;
        }
    }
    // Nobody signed in: closing the sign-in ends the program, as its × does;
    // so does closing the lock of the start.
    for (const char* window : {"sign-in", "start lock"}) {
        for (const bool taskBar : {false, true})
            QTest::addRow("%s, %s", window, taskBar ? "a task bar's close" : "Alt+F4")
                << QString::fromLatin1(window) << taskBar << false;
    }
}

void QuitTest::aWindowManagersCloseDoesWhatTheSettingSays()
{
    QFETCH(QString, window);
    QFETCH(bool, taskBar);
    QFETCH(bool, toTray);
    const bool signIn = window == QLatin1String("sign-in");
    const bool writing = window == QLatin1String("writing window");
    const bool lock = window == QLatin1String("start lock");
    QVERIFY(signIn || (seedBook(lock ? 1 : 0) && changeStoredConf([toTray](T_SystemConf& conf) { conf.isTray = toTray ? 1 : 0; })));
    startClient();
    Window shown = None;
    const QString title = signIn ? kSignInTitle : lock ? QStringLiteral("密码锁") : kMainTitle;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(shown, findClientWindow(false, title)), kPatience);
    // A desktop's window manager: Alt+F4 closes the window it gave the keys
    // to; a task bar asks it to close a window it names.
    WindowManagerProbe manager;
    QVERIFY(manager.ensureWindowManager(shown));
    if (writing) {
        shown = openBook(shown);
        QVERIFY(shown != None && manager.ensureWindowManager(shown));
    }
    // The author sees the window with the keys, then types and closes it.
    XSetInputFocus(m_display, shown, RevertToPointerRoot, CurrentTime);
    XSync(m_display, False);
    QTRY_COMPARE_WITH_TIMEOUT(WindowManagerProbe::activeWindow(), shown, kPatience);
    if (writing) {
        clickAt(shown);
        for (KeySym key : {XK_z, XK_q, XK_x, XK_j})
            typeKey(key);
    }
    const Window root = DefaultRootWindow(m_display);
    if (taskBar) {
        XEvent close{};
        close.xclient.type = ClientMessage;
        close.xclient.window = shown;
        close.xclient.message_type = XInternAtom(m_display, "_NET_CLOSE_WINDOW", False);
        close.xclient.format = 32;
        close.xclient.data.l[0] = CurrentTime;
        close.xclient.data.l[1] = 2;
        XSendEvent(m_display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &close);
        XSync(m_display, False);
    } else {
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, XK_Alt_L), True, CurrentTime);
        typeKey(XK_F4);
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, XK_Alt_L), False, CurrentTime);
        XSync(m_display, False);
    }
    const QString words = writing ? QStringLiteral("退出之书:　　zqxj") : QStringLiteral("退出之书:");
    if (!toTray) {
        // A quit as the program's own × quits: saved, backed up, ended with 0.
        expectCleanExit();
        if (QTest::currentTestFailed())
            return;
        // (Read here, the lock's stored settings would ask for its password.)
        QVERIFY(signIn || ((lock || storedTexts() == words) && backupCount() == 1));
        return;
    }
    // To the tray: the window goes, the icon stays and brings it back.
    Window icon = None;
    QTRY_VERIFY_WITH_TIMEOUT(keepFound(icon, findClientWindow(true)) && clientWindows(false).isEmpty(), kPatience);
    clickAt(icon);
    QTRY_VERIFY_WITH_TIMEOUT(clientWindows(false, kMainTitle) == QList<Window>{shown}, kPatience);
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
    QCOMPARE(storedTexts(), words);
}

QTEST_MAIN(QuitTest)
#include "tst_quit.moc"

// Every way out of the real program, on an X server with a tray host: the
// client runs as a child process, driven through the server's test extension
// as a user's mouse and keyboard would, and must end with status 0.

#include "common/StyleType.h"
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
#include "ui/bookshelf/Widget_BookShelfList.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/creation/memo/MemoItemManager.h"
#include "ui/creation/memo/MemoListWidget.h"

#include <QDirIterator>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QX11Info>
#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <csignal>
#include <functional>

class QuitTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void trayMenuQuitEndsCleanly();
    void bookshelfCloseButtonEndsCleanly();
    void sessionEndKeepsTheWordsJustTyped_data();
    void sessionEndKeepsTheWordsJustTyped();
    void sessionEndKeepsTheMemoJustTyped_data();
    void sessionEndKeepsTheMemoJustTyped();
    void startFailureBoxEndsCleanly();

private:
    // The author remembered with a sign-in and one book, made by this process
    // as the client makes them; its bookshelf tells where the book's cover
    // and the close button are (the same window size as the client's).
    bool seedBook();
    // The first chapter of each book and every memo, as stored.
    QString storedTexts();
    QString recoveredText() const;
    QString dbFile() const { return m_dir->filePath(QStringLiteral("data/Tessane/vellora-client/data/db/wrt.db")); }
    void startClient();
    // Repeats the author's action, if any, until the client has ended, which it must do cleanly.
    void expectCleanExit(const std::function<void()>& action = {});
    int backupCount() const;
    // The client's viewable window: a top-level one, or the one the tray host
    // embedded; none of the known ones.
    Window findClientWindow(bool embedded, const QList<Window>& known = {}) const;
    // A new top-level window of the client's, none of the known ones, once
    // two looks 50 ms apart find it (a starting client maps some windows
    // for a moment only); nudge runs while there is none.
    Window settledClientWindow(const QList<Window>& known, const std::function<void()>& nudge = {});
    // At a point of the window; a null point is its centre, a negative x counts from its right edge.
    void clickAt(Window window, QPoint position = QPoint(), unsigned button = Button1);
    void typeKey(KeySym key);

    Display* m_display = nullptr;
    QProcess m_trayHost;
    QScopedPointer<QTemporaryDir> m_dir;
    QProcess m_client;
    QPoint m_cover;
    QPoint m_close;
    // 便签 on the bookshelf, and + on the memo list it opens.
    QPoint m_memo;
    QPoint m_addMemo;
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
    CQssManager::instance()->setQssStyle(StyleLight, QStringLiteral(":/res/qss/light.qss"));
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
}

void QuitTest::cleanup()
{
    m_client.kill();
    m_client.waitForFinished(5000);
}

bool QuitTest::seedBook()
{
    m_cover = QPoint();
    CTessaneDb* db = CTessaneDb::instance();
    const QString programDb = m_dir->filePath(QStringLiteral("data/db"));
    if (!QDir().mkpath(QFileInfo(dbFile()).path()) || !db->init(dbFile(), programDb))
        return false;
    TS_Author_Info user;
    user.uid = 10001;
    user.token = QStringLiteral("token");
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
        auto* close = shelf->findChild<QPushButton*>(QStringLiteral("btn_close"));
        const QPoint centre = close->mapTo(shelf, close->rect().center());
        m_close = centre - QPoint(shelf->width(), 0);
        auto* memo = shelf->findChild<QAbstractButton*>(QStringLiteral("btnMemo"));
        m_memo = memo->mapTo(shelf, memo->rect().center());
        MemoItemManager::instance()->showMemoList(shelf);
        MemoListWidget* list = MemoItemManager::instance()->memoList();
        auto* add = list->findChild<QAbstractButton*>(QStringLiteral("btnAddMemo"));
        m_addMemo = add->mapTo(list, add->rect().center());
    }
    // The client takes the file and the boss key over.
    CUiManager::instance()->setBoosKey(QString());
    CUiManager::instance()->shutdown();
    CJobManager::instance()->close();
    return !m_cover.isNull();
}

QString QuitTest::storedTexts()
{
    CJobManager* jobs = CJobManager::instance();
    QString text;
    if (jobs->init(dbFile(), m_dir->filePath(QStringLiteral("data/db")))) {
        for (T_Book* book : CPublicManager::instance()->bookList) {
            if (jobs->getChapters(book) && !book->chapterList.isEmpty()
                && jobs->getChapterContent(book->chapterList.first()))
                text += book->chapterList.first()->content;
        }
        for (const T_Memo* memo : CPublicManager::instance()->memoList)
            text += memo->content;
    }
    CUiManager::instance()->shutdown();
    jobs->close();
    return text;
}

QString QuitTest::recoveredText() const
{
    QString text;
    QDirIterator it(m_dir->filePath(QStringLiteral("data")), {QStringLiteral("*.txt")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll());
    }
    return text;
}

void QuitTest::startClient()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_dir->path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir->filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->filePath(QStringLiteral("config")));
    // Without a status-notifier service the tray icon is a window embedded in the tray host's.
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    m_client.setProcessEnvironment(env);
    m_client.setProgram(m_dir->filePath(QStringLiteral("vellora-client")));
    m_client.setProcessChannelMode(QProcess::ForwardedChannels);
    m_client.start();
    QVERIFY(m_client.waitForStarted());
}

void QuitTest::expectCleanExit(const std::function<void()>& action)
{
    QTRY_VERIFY_WITH_TIMEOUT(m_client.state() == QProcess::NotRunning || (action && (action(), false)), 30000);
    QCOMPARE(m_client.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_client.exitCode(), 0);
}

int QuitTest::backupCount() const
{
    int count = 0;
    QDirIterator it(m_dir->filePath(QStringLiteral("Documents")), {QStringLiteral("*.db")}, QDir::Files,
                    QDirIterator::Subdirectories);
    for (; it.hasNext(); it.next())
        ++count;
    return count;
}

Window QuitTest::findClientWindow(bool embedded, const QList<Window>& known) const
{
    const Atom pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
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
    std::function<Window(Window, bool)> search = [&](Window window, bool inside) -> Window {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(m_display, window, &attributes) || attributes.map_state != IsViewable)
            return None;
        const qint64 pid = pidOf(window);
        if (pid == m_client.processId() && inside == embedded && !known.contains(window))
            return window;
        Window root = None, parent = None, *children = nullptr;
        unsigned int count = 0;
        Window hit = None;
        if (XQueryTree(m_display, window, &root, &parent, &children, &count)) {
            for (unsigned int i = 0; i < count && hit == None; ++i)
                hit = search(children[i], inside || (pid != 0 && pid != m_client.processId()));
            XFree(children);
        }
        return hit;
    };
    return search(DefaultRootWindow(m_display), false);
}

Window QuitTest::settledClientWindow(const QList<Window>& known, const std::function<void()>& nudge)
{
    QElapsedTimer waited;
    waited.start();
    Window last = None;
    while (waited.elapsed() < 30000) {
        const Window found = findClientWindow(false, known);
        if (found != None && found == last)
            return found;
        if (found == None && nudge)
            nudge();
        last = found;
        QTest::qWait(50);
    }
    return None;
}

void QuitTest::clickAt(Window window, QPoint position, unsigned button)
{
    XWindowAttributes attributes;
    XGetWindowAttributes(m_display, window, &attributes);
    if (position.isNull())
        position = QPoint(attributes.width / 2, attributes.height / 2);
    else if (position.x() < 0)
        position.rx() += attributes.width;
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

void QuitTest::trayMenuQuitEndsCleanly()
{
    startClient();
    Window icon = None;
    QTRY_VERIFY_WITH_TIMEOUT((icon = findClientWindow(true)) != None, 15000);
    clickAt(icon, QPoint(), Button3);
    // The menu pops up at the pointer and takes the keyboard: its last item quits.
    expectCleanExit([this] { typeKey(XK_Up), typeKey(XK_Return); });
    QCOMPARE(backupCount(), 1);
}

void QuitTest::bookshelfCloseButtonEndsCleanly()
{
    QVERIFY(seedBook());
    startClient();
    Window shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT((shelf = findClientWindow(false)) != None, 15000);
    expectCleanExit([&] { clickAt(shelf, m_close); });
    QCOMPARE(backupCount(), 1);
}

void QuitTest::sessionEndKeepsTheWordsJustTyped_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void QuitTest::sessionEndKeepsTheWordsJustTyped()
{
    QFETCH(int, signalNumber);
    QVERIFY(seedBook());
    startClient();
    Window shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT((shelf = findClientWindow(false)) != None, 15000);
    // The book opens in the writing window, which takes the bookshelf's place.
    Window writing = None;
    QTRY_VERIFY_WITH_TIMEOUT(((writing = findClientWindow(false)) != None && writing != shelf)
                                 || (clickAt(shelf, m_cover), false),
                             15000);
    // Typed into the editor, and the session ends at once: the quit saves
    // what the editor holds, also what it took after the quit began.
    clickAt(writing);
    for (KeySym key : {XK_z, XK_q, XK_x, XK_j})
        typeKey(key);
    ::kill(pid_t(m_client.processId()), signalNumber);
    expectCleanExit();
    QVERIFY(storedTexts().contains(QStringLiteral("zqxj")));
    QCOMPARE(backupCount(), 1);
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
    if (refused) {
        // As a failing disk would: every new memo row is refused.
        CTessaneDb* db = CTessaneDb::instance();
        QVERIFY(db->init(dbFile(), m_dir->filePath(QStringLiteral("data/db"))));
        QVERIFY(db->newQuery().exec(QStringLiteral(
            "CREATE TRIGGER refuse BEFORE INSERT ON tb_memo BEGIN SELECT RAISE(ABORT, 'disk says no'); END;")));
        db->close();
    }
    startClient();
    const Window shelf = settledClientWindow({});
    QVERIFY(shelf != None);
    const Window list = settledClientWindow({shelf}, [&] { clickAt(shelf, m_memo); });
    QVERIFY(list != None);
    // One click: each opens another memo window.
    clickAt(list, m_addMemo);
    const Window memo = settledClientWindow({shelf, list});
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
    QTRY_VERIFY_WITH_TIMEOUT(focused() == list || (clickAt(list), false), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(focused() == memo || (clickAt(memo), false), 30000);
    // The first key creates the memo, the others change it in memory only;
    // then the session ends.
    for (KeySym key : {XK_z, XK_q, XK_x, XK_j})
        typeKey(key);
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
    QVERIFY((refused ? recoveredText() : storedTexts()).contains(QStringLiteral("zqxj")));
}

void QuitTest::startFailureBoxEndsCleanly()
{
    // A file that is no database: the start fails and says so in a box.
    QFile junk(dbFile());
    QVERIFY(QDir().mkpath(QFileInfo(dbFile()).path()) && junk.open(QIODevice::WriteOnly)
            && junk.write(QByteArray(8192, 'x')) == 8192 && junk.flush());
    startClient();
    Window box = None;
    QTRY_VERIFY_WITH_TIMEOUT((box = findClientWindow(false)) != None, 15000);
    // Keys go to the window under the pointer; Return presses the box's OK.
    expectCleanExit([&] { clickAt(box), typeKey(XK_Return); });
}

QTEST_MAIN(QuitTest)
#include "tst_quit.moc"

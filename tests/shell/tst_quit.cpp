// Every way out of the real program, on an X server with a tray host: the
// client runs as a child process, driven through the server's test extension
// as a user's mouse and keyboard would, and must end with status 0.

#include "common/StyleType.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_Chapter.h"
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

#include <QDir>
#include <QListView>
#include <QPushButton>
#include <QDirIterator>
#include <QProcess>
#include <QX11Info>
#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <csignal>

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
    void sessionEndSignalsSaveBackUpAndEndCleanly_data();
    void sessionEndSignalsSaveBackUpAndEndCleanly();
    void sessionEndKeepsTheWordsJustTyped();
    void startFailureBoxEndsCleanly();

private:
    void startClient();
    // An author remembered with a sign-in, in the database the client opens.
    bool seedSignedIn();
    // Where the bookshelf's close button is, from the window's top-right corner.
    QPoint closeButtonFromTopRight() const;
    // The author with one book, made as the client makes one; where its
    // cover is in the bookshelf, from the window's top-left corner.
    QPoint seedBook();
    // The text of the book's first chapter as the client stored it.
    QString storedChapterText();
    QString dbFolder() const { return m_dir->filePath(QStringLiteral("data/Tessane/vellora-client/data/db")); }
    bool waitForLog(const QString& text) const;
    void expectCleanExit();
    QStringList backups() const;
    // The client's viewable windows: top-level ones, or the one the tray host embedded.
    Window findClientWindow(bool embedded) const;
    void moveTo(Window window, int x, int y);
    void clickAt(Window window, unsigned button);
    void clickAt(Window window, const QPoint& position);
    void typeKey(KeySym key);

    Display* m_display = nullptr;
    QProcess m_trayHost;
    QScopedPointer<QTemporaryDir> m_dir;
    QProcess m_client;
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
    // An ordinary desktop has a tray: the program's tray icon then lives in a
    // window of another program, and must be gone before the program ends.
    const Atom tray = XInternAtom(m_display, "_NET_SYSTEM_TRAY_S0", False);
    if (XGetSelectionOwner(m_display, tray) == None) {
        m_trayHost.start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("bottom")});
        QVERIFY2(m_trayHost.waitForStarted(), "no tray host: scripts/install-deps.sh installs trayer");
        QTRY_VERIFY_WITH_TIMEOUT(XGetSelectionOwner(m_display, tray) != None, 10000);
    }
}

void QuitTest::cleanupTestCase()
{
    if (m_trayHost.state() != QProcess::NotRunning) {
        m_trayHost.terminate();
        m_trayHost.waitForFinished(5000);
    }
    if (m_display)
        XCloseDisplay(m_display);
}

void QuitTest::init()
{
    // A private copy gives the client its own program directory (logs,
    // settings) and its own single-instance name.
    m_dir.reset(new QTemporaryDir);
    const QString exe = m_dir->filePath(QStringLiteral("vellora-client"));
    QVERIFY(QFile::copy(QStringLiteral(CLIENT_EXE), exe));
    QVERIFY(QFile::setPermissions(exe, QFile::permissions(QStringLiteral(CLIENT_EXE))));
}

void QuitTest::cleanup()
{
    if (m_client.state() != QProcess::NotRunning) {
        m_client.kill();
        m_client.waitForFinished(5000);
    }
}

void QuitTest::startClient()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_dir->path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir->filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->filePath(QStringLiteral("config")));
    // The tray icon of a desktop without a status-notifier service: a window
    // embedded in the tray host's.
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    // Nothing answers on the discard port: the client stays on this machine.
    env.insert(QStringLiteral("TESSANE_API_BASE"), QStringLiteral("http://127.0.0.1:9"));
    m_client.setProcessEnvironment(env);
    m_client.setProgram(m_dir->filePath(QStringLiteral("vellora-client")));
    m_client.setProcessChannelMode(QProcess::ForwardedChannels);
    m_client.start();
    QVERIFY(m_client.waitForStarted());
}

bool QuitTest::waitForLog(const QString& text) const
{
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        QDirIterator logs(m_dir->filePath(QStringLiteral("logs")), {QStringLiteral("client_*.log")}, QDir::Files);
        while (logs.hasNext()) {
            QFile file(logs.next());
            if (file.open(QIODevice::ReadOnly) && QString::fromUtf8(file.readAll()).contains(text))
                return true;
        }
        QTest::qWait(50);
    }
    return false;
}

void QuitTest::expectCleanExit()
{
    QVERIFY(m_client.state() == QProcess::NotRunning || m_client.waitForFinished(30000));
    QCOMPARE(m_client.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_client.exitCode(), 0);
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

Window QuitTest::findClientWindow(bool embedded) const
{
    const Atom pidAtom = XInternAtom(m_display, "_NET_WM_PID", False);
    const auto pidOf = [&](Window window) -> qint64 {
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
    const qint64 client = m_client.processId();
    // Depth-first below each top-level window; "inside" is whether a window
    // of another program holds this one.
    std::function<Window(Window, bool)> search = [&](Window window, bool inside) -> Window {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(m_display, window, &attributes) || attributes.map_state != IsViewable)
            return None;
        const qint64 pid = pidOf(window);
        if (pid == client && inside == embedded)
            return window;
        const bool foreign = pid != 0 && pid != client;
        Window root = None, parent = None, *children = nullptr;
        unsigned int count = 0;
        Window hit = None;
        if (XQueryTree(m_display, window, &root, &parent, &children, &count)) {
            for (unsigned int i = 0; i < count && hit == None; ++i)
                hit = search(children[i], inside || foreign);
            if (children)
                XFree(children);
        }
        return hit;
    };
    return search(DefaultRootWindow(m_display), false);
}

void QuitTest::moveTo(Window window, int x, int y)
{
    int rootX = 0, rootY = 0;
    Window child = None;
    XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(m_display, DefaultScreen(m_display), rootX, rootY, CurrentTime);
    XSync(m_display, False);
}

void QuitTest::clickAt(Window window, unsigned button)
{
    XWindowAttributes attributes;
    XGetWindowAttributes(m_display, window, &attributes);
    moveTo(window, attributes.width / 2, attributes.height / 2);
    XTestFakeButtonEvent(m_display, button, True, CurrentTime);
    XTestFakeButtonEvent(m_display, button, False, CurrentTime);
    XSync(m_display, False);
}

void QuitTest::clickAt(Window window, const QPoint& position)
{
    moveTo(window, position.x(), position.y());
    XTestFakeButtonEvent(m_display, Button1, True, CurrentTime);
    XTestFakeButtonEvent(m_display, Button1, False, CurrentTime);
    XSync(m_display, False);
}

bool QuitTest::seedSignedIn()
{
    const QString folder = dbFolder();
    CTessaneDb* db = CTessaneDb::instance();
    if (!QDir().mkpath(folder) || !db->init(folder + QStringLiteral("/wrt.db"), m_dir->filePath(QStringLiteral("data/db"))))
        return false;
    TS_Author_Info user;
    user.uid = 10001;
    user.author_name = QStringLiteral("示例作者");
    user.token = QStringLiteral("token");
    T_UserConf conf;
    conf.uid = user.uid;
    // Closing the bookshelf quits rather than going to the tray.
    conf.systemConf.isTray = 0;
    conf.systemConf.hideKey = QStringLiteral("Ctrl+Shift+N");
    const bool ok = db->insertUser(user, conf) && db->saveLastLogin(user.uid);
    db->close();
    return ok;
}

QPoint QuitTest::closeButtonFromTopRight() const
{
    // The same sheet as the client's start; the buttons keep their place
    // from the right edge whatever the window's width.
    CQssManager::instance()->setQssStyle(StyleLight, QStringLiteral(":/res/qss/light.qss"));
    CQssManager::instance()->applyStyle(StyleLight);
    Widget_Bookshelf shelf;
    shelf.resize(1200, 700);
    shelf.updateMargins();
    shelf.show();
    if (!QTest::qWaitForWindowExposed(&shelf))
        return QPoint();
    auto* close = shelf.findChild<QPushButton*>(QStringLiteral("btn_close"));
    if (!close || !close->isVisible())
        return QPoint();
    const QPoint centre = close->mapTo(&shelf, close->rect().center());
    return QPoint(shelf.width() - centre.x(), centre.y());
}

QPoint QuitTest::seedBook()
{
    if (!seedSignedIn())
        return QPoint();
    CJobManager* jobs = CJobManager::instance();
    QPoint cover;
    if (jobs->init(dbFolder() + QStringLiteral("/wrt.db"), m_dir->filePath(QStringLiteral("data/db")))) {
        TC_Books_AddBook request(QStringLiteral("退出之书"), 1700000000, 1700000000, QString());
        Widget_Bookshelf* shelf = CUiManager::instance()->bookshelf();
        auto* list = shelf ? shelf->findChild<Widget_BookShelfList*>() : nullptr;
        if (list && CBookJobManager::instance()->books_add(request, false)) {
            QListView* view = list->listView();
            const QRect item = view->visualRect(view->model()->index(0, 0));
            auto* delegate = qobject_cast<CBookListDelegate*>(view->itemDelegate());
            cover = view->viewport()->mapTo(shelf, delegate->coverRect(item.topLeft()).center());
        }
    }
    // The client takes the file and the boss key over.
    CUiManager::instance()->setBoosKey(QString());
    CUiManager::instance()->shutdown();
    jobs->close();
    return cover;
}

QString QuitTest::storedChapterText()
{
    CJobManager* jobs = CJobManager::instance();
    QString text;
    if (jobs->init(dbFolder() + QStringLiteral("/wrt.db"), m_dir->filePath(QStringLiteral("data/db")))) {
        for (T_Book* book : CPublicManager::instance()->bookList) {
            if (book->bookName == QStringLiteral("退出之书") && jobs->getChapters(book) && !book->chapterList.isEmpty()
                && jobs->getChapterContent(book->chapterList.first()))
                text = book->chapterList.first()->content;
        }
    }
    CUiManager::instance()->shutdown();
    jobs->close();
    return text;
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
    QVERIFY(waitForLog(QStringLiteral("job manager ready")));
    Window icon = None;
    QTRY_VERIFY_WITH_TIMEOUT((icon = findClientWindow(true)) != None, 15000);
    clickAt(icon, Button3);
    // The menu pops up at the pointer and takes the keyboard: its last item quits.
    QTRY_VERIFY_WITH_TIMEOUT(m_client.state() == QProcess::NotRunning || (typeKey(XK_Up), typeKey(XK_Return), false),
                             15000);
    expectCleanExit();
    QCOMPARE(backups().size(), 1);
}

void QuitTest::bookshelfCloseButtonEndsCleanly()
{
    const QPoint fromTopRight = closeButtonFromTopRight();
    QVERIFY(!fromTopRight.isNull());
    QVERIFY(seedSignedIn());
    startClient();
    Window shelf = None;
    // The bookshelf is the client's one top-level window once it is shown.
    QTRY_VERIFY_WITH_TIMEOUT((shelf = findClientWindow(false)) != None, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(m_client.state() == QProcess::NotRunning || ([&] {
        XWindowAttributes attributes;
        XGetWindowAttributes(m_display, shelf, &attributes);
        clickAt(shelf, QPoint(attributes.width - fromTopRight.x(), fromTopRight.y()));
    }(), false), 15000);
    expectCleanExit();
    QCOMPARE(backups().size(), 1);
}

void QuitTest::sessionEndSignalsSaveBackUpAndEndCleanly_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
}

void QuitTest::sessionEndSignalsSaveBackUpAndEndCleanly()
{
    QFETCH(int, signalNumber);
    startClient();
    QVERIFY(waitForLog(QStringLiteral("job manager ready")));
    QTRY_VERIFY_WITH_TIMEOUT(findClientWindow(true) != None, 15000);
    ::kill(pid_t(m_client.processId()), signalNumber);
    expectCleanExit();
    QCOMPARE(backups().size(), 1);
}

void QuitTest::sessionEndKeepsTheWordsJustTyped()
{
    const QPoint cover = seedBook();
    QVERIFY(!cover.isNull());
    startClient();
    Window shelf = None;
    QTRY_VERIFY_WITH_TIMEOUT((shelf = findClientWindow(false)) != None, 15000);
    // The book opens in the writing window, which takes the bookshelf's place.
    Window writing = None;
    QTRY_VERIFY_WITH_TIMEOUT(((writing = findClientWindow(false)) != None && writing != shelf)
                                 || (clickAt(shelf, cover), false),
                             15000);
    // Typed into the editor, and the session ends at once: the quit saves
    // what the editor holds, also what it took after the quit began.
    clickAt(writing, Button1);
    for (KeySym key : {XK_z, XK_q, XK_x, XK_j})
        typeKey(key);
    ::kill(pid_t(m_client.processId()), SIGTERM);
    expectCleanExit();
    QVERIFY2(storedChapterText().contains(QStringLiteral("zqxj")), qPrintable(storedChapterText()));
    QCOMPARE(backups().size(), 1);
}

void QuitTest::startFailureBoxEndsCleanly()
{
    // A file that is no database: the start fails and says so in a box.
    const QString dbFolder = m_dir->filePath(QStringLiteral("data/Tessane/vellora-client/data/db"));
    QVERIFY(QDir().mkpath(dbFolder));
    QFile junk(dbFolder + QStringLiteral("/wrt.db"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    QVERIFY(junk.write(QByteArray(8192, 'x')) == 8192);
    junk.close();
    startClient();
    Window box = None;
    QTRY_VERIFY_WITH_TIMEOUT((box = findClientWindow(false)) != None, 15000);
    // Keys go to the window under the pointer; Return presses the box's OK.
    QTRY_VERIFY_WITH_TIMEOUT(m_client.state() == QProcess::NotRunning || (clickAt(box, Button1), typeKey(XK_Return), false),
                             15000);
    expectCleanExit();
}

QTEST_MAIN(QuitTest)
#include "tst_quit.moc"

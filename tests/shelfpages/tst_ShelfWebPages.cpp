// The personal-data and community pages in real web views, and the author's
// own boss key after sign-in, typed through the X server's test extension.

#include "ShelfHelpers.h"

#include "common/DPIAdapter.h"
#include "common/QxtGlobalShortcut.h"
#include "common/StyleType.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CSystemManager.h"
#include "manager/CUiManager.h"
#include "ui/bookshelf/Widget_BookShelfList.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "ui/bookshelf/Widget_Bookshelf_Content.h"
#include "ui/bookshelf/Widget_PersonalData.h"
#include "ui/creation/Widget_Creation.h"

#include <QAbstractButton>
#include <QDate>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QX11Info>
#include <QtTest>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {
// The value of a script in the page, waited for.
QVariant evaluate(QWebEngineView* view, const QString& script)
{
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    QElapsedTimer timer;
    timer.start();
    while (!done && timer.elapsed() < 10000)
        QTest::qWait(10);
    return result;
}

// Waits until the script gives the expected value (a page loads and runs
// its own script in its own time).
bool waitForValue(QWebEngineView* view, const QString& script, const QVariant& expected, int timeoutMs = 15000)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (evaluate(view, script) == expected)
            return true;
        QTest::qWait(100);
    }
    qWarning() << script << "gave" << evaluate(view, script) << "expected" << expected;
    return false;
}

QAbstractButton* navButton(Widget_Bookshelf* shelf, const char* name)
{
    return shelf->findChild<QAbstractButton*>(QLatin1String(name));
}
}

class TestShelfWebPages : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!QX11Info::isPlatformX11())
            QSKIP("needs an X server (run under xvfb-run)");
    }
    void personalDataShowsTheStatisticsWithoutTheToken();
    void personalDataShowsScoreLevelAndAgreeingFigures();
    void personalDataClickedAgainWhileItWaitsAsksOnce();
    void hiddenViewStartsTheWebEngineWithTheBookshelf();
    void writingWindowOpensAtTheMainWindowsSizeMadeTaller();
    void communityPageGetsTheTokenOnlyOnTheApiOrigin();
    void theAuthorsBossKeyIsRegisteredAtSignIn();
};

void TestShelfWebPages::personalDataShowsTheStatisticsWithoutTheToken()
{
    BookshelfFixture f;
    QVERIFY(f.ok());
    Widget_Bookshelf* shelf = f.shelf();
    shelf->show();
    QVERIFY(QTest::qWaitForWindowExposed(shelf));

    navButton(shelf, "btnUserInfo")->click();
    Widget_Bookshelf_Content* content = shelf->getContent();
    Widget_PersonalData* page = content->personalData();
    QVERIFY(page);
    QCOMPARE(content->stack()->currentWidget(), page);
    QWebEngineView* view = page->view();
    QVERIFY(waitForValue(view, QStringLiteral("lastData !== null"), true));

    // The figures are those of the statistics the job manager gives.
    QString json;
    CJobManager::instance()->getAuthorStatistics(&json);
    const QJsonObject stats = QJsonDocument::fromJson(json.toUtf8()).object();
    const QJsonObject history = stats.value(QStringLiteral("historyData")).toObject();
    QCOMPARE(evaluate(view, QStringLiteral("document.getElementById('sumWord').textContent")).toString(),
             QString::number(history.value(QStringLiteral("sum_word")).toInt()));
    // The page never holds the sign-in token.
    const QString handed = evaluate(view, QStringLiteral("JSON.stringify(lastData)")).toString();
    QVERIFY(handed.contains(QStringLiteral("historyData")));
    QVERIFY(!handed.contains(QString::fromLatin1(StandinServer::demoToken())));
    QVERIFY(!json.contains(QString::fromLatin1(StandinServer::demoToken())));
}

void TestShelfWebPages::personalDataClickedAgainWhileItWaitsAsksOnce()
{
    BookshelfFixture f;
    QVERIFY(f.ok());
    Widget_Bookshelf* shelf = f.shelf();
    shelf->show();
    QVERIFY(QTest::qWaitForWindowExposed(shelf));
    const QString figures = QStringLiteral("/authorcount/getData");
    QVERIFY(standin().clearJournal());
    QVERIFY(standin().addFault(figures, QStringLiteral("ok"), -1));
    // 个人数据 again while the platform's figures are on their way.
    standin().onceAsked(figures, shelf, [&]() {
        QTest::mouseClick(navButton(shelf, "btnUserInfo"), Qt::LeftButton);
        QVERIFY(standin().releaseHeld());
    });
    QTest::mouseClick(navButton(shelf, "btnUserInfo"), Qt::LeftButton);
    QCOMPARE(standin().requestsTo(figures).size(), 1);
    Widget_Bookshelf_Content* content = shelf->getContent();
    QVERIFY(content->personalData());
    QCOMPARE(content->stack()->currentWidget(), content->personalData());
    QVERIFY(waitForValue(content->personalData()->view(), QStringLiteral("lastData !== null"), true));
}

void TestShelfWebPages::personalDataShowsScoreLevelAndAgreeingFigures()
{
    // A later start: the author is remembered, nothing asks the platform for
    // the profile on the way in but the start itself.
    BookshelfFixture f;
    QVERIFY(f.ok());
    // A fast day written here and not yet known to the platform.
    QSqlQuery query(QSqlDatabase::database());
    QVERIFY(query.exec(QStringLiteral("insert into tb_statistics(uid,date,writeTime,wordCount,writeSpeed) "
                                      "values(%1,'%2',92,401,15689)")
                           .arg(StandinServer::demoUid())
                           .arg(QDate::currentDate().addDays(-1).toString(QStringLiteral("yyyy-MM-dd")))));
    QTRY_VERIFY_WITH_TIMEOUT(CPublicManager::instance()->userInfo.score == 120, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!CSystemManager::instance()->findLevel(3).isEmpty(), 10000);
    Widget_Bookshelf* shelf = f.shelf();
    shelf->show();
    QVERIFY(QTest::qWaitForWindowExposed(shelf));
    navButton(shelf, "btnUserInfo")->click();
    QWebEngineView* view = shelf->getContent()->personalData()->view();
    QVERIFY(waitForValue(view, QStringLiteral("document.getElementById('userScore').textContent"),
                         QStringLiteral("积分 120")));
    QCOMPARE(evaluate(view, QStringLiteral("document.getElementById('levelName').textContent")).toString(),
             QStringLiteral("签约作者"));
    QVERIFY(waitForValue(view, QStringLiteral("document.getElementById('levelImg').naturalWidth > 0"), true));
    QCOMPARE(evaluate(view, QStringLiteral("document.getElementById('maxSpeed').textContent")).toString(),
             QStringLiteral("15689"));
    // Stored with the author's row: the next start shows them before the
    // platform answers.
    QVERIFY(query.exec(QStringLiteral("select userScore,userLevel from tb_user where uid = %1")
                           .arg(StandinServer::demoUid())));
    QVERIFY(query.next());
    QCOMPARE(query.value(0).toInt(), 120);
    QCOMPARE(query.value(1).toInt(), 3);
}

void TestShelfWebPages::hiddenViewStartsTheWebEngineWithTheBookshelf()
{
    // Its page is a configuration value, as the community page's is.
    qputenv("TESSANE_WARMUP_URL", QByteArray("http://127.0.0.1:") + QByteArray::number(standin().port()) + "/feedback");
    BookshelfFixture f;
    qunsetenv("TESSANE_WARMUP_URL");
    QVERIFY(f.ok());
    f.shelf()->show();
    QWebEngineView* view = f.shelf()->getContent()->warmUpView();
    QVERIFY(view);
    QTRY_VERIFY_WITH_TIMEOUT(!requestsTo(QStringLiteral("/feedback")).isEmpty(), 15000);
    QVERIFY(!view->isVisible());
    // Nothing of it is a page of the stack.
    QCOMPARE(f.shelf()->getContent()->stack()->indexOf(view), -1);
}

void TestShelfWebPages::writingWindowOpensAtTheMainWindowsSizeMadeTaller()
{
    BookshelfFixture f({{QStringLiteral("尺寸"), 1700000000}});
    QVERIFY(f.ok());
    CUiManager* ui = CUiManager::instance();
    ui->openCreation(CPublicManager::instance()->bookList.first());
    QWidget* creation = ui->creationWindow();
    QVERIFY(creation);
    // The geometry it was created with, kept for leaving full screen.
    const QSize main = DPIAdapter::instance()->mainWindowSize();
    QCOMPARE(creation->property("CG").toRect().size(), QSize(main.width(), int(main.height() * 1.12)));
    ui->closeCreation();
}

void TestShelfWebPages::communityPageGetsTheTokenOnlyOnTheApiOrigin()
{
    const QByteArray token = StandinServer::demoToken();
    {
        BookshelfFixture f;
        QVERIFY(f.ok());
        Widget_Bookshelf* shelf = f.shelf();
        shelf->show();
        navButton(shelf, "btnFeedback")->click();
        QWebEngineView* view = shelf->getContent()->communityView();
        QVERIFY(view);
        QVERIFY(waitForValue(view, QStringLiteral("community.signedIn"), true));
        QCOMPARE(evaluate(view, QStringLiteral("community.token")).toString(), QString::fromLatin1(token));
        // The page uses the token with the platform itself.
        QTRY_VERIFY_WITH_TIMEOUT(!requestsTo(QStringLiteral("/feedback")).isEmpty(), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(view, QStringLiteral("community.notices")).toInt() == 0, 15000);
        bool sentToken = false;
        for (const QJsonObject& r : requestsTo(QStringLiteral("/forum/htmlRed")))
            sentToken = sentToken || StandinServer::header(r, "Authorization") == "Bearer " + token;
        QVERIFY(sentToken);
    }
    {
        // The same page served from another origin never sees the token.
        const quint16 other = standin().listenAnotherPort();
        QVERIFY(other != 0);
        qputenv("TESSANE_COMMUNITY_URL", QByteArray("http://127.0.0.1:") + QByteArray::number(other) + "/feedback");
        BookshelfFixture f;
        QVERIFY(f.ok());
        Widget_Bookshelf* shelf = f.shelf();
        shelf->show();
        navButton(shelf, "btnFeedback")->click();
        QWebEngineView* view = shelf->getContent()->communityView();
        QVERIFY(view);
        QVERIFY(waitForValue(view, QStringLiteral("document.getElementById('who').textContent"),
                             QStringLiteral("未登录")));
        QCOMPARE(evaluate(view, QStringLiteral("community.token")).toString(), QString());
        QVERIFY(!requestsTo(QStringLiteral("/feedback")).isEmpty());
        qunsetenv("TESSANE_COMMUNITY_URL");
    }
}

void TestShelfWebPages::theAuthorsBossKeyIsRegisteredAtSignIn()
{
    Display* display = XOpenDisplay(nullptr);
    QVERIFY(display);
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        XCloseDisplay(display);
        QSKIP("the X server has no test extension");
    }
    auto type = [display](std::initializer_list<KeySym> keys) {
        for (KeySym k : keys)
            XTestFakeKeyEvent(display, XKeysymToKeycode(display, k), True, CurrentTime);
        for (auto it = std::rbegin(keys); it != std::rend(keys); ++it)
            XTestFakeKeyEvent(display, XKeysymToKeycode(display, *it), False, CurrentTime);
        XSync(display, False);
    };

    BookshelfFixture f({}, QStringLiteral("Ctrl+Alt+J"));
    QVERIFY(f.ok());
    CUiManager* ui = CUiManager::instance();
    ui->idleTimer()->stop();
    QWidget* shelf = ui->bookshelf();
    QVERIFY(QTest::qWaitForWindowExposed(shelf));
    // The default key no longer hides anything; the author's key does.
    type({XK_Control_L, XK_Shift_L, XK_n});
    QTest::qWait(500);
    QVERIFY(shelf->isVisible());
    type({XK_Control_L, XK_Alt_L, XK_j});
    QTRY_VERIFY_WITH_TIMEOUT(!shelf->isVisible(), 5000);
    type({XK_Control_L, XK_Alt_L, XK_j});
    QTRY_VERIFY_WITH_TIMEOUT(shelf->isVisible(), 5000);
    XCloseDisplay(display);
}

int runShelfWebPagesTests(int argc, char** argv)
{
    TestShelfWebPages tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_ShelfWebPages.moc"

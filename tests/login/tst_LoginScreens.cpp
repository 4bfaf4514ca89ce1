// The login screens on a real X server: the WeChat window with its web view,
// the binding page.

#include "LoginFixture.h"

#include "common/StyleType.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "ui/login/Dialog_LoginMain.h"
#include "ui/login/Widget_BindWechat.h"
#include "ui/login/Widget_Login.h"
#include "ui/login/Widget_WeChatLogin.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTest>
#include <QTranslator>

namespace {
StandinServer* g_standin = nullptr;
const QString kPoll = QStringLiteral("/author/pollingWx");

// A poll answer of the platform for the identity the client's polls carry.
QByteArray pollAnswer(const QByteArray& userdata, int status, int isBindPhone, int uid, const QString& token)
{
    return QStringLiteral(R"({"code":200,"msg":"","server_time":1700000000,"userdata":"%1",)"
                          R"("content":{"isBindPhone":%2,"status":%3,"token":"%4","uid":%5}})")
        .arg(QString::fromLatin1(userdata), QString::number(isBindPhone), QString::number(status), token,
             QString::number(uid))
        .toUtf8();
}
}

StandinServer& standin()
{
    return *g_standin;
}

class LoginScreensTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void scanWithoutPhoneLaysTheBindingPageOver();
    void scanWithPhoneSignsInAndDropsTheWindow();
    void scanReportedWithoutUsableSignInStaysOpen();
    void windowClosedAndOpenedAgainWhileItsCodeWaitsAsksOnce();
};

void LoginScreensTest::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs a real X server (run under xvfb-run)");
    CQssManager::instance()->setQssStyle(StyleLight, QStringLiteral(":/res/qss/light.qss"));
    CQssManager::instance()->applyStyle(StyleLight);
}

void LoginScreensTest::scanWithoutPhoneLaysTheBindingPageOver()
{
    LoginWorld w;
    QVERIFY(w.ok());
    Dialog_LoginMain* dialog = w.dialog();
    dialog->onDealToggle(3);
    Widget_WeChatLogin* weChat = dialog->weChatWindow();
    TS_Author_PollingWx reply;
    reply.header.code = 200;
    reply.status = 1;
    reply.isBindPhone = 2;
    CUiManager::instance()->pollingWx(reply);
    QVERIFY(!weChat->isVisible());
    QVERIFY(!weChat->isPolling());
    QTRY_VERIFY(dialog->bindPage() && dialog->bindPage()->isVisible());
    QCOMPARE(dialog->bindPage()->size(), dialog->stack()->size());
    QVERIFY(!dialog->closeButton()->isVisible());
}

void LoginScreensTest::scanWithPhoneSignsInAndDropsTheWindow()
{
    LoginWorld w;
    QVERIFY(w.ok());
    QPointer<Dialog_LoginMain> dialog = w.dialog();
    dialog->onDealToggle(3);
    QPointer<Widget_WeChatLogin> weChat = dialog->weChatWindow();
    QTRY_VERIFY_WITH_TIMEOUT(!standin().requestsTo(kPoll).isEmpty(), 10000);
    const QByteArray userdata = StandinServer::header(standin().requestsTo(kPoll).first(), "userdata");
    QVERIFY(!userdata.isEmpty());
    QVERIFY(standin().addFault(kPoll, QStringLiteral("raw"), 0, -1,
                               pollAnswer(userdata, 1, 1, StandinServer::demoUid(),
                                          QString::fromLatin1(StandinServer::demoToken()))));
    QTRY_COMPARE_WITH_TIMEOUT(CUiManager::instance()->signInState(), 1, 10000);
    QCOMPARE(CPublicManager::instance()->userInfo.uid, StandinServer::demoUid());
    QCOMPARE(LoginWorld::lastUid(), StandinServer::demoUid());
    QTRY_VERIFY_WITH_TIMEOUT(weChat.isNull(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), 5000);
    // A late poll answer with no window left is dropped.
    TS_Author_PollingWx late;
    late.status = 1;
    late.isBindPhone = 1;
    CUiManager::instance()->pollingWx(late);
}

void LoginScreensTest::scanReportedWithoutUsableSignInStaysOpen()
{
    LoginWorld w;
    QVERIFY(w.ok());
    Dialog_LoginMain* dialog = w.dialog();
    dialog->onDealToggle(3);
    Widget_WeChatLogin* weChat = dialog->weChatWindow();
    QSignalSpy quit(weChat, &Widget_WeChatLogin::sig_quit);
    // What the account jobs hand over when the scan's sign-in could not be
    // completed (no account in the reply, or it could not be stored).
    TS_Author_PollingWx reply;
    reply.header.code = 10002;
    reply.status = 1;
    reply.isBindPhone = 1;
    CUiManager::instance()->pollingWx(reply);
    QCOMPARE(quit.count(), 0);
    QVERIFY(!weChat->isPolling());
    QVERIFY(weChat->isVisible());
    QVERIFY(dialog->isVisible());
    QVERIFY(CUiManager::instance()->signInState() != 1);
}

void LoginScreensTest::windowClosedAndOpenedAgainWhileItsCodeWaitsAsksOnce()
{
    LoginWorld w;
    QVERIFY(w.ok());
    Dialog_LoginMain* dialog = w.dialog();
    auto* weChatButton = dialog->loginPage()->findChild<QPushButton*>(QStringLiteral("btnWechat"));
    QVERIFY(weChatButton);
    const QString address = QStringLiteral("/author/wxCodeLogin");
    QVERIFY(standin().addFault(address, QStringLiteral("ok"), -1));
    // The author closes the window while its code is fetched and opens it again.
    standin().onceAsked(address, dialog, [&]() {
        QVERIFY(dialog->weChatWindow());
        dialog->weChatWindow()->close();
        QTest::mouseClick(weChatButton, Qt::LeftButton);
        QVERIFY(standin().releaseHeld());
    });
    QTest::mouseClick(weChatButton, Qt::LeftButton);
    QCOMPARE(standin().requestsTo(address).size(), 1);
    QVERIFY(dialog->weChatWindow()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!standin().requestsTo(kPoll).isEmpty(), 10000);
}

int main(int argc, char** argv)
{
    // The web view shares its GL context with the application's.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // The pictures show the pages as the author sees them.
    QTranslator translator;
    translator.load(QStringLiteral(":/res/client.qm"));
    app.installTranslator(&translator);
    QStandardPaths::setTestModeEnabled(true);
    StandinServer server;
    g_standin = &server;
    if (!server.start())
        return 1;
    server.exportApiBase();
    LoginScreensTest test;
    const int failures = QTest::qExec(&test, argc, argv);
    server.stop();
    return failures;
}

#include "tst_LoginScreens.moc"

#include "LoginFixture.h"

#include "db/CTessaneDb.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/login/Dialog_LoginMain.h"
#include "ui/login/Widget_Banner.h"
#include "ui/login/Widget_Login.h"
#include "ui/login/widget_tips.h"
#include "ui/shell/Dialog_Unlock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>

namespace {
const QString kLogin = QStringLiteral("/account/login");

void typeInto(QLineEdit* edit, const QString& text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
}
}

class SignInPageTest : public QObject
{
    Q_OBJECT

private slots:
    void demoSignInHidesAndLaterDeletesTheDialog();
    void logoutShowsTheDialogAgainOnce();
    void signOutRightAfterSignInKeepsTheDialog();
    void wrongPasswordShowsThePlatformsMessage();
    void emptyFieldsAreAnsweredWithoutRequest();
    void anEarlierSignInAnsweredLateSignsNobodyIn_data();
    void anEarlierSignInAnsweredLateSignsNobodyIn();
    void theStartLockOfASignInKeepsTheDialogUntilThePageIsDone();
    void escapedDialogComesBack_data();
    void escapedDialogComesBack();
};

void SignInPageTest::demoSignInHidesAndLaterDeletesTheDialog()
{
    LoginWorld w;
    QVERIFY(w.ok());
    Widget_Login* page = w.dialog()->loginPage();
    typeInto(page->accountEdit(), QStringLiteral("13800000000"));
    typeInto(page->passwordEdit(), QStringLiteral("demo1234"));
    QVERIFY(page->loginButton()->isEnabled());
    QPointer<Dialog_LoginMain> dialog = w.dialog();
    QTest::mouseClick(page->loginButton(), Qt::LeftButton);

    QCOMPARE(CUiManager::instance()->signInState(), 1);
    QCOMPARE(CPublicManager::instance()->userInfo.uid, StandinServer::demoUid());
    QVERIFY(!dialog->isVisible());
    QCOMPARE(standin().requestsTo(kLogin).size(), 1);
    QCOMPARE(StandinServer::bodyOf(standin().requestsTo(kLogin).first()).value(QStringLiteral("phone")).toString(),
             QStringLiteral("13800000000"));
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), 5000);
    QVERIFY(!CUiManager::instance()->loginDialog());
}

void SignInPageTest::logoutShowsTheDialogAgainOnce()
{
    LoginWorld w;
    QVERIFY(w.ok());
    Widget_Login* page = w.dialog()->loginPage();
    page->setAccount(QStringLiteral("13800000000"), QStringLiteral("demo1234"));
    page->onDealLogin();
    QCOMPARE(CUiManager::instance()->signInState(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!CUiManager::instance()->loginDialog(), 5000);

    QSignalSpy required(CUiManager::instance(), &CUiManager::sig_LoginRequired);
    CUiManager::instance()->logout();
    QPointer<Dialog_LoginMain> shown = CUiManager::instance()->loginDialog();
    QVERIFY(shown);
    QVERIFY(shown->isVisible());
    // A second sign-out before the next sign-in does nothing.
    CUiManager::instance()->logout();
    QCOMPARE(required.count(), 1);
    QCOMPARE(CUiManager::instance()->loginDialog(), shown.data());
}

void SignInPageTest::signOutRightAfterSignInKeepsTheDialog()
{
    LoginWorld w;
    QVERIFY(w.ok());
    QPointer<Dialog_LoginMain> dialog = w.dialog();
    dialog->loginPage()->setAccount(QStringLiteral("13800000000"), QStringLiteral("demo1234"));
    dialog->loginPage()->onDealLogin();
    QVERIFY(!dialog->isVisible());
    // A sign-out within the deletion delay shows the same dialog, which must
    // then survive the delay.
    CUiManager::instance()->logout();
    QTest::qWait(800);
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(CUiManager::instance()->loginDialog(), dialog.data());
}

void SignInPageTest::wrongPasswordShowsThePlatformsMessage()
{
    LoginWorld w;
    QVERIFY(w.ok());
    Widget_Login* page = w.dialog()->loginPage();
    typeInto(page->accountEdit(), QStringLiteral("13800000000"));
    typeInto(page->passwordEdit(), QStringLiteral("wrongpass"));
    QTest::mouseClick(page->loginButton(), Qt::LeftButton);

    QCOMPARE(page->errorLabel()->text(), QStringLiteral("账号或密码错误"));
    QVERIFY(w.dialog()->isVisible());
    QVERIFY(CUiManager::instance()->signInState() != 1);
    // The next edit empties the message.
    QTest::keyClick(page->passwordEdit(), Qt::Key_Backspace);
    QVERIFY(page->errorLabel()->text().isEmpty());
}

void SignInPageTest::emptyFieldsAreAnsweredWithoutRequest()
{
    LoginWorld w;
    QVERIFY(w.ok());
    Widget_Login* page = w.dialog()->loginPage();
    page->setAccount(QString(), QString());
    page->onDealLogin();
    QCOMPARE(page->errorLabel()->text(), QStringLiteral("参数不足"));
    page->setAccount(QStringLiteral("13800000000"), QString());
    page->onDealLogin();
    QCOMPARE(page->errorLabel()->text(), QStringLiteral("参数不足"));
    QVERIFY(standin().requestsTo(kLogin).isEmpty());
    QVERIFY(w.dialog()->isVisible());
}

void SignInPageTest::anEarlierSignInAnsweredLateSignsNobodyIn_data()
{
    QTest::addColumn<QString>("laterPassword");
    QTest::newRow("the later one signs in") << QStringLiteral("another1");
    QTest::newRow("the later one is refused") << QStringLiteral("wrongpass");
}

void SignInPageTest::anEarlierSignInAnsweredLateSignsNobodyIn()
{
    QFETCH(QString, laterPassword);
    LoginWorld w;
    QVERIFY(w.ok());
    const QString later = QStringLiteral("13900000000");
    const int laterUid = standin().callAs(QStringLiteral("elsewhere"), QStringLiteral("/account/register"),
                                          {{"phone", later}, {"password", "another1"}, {"code", "1234"}})
                             .value(QStringLiteral("uid")).toInt();
    // The demo author's sign-in is answered late; another author's, from
    // another page, begins and ends meanwhile.
    QVERIFY(laterUid > 0 && standin().addFault(kLogin, QStringLiteral("ok"), 1500));
    const auto signIn = [](const QString& phone, const QString& password) {
        TC_Author_Login request;
        request.phone = phone;
        request.password = password;
        TS_Author_Login reply;
        CJobManager::instance()->author_login(request, reply, true);
        return reply.header.code == HttpOk && CJobManager::instance()->initAfterLogin();
    };
    QTimer::singleShot(200, [&]() { signIn(later, laterPassword); });
    QVERIFY(!signIn(QStringLiteral("13800000000"), QStringLiteral("demo1234")));
    const TS_Author_Info& user = CPublicManager::instance()->userInfo;
    QCOMPARE(user.uid, laterPassword == QLatin1String("another1") ? laterUid : 0);
    QCOMPARE(CTessaneDb::instance()->currentUid(), user.uid);
    QCOMPARE(LoginWorld::lastUid(), user.uid);
    // The later author's token goes with the next request.
    const QList<QJsonObject> profile = standin().requestsTo(QStringLiteral("/author/info"));
    QVERIFY(user.uid == 0 || StandinServer::header(profile.last(), "Authorization") == "Bearer " + user.token.toLatin1());
}

void SignInPageTest::theStartLockOfASignInKeepsTheDialogUntilThePageIsDone()
{
    LoginWorld w;
    QVERIFY(w.ok());
    // The author's start lock asks at the sign-in too, and the author takes
    // longer over it than the dialog's deletion delay.
    TS_Author_Info user;
    user.uid = StandinServer::demoUid();
    T_UserConf conf;
    conf.systemConf.pwdLockType = 1;
    conf.systemConf.pwdLockPwd = QStringLiteral("idle");
    QVERIFY(CTessaneDb::instance()->insertUser(user, conf));
    QElapsedTimer shown;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&shown]() {
        auto* lock = qobject_cast<Dialog_Unlock*>(QApplication::activeModalWidget());
        if (lock && !shown.isValid())
            shown.start();
        if (lock && shown.elapsed() > 800) {
            lock->lineEditPwd()->setText(QStringLiteral("idle"));
            lock->unlock();
        }
    });
    answer.start(50);
    QPointer<Dialog_LoginMain> dialog = w.dialog();
    dialog->loginPage()->setAccount(QStringLiteral("13800000000"), QStringLiteral("demo1234"));
    // From the program's own event loop, as a key or a click comes.
    QEventLoop program;
    bool kept = false;
    QTimer::singleShot(0, [&]() {
        dialog->loginPage()->onDealLogin();
        kept = !dialog.isNull();
        program.quit();
    });
    program.exec();
    // Not deleted under the page's sign-in, which waited on the lock.
    QVERIFY(shown.isValid() && kept);
    QCOMPARE(CUiManager::instance()->signInState(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), 5000);
}

void SignInPageTest::escapedDialogComesBack_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("signedOut");
    for (const char* how : {"tray click", "Main Client", "boss key", "second start"})
        QTest::newRow(how) << QString::fromLatin1(how) << false;
    QTest::newRow("tray click after a sign-out") << QStringLiteral("tray click") << true;
}

// Escape hides the dialog, also over the register page; while nobody is
// signed in, the tray, its menu's first entry, the boss key and a second
// start bring it back.
void SignInPageTest::escapedDialogComesBack()
{
    QFETCH(QString, how);
    QFETCH(bool, signedOut);
    LoginWorld w;
    QVERIFY(w.ok());
    CUiManager* ui = CUiManager::instance();
    if (signedOut) {
        w.dialog()->loginPage()->setAccount(QStringLiteral("13800000000"), QStringLiteral("demo1234"));
        w.dialog()->loginPage()->onDealLogin();
        QCOMPARE(ui->signInState(), 1);
        ui->logout();
    }
    Dialog_LoginMain* dialog = w.dialog();
    QVERIFY(dialog && dialog->isVisible());
    ui->initTray();
    dialog->onDealToggle(1);
    QTest::keyClick(dialog->windowHandle(), Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());
    if (how == QLatin1String("tray click"))
        emit ui->trayIcon()->activated(QSystemTrayIcon::Trigger);
    else if (how == QLatin1String("Main Client"))
        ui->trayIcon()->contextMenu()->actions().first()->trigger();
    else if (how == QLatin1String("boss key"))
        ui->toggleMainWindow();
    else
        ui->activeWindows(QStringLiteral("vellora-client"));
    QVERIFY(dialog->isVisible() && ui->trayIcon()->isVisible());
    // The boss key hides it with the tray icon, and brings both back.
    ui->toggleMainWindow();
    QVERIFY(!dialog->isVisible() && !ui->trayIcon()->isVisible());
    ui->toggleMainWindow();
    QVERIFY(dialog->isVisible() && ui->trayIcon()->isVisible());
}

int runSignInPageTests(int argc, char** argv)
{
    SignInPageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SignInPage.moc"

#include "LoginFixture.h"

#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/login/Dialog_LoginMain.h"
#include "ui/login/Widget_Banner.h"
#include "ui/login/Widget_Login.h"
#include "ui/login/widget_tips.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
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

int runSignInPageTests(int argc, char** argv)
{
    SignInPageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SignInPage.moc"

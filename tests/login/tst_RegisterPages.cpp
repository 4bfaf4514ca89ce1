#include "LoginFixture.h"

#include "manager/CUiManager.h"
#include "ui/common/VerificationCodeLabel.h"
#include "ui/login/CTimerButton.h"
#include "ui/login/Dialog_LoginMain.h"
#include "ui/login/Widget_ForgetPwd.h"
#include "ui/login/Widget_Login.h"
#include "ui/login/Widget_Register.h"
#include "ui/login/widget_tips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

namespace {
const QString kAuthNumber = QStringLiteral("/account/authNumber");
const QString kSendCode = QStringLiteral("/account/sendCode");
const QString kRegister = QStringLiteral("/account/register");
const QString kForget = QStringLiteral("/account/forgetPassword");
const QString kLogin = QStringLiteral("/account/login");

void typeInto(QLineEdit* edit, const QString& text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
}

void fillForm(AccountCodeForm* page, const QString& phone, const QString& pwd, const QString& pwdAgain)
{
    typeInto(page->accountEdit(), phone);
    typeInto(page->pictureCodeEdit(), page->pictureCode());
    typeInto(page->smsCodeEdit(), QStringLiteral("6688"));
    typeInto(page->passwordEdit(), pwd);
    typeInto(page->passwordAgainEdit(), pwdAgain);
}
}

class RegisterPagesTest : public QObject
{
    Q_OBJECT

private slots:
    void sendButtonNeedsElevenDigitsAndTheExactPictureCode();
    void sendingCarriesPictureCodeAndKeyAndCountsDown();
    void pictureCodeRefusedShowsTheMessageAndKeepsTheCode();
    void registrationFillsTheSignInPage();
    void resetFillsTheAccountAndTheNewPasswordSignsIn();
    void leavingThePageWithinTheTipKeepsTheSignInPageAsItIs();
    void secondRequestWhileThePageWaitsSendsNothing_data();
    void secondRequestWhileThePageWaitsSendsNothing();
    void fieldsShowWhatWasSentWhileTheRequestWaits_data();
    void fieldsShowWhatWasSentWhileTheRequestWaits();
};

void RegisterPagesTest::sendButtonNeedsElevenDigitsAndTheExactPictureCode()
{
    LoginWorld w;
    QVERIFY(w.ok());
    QVERIFY(standin().addFault(kAuthNumber, QStringLiteral("raw"), 0, 1,
                               R"({"code":200,"msg":"","content":{"code":"onbojySUmCq9Jhq/mAc/hw=="}})"));
    w.dialog()->onDealToggle(1);
    Widget_Register* page = w.dialog()->registerPage();
    QCOMPARE(page->pictureCode(), QStringLiteral("AbCd"));
    QVERIFY(!page->sendButton()->isEnabled());
    typeInto(page->accountEdit(), QStringLiteral("1390000000"));
    typeInto(page->pictureCodeEdit(), QStringLiteral("AbCd"));
    QVERIFY(!page->sendButton()->isEnabled());
    QTest::keyClicks(page->accountEdit(), QStringLiteral("1"));
    QVERIFY(page->sendButton()->isEnabled());
    typeInto(page->pictureCodeEdit(), QStringLiteral("abcd"));
    QVERIFY(!page->sendButton()->isEnabled());
    typeInto(page->pictureCodeEdit(), QStringLiteral("AbCd"));
    QVERIFY(page->sendButton()->isEnabled());
}

void RegisterPagesTest::sendingCarriesPictureCodeAndKeyAndCountsDown()
{
    LoginWorld w;
    QVERIFY(w.ok());
    w.dialog()->onDealToggle(1);
    Widget_Register* page = w.dialog()->registerPage();
    typeInto(page->accountEdit(), QStringLiteral("13900000001"));
    typeInto(page->pictureCodeEdit(), QStringLiteral("1234"));
    QTest::mouseClick(page->sendButton(), Qt::LeftButton);

    const QList<QJsonObject> sends = standin().requestsTo(kSendCode);
    QCOMPARE(sends.size(), 1);
    const QJsonObject body = StandinServer::bodyOf(sends.first());
    QCOMPARE(body.value(QStringLiteral("phone")).toString(), QStringLiteral("13900000001"));
    QCOMPARE(body.value(QStringLiteral("code")).toString(), QStringLiteral("1234"));
    QCOMPARE(body.value(QStringLiteral("uuid")).toString(), w.dialog()->uuidKey());
    QVERIFY(page->sendButton()->isCounting());
    QVERIFY(!page->sendButton()->isEnabled());
    // While it counts, edits cannot enable it.
    typeInto(page->pictureCodeEdit(), QStringLiteral("1234"));
    QTest::keyClick(page->accountEdit(), Qt::Key_Backspace);
    QTest::keyClicks(page->accountEdit(), QStringLiteral("1"));
    QVERIFY(!page->sendButton()->isEnabled());
}

void RegisterPagesTest::pictureCodeRefusedShowsTheMessageAndKeepsTheCode()
{
    LoginWorld w;
    QVERIFY(w.ok());
    w.dialog()->onDealToggle(1);
    Widget_Register* page = w.dialog()->registerPage();
    QVERIFY(standin().addFault(kAuthNumber, QStringLiteral("code400")));
    QTest::mouseClick(page->pictureLabel(), Qt::LeftButton);
    QVERIFY(!page->errorLabel()->text().isEmpty());
    QCOMPARE(page->pictureCode(), QStringLiteral("1234"));
}

void RegisterPagesTest::registrationFillsTheSignInPage()
{
    LoginWorld w;
    QVERIFY(w.ok());
    Dialog_LoginMain* dialog = w.dialog();
    dialog->onDealToggle(1);
    Widget_Register* page = dialog->registerPage();
    fillForm(page, QStringLiteral("13900000002"), QStringLiteral("newpass88"), QStringLiteral("newpass88"));
    QSignalSpy registered(page, &Widget_Register::sig_registerMsg);
    QTest::mouseClick(page->submitButton(), Qt::LeftButton);
    QCOMPARE(standin().requestsTo(kRegister).size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(registered.count(), 1, 5000);
    QCOMPARE(dialog->stack()->currentWidget(), static_cast<QWidget*>(dialog->loginPage()));
    QCOMPARE(dialog->loginPage()->accountEdit()->text(), QStringLiteral("13900000002"));
    QCOMPARE(dialog->loginPage()->passwordEdit()->text(), QStringLiteral("newpass88"));
    // The new account signs in with what the page was filled with.
    QTest::mouseClick(dialog->loginPage()->loginButton(), Qt::LeftButton);
    QCOMPARE(CUiManager::instance()->signInState(), 1);
}

void RegisterPagesTest::resetFillsTheAccountAndTheNewPasswordSignsIn()
{
    LoginWorld w;
    QVERIFY(w.ok());
    Dialog_LoginMain* dialog = w.dialog();
    dialog->loginPage()->setAccount(QString(), QStringLiteral("old-typed"));
    dialog->onDealToggle(2);
    Widget_ForgetPwd* page = dialog->forgetPage();
    fillForm(page, QStringLiteral("13800000000"), QStringLiteral("fresh5678"), QStringLiteral("fresh5678"));
    QTest::mouseClick(page->submitButton(), Qt::LeftButton);
    QCOMPARE(standin().requestsTo(kForget).size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(dialog->stack()->currentWidget(), static_cast<QWidget*>(dialog->loginPage()), 5000);
    QCOMPARE(dialog->loginPage()->accountEdit()->text(), QStringLiteral("13800000000"));
    QVERIFY(dialog->loginPage()->passwordEdit()->text().isEmpty());

    // The old password no longer works; the new one does.
    QTest::keyClicks(dialog->loginPage()->passwordEdit(), QStringLiteral("demo1234"));
    dialog->loginPage()->onDealLogin();
    QCOMPARE(dialog->loginPage()->errorLabel()->text(), QStringLiteral("账号或密码错误"));
    dialog->loginPage()->setAccount(QStringLiteral("13800000000"), QStringLiteral("fresh5678"));
    dialog->loginPage()->onDealLogin();
    QCOMPARE(CUiManager::instance()->signInState(), 1);
}

void RegisterPagesTest::leavingThePageWithinTheTipKeepsTheSignInPageAsItIs()
{
    LoginWorld w;
    QVERIFY(w.ok());
    Dialog_LoginMain* dialog = w.dialog();
    dialog->onDealToggle(1);
    Widget_Register* page = dialog->registerPage();
    fillForm(page, QStringLiteral("13900000004"), QStringLiteral("newpass88"), QStringLiteral("newpass88"));
    QSignalSpy registered(page, &Widget_Register::sig_registerMsg);
    QTest::mouseClick(page->submitButton(), Qt::LeftButton);
    QVERIFY(dialog->tips()->isVisible());
    dialog->onDealToggle(2);
    QTest::qWait(1500);
    QCOMPARE(registered.count(), 0);
    QVERIFY(dialog->loginPage()->accountEdit()->text().isEmpty());
    QCOMPARE(dialog->stack()->currentWidget(), static_cast<QWidget*>(dialog->forgetPage()));
}

void RegisterPagesTest::secondRequestWhileThePageWaitsSendsNothing_data()
{
    // The request the platform holds: the picture code of the registration
    // page (注册 on the sign-in page asks for it), or its SMS code.
    QTest::addColumn<bool>("sms");
    QTest::newRow("picture code, 注册 clicked again") << false;
    QTest::newRow("SMS code, back to the sign-in page and 注册 again") << true;
}

void RegisterPagesTest::secondRequestWhileThePageWaitsSendsNothing()
{
    QFETCH(bool, sms);
    LoginWorld w;
    QVERIFY(w.ok());
    Dialog_LoginMain* dialog = w.dialog();
    auto* toRegister = dialog->loginPage()->findChild<QPushButton*>(QStringLiteral("btnGotoRegister"));
    QVERIFY(toRegister);
    Widget_Register* page = dialog->registerPage();
    if (sms) {
        QTest::mouseClick(toRegister, Qt::LeftButton);
        typeInto(page->accountEdit(), QStringLiteral("13900000005"));
        typeInto(page->pictureCodeEdit(), page->pictureCode());
        QVERIFY(standin().clearJournal());
    }
    const QString held = sms ? kSendCode : kAuthNumber;
    QVERIFY(standin().addFault(held, QStringLiteral("ok"), -1));
    // While the page waits, the author comes to it again from the sign-in
    // page, which asks it for a new picture code.
    standin().onceAsked(held, dialog, [&]() {
        if (sms)
            QTest::mouseClick(page->findChild<QPushButton*>(QStringLiteral("btnGotoLogin")), Qt::LeftButton);
        QTest::mouseClick(toRegister, Qt::LeftButton);
        QVERIFY(standin().releaseHeld());
    });
    QTest::mouseClick(sms ? static_cast<QWidget*>(page->sendButton()) : toRegister, Qt::LeftButton);
    QCOMPARE(standin().requestsTo(kAuthNumber).size(), sms ? 0 : 1);
    QCOMPARE(standin().requestsTo(kSendCode).size(), sms ? 1 : 0);
    QCOMPARE(dialog->stack()->currentWidget(), static_cast<QWidget*>(page));
    QCOMPARE(page->pictureCode(), QStringLiteral("1234"));
}

void RegisterPagesTest::fieldsShowWhatWasSentWhileTheRequestWaits_data()
{
    // The page, by the number the dialog's pages have: 0 sign-in, 1 the
    // registration's SMS code, 2 password reset.
    QTest::addColumn<int>("index");
    QTest::newRow("sign-in") << 0;
    QTest::newRow("SMS code") << 1;
    QTest::newRow("password reset") << 2;
}

void RegisterPagesTest::fieldsShowWhatWasSentWhileTheRequestWaits()
{
    QFETCH(int, index);
    LoginWorld w;
    QVERIFY(w.ok());
    Dialog_LoginMain* dialog = w.dialog();
    QList<QLineEdit*> fields;
    QWidget* submit = nullptr;
    QString held;
    if (index == 0) {
        Widget_Login* page = dialog->loginPage();
        typeInto(page->accountEdit(), QStringLiteral("13800000000"));
        typeInto(page->passwordEdit(), QStringLiteral("demo1234"));
        fields = {page->accountEdit(), page->passwordEdit()};
        submit = page->loginButton();
        held = kLogin;
    } else {
        dialog->onDealToggle(index);
        AccountCodeForm* page = index == 1 ? static_cast<AccountCodeForm*>(dialog->registerPage())
                                           : static_cast<AccountCodeForm*>(dialog->forgetPage());
        fillForm(page, QStringLiteral("13800000000"), QStringLiteral("fresh5678"), QStringLiteral("fresh5678"));
        fields = index == 1 ? QList<QLineEdit*>{page->accountEdit(), page->pictureCodeEdit()}
                            : QList<QLineEdit*>{page->accountEdit(), page->smsCodeEdit(), page->passwordEdit(),
                                                page->passwordAgainEdit()};
        submit = index == 1 ? static_cast<QWidget*>(page->sendButton()) : page->submitButton();
        held = index == 1 ? kSendCode : kForget;
    }
    QStringList sent;
    for (QLineEdit* field : qAsConst(fields))
        sent << field->text();
    QVERIFY(standin().addFault(held, QStringLiteral("ok"), -1));
    // The author types into every field while the request is out.
    QStringList shown;
    standin().onceAsked(held, dialog, [&]() {
        for (QLineEdit* field : qAsConst(fields)) {
            // Full fields too: the last character goes, another comes.
            QTest::keyClick(field, Qt::Key_Backspace);
            QTest::keyClicks(field, QStringLiteral("9"));
            shown << field->text();
        }
        QVERIFY(standin().releaseHeld());
    });
    QTest::mouseClick(submit, Qt::LeftButton);
    QCOMPARE(shown, sent);
    QCOMPARE(StandinServer::bodyOf(standin().requestsTo(held).first()).value(QStringLiteral("phone")).toString(),
             sent.first());
}

int runRegisterPageTests(int argc, char** argv)
{
    RegisterPagesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_RegisterPages.moc"

#include "JobsFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_UserConf.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "remote/records/AccountRecords.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/setting/Widget_Setting.h"
#include "ui/shell/Dialog_ChangeLockPwd.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {
T_SystemConf storedConf()
{
    TS_Author_Info user;
    T_UserConf conf;
    CTessaneDb::instance()->getUserData(StandinServer::demoUid(), user, conf);
    return conf.systemConf;
}

T_SystemConf& liveConf()
{
    return CPublicManager::instance()->userConf.systemConf;
}

// Acts on the next lock-password dialog once it runs modally; the flag tells
// whether one was seen at all.
void whenDialogRuns(std::function<void(Dialog_ChangeLockPwd*)> act, bool* seen)
{
    *seen = false;
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act, seen]() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<Dialog_ChangeLockPwd*>(w);
            if (!dialog)
                for (QWidget* c : w->findChildren<Dialog_ChangeLockPwd*>())
                    dialog = qobject_cast<Dialog_ChangeLockPwd*>(c);
            if (dialog && dialog->isVisible()) {
                timer->stop();
                timer->deleteLater();
                *seen = true;
                act(dialog);
                return;
            }
        }
    });
    timer->start();
}

void fill(Dialog_ChangeLockPwd* d, const QString& original, const QString& fresh,
          const QString& confirm)
{
    d->lineEditOriginal()->setText(original);
    d->lineEditNew()->setText(fresh);
    d->lineEditConfirm()->setText(confirm);
}

// Clicks confirm; when the dialog stays open (a refused input) it is
// cancelled so the caller's exec returns.
void confirmOrCancel(Dialog_ChangeLockPwd* d, QString* errorSeen)
{
    d->btnConfirm()->click();
    if (errorSeen)
        *errorSeen = d->labelError()->text();
    if (d->isVisible())
        d->btnCancel()->click();
}
} // namespace

class ChangeLockPwdTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void formFollowsTheMode_data();
    void formFollowsTheMode();
    void createRulesInOrder_data();
    void createRulesInOrder();
    void changeChecksOriginalBeforeTheNewPair_data();
    void changeChecksOriginalBeforeTheNewPair();
    void verifyOnlyLooksAtTheOriginal_data();
    void verifyOnlyLooksAtTheOriginal();
    void fieldsTakeAtMostEightCharacters();
    void titleCloseAndCancelReject();

    void turningTheLockOnStoresThePassword();
    void refusedCreateLeavesTheLockOff();
    void changingThePasswordStoresTheNewOne();
    void wrongOriginalKeepsTheStoredPassword();
    void turningTheLockOffNeedsTheCurrentPassword();
    void cancelledConfirmKeepsTheLockOn();
    void passwordWithPlaceholderCharactersIsStoredAsTyped();


private:
    JobsFixture* m_fixture = nullptr;
};

void ChangeLockPwdTest::init()
{
    QFile::remove(CUiManager::settingFilePath());
    m_fixture = new JobsFixture;
    QVERIFY(m_fixture->seed());
    QVERIFY(m_fixture->start());
    CPublicManager::instance()->userInfo.uid = StandinServer::demoUid();
    liveConf().pwdLockPwd = T_SystemConf().pwdLockPwd;
    liveConf().pwdLockType = 0;
    liveConf().pwdLockTime = 0;
}

void ChangeLockPwdTest::cleanup()
{
    delete m_fixture;
    m_fixture = nullptr;
    QFile::remove(CUiManager::settingFilePath());
}

void ChangeLockPwdTest::formFollowsTheMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("original");
    QTest::addColumn<bool>("pair");
    QTest::newRow("create") << 0 << "Creat password" << false << true;
    QTest::newRow("change") << 1 << "Change password" << true << true;
    QTest::newRow("verify") << 2 << "Verify password" << true << false;
}

void ChangeLockPwdTest::formFollowsTheMode()
{
    QFETCH(int, mode);
    QFETCH(QString, title);
    QFETCH(bool, original);
    QFETCH(bool, pair);
    Dialog_ChangeLockPwd d(mode);
    d.show();
    QCOMPARE(d.titleBar()->title(), title);
    QCOMPARE(d.lineEditOriginal()->isVisible(), original);
    QCOMPARE(d.lineEditNew()->isVisible(), pair);
    QCOMPARE(d.lineEditConfirm()->isVisible(), pair);
    QCOMPARE(d.lineEditNew()->echoMode(), QLineEdit::Password);
}

void ChangeLockPwdTest::createRulesInOrder_data()
{
    QTest::addColumn<QString>("fresh");
    QTest::addColumn<QString>("confirm");
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("both empty") << "" << "" << "Please enter new password" << false;
    QTest::newRow("new empty") << "" << "abc" << "Please enter new password" << false;
    QTest::newRow("confirm empty") << "abc" << "" << "Please enter confirm password" << false;
    QTest::newRow("mismatch") << "abc" << "abd" << "Two different passwords" << false;
    QTest::newRow("case differs") << "abc" << "ABC" << "Two different passwords" << false;
    QTest::newRow("one character") << "x" << "x" << "" << true;
    QTest::newRow("eight") << "12345678" << "12345678" << "" << true;
}

void ChangeLockPwdTest::createRulesInOrder()
{
    QFETCH(QString, fresh);
    QFETCH(QString, confirm);
    QFETCH(QString, error);
    QFETCH(bool, accepted);
    liveConf().pwdLockPwd = QStringLiteral("ignored");
    Dialog_ChangeLockPwd d(0);
    d.show();
    // Mode 0 has no original field to check, whatever it holds.
    fill(&d, QStringLiteral("zzz"), fresh, confirm);
    d.btnConfirm()->click();
    QCOMPARE(d.labelError()->text(), error);
    QCOMPARE(d.result() == QDialog::Accepted, accepted);
    QCOMPARE(d.isVisible(), !accepted);
    if (accepted)
        QCOMPARE(d.newPassword(), fresh);
}

void ChangeLockPwdTest::changeChecksOriginalBeforeTheNewPair_data()
{
    QTest::addColumn<QString>("original");
    QTest::addColumn<QString>("fresh");
    QTest::addColumn<QString>("confirm");
    QTest::addColumn<QString>("error");
    QTest::newRow("all empty") << "" << "" << "" << "Please enter the original password";
    QTest::newRow("original empty, pair wrong")
        << "" << "a" << "b" << "Please enter the original password";
    QTest::newRow("wrong original")
        << "old1" << "new" << "new" << "The original password is incorrect";
    QTest::newRow("original with space")
        << "old12 " << "new" << "new" << "The original password is incorrect";
    QTest::newRow("right original, new empty") << "old12" << "" << "" << "Please enter new password";
    QTest::newRow("right original, confirm empty")
        << "old12" << "new" << "" << "Please enter confirm password";
    QTest::newRow("right original, mismatch")
        << "old12" << "new" << "neu" << "Two different passwords";
    QTest::newRow("accepted") << "old12" << "new" << "new" << "";
}

void ChangeLockPwdTest::changeChecksOriginalBeforeTheNewPair()
{
    QFETCH(QString, original);
    QFETCH(QString, fresh);
    QFETCH(QString, confirm);
    QFETCH(QString, error);
    liveConf().pwdLockPwd = QStringLiteral("old12");
    Dialog_ChangeLockPwd d(1);
    d.show();
    fill(&d, original, fresh, confirm);
    d.btnConfirm()->click();
    QCOMPARE(d.labelError()->text(), error);
    QCOMPARE(d.result() == QDialog::Accepted, error.isEmpty());
}

void ChangeLockPwdTest::verifyOnlyLooksAtTheOriginal_data()
{
    QTest::addColumn<QString>("original");
    QTest::addColumn<QString>("error");
    QTest::newRow("empty") << "" << "Please enter the original password";
    QTest::newRow("wrong") << "Pass" << "The original password is incorrect";
    QTest::newRow("right, pair ignored") << "pass" << "";
}

void ChangeLockPwdTest::verifyOnlyLooksAtTheOriginal()
{
    QFETCH(QString, original);
    QFETCH(QString, error);
    liveConf().pwdLockPwd = QStringLiteral("pass");
    Dialog_ChangeLockPwd d(2);
    d.show();
    // The hidden pair would be refused as different; in this mode it is not read.
    fill(&d, original, QStringLiteral("a"), QString());
    d.btnConfirm()->click();
    QCOMPARE(d.labelError()->text(), error);
    QCOMPARE(d.result() == QDialog::Accepted, error.isEmpty());
}

void ChangeLockPwdTest::fieldsTakeAtMostEightCharacters()
{
    liveConf().pwdLockPwd = QStringLiteral("12345678");
    Dialog_ChangeLockPwd d(1);
    d.show();
    // Pasted or typed text beyond eight characters is cut at the field.
    fill(&d, QStringLiteral("123456789"), QStringLiteral("abcdefghij"),
         QStringLiteral("abcdefghXY"));
    QCOMPARE(d.lineEditOriginal()->text(), QStringLiteral("12345678"));
    QCOMPARE(d.lineEditNew()->text(), QStringLiteral("abcdefgh"));
    QCOMPARE(d.lineEditConfirm()->text(), QStringLiteral("abcdefgh"));
    d.lineEditNew()->clear();
    QTest::keyClicks(d.lineEditNew(), QStringLiteral("qwertyuiop"));
    QCOMPARE(d.lineEditNew()->text(), QStringLiteral("qwertyui"));
    d.lineEditConfirm()->setText(QStringLiteral("qwertyui"));
    d.btnConfirm()->click();
    QVERIFY(d.labelError()->text().isEmpty());
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(d.newPassword(), QStringLiteral("qwertyui"));
}

void ChangeLockPwdTest::titleCloseAndCancelReject()
{
    {
        Dialog_ChangeLockPwd d(0);
        d.show();
        fill(&d, QString(), QStringLiteral("abc"), QStringLiteral("abc"));
        emit d.titleBar()->sig_close();
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
    }
    {
        Dialog_ChangeLockPwd d(0);
        d.show();
        d.btnCancel()->click();
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
    }
}

void ChangeLockPwdTest::turningTheLockOnStoresThePassword()
{
    Widget_Setting page;
    auto* lock = page.findChild<QCheckBox*>(QStringLiteral("checkBoxPwdLock"));
    bool seen = false;
    whenDialogRuns([](Dialog_ChangeLockPwd* d) {
        QCOMPARE(d->mode(), 0);
        fill(d, QString(), QStringLiteral("k3y"), QStringLiteral("k3y"));
        d->btnConfirm()->click();
    }, &seen);
    lock->click();
    QVERIFY(seen);
    QVERIFY(lock->isChecked());
    QCOMPARE(liveConf().pwdLockPwd, QStringLiteral("k3y"));
    const T_SystemConf stored = storedConf();
    QCOMPARE(stored.pwdLockPwd, QStringLiteral("k3y"));
    QCOMPARE(stored.pwdLockType, 7);
    QCOMPARE(stored.pwdLockTime, 30);
}

void ChangeLockPwdTest::refusedCreateLeavesTheLockOff()
{
    Widget_Setting page;
    auto* lock = page.findChild<QCheckBox*>(QStringLiteral("checkBoxPwdLock"));
    bool seen = false;
    QString error;
    whenDialogRuns([&error](Dialog_ChangeLockPwd* d) {
        fill(d, QString(), QStringLiteral("k3y"), QStringLiteral("key"));
        confirmOrCancel(d, &error);
    }, &seen);
    lock->click();
    QVERIFY(seen);
    QCOMPARE(error, QStringLiteral("Two different passwords"));
    QVERIFY(!lock->isChecked());
    QCOMPARE(storedConf().pwdLockType, 0);
    QCOMPARE(storedConf().pwdLockPwd, T_SystemConf().pwdLockPwd);
}

void ChangeLockPwdTest::changingThePasswordStoresTheNewOne()
{
    liveConf().pwdLockPwd = QStringLiteral("first");
    liveConf().pwdLockType = 7;
    liveConf().pwdLockTime = 30;
    Widget_Setting page;
    auto* change = page.findChild<QPushButton*>(QStringLiteral("btnChangePwd"));
    QVERIFY(change);
    bool seen = false;
    whenDialogRuns([](Dialog_ChangeLockPwd* d) {
        QCOMPARE(d->mode(), 1);
        fill(d, QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("second"));
        d->btnConfirm()->click();
    }, &seen);
    change->click();
    QVERIFY(seen);
    QCOMPARE(liveConf().pwdLockPwd, QStringLiteral("second"));
    QCOMPARE(storedConf().pwdLockPwd, QStringLiteral("second"));
}

void ChangeLockPwdTest::wrongOriginalKeepsTheStoredPassword()
{
    liveConf().pwdLockPwd = QStringLiteral("first");
    liveConf().pwdLockType = 7;
    Widget_Setting page;
    auto* change = page.findChild<QPushButton*>(QStringLiteral("btnChangePwd"));
    bool seen = false;
    QString error;
    whenDialogRuns([&error](Dialog_ChangeLockPwd* d) {
        fill(d, QStringLiteral("First"), QStringLiteral("second"), QStringLiteral("second"));
        confirmOrCancel(d, &error);
    }, &seen);
    change->click();
    QVERIFY(seen);
    QCOMPARE(error, QStringLiteral("The original password is incorrect"));
    QCOMPARE(liveConf().pwdLockPwd, QStringLiteral("first"));
}

void ChangeLockPwdTest::turningTheLockOffNeedsTheCurrentPassword()
{
    liveConf().pwdLockPwd = QStringLiteral("k3y");
    liveConf().pwdLockType = 7;
    liveConf().pwdLockTime = 300;
    Widget_Setting page;
    auto* lock = page.findChild<QCheckBox*>(QStringLiteral("checkBoxPwdLock"));
    QVERIFY(lock->isChecked());
    bool seen = false;
    whenDialogRuns([](Dialog_ChangeLockPwd* d) {
        QCOMPARE(d->mode(), 2);
        d->lineEditOriginal()->setText(QStringLiteral("k3y"));
        d->btnConfirm()->click();
    }, &seen);
    lock->click();
    QVERIFY(seen);
    QVERIFY(!lock->isChecked());
    const T_SystemConf stored = storedConf();
    QCOMPARE(stored.pwdLockType, 0);
    QCOMPARE(stored.pwdLockTime, 0);
    QCOMPARE(stored.pwdLockPwd, T_SystemConf().pwdLockPwd);
}

void ChangeLockPwdTest::cancelledConfirmKeepsTheLockOn()
{
    liveConf().pwdLockPwd = QStringLiteral("k3y");
    liveConf().pwdLockType = 7;
    liveConf().pwdLockTime = 30;
    Widget_Setting page;
    auto* lock = page.findChild<QCheckBox*>(QStringLiteral("checkBoxPwdLock"));
    bool seen = false;
    QString error;
    whenDialogRuns([&error](Dialog_ChangeLockPwd* d) {
        d->lineEditOriginal()->setText(QStringLiteral("nope"));
        confirmOrCancel(d, &error);
    }, &seen);
    lock->click();
    QVERIFY(seen);
    QCOMPARE(error, QStringLiteral("The original password is incorrect"));
    QVERIFY(lock->isChecked());
    QCOMPARE(liveConf().pwdLockType, 7);
    QCOMPARE(liveConf().pwdLockPwd, QStringLiteral("k3y"));
}

void ChangeLockPwdTest::passwordWithPlaceholderCharactersIsStoredAsTyped()
{
    Widget_Setting page;
    auto* lock = page.findChild<QCheckBox*>(QStringLiteral("checkBoxPwdLock"));
    const QString odd = QStringLiteral("%1'\"; --");
    bool seen = false;
    whenDialogRuns([odd](Dialog_ChangeLockPwd* d) {
        fill(d, QString(), odd, odd);
        d->btnConfirm()->click();
    }, &seen);
    lock->click();
    QVERIFY(seen);
    QCOMPARE(storedConf().pwdLockPwd, odd);
}

int runChangeLockPwdTests(int argc, char** argv)
{
    ChangeLockPwdTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ChangeLockPwd.moc"

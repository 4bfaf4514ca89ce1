#include "JobsFixture.h"
#include "WhenShown.h"

#include "db/CTessaneDb.h"
#include "db/records/T_UserConf.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/bookshelf/Widget_Bookshelf.h"
#include "remote/records/AccountRecords.h"
#include "ui/setting/Widget_Setting.h"
#include "ui/shell/Dialog_ChangeLockPwd.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>


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

} // namespace

class ChangeLockPwdTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void settingsPageKeepsOnlyAcceptedPasswords_data();
    void settingsPageKeepsOnlyAcceptedPasswords();
    void refusedLockWriteIsToldAndPageShowsTheStoredLock();

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

void ChangeLockPwdTest::settingsPageKeepsOnlyAcceptedPasswords_data()
{
    QTest::addColumn<QString>("before");     // the lock's password; empty: the lock is off
    QTest::addColumn<QString>("control");    // what the author clicks on the settings page
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("typed");  // original, new, confirmation
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("after");      // the password in force; empty: the lock is off
    QTest::addColumn<QString>("stored");     // the password in the user's row
    QTest::addColumn<int>("storedType");
    const QString none = T_SystemConf().pwdLockPwd;
    const QString odd = QStringLiteral("%1'\"; --");
    const QString wrong = QStringLiteral("The original password is incorrect");
    QTest::newRow("turn on") << QString() << "lock" << 0 << QStringList{"", "k3y", "k3y"} << QString()
                             << "k3y" << "k3y" << 7;
    QTest::newRow("turn on, placeholder characters") << QString() << "lock" << 0 << QStringList{"", odd, odd}
                                                     << QString() << odd << odd << 7;
    QTest::newRow("turn on, pair differs") << QString() << "lock" << 0 << QStringList{"", "k3y", "key"}
                                           << "Two different passwords" << QString() << none << 0;
    QTest::newRow("change") << "first" << "change" << 1 << QStringList{"first", "second", "second"}
                            << QString() << "second" << "second" << 7;
    QTest::newRow("change, wrong original") << "first" << "change" << 1
                                            << QStringList{"First", "second", "second"} << wrong << "first"
                                            << none << 0;
    QTest::newRow("turn off") << "k3y" << "lock" << 2 << QStringList{"k3y", "", ""} << QString() << QString()
                              << none << 0;
    QTest::newRow("turn off, wrong password") << "k3y" << "lock" << 2 << QStringList{"nope", "", ""} << wrong
                                              << "k3y" << none << 0;
}

void ChangeLockPwdTest::settingsPageKeepsOnlyAcceptedPasswords()
{
    QFETCH(QString, before);
    QFETCH(QString, control);
    QFETCH(int, mode);
    QFETCH(QStringList, typed);
    QFETCH(QString, error);
    QFETCH(QString, after);
    QFETCH(QString, stored);
    QFETCH(int, storedType);
    if (!before.isEmpty()) {
        liveConf().pwdLockPwd = before;
        liveConf().pwdLockType = 7;
        liveConf().pwdLockTime = 30;
    }
    Widget_Setting page;
    auto* lock = page.findChild<QCheckBox*>(QStringLiteral("checkBoxPwdLock"));
    QCOMPARE(lock->isChecked(), !before.isEmpty());
    int modeSeen = -1;
    QString errorSeen;
    whenShown<Dialog_ChangeLockPwd>([&](Dialog_ChangeLockPwd* d) {
        modeSeen = d->mode();
        d->lineEditOriginal()->setText(typed.at(0));
        d->lineEditNew()->setText(typed.at(1));
        d->lineEditConfirm()->setText(typed.at(2));
        d->btnConfirm()->click();
        errorSeen = d->labelError()->text();
        // A refused input leaves the dialog open: cancel so exec returns.
        if (d->isVisible())
            d->btnCancel()->click();
    });
    if (control == QLatin1String("lock"))
        lock->click();
    else
        page.findChild<QPushButton*>(QStringLiteral("btnChangePwd"))->click();
    QCOMPARE(modeSeen, mode);
    QCOMPARE(errorSeen, error);
    QCOMPARE(lock->isChecked(), !after.isEmpty());
    QCOMPARE(liveConf().pwdLockPwd, after.isEmpty() ? T_SystemConf().pwdLockPwd : after);
    QCOMPARE(storedConf().pwdLockPwd, stored);
    QCOMPARE(storedConf().pwdLockType, storedType);
}

void ChangeLockPwdTest::refusedLockWriteIsToldAndPageShowsTheStoredLock()
{
    // The settings row takes no change, as on a failing disk.
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    QVERIFY(query.exec(QStringLiteral("create temp trigger refuse_settings before update on tb_system_conf "
                                      "begin select raise(abort, 'refused'); end;")));
    auto* toast = CUiManager::instance()->bookshelf()->findChild<QLabel*>(QStringLiteral("BookshelfTips"));
    QVERIFY(toast);
    toast->hide();
    Widget_Setting page;
    auto* lock = page.findChild<QCheckBox*>(QStringLiteral("checkBoxPwdLock"));
    whenShown<Dialog_ChangeLockPwd>([](Dialog_ChangeLockPwd* d) {
        d->lineEditNew()->setText(QStringLiteral("k3y"));
        d->lineEditConfirm()->setText(QStringLiteral("k3y"));
        d->btnConfirm()->click();
    });
    lock->click();

    QVERIFY(toast->isVisible());
    QVERIFY2(toast->text().startsWith(QStringLiteral("The setting could not be saved")), qPrintable(toast->text()));
    // The cause in words, not the database driver's.
    QVERIFY2(toast->text().endsWith(QCoreApplication::translate("DbFaultText", "The database refused the change.")),
             qPrintable(toast->text()));
    // The page and the lock in force are what is stored: off.
    QVERIFY(!lock->isChecked());
    QVERIFY(!page.findChild<QPushButton*>(QStringLiteral("btnChangePwd"))->isEnabled());
    QCOMPARE(liveConf().pwdLockType, 0);
    QCOMPARE(storedConf().pwdLockType, 0);
    QVERIFY(query.exec(QStringLiteral("drop trigger refuse_settings;")));
}

int runChangeLockPwdTests(int argc, char** argv)
{
    ChangeLockPwdTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ChangeLockPwd.moc"

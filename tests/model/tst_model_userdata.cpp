// The signed-in author's row, settings rows and the remembered last user.

#include "ModelDb.h"

#include "db/records/T_SysInfo.h"
#include "db/records/T_UserConf.h"
#include "remote/records/AccountRecords.h"
#include "remote/records/SystemRecords.h"

#include <QtTest>

namespace {

TS_Author_Info author(int uid)
{
    TS_Author_Info user;
    user.uid = uid;
    user.author_name = QStringLiteral("O'Neil %1");
    user.sign = QStringLiteral("it's me");
    user.token = QStringLiteral("tok");
    user.uniqueCode = QStringLiteral("code");
    user.isBindWx = true;
    user.isVip = 1;
    user.vipExpireTime = 99;
    return user;
}

} // namespace

class TestModelUserData : public QObject
{
    Q_OBJECT

private slots:

    void firstSignInIsAllOrNothing()
    {
        ModelDb m;
        QVERIFY(m.failInsertsWhen(QStringLiteral("tb_lock"), QStringLiteral("uid"),
                                  QStringLiteral("5")));
        QVERIFY(!m->insertUser(author(5), T_UserConf()));
        QCOMPARE(m.count("select count(*) from tb_user"), 0);
        QCOMPARE(m.count("select count(*) from tb_creation_conf"), 0);
        QCOMPARE(m.count("select count(*) from tb_system_conf"), 0);
    }

    void savingAllSettingsLeavesMemoCountAndLockAlone()
    {
        ModelDb m;
        QVERIFY(m->insertUser(author(5), T_UserConf()));
        QVERIFY(m.exec("update tb_system_conf set memoCount = 8"));
        T_WriteLock lock;
        lock.lockType = 1;
        lock.lockWords = 3000;
        QVERIFY(m->updateLock(5, lock));
        T_UserConf conf;
        conf.uid = 5;
        conf.systemConf.memoCount = 0;
        conf.systemConf.isTray = 1;
        conf.writeLock.lockType = 2;
        QVERIFY(m->updateUserConf(conf));
        QCOMPARE(m.count("select memoCount from tb_system_conf"), 8);
        QCOMPARE(m.count("select isTray from tb_system_conf"), 1);
        QCOMPARE(m.count("select lockType from tb_lock"), 1);
        QCOMPARE(m.count("select lockWords from tb_lock"), 3000);
    }

    void clearingUserDataIsAllOrNothing()
    {
        ModelDb m;
        QVERIFY(m.exec("insert into tb_book(authorId,bookName) values(1,'a')"));
        QVERIFY(m.exec("drop table tb_memo"));
        QVERIFY(!m->clearUserData());
        QCOMPARE(m.count("select count(*) from tb_book"), 1);
    }
};

int runModelUserData(int argc, char** argv)
{
    TestModelUserData test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_model_userdata.moc"

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

    void firstSignInStoresTheUserAndTheDefaults()
    {
        ModelDb m;
        T_UserConf conf;
        conf.systemConf.pwdLockPwd = QStringLiteral("pa'ss");
        QVERIFY(m->insertUser(author(5), conf));

        TS_Author_Info user;
        T_UserConf back;
        QVERIFY(m->getUserData(5, user, back));
        QCOMPARE(back.uid, 5);
        QCOMPARE(user.author_name, QStringLiteral("O'Neil %1"));
        QCOMPARE(user.sign, QStringLiteral("it's me"));
        QVERIFY(user.isBindWx);
        QCOMPARE(back.systemConf.pwdLockPwd, QStringLiteral("pa'ss"));
        // The first insert leaves these three to their column defaults.
        QCOMPARE(back.creationConf.isAutoPunctuation, 1);
        QCOMPARE(back.creationConf.isIndent, 1);
        QCOMPARE(back.creationConf.isSpaces, 0);
        QCOMPARE(m.count("select count(*) from tb_sensitive_words where type = 2 and uid = 5"), 1);
        QCOMPARE(m.count("select count(*) from tb_lock where uid = 5"), 1);
    }

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

    void settingsAreReadEvenWithoutTheUserRow()
    {
        ModelDb m;
        QVERIFY(m->insertUserDefaults(author(5), T_UserConf()));
        QVERIFY(m.exec("update tb_creation_conf set fontSize = 20"));
        TS_Author_Info user;
        T_UserConf conf;
        QVERIFY(!m->getUserData(5, user, conf));
        QCOMPARE(conf.creationConf.fontSize, 20);
        QCOMPARE(conf.uid, 0);
    }

    void lineSpacingKeepsItsValue()
    {
        ModelDb m;
        QVERIFY(m->insertUser(author(5), T_UserConf()));
        T_CreationConf c;
        c.lineSpacing = 1.1;
        c.fontColor = QStringLiteral("#a'b");
        QVERIFY(m->updateCreationConf(c, 5));
        TS_Author_Info user;
        T_UserConf conf;
        QVERIFY(m->getUserData(5, user, conf));
        QCOMPARE(conf.creationConf.lineSpacing, 1.1);
        QCOMPARE(conf.creationConf.fontColor, QStringLiteral("#a'b"));
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

    void clearingUserDataEmptiesTheFourTables()
    {
        ModelDb m;
        QVERIFY(m.exec("insert into tb_book(authorId,bookName) values(1,'a'),(2,'b')"));
        QVERIFY(m.exec("insert into tb_chapter(localBookId,bookId) values(1,0)"));
        QVERIFY(m.exec("insert into tb_job(jobType) values(1017)"));
        QVERIFY(m.exec("insert into tb_memo(uid) values(3)"));
        QVERIFY(m.exec("insert into tb_volume(localBookId) values(1)"));
        QVERIFY(m->clearUserData());
        for (const char* table : {"tb_book", "tb_chapter", "tb_job", "tb_memo"})
            QCOMPARE(m.count(QStringLiteral("select count(*) from %1").arg(QLatin1String(table))), 0);
        QCOMPARE(m.count("select count(*) from tb_volume"), 1);
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

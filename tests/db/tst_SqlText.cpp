#include "DbFixture.h"
#include "db/SqlFormat.h"
#include "db/SqlScript.h"
#include "db/records/T_UserConf.h"
#include "remote/records/AccountRecords.h"

#include <QtTest>

#include <functional>

namespace {
QStringList g_logged;
void keepMessage(QtMsgType, const QMessageLogContext&, const QString& text)
{
    g_logged.append(text);
}
}

// Statement texts: values escaped and placed once, scripts split where the
// SQL really ends a statement.
class tst_SqlText : public QObject
{
    Q_OBJECT
private slots:
    void valuesAreEscapedAndPlacedInOnePass()
    {
        QCOMPARE(sqlFormat(QStringLiteral("values(%1,%2,%3);"), {QStringLiteral("%2 and %3"), 7, QStringLiteral("%1")}),
                 QStringLiteral("values('%2 and %3',7,'%1');"));
        QCOMPARE(sqlFormat(QStringLiteral("x = %1"), {QStringLiteral("it's 100%")}), QStringLiteral("x = 'it''s 100%'"));
        QCOMPARE(sqlFormat(QStringLiteral("%1"), {QString()}), QStringLiteral("''"));
        QVector<SqlArg> args;
        for (int i = 1; i <= 13; ++i)
            args.append(SqlArg(i * 10));
        QCOMPARE(sqlFormat(QStringLiteral("%1 %9 %10 %13"), args), QStringLiteral("10 90 100 130"));
        // With fewer values "%12" is the first value followed by a 2.
        QCOMPARE(sqlFormat(QStringLiteral("%12"), {5}), QStringLiteral("52"));
        // A bad name or a missing value gives no statement at all.
        QVERIFY(sqlFormat(QStringLiteral("delete from %1"), {SqlArg::name(QStringLiteral("tb_job; drop"))}).isEmpty());
        QVERIFY(sqlFormat(QStringLiteral("%1 %2"), {1}).isEmpty());
        QCOMPARE(sqlFormat(QStringLiteral("delete from %1 where %2 = %3"),
                           {SqlArg::name(QStringLiteral("tb_job")), SqlArg::name(QStringLiteral("jobId")), 4}),
                 QStringLiteral("delete from tb_job where jobId = 4"));
    }

    void scriptKeepsSemicolonsInsideQuotes()
    {
        const QStringList parts = splitSqlScript(QStringLiteral(
            "INSERT INTO t VALUES('a;b');INSERT INTO \"odd;name\" VALUES(1);\n"
            "INSERT INTO t VALUES('it''s; fine');"));
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts.at(0), QStringLiteral("INSERT INTO t VALUES('a;b');"));
        QCOMPARE(parts.at(2), QStringLiteral("INSERT INTO t VALUES('it''s; fine');"));
        // A trigger body stays one statement.
        const QStringList trigger = splitSqlScript(QStringLiteral(
            "CREATE TRIGGER t1 AFTER INSERT ON a BEGIN UPDATE b SET n = n + 1; DELETE FROM c; END;SELECT 3;"));
        QCOMPARE(trigger.size(), 2);
        QVERIFY(trigger.at(0).endsWith(QStringLiteral("END;")));
    }

    void failedStatementsNeverShowSecretValues()
    {
        DbFixture f;
        QVERIFY(f.init());
        CTessaneDb* db = f.db();
        TS_Author_Info user;
        user.uid = 7;
        user.token = QStringLiteral("tok-SECRET-1");
        user.uniqueCode = QStringLiteral("uc-SECRET-2");
        T_UserConf conf;
        conf.systemConf.pwdLockPwd = QStringLiteral("lock-SECRET-3");
        QVERIFY(db->insertUser(user, conf));
        for (const char* table : {"tb_user", "tb_system_conf", "tb_job"}) {
            for (const char* when : {"INSERT", "UPDATE"}) {
                QVERIFY(f.exec(QStringLiteral("CREATE TRIGGER refuse_%1_%2 BEFORE %2 ON %1 BEGIN "
                                              "SELECT RAISE(ABORT, 'disk says no'); END;")
                                   .arg(QLatin1String(table), QLatin1String(when))));
            }
        }
        user.token = QStringLiteral("tok-SECRET-4");
        conf.systemConf.pwdLockPwd = QStringLiteral("lock-SECRET-5");
        struct Case {
            const char* table;
            std::function<bool()> write;
        };
        const QList<Case> cases = {
            {"tb_user", [&] { return db->updateToken(7, QStringLiteral("tok-SECRET-6")); }},
            {"tb_user", [&] { return db->updateUser(user); }},
            {"tb_user", [&] { user.uid = 8; return db->insertUser(user, conf); }},
            {"tb_system_conf", [&] { return db->updateSystemConf(conf.systemConf, 7); }},
            {"tb_job", [&] {
                 return db->exec(QStringLiteral("insert into tb_job(content,uid) values(%1,7)"),
                                 {QStringLiteral(R"({"newPassword":"pw-SECRET-7","n":1})")});
             }},
        };
        for (const Case& c : cases) {
            g_logged.clear();
            const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
            const bool written = c.write();
            qInstallMessageHandler(previous);
            QVERIFY(!written);
            const QString log = g_logged.join(QLatin1Char('\n'));
            // The failing statement is in the log, with its secrets masked.
            QVERIFY2(log.contains(QLatin1String(c.table)) && log.contains(QLatin1String("***")),
                     qPrintable(log));
            QVERIFY2(!log.contains(QLatin1String("SECRET")), qPrintable(log));
            QVERIFY2(!db->lastErrorText().contains(QLatin1String("SECRET")),
                     qPrintable(db->lastErrorText()));
        }
    }
};

int runDbTestSqlText(int argc, char** argv)
{
    tst_SqlText test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SqlText.moc"

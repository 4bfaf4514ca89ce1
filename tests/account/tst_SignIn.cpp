// Completing a sign-in: the user row, the uniquecode, the token, the last
// user, and what a failed sign-in leaves behind.

#include "AccountFixture.h"

#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "manager/CUserJobManager.h"
#include "remote/CTessaneHttp.h"
#include "remote/T_Http_S.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

class TestSignIn : public QObject
{
    Q_OBJECT

private slots:
    void firstSignInCreatesTheUserRowWithANewUniqueCode()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        TS_Author_Login reply;
        QVERIFY(world.signInDemo(true, &reply));
        QCOMPARE(reply.uid, StandinServer::demoUid());

        QCOMPARE(world.count("select count(*) from tb_user"), 1);
        QCOMPARE(world.value("select authorName from tb_user where uid = 10001").toString(),
                 QStringLiteral("演示作者"));
        QCOMPARE(world.value("select token from tb_user where uid = 10001").toByteArray(),
                 StandinServer::demoToken());
        const QString code = world.value("select uniqueCode from tb_user where uid = 10001").toString();
        QVERIFY(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(code).hasMatch());
        QCOMPARE(world.count("select count(*) from tb_system_conf where uid = 10001"), 1);
        QCOMPARE(world.count("select lastUid from tb_sys"), 10001);

        const TS_Author_Info& user = CPublicManager::instance()->userInfo;
        QCOMPARE(user.uid, 10001);
        QCOMPARE(user.uniqueCode, code);
        QCOMPARE(user.level_id, 3);
        QCOMPARE(CPublicManager::instance()->userConf.uid, 10001);
        QCOMPARE(CPublicManager::instance()->statistics.date,
                 QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));

        // Later requests carry the new sign-in.
        QVERIFY(standin().clearJournal());
        TC_Author_Info infoRequest;
        TS_Author_Info info;
        CUserJobManager::instance()->author_info(infoRequest, info);
        const QList<QJsonObject> sent = standin().requestsTo(QStringLiteral("/author/info"));
        QCOMPARE(sent.size(), 1);
        QCOMPARE(StandinServer::header(sent.first(), "Authorization"),
                 QByteArray("Bearer ") + StandinServer::demoToken());
        QCOMPARE(StandinServer::header(sent.first(), "uniquecode"), code.toLatin1());
    }

    void signInWhoseUserRowCannotBeWrittenReportsADatabaseError()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.exec("CREATE TRIGGER refuse_user BEFORE INSERT ON tb_user "
                           "BEGIN SELECT RAISE(ABORT, 'disk says no'); END;"));
        TS_Author_Login reply;
        QVERIFY(!world.signInDemo(true, &reply));
        QCOMPARE(reply.header.code, int(HttpDbError));
        QVERIFY(reply.header.msg.startsWith(QStringLiteral("数据库错误\n")));
        QCOMPARE(world.count("select count(*) from tb_user"), 0);
        QCOMPARE(world.count("select lastUid from tb_sys"), 0);
    }

    void signInWhoseTokenCannotBeStoredReportsADatabaseError()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        QVERIFY(world.exec("update tb_user set token = 'stale'"));
        QVERIFY(world.exec("update tb_sys set lastUid = 0"));
        QVERIFY(world.exec("CREATE TRIGGER refuse_token BEFORE UPDATE OF token ON tb_user "
                           "BEGIN SELECT RAISE(ABORT, 'disk says no'); END;"));
        CPublicManager::instance()->resetUser();
        TS_Author_Login reply;
        QVERIFY(!world.signInDemo(true, &reply));
        QCOMPARE(reply.header.code, int(HttpDbError));
        QCOMPARE(world.count("select lastUid from tb_sys"), 0);
    }

    void refusedSignInWritesKeepTokenAndUniqueCodeOutOfLogAndMessage()
    {
        // The first sign-in's user row, then a changed token: both statements
        // fail, are logged and reach the author as a database error.
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.exec("CREATE TRIGGER refuse_user BEFORE INSERT ON tb_user "
                           "BEGIN SELECT RAISE(ABORT, 'disk says no'); END;"));
        LogCapture log;
        TS_Author_Login first;
        QVERIFY(!world.signInDemo(true, &first));
        QVERIFY(world.exec("DROP TRIGGER refuse_user"));
        QVERIFY(world.signInDemo());
        const QString uniqueCode = world.value("select uniqueCode from tb_user").toString();
        QVERIFY(!uniqueCode.isEmpty());
        QVERIFY(world.exec("update tb_user set token = 'stale'"));
        QVERIFY(world.exec("CREATE TRIGGER refuse_token BEFORE UPDATE OF token ON tb_user "
                           "BEGIN SELECT RAISE(ABORT, 'disk says no'); END;"));
        CPublicManager::instance()->resetUser();
        TS_Author_Login second;
        QVERIFY(!world.signInDemo(true, &second));

        const QString text = LogCapture::lines.join(QLatin1Char('\n'));
        // Both statements were logged, their secret values masked.
        QVERIFY2(text.contains(QLatin1String("insert into tb_user(")), qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("'***','***'")), qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("update tb_user set token = '***' where uid = 10001")),
                 qPrintable(text));
        for (const QString& shown : {text, first.header.msg, second.header.msg}) {
            QVERIFY2(!shown.contains(QLatin1String(StandinServer::demoToken())), qPrintable(shown));
            QVERIFY2(!shown.contains(uniqueCode), qPrintable(shown));
        }
        QCOMPARE(second.header.code, int(HttpDbError));
    }

    void failedSignInRequestsStoreNothing()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        // No answer at all (Qt retries a dropped connection once).
        QVERIFY(standin().addFault(QStringLiteral("/account/login"), QStringLiteral("drop"), 0, 2));
        TS_Author_Login reply;
        QVERIFY(!world.signInDemo(true, &reply));
        QCOMPARE(reply.header.code, 0);

        // A refusal.
        TC_Author_Login request;
        request.phone = QStringLiteral("13800000000");
        request.password = QStringLiteral("wrong");
        TS_Author_Login refused;
        CUserJobManager::instance()->author_login(request, refused);
        QVERIFY(refused.header.code != 200);
        QVERIFY(refused.header.code != 0);

        // A success that names no account.
        QVERIFY(standin().addFault(QStringLiteral("/account/login"), QStringLiteral("raw"), 0, 1,
                                   R"({"code":200,"msg":"ok","server_time":1,"content":{"x":1}})"));
        TS_Author_Login empty;
        QVERIFY(!world.signInDemo(true, &empty));

        QCOMPARE(world.count("select count(*) from tb_user"), 0);
        QCOMPARE(world.count("select lastUid from tb_sys"), 0);
        QCOMPARE(CPublicManager::instance()->userInfo.uid, 0);
    }

    void weChatBindingWithALostSignInAsksForANewOne()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        CUiManager::instance()->setSignInState(1);
        QSignalSpy login(CUiManager::instance(), &CUiManager::sig_LoginRequired);
        QVERIFY(standin().addFault(QStringLiteral("/author/info"), QStringLiteral("code300")));
        TC_Author_WxBindPhone request;
        TS_Author_Login reply;
        QCOMPARE(CUserJobManager::instance()->author_wxBindPhone(request, reply), 200);
        QCOMPARE(login.count(), 1);

        QVERIFY(standin().addFault(QStringLiteral("/author/wxBindPhone"), QStringLiteral("http500")));
        TS_Author_Login failed;
        QCOMPARE(CUserJobManager::instance()->author_wxBindPhone(request, failed), 10002);
    }

    void passwordsAndTokensNeverReachTheLog()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        LogCapture log;
        QVERIFY(world.signInDemo());
        const QByteArray bind = R"({"code":200,"msg":"ok","userdata":"10001,5,0,0,0,0,0,0,0,0,0,0,0",)"
                                R"("content":{"isBindPhone":4,"status":1,"token":"secret-bind-token","uid":10001}})";
        CUserJobManager::instance()->asynBack(5, bind);
        QVERIFY(!LogCapture::lines.isEmpty());
        for (const QString& line : LogCapture::lines) {
            QVERIFY2(!line.contains(QLatin1String("demo1234")), qPrintable(line));
            QVERIFY2(!line.contains(QLatin1String(StandinServer::demoToken())), qPrintable(line));
            QVERIFY2(!line.contains(QLatin1String("secret-bind-token")), qPrintable(line));
        }
    }
};

int runSignInTests(int argc, char** argv)
{
    TestSignIn test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SignIn.moc"

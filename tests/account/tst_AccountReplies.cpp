// The replies of the asynchronous account requests: profile (2), WeChat
// sign-in and binding polls (4, 5), notice (6) and check-in (7).

#include "AccountFixture.h"

#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "manager/CUserJobManager.h"
#include "remote/CTessaneHttp.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

QByteArray reply(int code, const QByteArray& userdata, const QByteArray& content)
{
    return "{\"code\":" + QByteArray::number(code) + ",\"msg\":\"m\",\"userdata\":\"" + userdata
           + "\",\"content\":" + content + "}";
}

}

class TestAccountReplies : public QObject
{
    Q_OBJECT

private slots:
    void profileReplyUpdatesTheUserRow()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        ReplyCatcher catcher(CTessaneHttp::instance());
        QVERIFY(standin().addFault(QStringLiteral("/author/info"), QStringLiteral("raw"), 0, 1,
                                   reply(200, "10001,2,0,0,0,0,0,0,1,0,0,0,0",
                                         R"({"author_name":"改过的","sex":"M","sign":"新签名","isVip":1,"level_id":4})")));
        TC_Author_Info request;
        request.header.uid = 10001;
        request.header.jobType = 2;
        request.header.synStep = 1;
        CTessaneHttp::instance()->author_info_asyn(request);
        QVERIFY(catcher.waitFor(1));
        CUserJobManager::instance()->asynBack(2, catcher.replies.first().body);

        QCOMPARE(world.value("select authorName from tb_user").toString(), QStringLiteral("改过的"));
        QCOMPARE(world.value("select sign from tb_user").toString(), QStringLiteral("新签名"));
        QCOMPARE(world.count("select isVip from tb_user"), 1);
        QCOMPARE(world.count("select userLevel from tb_user"), 4);
        // Sign-in data stays.
        QCOMPARE(world.value("select token from tb_user").toByteArray(), StandinServer::demoToken());
    }

    void failedOrForeignProfileRepliesChangeNothing()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        auto* jobs = CUserJobManager::instance();
        jobs->asynBack(2, reply(500, "10001,2,0,0,0,0,0,0,1,0,0,0,0", R"({"author_name":"坏"})"));
        jobs->asynBack(2, reply(200, "20002,2,0,0,0,0,0,0,1,0,0,0,0", R"({"author_name":"别人"})"));
        jobs->asynBack(2, "not json at all");
        QCOMPARE(world.value("select authorName from tb_user").toString(), QStringLiteral("演示作者"));
        QCOMPARE(CPublicManager::instance()->userInfo.author_name, QStringLiteral("演示作者"));
    }

    void weChatBindConfirmedMarksTheAccountBound()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        auto* jobs = CUserJobManager::instance();
        // Bound, but not through a phone number of this kind: nothing changes.
        jobs->asynBack(5, reply(200, "10001,5,0,0,0,0,0,0,0,0,0,0,0",
                                R"({"isBindPhone":1,"status":1,"token":"","uid":10001})"));
        QCOMPARE(world.count("select isBindWx from tb_user"), 0);
        jobs->asynBack(5, reply(200, "10001,5,0,0,0,0,0,0,0,0,0,0,0",
                                R"({"isBindPhone":4,"status":1,"token":"","uid":10001})"));
        QCOMPARE(world.count("select isBindWx from tb_user"), 1);
        QVERIFY(CPublicManager::instance()->userInfo.isBindWx);
    }

    void noticeReplyReachesTheWindowManager()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        ReplyCatcher catcher(CTessaneHttp::instance());
        QSignalSpy notice(CUiManager::instance(), &CUiManager::sig_UserNotice);
        TC_Author_Notice request;
        CUserJobManager::instance()->author_notice(request);
        QVERIFY(catcher.waitFor(1));
        QCOMPARE(catcher.replies.first().requestUserdata.split(',').value(1), QByteArray("6"));
        CUserJobManager::instance()->asynBack(6, catcher.replies.first().body);
        QCOMPARE(notice.count(), 1);
        QCOMPARE(notice.first().at(0).toInt(), 0);
        QCOMPARE(notice.first().at(1).toInt(), 0);

        CUserJobManager::instance()->asynBack(6, reply(200, "10001,6,0,0,0,0,0,0,0,0,0,0,0",
                                                       R"({"is_red":1,"num":3})"));
        QCOMPARE(notice.count(), 2);
        QCOMPARE(notice.last().at(0).toInt(), 1);
        QCOMPARE(notice.last().at(1).toInt(), 3);

        // A failed reply tells nobody.
        CUserJobManager::instance()->asynBack(6, reply(500, "10001,6,0,0,0,0,0,0,0,0,0,0,0",
                                                       R"({"is_red":1,"num":9})"));
        QCOMPARE(notice.count(), 2);
    }

    void checkInRepliesCarryTheirMessage_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("checkedIn");
        QTest::addColumn<int>("signValue");
        QTest::addColumn<int>("vipTime");
        QTest::addColumn<QString>("message");
        QTest::newRow("already checked in") << 200 << 0 << 0 << 1700 << QStringLiteral("I checked in today");
        QTest::newRow("checked in now") << 200 << 1 << 1 << 1700 << QStringLiteral("Sign in successfully");
        QTest::newRow("other state") << 200 << 2 << 2 << 1700 << QString();
        QTest::newRow("refused") << 500 << 1 << -1 << 0 << QStringLiteral("Sign in failed");
    }

    void checkInRepliesCarryTheirMessage()
    {
        QFETCH(int, code);
        QFETCH(int, checkedIn);
        QFETCH(int, signValue);
        QFETCH(int, vipTime);
        QFETCH(QString, message);
        QSignalSpy sign(CUiManager::instance(), &CUiManager::sig_UserSign);
        CUserJobManager::instance()->asynBack(
            7, reply(code, "10001,7,0,0,0,0,0,0,0,0,0,0,0",
                     "{\"is_checkin_today\":" + QByteArray::number(checkedIn) + ",\"vipExpireTime\":1700}"));
        QCOMPARE(sign.count(), 1);
        QCOMPARE(sign.first().at(0).toInt(), signValue);
        QCOMPARE(sign.first().at(1).toInt(), vipTime);
        QCOMPARE(sign.first().at(2).toString(), message);
    }

    void otherJobTypesAreIgnored()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        QSignalSpy notice(CUiManager::instance(), &CUiManager::sig_UserNotice);
        QSignalSpy sign(CUiManager::instance(), &CUiManager::sig_UserSign);
        for (int type : {0, 1, 3, 8, 1016})
            CUserJobManager::instance()->asynBack(type, reply(200, "10001,6,0,0,0,0,0,0,0,0,0,0,0",
                                                             R"({"is_red":1,"num":3,"author_name":"x"})"));
        QCOMPARE(notice.count(), 0);
        QCOMPARE(sign.count(), 0);
        QCOMPARE(world.value("select authorName from tb_user").toString(), QStringLiteral("演示作者"));
    }
};

int runAccountReplyTests(int argc, char** argv)
{
    TestAccountReplies test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_AccountReplies.moc"

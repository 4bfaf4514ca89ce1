// The replies of the asynchronous account requests that must change nothing.

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

};

int runAccountReplyTests(int argc, char** argv)
{
    TestAccountReplies test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_AccountReplies.moc"

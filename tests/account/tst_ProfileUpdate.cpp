// The profile update works offline first: the row at once, the request when
// the platform answers, a queued job 2 when it does not, and the replay of
// that job.

#include "AccountFixture.h"

#include "common/ServerClock.h"
#include "db/CTessaneDb.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "manager/CUserJobManager.h"
#include "remote/T_Http_Custom.h"
#include "remote/T_Http_S.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QtTest>

namespace {

void updateProfile(const QString& name, const QString& sex, TS_Author_Update* replyOut = nullptr)
{
    TC_Author_Update request;
    request.author_name = name;
    request.sex = sex;
    request.update_time = int(currentServerTime());
    TS_Author_Update reply;
    CUserJobManager::instance()->author_update(request, reply);
    if (replyOut)
        *replyOut = reply;
}

QJsonObject contentOf(AccountWorld& world)
{
    return QJsonDocument::fromJson(
               world.value("select content from tb_job where jobType = 2").toString().toUtf8())
        .object();
}

T_JobData oldestJob()
{
    T_JobData job;
    CTessaneDb::instance()->getUserJobData(job, CPublicManager::instance()->userInfo.uid);
    return job;
}

QString standinAuthorName()
{
    for (const QJsonValue& author : standin().store().value(QStringLiteral("authors")).toArray()) {
        if (author.toObject().value(QStringLiteral("uid")).toInt() == StandinServer::demoUid())
            return author.toObject().value(QStringLiteral("author_name")).toString();
    }
    return QString();
}

}

class TestProfileUpdate : public QObject
{
    Q_OBJECT

private slots:

    void offlineUpdateWritesTheRowAndQueuesOneJob()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        QVERIFY(standin().addFault(QStringLiteral("/author/updateAuthor"), QStringLiteral("drop"), 0, -1));

        updateProfile(QStringLiteral("离线名"), QStringLiteral("M"));
        QCOMPARE(world.value("select authorName from tb_user").toString(), QStringLiteral("离线名"));
        QCOMPARE(world.count("select count(*) from tb_job"), 1);
        QCOMPARE(world.count("select uid from tb_job"), 10001);
        QCOMPARE(world.count("select jobType from tb_job"), 2);
        QJsonObject content = contentOf(world);
        QCOMPARE(content.keys(), (QStringList{QStringLiteral("name"), QStringLiteral("sex")}));
        QCOMPARE(content.value(QStringLiteral("name")).toString(), QStringLiteral("离线名"));
        QCOMPARE(content.value(QStringLiteral("sex")).toString(), QStringLiteral("M"));

        // A second update before the replay leaves one pending job, the newer one.
        updateProfile(QStringLiteral("再改名"), QStringLiteral("F"));
        QCOMPARE(world.count("select count(*) from tb_job"), 1);
        content = contentOf(world);
        QCOMPARE(content.value(QStringLiteral("name")).toString(), QStringLiteral("再改名"));
        QCOMPARE(content.value(QStringLiteral("sex")).toString(), QStringLiteral("F"));
        QCOMPARE(world.value("select authorName from tb_user").toString(), QStringLiteral("再改名"));
    }

    void updateFromTheChangeFeedIsNotQueued()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        QVERIFY(standin().addFault(QStringLiteral("/author/updateAuthor"), QStringLiteral("http500")));
        TC_Author_Update request;
        request.author_name = QStringLiteral("来自服务器");
        request.sex = QStringLiteral("F");
        request.header.synStep = 1;
        TS_Author_Update reply;
        CUserJobManager::instance()->author_update(request, reply);
        QCOMPARE(world.count("select count(*) from tb_job"), 0);
        QCOMPARE(world.value("select authorName from tb_user").toString(), QStringLiteral("来自服务器"));
    }

    void updateWhoseRowCannotBeWrittenReportsADatabaseError()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        QVERIFY(world.exec("CREATE TRIGGER refuse_user BEFORE UPDATE ON tb_user "
                           "BEGIN SELECT RAISE(ABORT, 'disk says no'); END;"));
        TS_Author_Update reply;
        updateProfile(QStringLiteral("写不进"), QStringLiteral("M"), &reply);
        // The platform took it, but the local copy is not on disk.
        QCOMPARE(standinAuthorName(), QStringLiteral("写不进"));
        QCOMPARE(reply.header.code, int(HttpDbError));
        QVERIFY(reply.header.msg.startsWith(QStringLiteral("数据库错误\n")));
        QCOMPARE(CPublicManager::instance()->userInfo.author_name, QStringLiteral("写不进"));
    }

    void offlineUpdateThatCannotBeQueuedReportsADatabaseError()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        QVERIFY(standin().addFault(QStringLiteral("/author/updateAuthor"), QStringLiteral("http500")));
        QVERIFY(world.exec("CREATE TRIGGER refuse_job BEFORE INSERT ON tb_job "
                           "BEGIN SELECT RAISE(ABORT, 'disk says no'); END;"));
        TS_Author_Update reply;
        updateProfile(QStringLiteral("丢不得"), QStringLiteral("M"), &reply);
        QCOMPARE(reply.header.code, int(HttpDbError));
        QCOMPARE(world.value("select authorName from tb_user").toString(), QStringLiteral("丢不得"));
    }

    void replayAcceptedOrRefusedForGoodDeletesTheJob_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("accepted") << QString();
        QTest::newRow("refused for good (400)") << QStringLiteral("code400");
    }

    void replayAcceptedOrRefusedForGoodDeletesTheJob()
    {
        QFETCH(QString, kind);
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        QVERIFY(standin().addFault(QStringLiteral("/author/updateAuthor"), QStringLiteral("http500")));
        updateProfile(QStringLiteral("重放名"), QStringLiteral("M"));
        T_JobData job = oldestJob();
        QCOMPARE(job.jobType, 2);
        if (!kind.isEmpty())
            QVERIFY(standin().addFault(QStringLiteral("/author/updateAuthor"), kind));
        QVERIFY(standin().clearJournal());
        QSignalSpy sync(CUiManager::instance(), &CUiManager::sig_SyncAnimation);

        CUserJobManager::instance()->execUserJob(&job);

        QCOMPARE(world.count("select count(*) from tb_job"), 0);
        QCOMPARE(sync.count(), 0);
        const QList<QJsonObject> sent = standin().requestsTo(QStringLiteral("/author/updateAuthor"));
        QCOMPARE(sent.size(), 1);
        T_Http_Custom identity;
        identity.fromUserData(QString::fromLatin1(StandinServer::header(sent.first(), "userdata")));
        QCOMPARE(identity.jobId, job.jobId);
        QCOMPARE(identity.jobType, 2);
        QCOMPARE(identity.runNext, 1);
        QCOMPARE(identity.uid, 10001);
        const QJsonObject body =
            QJsonDocument::fromJson(sent.first().value(QStringLiteral("body")).toString().toUtf8()).object();
        QCOMPARE(body.value(QStringLiteral("author_name")).toString(), QStringLiteral("重放名"));
        QCOMPARE(body.value(QStringLiteral("sex")).toString(), QStringLiteral("M"));
        QCOMPARE(body.value(QStringLiteral("update_time")).toInt(), job.createTime);
        if (kind.isEmpty())
            QCOMPARE(standinAuthorName(), QStringLiteral("重放名"));
    }

    void replayThatFailsKeepsTheJobAndMarksTheSyncFailed_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("count");
        QTest::newRow("sign in again (300)") << QStringLiteral("code300") << 1;
        QTest::newRow("platform error 500") << QStringLiteral("code500") << 1;
        QTest::newRow("http 500") << QStringLiteral("http500") << 1;
        QTest::newRow("connection dropped") << QStringLiteral("drop") << 2;
        QTest::newRow("reply not json") << QStringLiteral("notjson") << 1;
    }

    void replayThatFailsKeepsTheJobAndMarksTheSyncFailed()
    {
        QFETCH(QString, kind);
        QFETCH(int, count);
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        QVERIFY(standin().addFault(QStringLiteral("/author/updateAuthor"), QStringLiteral("http500")));
        updateProfile(QStringLiteral("留着"), QStringLiteral("M"));
        T_JobData job = oldestJob();
        QVERIFY(job.jobId > 0);
        QVERIFY(standin().addFault(QStringLiteral("/author/updateAuthor"), kind, 0, count));
        CUiManager::instance()->setSyncRunning(1);
        QSignalSpy sync(CUiManager::instance(), &CUiManager::sig_SyncAnimation);

        CUserJobManager::instance()->execUserJob(&job);

        QCOMPARE(world.count("select count(*) from tb_job"), 1);
        QCOMPARE(world.count("select jobId from tb_job"), job.jobId);
        QCOMPARE(sync.count(), 1);
        QCOMPARE(sync.first().at(0).toBool(), false);
        QCOMPARE(sync.first().at(1).toBool(), false);
        QCOMPARE(CUiManager::instance()->syncRunning(), 0);
    }

    void replayKeepsAJobRewrittenWhileItWasSent()
    {
        AccountWorld world;
        QVERIFY(world.ok());
        QVERIFY(world.signInDemo());
        QVERIFY(standin().addFault(QStringLiteral("/author/updateAuthor"), QStringLiteral("http500"), 0, 2));
        updateProfile(QStringLiteral("旧的"), QStringLiteral("M"));
        T_JobData sent = oldestJob();
        // A newer change merges into the pending job after the replay read it.
        updateProfile(QStringLiteral("新的"), QStringLiteral("F"));

        CUserJobManager::instance()->execUserJob(&sent);

        QCOMPARE(world.count("select count(*) from tb_job"), 1);
        QCOMPARE(contentOf(world).value(QStringLiteral("name")).toString(), QStringLiteral("新的"));
    }

};

int runProfileUpdateTests(int argc, char** argv)
{
    TestProfileUpdate test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ProfileUpdate.moc"

// The profile update works offline first: the row at once, the request when
// the platform answers, a queued job 2 when it does not, and the replay of
// that job.

#include "AccountFixture.h"
#include "WhenShown.h"

#include "common/ServerClock.h"
#include "db/CTessaneDb.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "manager/CUserJobManager.h"
#include "remote/T_Http_Custom.h"
#include "remote/T_Http_S.h"
#include "ui/bookshelf/Dialog_UserInfo.h"
#include "ui/bookshelf/Widget_Bookshelf.h"

#include <QInputMethodEvent>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
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

// The author's way through the user-information dialog: the name typed in
// its box (when given), the sex clicked, then 确认.
void editInDialog(const QString& name, const char* sexButton)
{
    Dialog_UserInfo dialog;
    whenShown<QDialog>([&](QDialog* shown) {
        auto* box = shown->findChild<QLineEdit*>(QStringLiteral("lineEditName"));
        if (!name.isEmpty()) {
            box->selectAll();
            QTest::keyClick(box, Qt::Key_Backspace);
            // Chinese comes through the input method.
            QInputMethodEvent typed;
            typed.setCommitString(name);
            QApplication::sendEvent(box, &typed);
        }
        QTest::mouseClick(shown->findChild<QRadioButton*>(QLatin1String(sexButton)), Qt::LeftButton);
        QTest::mouseClick(shown->findChild<QPushButton*>(QStringLiteral("btnConfirm")), Qt::LeftButton);
    });
    dialog.exec();
}

// A sign-in through the job manager's door, as the login window makes it.
bool signIn(const QString& phone, const QString& password)
{
    TC_Author_Login login;
    login.phone = phone;
    login.password = password;
    TS_Author_Login reply;
    CJobManager::instance()->author_login(login, reply, true);
    return reply.header.code == HttpOk && CJobManager::instance()->initAfterLogin();
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

    void waitingProfileChangeStandsUntilSentAndGoesWhole_data()
    {
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("wayBack");
        QTest::newRow("sign in again (300), signed in again") << "code300" << "sign in";
        QTest::newRow("HTTP 500, another author signed in between") << "http500" << "other author";
        QTest::newRow("offline, program started again") << "drop" << "restart";
    }

    // The name changed in the dialog is refused and queued; the way back to
    // the shelf (a sign-in, another author's session between, a new start)
    // fetches the platform's older profile. The waiting name stays in the
    // row and on the shelf, and the next edit, of the sex alone, sends it.
    void waitingProfileChangeStandsUntilSentAndGoesWhole()
    {
        QFETCH(QString, refusal);
        QFETCH(QString, wayBack);
        AccountWorld world;
        QVERIFY(world.ok());
        const QString otherPhone = QStringLiteral("13900000007");
        QVERIFY(AccountWorld::signInOther(otherPhone, true) > 0);
        QVERIFY(world.signInDemo());
        QVERIFY(world.start());
        CJobManager* jobs = CJobManager::instance();
        const QString before = standinAuthorName();

        QVERIFY(standin().addFault(QStringLiteral("/author/updateAuthor"), refusal, 0, refusal == "drop" ? 2 : 1));
        editInDialog(QStringLiteral("新笔名"), "radioButtonM");
        QCOMPARE(world.count("select count(*) from tb_job where jobType = 2"), 1);
        QVERIFY(standin().addFault(QStringLiteral("/author/updateAuthor"), QStringLiteral("http500"), 0, -1));

        if (wayBack == QLatin1String("restart")) {
            QVERIFY(world.start());
        } else {
            QVERIFY(standin().clearJournal());
            if (CUiManager::instance()->signInState() == 1) {
                QVERIFY(jobs->author_logout());
                CUiManager::instance()->logout();
            }
            if (wayBack == QLatin1String("other author")) {
                QVERIFY(signIn(otherPhone, QStringLiteral("other1234")));
                QVERIFY(AccountWorld::profileAndFeedTakenIn());
                QVERIFY(jobs->author_logout());
                CUiManager::instance()->logout();
                QVERIFY(standin().clearJournal());
            }
            QVERIFY(signIn(QStringLiteral("13800000000"), QStringLiteral("demo1234")));
            QVERIFY(AccountWorld::profileAndFeedTakenIn());
        }
        QCOMPARE(standinAuthorName(), before);
        QCOMPARE(world.value("select authorName || sex from tb_user where uid = 10001").toString(),
                 QStringLiteral("新笔名M"));
        QCOMPARE(CUiManager::instance()->bookshelf()->labelName()->text(), QStringLiteral("新笔名"));

        // The platform takes changes again; the author changes her sex alone.
        QVERIFY(standin().clearFaults());
        QVERIFY(standin().clearJournal());
        editInDialog(QString(), "radioButtonW");
        const QList<QJsonObject> sent = standin().requestsTo(QStringLiteral("/author/updateAuthor"));
        QVERIFY(!sent.isEmpty());
        const QJsonObject body = StandinServer::bodyOf(sent.last());
        QCOMPARE(body.value(QStringLiteral("author_name")).toString() + body.value(QStringLiteral("sex")).toString(),
                 QStringLiteral("新笔名F"));
        QCOMPARE(standinAuthorName(), QStringLiteral("新笔名"));
        QCOMPARE(world.count("select count(*) from tb_job where jobType = 2"), 0);
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

// Replies that must not be trusted: broken bodies, forged or foreign
// identities, duplicates; and what reaches the log.

#include "JobsFixture.h"

#include "db/CTessaneDb.h"
#include "manager/CJobManager.h"
#include "manager/CUiManager.h"
#include "remote/CTessaneHttp.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {
const QString kEdit = QStringLiteral("/chapter/editChapter");
const QString kPull = QStringLiteral("/synchronization/synBookData");
constexpr int kOtherUid = 20002;

QByteArray replyNaming(const T_Http_Custom& identity)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("code"), 200},
                                     {QStringLiteral("msg"), QStringLiteral("ok")},
                                     {QStringLiteral("userdata"), QString::fromLatin1(identity.toUserData())},
                                     {QStringLiteral("content"), QJsonObject()}})
        .toJson(QJsonDocument::Compact);
}

TC_Chapter_Edit editOf(int job, const QString& text)
{
    TC_Chapter_Edit request(QJsonObject{{QStringLiteral("content"), text}}, 1700000000);
    request.header.uid = StandinServer::demoUid();
    request.header.jobId = job;
    request.header.jobType = 1017;
    request.header.bookId = 5001;
    request.header.chapterId = 9001;
    return request;
}
}

class JobReplyTest : public QObject
{
    Q_OBJECT
private slots:
    void brokenOrForeignReplyKeepsTheJobAndDeletesNothingElse_data();
    void brokenOrForeignReplyKeepsTheJobAndDeletesNothingElse();
    void secondReplyForOneJobIsDropped();
    void replyForAJobNotSentDeletesNothing();
    void tokensAndPasswordsNeverReachTheLog();
};

void JobReplyTest::brokenOrForeignReplyKeepsTheJobAndDeletesNothingElse_data()
{
    QTest::addColumn<QString>("kind");
    // What the forged identity changes: 0 none, 1 another user's job id,
    // 2 another job type, 3 another user.
    QTest::addColumn<int>("forgery");
    QTest::newRow("not JSON") << QStringLiteral("notjson") << 0;
    QTest::newRow("no userdata") << QStringLiteral("nouserdata") << 0;
    QTest::newRow("truncated") << QStringLiteral("truncated") << 0;
    QTest::newRow("forged job id") << QStringLiteral("raw") << 1;
    QTest::newRow("wrong job type") << QStringLiteral("raw") << 2;
    QTest::newRow("another user") << QStringLiteral("raw") << 3;
}

void JobReplyTest::brokenOrForeignReplyKeepsTheJobAndDeletesNothingElse()
{
    QFETCH(QString, kind);
    QFETCH(int, forgery);
    JobsFixture f;
    QVERIFY(f.seed());
    const int foreign = f.addJob(1016, QStringLiteral("别人的"), 9, 5001, 9, 9001, 9, 7001, 0, kOtherUid);
    const int first = f.addChapterSave(1, 9001, QStringLiteral("a"));
    const int second = f.addChapterSave(2, 9002, QStringLiteral("b"));
    QVERIFY(foreign > 0 && first > 0 && second > 0);

    QByteArray body;
    if (forgery > 0) {
        T_Http_Custom identity;
        identity.fromUserData(QStringLiteral("%1,1017,1,5001,1,9001,%2,1,0,0,0,1,7001").arg(StandinServer::demoUid()).arg(first));
        if (forgery == 1)
            identity.jobId = foreign;
        else if (forgery == 2)
            identity.jobType = 2006;
        else
            identity.uid = kOtherUid;
        body = replyNaming(identity);
    }
    QVERIFY(standin().addFault(kEdit, kind, 0, 1, body));
    QVERIFY(f.start());
    QTRY_COMPARE_WITH_TIMEOUT(JobsFixture::requestsTo(kEdit).size(), 2, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(f.jobIds(), (QList<int>{foreign, first}), 15000);
    // The feed still comes in; the job waits for the next synchronisation.
    QVERIFY(JobsFixture::waitForPull());
    QTRY_COMPARE_WITH_TIMEOUT(CUiManager::instance()->syncRunning(), 0, 15000);

    // Nothing is stuck: the next synchronisation sends the job again.
    CJobManager::instance()->synNow(false);
    QVERIFY(JobsFixture::waitForPull(2));
    QCOMPARE(f.jobIds(), QList<int>{foreign});
}

void JobReplyTest::secondReplyForOneJobIsDropped()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(f.start());
    QVERIFY(JobsFixture::waitForPull());
    const int job = f.addChapterSave(1, 9001, QStringLiteral("a"));
    const int other = f.addChapterSave(2, 9002, QStringLiteral("b"));

    TC_Chapter_Edit request = editOf(job, QStringLiteral("a"));
    CJobManager::instance()->noteJobSent(request.header, CTessaneDb::instance()->jobRevision(job));
    LogCapture log;
    CTessaneHttp::instance()->chapter_edit_asyn(request);
    CTessaneHttp::instance()->chapter_edit_asyn(request);
    QTRY_VERIFY_WITH_TIMEOUT(log.contains(QStringLiteral("second reply for job")), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(f.jobIds(), QList<int>{other}, 15000);
}

void JobReplyTest::replyForAJobNotSentDeletesNothing()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(f.start());
    QVERIFY(JobsFixture::waitForPull());
    const int job = f.addChapterSave(1, 9001, QStringLiteral("a"));

    // A request naming the job that the job manager never handed out.
    TC_Chapter_Edit request = editOf(job, QStringLiteral("x"));
    LogCapture log;
    CTessaneHttp::instance()->chapter_edit_asyn(request);
    QTRY_VERIFY_WITH_TIMEOUT(log.contains(QStringLiteral("which has no request out")), 15000);
    QCOMPARE(f.jobIds(), QList<int>{job});
}

void JobReplyTest::tokensAndPasswordsNeverReachTheLog()
{
    LogCapture log;
    {
        JobsFixture f;
        QVERIFY(f.seed());
        f.addChapterSave(1, 9001, QStringLiteral("a"));
        QVERIFY(standin().addFault(kEdit, QStringLiteral("code300"), 0, 1));
        QVERIFY(f.start());
        QTRY_COMPARE_WITH_TIMEOUT(CUiManager::instance()->signInState(), 2, 15000);
        TC_Author_Login login;
        login.phone = QStringLiteral("13800000000");
        login.password = QStringLiteral("demo1234");
        TS_Author_Login reply;
        CJobManager::instance()->author_login(login, reply, true);
        TC_Author_SetNewPwd change;
        change.password = QStringLiteral("demo1234");
        change.newPassword = QStringLiteral("n3wSecret!");
        TS_Author_SetNewPwd changed;
        CJobManager::instance()->author_setNewPwd(change, changed);
    }
    QVERIFY(!log.text().isEmpty());
    QVERIFY(!log.contains(QString::fromLatin1(StandinServer::demoToken())));
    QVERIFY(!log.contains(QStringLiteral("Bearer")));
    QVERIFY(!log.contains(QStringLiteral("demo1234")));
    QVERIFY(!log.contains(QStringLiteral("n3wSecret!")));
}

int runJobReplyTests(int argc, char** argv)
{
    JobReplyTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_JobReplies.moc"

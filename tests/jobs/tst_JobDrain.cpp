// The drain of stored jobs: order, failures at each stage, the
// change-feed pull at the end, and jobs that cannot be sent.

#include "JobsFixture.h"

#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "manager/CUserJobManager.h"
#include "remote/CTessaneHttp.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>

namespace {
const QString kEdit = QStringLiteral("/chapter/editChapter");
const QString kAddVolume = QStringLiteral("/volume/addVolume");
const QString kAddBook = QStringLiteral("/books/addBook");
const QString kPull = QStringLiteral("/synchronization/synBookData");

QJsonObject bodyOf(const QJsonValue& entry)
{
    return QJsonDocument::fromJson(entry.toObject().value(QStringLiteral("body")).toString().toUtf8()).object();
}
}

class JobDrainTest : public QObject
{
    Q_OBJECT
private slots:
    void storedJobsDrainOldestFirstThenPullTheFeed();
    void serverFailureKeepsTheJobAndTheQueueMovesOn_data();
    void serverFailureKeepsTheJobAndTheQueueMovesOn();
    void unreachablePlatformEndsThePassAndKeepsEveryJob();
    void createReplyGivesLaterJobsTheirServerIds();
    void jobsThatCannotBeSentNeverBlockTheOthers();
    void jobInFlightIsNotHandedOutTwice();
    void changeMergedWhileInFlightIsSentAgain();
    void code300SignsTheUserOutAndKeepsTheJob();
    void drainOfAnAuthorSignedOutDuringAProfileReplayEnds();
};

void JobDrainTest::storedJobsDrainOldestFirstThenPullTheFeed()
{
    JobsFixture f;
    QVERIFY(f.seed());
    const int first = f.addChapterSave(1, 9001, QStringLiteral("第一章新文"));
    const int second = f.addChapterSave(2, 9002, QStringLiteral("第二章新文"));
    const int third = f.addJob(1031, QStringLiteral("第二卷"), 1, 5001, 0, 0, 2, 0, 2);
    QVERIFY(first > 0 && first < second && second < third);

    QVERIFY(f.start());
    QVERIFY(JobsFixture::waitForPull());
    QCOMPARE(JobsFixture::paths(), (QStringList{kEdit, kEdit, kAddVolume, kPull}));
    const QJsonArray journal = JobsFixture::queueJournal();
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(JobsFixture::identityOf(journal.at(i).toObject()).jobId, (QList<int>{first, second, third}).at(i));
        QCOMPARE(JobsFixture::identityOf(journal.at(i).toObject()).runNext, 1);
    }
    QCOMPARE(bodyOf(journal.at(0)).value(QStringLiteral("content")).toString(), QStringLiteral("第一章新文"));
    QVERIFY(f.jobIds().isEmpty());
}

void JobDrainTest::serverFailureKeepsTheJobAndTheQueueMovesOn_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("code 500") << QStringLiteral("code500");
    QTest::newRow("HTTP 500") << QStringLiteral("http500");
}

void JobDrainTest::serverFailureKeepsTheJobAndTheQueueMovesOn()
{
    QFETCH(QString, kind);
    JobsFixture f;
    QVERIFY(f.seed());
    const int first = f.addChapterSave(1, 9001, QStringLiteral("a"));
    f.addChapterSave(2, 9002, QStringLiteral("b"));
    f.addJob(1031, QStringLiteral("卷"), 1, 5001, 0, 0, 2, 0, 2);
    QVERIFY(standin().addFault(kEdit, kind, 0, 1));
    QVERIFY(f.start());
    QTRY_COMPARE_WITH_TIMEOUT(JobsFixture::requestsTo(kAddVolume).size(), 1, 15000);
    QTRY_COMPARE_WITH_TIMEOUT(f.jobIds(), QList<int>{first}, 15000);
    QVERIFY(JobsFixture::waitForPull());
    QTRY_COMPARE_WITH_TIMEOUT(CUiManager::instance()->syncRunning(), 0, 15000);

    // The next synchronisation sends it again.
    CJobManager::instance()->synNow(true);
    QVERIFY(JobsFixture::waitForPull(2));
    QVERIFY(f.jobIds().isEmpty());
    QCOMPARE(JobsFixture::requestsTo(kEdit).size(), 3);
}

void JobDrainTest::unreachablePlatformEndsThePassAndKeepsEveryJob()
{
    JobsFixture f;
    QVERIFY(f.seed());
    const QList<int> ids{f.addChapterSave(1, 9001, QStringLiteral("a")),
                         f.addChapterSave(2, 9002, QStringLiteral("b"))};
    QVERIFY(standin().addFault(QStringLiteral("*"), QStringLiteral("drop"), 0, -1));
    QVERIFY(f.start());
    QTRY_VERIFY_WITH_TIMEOUT(!JobsFixture::requestsTo(kEdit).isEmpty(), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(CUiManager::instance()->syncRunning(), 0, 15000);
    QCOMPARE(f.jobIds(), ids);

    // The first save may have reached the platform before the connection
    // went: it waits for the pass's feed, the second one goes first.
    QVERIFY(standin().reset());
    CJobManager::instance()->onSynTimer();
    QVERIFY(JobsFixture::waitForPull());
    QTRY_VERIFY_WITH_TIMEOUT(f.jobIds().isEmpty(), 15000);
    QCOMPARE(JobsFixture::paths(), (QStringList{kEdit, kPull, kEdit}));
}

void JobDrainTest::createReplyGivesLaterJobsTheirServerIds()
{
    JobsFixture f;
    QVERIFY(f.seed());
    // A book made offline and a volume added to it before it reached the platform.
    f.addJob(1002, QStringLiteral("离线新书"), 3, 0);
    f.addJob(1031, QStringLiteral("第一卷"), 3, 0, 0, 0, 4, 0, 1);
    QVERIFY(f.start());
    QVERIFY(JobsFixture::waitForPull());
    QCOMPARE(JobsFixture::paths(), (QStringList{kAddBook, kAddVolume, kPull}));
    const QJsonArray added = JobsFixture::requestsTo(kAddVolume);
    const int bookId = bodyOf(added.at(0)).value(QStringLiteral("book_id")).toInt();
    QVERIFY(bookId > 0);
    QCOMPARE(JobsFixture::identityOf(added.at(0).toObject()).bookId, bookId);
    QVERIFY(f.jobIds().isEmpty());
}

void JobDrainTest::jobsThatCannotBeSentNeverBlockTheOthers()
{
    JobsFixture f;
    QVERIFY(f.seed());
    const int ownerless = f.addJob(4242, QStringLiteral("?"));
    const int fetch = f.addJob(1004, QString(), 1, 5001);
    const int zeroStats = f.addJob(2006, QStringLiteral("{\"date\":\"2024-01-01\",\"wordCount\":0,"
                                                        "\"writeTime\":0,\"wordCountAll\":0,\"netIncrease\":0,"
                                                        "\"outlineNum\":0,\"memoNum\":0,\"writeSpeed\":0}"));
    const int noServerIds = f.addChapterSave(5, 0, QStringLiteral("本地新章"));
    const int sendable = f.addChapterSave(1, 9001, QStringLiteral("a"));
    QVERIFY(ownerless > 0 && fetch > 0 && zeroStats > 0 && noServerIds > 0 && sendable > 0);

    QVERIFY(f.start());
    QVERIFY(JobsFixture::waitForPull());
    QCOMPARE(JobsFixture::paths(), (QStringList{kEdit, kPull}));
    // Dropped: the fetch and the statistics with nothing to send. Parked: the
    // rest, still there for a later client or the chapter's server id.
    QCOMPARE(f.jobIds(), (QList<int>{ownerless, noServerIds}));

    // The next start is not blocked by them either.
    QVERIFY(standin().reset());
    f.addChapterSave(2, 9002, QStringLiteral("b"));
    QVERIFY(f.restart());
    QVERIFY(JobsFixture::waitForPull());
    QCOMPARE(JobsFixture::paths(), (QStringList{kEdit, kPull}));
}

void JobDrainTest::jobInFlightIsNotHandedOutTwice()
{
    JobsFixture f;
    QVERIFY(f.seed());
    const int first = f.addChapterSave(1, 9001, QStringLiteral("a"));
    QVERIFY(standin().addFault(kEdit, QStringLiteral("ok"), 1500, 1));
    QVERIFY(f.start());
    QTRY_COMPARE_WITH_TIMEOUT(JobsFixture::requestsTo(kEdit).size(), 1, 15000);
    CJobManager::instance()->synNow(true);
    CJobManager::instance()->onSynTimer();
    CJobManager::instance()->execUserJob();
    QVERIFY(CJobManager::instance()->isJobInFlight(first));
    QVERIFY(JobsFixture::waitForPull());
    QCOMPARE(JobsFixture::requestsTo(kEdit).size(), 1);
    QVERIFY(f.jobIds().isEmpty());
}

void JobDrainTest::changeMergedWhileInFlightIsSentAgain()
{
    JobsFixture f;
    QVERIFY(f.seed());
    const int job = f.addChapterSave(1, 9001, QStringLiteral("旧文"));
    QVERIFY(standin().addFault(kEdit, QStringLiteral("ok"), 1500, 1));
    QVERIFY(f.start());
    QTRY_COMPARE_WITH_TIMEOUT(JobsFixture::requestsTo(kEdit).size(), 1, 15000);
    // The author saves again while the request is out.
    QCOMPARE(f.addChapterSave(1, 9001, QStringLiteral("新文")), job);
    QVERIFY(JobsFixture::waitForPull());
    const QJsonArray edits = JobsFixture::requestsTo(kEdit);
    QCOMPARE(edits.size(), 2);
    QCOMPARE(bodyOf(edits.at(0)).value(QStringLiteral("content")).toString(), QStringLiteral("旧文"));
    QCOMPARE(bodyOf(edits.at(1)).value(QStringLiteral("content")).toString(), QStringLiteral("新文"));
    QVERIFY(f.jobIds().isEmpty());
}

void JobDrainTest::code300SignsTheUserOutAndKeepsTheJob()
{
    JobsFixture f;
    QVERIFY(f.seed());
    const QList<int> ids{f.addChapterSave(1, 9001, QStringLiteral("a")),
                         f.addChapterSave(2, 9002, QStringLiteral("b"))};
    QVERIFY(standin().addFault(kEdit, QStringLiteral("code300"), 0, 1));
    QSignalSpy loginRequired(CUiManager::instance(), &CUiManager::sig_LoginRequired);
    QVERIFY(f.start());
    QTRY_COMPARE_WITH_TIMEOUT(loginRequired.count(), 1, 15000);
    QCOMPARE(CUiManager::instance()->signInState(), 2);
    QTest::qWait(300);
    QCOMPARE(JobsFixture::requestsTo(kEdit).size(), 1);
    QCOMPARE(f.jobIds(), ids);
    // Signed out: neither the timer nor the button sends anything.
    CJobManager::instance()->onSynTimer();
    CJobManager::instance()->synNow(true);
    QTest::qWait(300);
    QCOMPARE(JobsFixture::requestsTo(kEdit).size(), 1);
    // Nor is anything recorded for the author who left.
    TC_Books_AddBook late(QStringLiteral("迟来之书"), 1700000000, 1700000000, QString());
    QVERIFY(!CBookJobManager::instance()->books_add(late, false));
    QCOMPARE(f.jobIds(), ids);
}

// The profile job replays while the platform is slow; meanwhile another
// author signs in. The first author's drain ends there: the rest of that
// queue waits for its author and goes out under nobody else's sign-in.
void JobDrainTest::drainOfAnAuthorSignedOutDuringAProfileReplayEnds()
{
    JobsFixture f;
    QVERIFY(f.seed());
    TC_Author_Login login;
    login.phone = QStringLiteral("13900000004");
    login.password = QStringLiteral("other1234");
    TC_Author_Register other{{}, login.phone, QString(), login.password};
    TS_Author_Register registered;
    QCOMPARE(CUserJobManager::instance()->author_register(other, registered), 0);
    const int profile = f.addJob(2, QStringLiteral(R"({"name":"甲的新名","sex":"M"})"));
    QVERIFY(profile > 0);
    const int save = f.addChapterSave(1, 9001, QStringLiteral("甲写的字"));
    QVERIFY(standin().addFault(QStringLiteral("/author/updateAuthor"), QStringLiteral("ok"), -1, 1));
    QVERIFY(standin().clearJournal());
    QObject looks;
    // The platform's "done" reaches this machine before the replay's wait
    // resumes, whatever the machine's load: only the ended session tells
    // that answer apart from one given to the author signed in.
    bool answered = false;
    for (QNetworkAccessManager* transport : CTessaneHttp::instance()->findChildren<QNetworkAccessManager*>()) {
        connect(transport, &QNetworkAccessManager::finished, &looks, [&answered](QNetworkReply* reply) {
            answered = answered || reply->url().path().endsWith(QLatin1String("/author/updateAuthor"));
        });
    }
    standin().onceAsked(QStringLiteral("/author/updateAuthor"), &looks, [&]() {
        CUiManager::instance()->logout();
        TS_Author_Login reply;
        CJobManager::instance()->author_login(login, reply, true);
        QVERIFY(CJobManager::instance()->initAfterLogin() && standin().releaseHeld());
        QTRY_VERIFY_WITH_TIMEOUT(answered, 15000);
    });
    QVERIFY(f.start());
    QTRY_COMPARE_WITH_TIMEOUT(CPublicManager::instance()->userInfo.uid, registered.uid, 15000);
    QVERIFY(JobsFixture::waitForPull());
    QVERIFY(JobsFixture::requestsTo(kEdit).isEmpty());
    // The sign-out ended the profile's wait: both changes wait for A.
    QCOMPARE(f.jobIds(), (QList<int>{profile, save}));
}

int runJobDrainTests(int argc, char** argv)
{
    JobDrainTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_JobDrain.moc"

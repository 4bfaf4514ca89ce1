// The operations the screens call: field checks, statistics, sign-out.

#include "JobsFixture.h"

#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "db/records/T_SysInfo.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"

#include <QDate>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QTest>

namespace {
const QString kSave = QStringLiteral("/authorcount/saveData");

QJsonObject statisticsJob(int* jobId = nullptr)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    query.exec(QStringLiteral("select jobId,content from tb_job where jobType = 2006;"));
    if (!query.next())
        return QJsonObject();
    if (jobId)
        *jobId = query.value(0).toInt();
    return QJsonDocument::fromJson(query.value(1).toString().toUtf8()).object();
}

T_Statistics writing(int words)
{
    T_Statistics s;
    s.date = getCurrentDate();
    s.wordCount = words;
    s.writeTime = 60;
    s.wordCountAll = words;
    s.netIncrease = words;
    s.writeSpeed = 30;
    return s;
}
}

class JobFacadeTest : public QObject
{
    Q_OBJECT
private slots:
    void accountOperationsWithMissingFieldsSendNothing();
    void bookAndMemoOperationsCheckTheirIds();
    void statisticsWithNothingGrownWriteNothing();
    void statisticsUploadConfirmsOnlyWhatItCarried();
    void statisticsOfferedOfflineAddUpInOnePendingJob();
    void statisticsOfAnotherDayLandToday();
    void logoutForgetsTheUser();
    void moveBookToFrontReordersAndStamps();
};

void JobFacadeTest::accountOperationsWithMissingFieldsSendNothing()
{
    JobsFixture f;
    QVERIFY(f.seed(false));
    QVERIFY(f.start());
    CPublicManager::instance()->userInfo.isAutoLogin = false;

    TC_Author_Login login;
    login.phone = QStringLiteral("13800000000");
    TS_Author_Login loginReply;
    CJobManager::instance()->author_login(login, loginReply, true);
    QCOMPARE(loginReply.header.code, 10004);
    QCOMPARE(loginReply.header.msg, QStringLiteral("参数不足"));
    QCOMPARE(CPublicManager::instance()->userInfo.isAutoLogin, false);

    TC_Author_Register registration;
    registration.phone = QStringLiteral("13800000001");
    registration.password = QStringLiteral("x");
    TS_Author_Register registered;
    CJobManager::instance()->author_register(registration, registered);
    QCOMPARE(registered.header.code, 10004);

    TC_Author_SetNewPwd change;
    change.password = QStringLiteral("old");
    TS_Author_SetNewPwd changed;
    CJobManager::instance()->author_setNewPwd(change, changed);
    QCOMPARE(changed.header.code, 10004);

    TC_Author_WxCodeLogin wx;
    TS_Author_WxCodeLogin wxReply;
    CJobManager::instance()->author_wxCodeLogin(wx, wxReply, true);
    QCOMPARE(wxReply.header.code, 10004);

    QTest::qWait(200);
    QVERIFY(JobsFixture::paths().isEmpty());
}

void JobFacadeTest::bookAndMemoOperationsCheckTheirIds()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(f.start());
    QVERIFY(JobsFixture::waitForPull());
    LogCapture log;

    TC_Books_Delete remove(0, 1700000000);
    QVERIFY(!CJobManager::instance()->books_delete(remove));
    TC_Memo_Del memo;
    QVERIFY(!CJobManager::instance()->memoDel(memo));
    QVERIFY(log.contains(QStringLiteral("memoDel localMemoId = 0")));
    TC_Chapter_ContentBlade blade;
    QVERIFY(!CJobManager::instance()->chapter_contentBlade(blade));
    QCOMPARE(CJobManager::instance()->lastError(), QStringLiteral("Blade localBookId localChapterId error"));
    QVERIFY(!log.contains(QStringLiteral("books_delete is not available")));

    // A volume of local book 0 passes the check; its owner knows no such book.
    TC_Volume_Add volume(0, 0, 0, 1, 1700000000, QStringLiteral("卷"));
    QVERIFY(!CJobManager::instance()->volume_add(volume));
    QVERIFY(f.jobIds().isEmpty());
}

void JobFacadeTest::statisticsWithNothingGrownWriteNothing()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(f.start());
    QVERIFY(JobsFixture::waitForPull());
    T_Statistics s;
    s.date = getCurrentDate();
    s.outlineNum = 0;
    CJobManager::instance()->updateStatictics(StandinServer::demoUid(), s, StatisticsOutline);
    T_Statistics none;
    CJobManager::instance()->updateStatictics(StandinServer::demoUid(), none, StatisticsWriting);
    QVERIFY(f.jobIds().isEmpty());
    QTest::qWait(200);
    QVERIFY(JobsFixture::requestsTo(kSave).isEmpty());
}

void JobFacadeTest::statisticsUploadConfirmsOnlyWhatItCarried()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(f.start());
    QVERIFY(JobsFixture::waitForPull());
    QVERIFY(standin().addFault(kSave, QStringLiteral("ok"), 1500, 1));

    T_Statistics first = writing(10);
    CJobManager::instance()->updateStatictics(StandinServer::demoUid(), first, StatisticsWriting);
    QCOMPARE(first.wordCount, 0);
    QTRY_COMPARE_WITH_TIMEOUT(JobsFixture::requestsTo(kSave).size(), 1, 15000);
    // More words while the upload is out: merged into the job, not sent.
    T_Statistics second = writing(5);
    CJobManager::instance()->updateStatictics(StandinServer::demoUid(), second, StatisticsWriting);
    QCOMPARE(statisticsJob().value(QStringLiteral("wordCount")).toInt(), 15);

    // The reply takes off the 10 it carried; 5 wait for the queue.
    QTRY_COMPARE_WITH_TIMEOUT(statisticsJob().value(QStringLiteral("wordCount")).toInt(), 5, 15000);
    CJobManager::instance()->synNow(false);
    QTRY_VERIFY_WITH_TIMEOUT(f.jobIds().isEmpty(), 15000);
    const QJsonArray saves = JobsFixture::requestsTo(kSave);
    QCOMPARE(saves.size(), 2);
    const auto words = [](const QJsonValue& entry) {
        return QJsonDocument::fromJson(entry.toObject().value(QStringLiteral("body")).toString().toUtf8())
            .object()
            .value(QStringLiteral("pc_word"))
            .toInt();
    };
    QCOMPARE(words(saves.at(0)), 10);
    QCOMPARE(words(saves.at(1)), 5);
}

void JobFacadeTest::statisticsOfferedOfflineAddUpInOnePendingJob()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(f.start());
    QVERIFY(JobsFixture::waitForPull());
    QVERIFY(standin().addFault(QStringLiteral("*"), QStringLiteral("drop"), 0, -1));
    T_Statistics a = writing(7);
    CJobManager::instance()->updateStatictics(StandinServer::demoUid(), a, StatisticsWriting);
    T_Statistics b = writing(8);
    CJobManager::instance()->updateStatictics(StandinServer::demoUid(), b, StatisticsWriting);
    QTRY_VERIFY_WITH_TIMEOUT(!JobsFixture::requestsTo(kSave).isEmpty(), 15000);
    QTest::qWait(500);
    QCOMPARE(f.jobIds().size(), 1);
    QCOMPARE(statisticsJob().value(QStringLiteral("wordCount")).toInt(), 15);
}

void JobFacadeTest::statisticsOfAnotherDayLandToday()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(f.start());
    QVERIFY(JobsFixture::waitForPull());
    QVERIFY(standin().addFault(QStringLiteral("*"), QStringLiteral("drop"), 0, -1));
    T_Statistics s = writing(3);
    s.date = QDate::currentDate().addDays(-1).toString(QStringLiteral("yyyy-MM-dd"));
    CJobManager::instance()->updateStatictics(StandinServer::demoUid(), s, StatisticsWriting);
    QCOMPARE(s.date, getCurrentDate());
    QCOMPARE(statisticsJob().value(QStringLiteral("date")).toString(), getCurrentDate());
}

void JobFacadeTest::logoutForgetsTheUser()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(f.start());
    QVERIFY(JobsFixture::waitForPull());
    CPublicManager::instance()->userConf.systemConf.hideKey = QStringLiteral("Ctrl+Alt+H");
    CJobManager::instance()->author_logout();
    const TS_Author_Info& user = CPublicManager::instance()->userInfo;
    QCOMPARE(user.uid, 0);
    QVERIFY(user.token.isEmpty());
    QVERIFY(user.uniqueCode.isEmpty());
    QCOMPARE(CPublicManager::instance()->userConf.systemConf.hideKey, QStringLiteral("Ctrl+Shift+N"));
    TS_Author_Info remembered;
    TS_SynchronizaTion_SynData versions;
    T_SysInfo info;
    QVERIFY(CTessaneDb::instance()->getSysData(remembered, versions, info));
    QCOMPARE(remembered.uid, 0);
}

void JobFacadeTest::moveBookToFrontReordersAndStamps()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(f.start());
    QVERIFY(JobsFixture::waitForPull());
    auto* model = CPublicManager::instance();
    TC_Books_AddBook a(QStringLiteral("甲"), 1, 1, QString());
    TC_Books_AddBook b(QStringLiteral("乙"), 2, 2, QString());
    a.header.uid = b.header.uid = StandinServer::demoUid();
    QVERIFY(CTessaneDb::instance()->insertBook(a));
    QVERIFY(CTessaneDb::instance()->insertBook(b));
    model->addBook(a);
    T_Book* second = model->addBook(b);
    T_Book* first = model->findBookByLocalId(a.header.localBookId);
    QCOMPARE(model->bookList.first(), second);
    CJobManager::instance()->moveBookToFront(first, false);
    QCOMPARE(model->bookList.first(), second);
    CJobManager::instance()->moveBookToFront(first, true);
    QCOMPARE(model->bookList.first(), first);
    QVERIFY(first->updateTime > 1000000000);
}

int runJobFacadeTests(int argc, char** argv)
{
    JobFacadeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_JobFacade.moc"

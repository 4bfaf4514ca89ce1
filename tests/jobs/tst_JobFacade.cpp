// Statistics uploads while more words arrive.

#include "JobsFixture.h"

#include "common/Utility.h"
#include "db/CTessaneDb.h"
#include "manager/CJobManager.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QTest>

namespace {
const QString kSave = QStringLiteral("/authorcount/saveData");

QJsonObject statisticsJob()
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    query.exec(QStringLiteral("select content from tb_job where jobType = 2006;"));
    if (!query.next())
        return QJsonObject();
    return QJsonDocument::fromJson(query.value(0).toString().toUtf8()).object();
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
    void statisticsUploadConfirmsOnlyWhatItCarried();
    void statisticsThatCannotBeQueuedAreCountedOnce();
};

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

void JobFacadeTest::statisticsThatCannotBeQueuedAreCountedOnce()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(f.start());
    QVERIFY(JobsFixture::waitForPull());
    const auto dayWords = []() {
        QSqlQuery query = CTessaneDb::instance()->newQuery();
        query.exec(QStringLiteral("select sum(wordCount) from tb_statistics where uid = %1 and date = '%2';")
                       .arg(StandinServer::demoUid())
                       .arg(getCurrentDate()));
        return query.next() ? query.value(0).toInt() : -1;
    };
    const int before = dayWords();
    QSqlQuery refuse = CTessaneDb::instance()->newQuery();
    QVERIFY(refuse.exec(QStringLiteral("create temp trigger refuse_statistics before insert on tb_job "
                                       "when new.jobType = 2006 begin select raise(abort, 'refused'); end;")));
    // Not queued: the counters stay for the next call, and the day's row
    // does not count them meanwhile.
    T_Statistics words = writing(10);
    CJobManager::instance()->updateStatictics(StandinServer::demoUid(), words, StatisticsWriting);
    QCOMPARE(words.wordCount, 10);
    QCOMPARE(dayWords(), before);
    QVERIFY(refuse.exec(QStringLiteral("drop trigger refuse_statistics;")));
    CJobManager::instance()->updateStatictics(StandinServer::demoUid(), words, StatisticsWriting);
    QCOMPARE(words.wordCount, 0);
    QCOMPARE(dayWords(), before + 10);
    QCOMPARE(statisticsJob().value(QStringLiteral("wordCount")).toInt(), 10);
}

int runJobFacadeTests(int argc, char** argv)
{
    JobFacadeTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_JobFacade.moc"

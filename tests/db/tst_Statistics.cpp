#include "DbFixture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {
T_Statistics writing(const QString& date, int words, int seconds = 60, int speed = 30)
{
    T_Statistics s;
    s.date = date;
    s.wordCount = words;
    s.wordCountAll = words;
    s.netIncrease = words;
    s.writeTime = seconds;
    s.writeSpeed = speed;
    return s;
}
}

// A day's statistics: the day's row grows, one pending job per author and
// day carries the increments until the platform confirms them.
class tst_Statistics : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<DbFixture> f;
    CTessaneDb* db() { return f->db(); }
    QJsonObject jobContent(int jobId)
    {
        return QJsonDocument::fromJson(
                   f->value(QStringLiteral("select content from tb_job where jobId = %1").arg(jobId))
                       .toString().toUtf8())
            .object();
    }
    int jobs() { return f->count(QStringLiteral("select count(*) from tb_job where jobType = 2006")); }

private slots:
    void init()
    {
        f = std::make_unique<DbFixture>();
        QVERIFY(f->init());
    }
    void cleanup() { f.reset(); }

    void aConfirmationTakesOffOnlyWhatItCarried()
    {
        T_Statistics a = writing(QStringLiteral("2024-05-01"), 100);
        const int id = db()->recordStatistics(7, a, StatisticsWriting);
        T_JobData sent;
        QVERIFY(db()->getJobById(id, sent));
        // 30 more words arrive while the upload is on its way.
        T_Statistics b = writing(QStringLiteral("2024-05-01"), 30);
        QCOMPARE(db()->recordStatistics(7, b, StatisticsWriting), id);
        QCOMPARE(db()->confirmStatisticsJob(id, sent.content), JobConfirm::KeptNewer);
        QCOMPARE(jobContent(id).value(QStringLiteral("wordCount")).toInt(), 30);
        QCOMPARE(jobContent(id).value(QStringLiteral("writeTime")).toInt(), 60);
        T_JobData rest;
        QVERIFY(db()->getJobById(id, rest));
        QCOMPARE(db()->confirmStatisticsJob(id, rest.content), JobConfirm::Deleted);
        QCOMPARE(jobs(), 0);
        QCOMPARE(db()->confirmStatisticsJob(id, rest.content), JobConfirm::Missing);
        // The day's row keeps the whole sum.
        QCOMPARE(f->count(QStringLiteral("select wordCount from tb_statistics")), 130);
        QCOMPARE(db()->confirmStatisticsJob(id, QStringLiteral("not json")), JobConfirm::Failed);
    }

    void platformHistoryReplacesDays()
    {
        T_Statistics a = writing(QStringLiteral("2024-05-01"), 500);
        a.outlineNum = 4;
        QVERIFY(db()->recordStatistics(7, a, StatisticsWriting) > 0);
        T_StatisticsHistory history;
        history.days = QStringList{QStringLiteral("2024-05-01"), QStringLiteral("2024-04-30")};
        history.writeTime = {100, 200};
        history.wordCount = {1000, 2000};
        history.writeSpeed = {10, 20};
        history.netIncrease = {900, 1900};
        QVERIFY(db()->saveStatisticsDays(7, history));
        // The 500 words of the upload still waiting stay on top of the platform's day.
        QCOMPARE(f->count(QStringLiteral("select wordCount from tb_statistics where date = '2024-05-01'")), 1500);
        QCOMPARE(f->count(QStringLiteral("select wordCountAll from tb_statistics where date = '2024-05-01'")), 500);
        QCOMPARE(f->count(QStringLiteral("select wordCount from tb_statistics where date = '2024-04-30'")), 2000);
        // Uploaded, they are in the platform's next figures.
        T_JobData upload;
        QVERIFY(db()->getUserJobData(upload, 7) && upload.jobId > 0);
        QCOMPARE(db()->confirmStatisticsJob(upload.jobId, upload.content), JobConfirm::Deleted);
        history.wordCount = {1500, 2000};
        QVERIFY(db()->saveStatisticsDays(7, history));
        QCOMPARE(f->count(QStringLiteral("select wordCount from tb_statistics where date = '2024-05-01'")), 1500);

        history.netIncrease.removeLast();
        history.wordCount = {1, 2};
        QVERIFY(!db()->saveStatisticsDays(7, history));
        QCOMPARE(f->count(QStringLiteral("select wordCount from tb_statistics where date = '2024-04-30'")), 2000);
    }

};

int runDbTestStatistics(int argc, char** argv)
{
    tst_Statistics test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Statistics.moc"

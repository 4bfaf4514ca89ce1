#include "DbFixture.h"
#include "remote/T_Http_Custom.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {
T_Http_Custom chapterIdentity(int type, int localChapterId = 11, int localBookId = 5)
{
    T_Http_Custom id;
    id.jobType = type;
    id.localBookId = localBookId;
    id.localChapterId = localChapterId;
    return id;
}

QJsonObject objectOf(const QString& text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}
}

// Recording changes in tb_job: one pending job per object and kind, sweeps
// on deletion, the oldest job first, and confirmations that never delete
// what the confirmed request did not carry.
class tst_JobQueue : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<DbFixture> f;
    CTessaneDb* db() { return f->db(); }
    int jobs(const QString& where = QStringLiteral("1"))
    {
        return f->count(QStringLiteral("select count(*) from tb_job where ") + where);
    }

private slots:
    void init()
    {
        f = std::make_unique<DbFixture>();
        QVERIFY(f->init());
        db()->setCurrentUid(7);
    }
    void cleanup() { f.reset(); }

    void chapterSaveCoalescesIntoOnePendingJob()
    {
        T_Http_Custom first = chapterIdentity(1016);
        QVERIFY(db()->addJob(first, QStringLiteral("first text"), 100, 0));
        QCOMPARE(first.jobType, 1017);
        T_Http_Custom second = chapterIdentity(1016);
        QVERIFY(db()->addJob(second, QStringLiteral("second text"), 160, 0));
        QCOMPARE(second.jobId, first.jobId);
        QCOMPARE(second.jobType, 1016);
        QCOMPARE(jobs(), 1);
        T_JobData job;
        QVERIFY(db()->getJobById(first.jobId, job));
        QCOMPARE(job.jobType, 1017);
        QCOMPARE(job.createTime, 160);
        QCOMPARE(objectOf(job.content), QJsonObject({{QStringLiteral("content"), QStringLiteral("second text")}}));
    }

    void quotesPercentsAndPlaceholdersRoundTrip()
    {
        const QString text = QStringLiteral("It's 100% \"%1\"; %2 %13 ''done''\n第二行");
        T_Http_Custom save = chapterIdentity(1016);
        QVERIFY(db()->addJob(save, text, 100, 0));
        QVERIFY(db()->addJob(save = chapterIdentity(1016), text + QStringLiteral("!"), 101, 0));
        T_Http_Custom plain = chapterIdentity(1019);
        QVERIFY(db()->addJob(plain, text, 102, 0));
        T_JobData job;
        QVERIFY(db()->getJobById(save.jobId, job));
        QCOMPARE(objectOf(job.content).value(QStringLiteral("content")).toString(), text + QStringLiteral("!"));
        QVERIFY(db()->getJobById(plain.jobId, job));
        QCOMPARE(job.content, text);
    }

    void outlineEditReplacesAndDeleteSweepsAllButMoves()
    {
        T_Http_Custom create;
        create.jobType = 1022;
        QVERIFY(db()->addJob(create, QStringLiteral("{\"title\":\"t\"}"), 100, 31));
        T_Http_Custom edit;
        edit.jobType = 1023;
        QVERIFY(db()->addJob(edit, QStringLiteral("{\"title\":\"a\"}"), 110, 31));
        T_Http_Custom edit2;
        edit2.jobType = 1023;
        QVERIFY(db()->addJob(edit2, QStringLiteral("{\"content\":\"b\"}"), 120, 31));
        QCOMPARE(edit2.jobId, edit.jobId);
        T_JobData job;
        QVERIFY(db()->getJobById(edit.jobId, job));
        QCOMPARE(job.content, QStringLiteral("{\"content\":\"b\"}"));
        T_Http_Custom move;
        move.jobType = 1027;
        QVERIFY(db()->addJob(move, QStringLiteral("{\"from_localId\":31}"), 130, 0));
        T_Http_Custom other;
        other.jobType = 1023;
        QVERIFY(db()->addJob(other, QStringLiteral("{}"), 135, 32));

        T_Http_Custom remove;
        remove.jobType = 1024;
        QVERIFY(db()->addJob(remove, QStringLiteral("{}"), 140, 31));
        QCOMPARE(jobs(QStringLiteral("ext1 = 31")), 1);
        QCOMPARE(jobs(QStringLiteral("jobType = 1024")), 1);
        QCOMPARE(jobs(QStringLiteral("jobType = 1027")), 1);
        QCOMPARE(jobs(QStringLiteral("ext1 = 32")), 1);
    }

    void deletingABookForGoodSweepsItsJobs()
    {
        T_Http_Custom save = chapterIdentity(1016);
        QVERIFY(db()->addJob(save, QStringLiteral("text"), 110, 0));
        T_Http_Custom volume;
        volume.jobType = 1031;
        volume.localBookId = 5;
        QVERIFY(db()->addJob(volume, QStringLiteral("{}"), 111, 0));
        T_Http_Custom otherBook = chapterIdentity(1016, 40, 6);
        QVERIFY(db()->addJob(otherBook, QStringLiteral("keep"), 112, 0));

        T_Http_Custom hard;
        hard.jobType = 1028;
        hard.localBookId = 5;
        hard.bookId = 900;
        QVERIFY(db()->addJob(hard, QStringLiteral("{}"), 120, 0));
        QVERIFY(hard.jobId > 0);
        QCOMPARE(jobs(QStringLiteral("localBookId = 5")), 1);
        QCOMPARE(jobs(QStringLiteral("jobType = 1028")), 1);
        QCOMPARE(jobs(QStringLiteral("localBookId = 6")), 1);
    }

    void aBookThePlatformNeverSawLeavesNothingQueued()
    {
        T_Http_Custom add;
        add.jobType = 1002;
        add.localBookId = 5;
        QVERIFY(db()->addJob(add, QStringLiteral("{}"), 100, 0));
        T_Http_Custom save = chapterIdentity(1016);
        QVERIFY(db()->addJob(save, QStringLiteral("text"), 110, 0));
        T_Http_Custom hard;
        hard.jobType = 1028;
        hard.localBookId = 5;
        QVERIFY(db()->addJob(hard, QStringLiteral("{}"), 120, 0));
        QCOMPARE(hard.jobId, 0);
        QCOMPARE(jobs(), 0);
    }

    void deletingChapterOrMemoSweepsEveryUsersJobs()
    {
        T_Http_Custom save = chapterIdentity(1016);
        QVERIFY(db()->addJob(save, QStringLiteral("text"), 110, 0));
        db()->setCurrentUid(8);
        T_Http_Custom recycle = chapterIdentity(1010);
        QVERIFY(db()->addJob(recycle, QStringLiteral("{}"), 111, 0));
        T_Http_Custom del = chapterIdentity(1011);
        del.chapterId = 77;
        QVERIFY(db()->addJob(del, QStringLiteral("{}"), 120, 0));
        QCOMPARE(jobs(QStringLiteral("localChapterId = 11")), 1);
        QCOMPARE(jobs(QStringLiteral("jobType = 1011")), 1);

        T_Http_Custom memo;
        memo.jobType = 3005;
        memo.localMemoId = 21;
        QVERIFY(db()->addJob(memo, QStringLiteral("m"), 130, 0));
        T_Http_Custom memoDel;
        memoDel.jobType = 3003;
        memoDel.localMemoId = 21;
        memoDel.memoId = 55;
        QVERIFY(db()->addJob(memoDel, QString(), 140, 0));
        QCOMPARE(jobs(QStringLiteral("localMemoId = 21")), 1);
        QCOMPARE(jobs(QStringLiteral("jobType = 3003")), 1);
    }

    void aSweepIsUndoneWhenTheDeletionJobCannotBeWritten()
    {
        T_Http_Custom save = chapterIdentity(1016);
        QVERIFY(db()->addJob(save, QStringLiteral("text"), 110, 0));
        QVERIFY(f->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON tb_job WHEN "
                                       "NEW.jobType = 1011 BEGIN SELECT RAISE(ABORT, 'disk full'); END;")));
        T_Http_Custom del = chapterIdentity(1011);
        del.chapterId = 77;
        QVERIFY(!db()->addJob(del, QStringLiteral("{}"), 120, 0));
        QCOMPARE(del.jobId, 0);
        QCOMPARE(jobs(QStringLiteral("localChapterId = 11 and jobType = 1017")), 1);
    }

    void aFailedWriteIsReported()
    {
        QVERIFY(f->exec(QStringLiteral("DROP TABLE tb_job")));
        T_Http_Custom save = chapterIdentity(1016);
        QVERIFY(!db()->addJob(save, QStringLiteral("text"), 110, 0));
        QCOMPARE(save.jobId, 0);
        T_JobData job;
        QVERIFY(!db()->getUserJobData(job, 7));
    }

    void aReplyNeverDeletesALaterSave()
    {
        T_Http_Custom sent = chapterIdentity(1016);
        int sentRevision = -1;
        QVERIFY(db()->addJob(sent, QStringLiteral("what was sent"), 100, 0, &sentRevision));
        QCOMPARE(sentRevision, 0);
        // The author saves again while the request is on its way.
        T_Http_Custom later = chapterIdentity(1016);
        int laterRevision = -1;
        QVERIFY(db()->addJob(later, QStringLiteral("written after"), 110, 0, &laterRevision));
        QCOMPARE(laterRevision, 1);

        QCOMPARE(db()->deleteJob(sent.jobId, sentRevision), JobConfirm::KeptNewer);
        T_JobData job;
        QVERIFY(db()->getUserJobData(job, 7));
        QCOMPARE(job.jobId, sent.jobId);
        QCOMPARE(objectOf(job.content).value(QStringLiteral("content")).toString(),
                 QStringLiteral("written after"));
        QCOMPARE(db()->deleteJob(job.jobId, job.revision), JobConfirm::Deleted);
        QCOMPARE(db()->deleteJob(job.jobId, job.revision), JobConfirm::Missing);
        QCOMPARE(jobs(), 0);
    }
};

int runDbTestJobQueue(int argc, char** argv)
{
    tst_JobQueue test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_JobQueue.moc"

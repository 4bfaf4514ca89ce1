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

    void nothingIsRecordedWithoutASignedInAuthor()
    {
        db()->setCurrentUid(0);
        T_Http_Custom id = chapterIdentity(1008);
        QVERIFY(!db()->addJob(id, QStringLiteral("{}"), 100, 0));
        QCOMPARE(id.jobId, 0);
        QCOMPARE(jobs(), 0);
    }

    void plainJobIsInsertedWithTheIdentity()
    {
        T_Http_Custom id = chapterIdentity(1008);
        id.localVolumeId = 3;
        id.bookId = 900;
        QVERIFY(db()->addJob(id, QStringLiteral("{\"a\":1}"), 100, 4));
        QVERIFY(id.jobId > 0);
        QCOMPARE(id.uid, 7);
        T_JobData job;
        QVERIFY(db()->getJobById(id.jobId, job));
        QCOMPARE(job.uid, 7);
        QCOMPARE(job.jobType, 1008);
        QCOMPARE(job.localBookId, 5);
        QCOMPARE(job.bookId, 900);
        QCOMPARE(job.localVolumeId, 3);
        QCOMPARE(job.localChapterId, 11);
        QCOMPARE(job.createTime, 100);
        QCOMPARE(job.ext1, 4);
        QCOMPARE(job.revision, 0);
    }

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

    void renameAndSaveShareTheChapterJob()
    {
        T_Http_Custom rename = chapterIdentity(1015);
        QVERIFY(db()->addJob(rename, QStringLiteral("第一章 启程"), 100, 0));
        T_Http_Custom save = chapterIdentity(1016);
        QVERIFY(db()->addJob(save, QStringLiteral("正文"), 110, 0));
        // Another chapter and another author keep jobs of their own.
        T_Http_Custom other = chapterIdentity(1016, 12);
        QVERIFY(db()->addJob(other, QStringLiteral("x"), 120, 0));
        db()->setCurrentUid(8);
        T_Http_Custom otherAuthor = chapterIdentity(1016);
        QVERIFY(db()->addJob(otherAuthor, QStringLiteral("y"), 130, 0));
        QCOMPARE(jobs(), 3);
        T_JobData job;
        QVERIFY(db()->getJobById(rename.jobId, job));
        const QJsonObject content = objectOf(job.content);
        QCOMPARE(content.value(QStringLiteral("name")).toString(), QStringLiteral("第一章 启程"));
        QCOMPARE(content.value(QStringLiteral("content")).toString(), QStringLiteral("正文"));
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

    void memoChangesShareTheMemoJob()
    {
        T_Http_Custom color;
        color.jobType = 3004;
        color.localMemoId = 21;
        QVERIFY(db()->addJob(color, QStringLiteral("#ffcc00"), 100, 0));
        QCOMPARE(color.jobType, 3007);
        T_Http_Custom text = color;
        text.jobType = 3005;
        QVERIFY(db()->addJob(text, QStringLiteral("买菜"), 110, 0));
        QCOMPARE(text.jobId, color.jobId);
        T_JobData job;
        QVERIFY(db()->getJobById(color.jobId, job));
        QCOMPARE(objectOf(job.content),
                 QJsonObject({{QStringLiteral("color"), QStringLiteral("#ffcc00")},
                              {QStringLiteral("content"), QStringLiteral("买菜")}}));
    }

    void memoPlaceTakesTheSixKeysAndKeepsTheRest()
    {
        T_Http_Custom place;
        place.jobType = 3006;
        place.localMemoId = 21;
        QVERIFY(db()->addJob(place, QStringLiteral("{\"isHold\":1,\"width\":200,\"height\":90,\"x\":1.5,"
                                                   "\"y\":2,\"bookId\":3,\"localBookId\":4}"),
                             100, 0));
        T_Http_Custom move = place;
        move.jobType = 3006;
        QVERIFY(db()->addJob(move, QStringLiteral("{\"isHold\":0,\"x\":9,\"y\":8,\"localChapterId\":6}"),
                             110, 0));
        T_JobData job;
        QVERIFY(db()->getJobById(place.jobId, job));
        const QJsonObject content = objectOf(job.content);
        QCOMPARE(content.value(QStringLiteral("isHold")).toInt(), 1);
        QCOMPARE(content.value(QStringLiteral("width")).toInt(), 200);
        QCOMPARE(content.value(QStringLiteral("x")).toInt(), 9);
        QCOMPARE(content.value(QStringLiteral("localChapterId")).toInt(), 6);
        QVERIFY(!content.contains(QStringLiteral("bookId")));

        // A position that is no JSON is refused and the job stays as it was.
        T_Http_Custom broken = place;
        broken.jobType = 3006;
        QVERIFY(!db()->addJob(broken, QStringLiteral("x=9"), 120, 0));
        QVERIFY(db()->getJobById(place.jobId, job));
        QCOMPARE(objectOf(job.content), content);
    }

    void bookEditMergesItsSixKeys()
    {
        T_Http_Custom edit;
        edit.jobType = 1006;
        edit.localBookId = 5;
        QVERIFY(db()->addJob(edit, QStringLiteral("{\"bookName\":\"旧名\",\"intro\":\"简介\",\"cover\":\"a.png\"}"),
                             100, 0));
        T_Http_Custom again = edit;
        again.jobType = 1006;
        QVERIFY(db()->addJob(again, QStringLiteral("{\"bookName\":\"新名\",\"cateId\":50010,\"extra\":1}"),
                             130, 0));
        QCOMPARE(jobs(), 1);
        T_JobData job;
        QVERIFY(db()->getJobById(edit.jobId, job));
        const QJsonObject content = objectOf(job.content);
        QCOMPARE(content.value(QStringLiteral("bookName")).toString(), QStringLiteral("新名"));
        QCOMPARE(content.value(QStringLiteral("intro")).toString(), QStringLiteral("简介"));
        QCOMPARE(content.value(QStringLiteral("cateId")).toInt(), 50010);
        QVERIFY(content.contains(QStringLiteral("cover")));
        QVERIFY(!content.contains(QStringLiteral("extra")));
        QCOMPARE(job.createTime, 130);

        T_Http_Custom broken = edit;
        QVERIFY(!db()->addJob(broken, QStringLiteral("not json"), 140, 0));
        QCOMPARE(broken.jobId, 0);
    }

    void profileUpdatesMergeAndCountUp()
    {
        T_Http_Custom a;
        a.jobType = 2;
        QVERIFY(db()->addJob(a, QStringLiteral("{\"sign\":\"a\"}"), 100, 1));
        T_Http_Custom b;
        b.jobType = 2;
        QVERIFY(db()->addJob(b, QStringLiteral("{\"sign\":\"b\"}"), 200, 2));
        QCOMPARE(b.jobId, a.jobId);
        T_JobData job;
        QVERIFY(db()->getJobById(a.jobId, job));
        QCOMPARE(job.ext1, 3);
        QCOMPARE(job.createTime, 100);
        QCOMPARE(job.content, QStringLiteral("{\"sign\":\"b\"}"));
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

    void recyclingABookKeepsItsPendingJobs()
    {
        T_Http_Custom add;
        add.jobType = 1002;
        add.localBookId = 5;
        QVERIFY(db()->addJob(add, QStringLiteral("{}"), 100, 0));
        T_Http_Custom save = chapterIdentity(1016);
        QVERIFY(db()->addJob(save, QStringLiteral("text"), 110, 0));
        T_Http_Custom recycle;
        recycle.jobType = 1005;
        recycle.localBookId = 5;
        QVERIFY(db()->addJob(recycle, QStringLiteral("{\"status\":0}"), 120, 0));
        QCOMPARE(jobs(QStringLiteral("localBookId = 5")), 3);
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

    void theOldestJobOfTheAuthorComesFirst()
    {
        T_JobData job;
        QVERIFY(db()->getUserJobData(job, 7));
        QCOMPARE(job.jobId, 0);
        db()->setCurrentUid(8);
        T_Http_Custom foreign = chapterIdentity(1008);
        QVERIFY(db()->addJob(foreign, QStringLiteral("{}"), 90, 0));
        db()->setCurrentUid(7);
        T_Http_Custom first = chapterIdentity(1008);
        QVERIFY(db()->addJob(first, QStringLiteral("{}"), 100, 0));
        T_Http_Custom second = chapterIdentity(1031);
        QVERIFY(db()->addJob(second, QStringLiteral("{}"), 50, 0));
        QVERIFY(db()->getUserJobData(job, 7));
        QCOMPARE(job.jobId, first.jobId);
        QVERIFY(db()->deleteJob(first.jobId));
        QVERIFY(db()->getUserJobData(job, 7));
        QCOMPARE(job.jobId, second.jobId);
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

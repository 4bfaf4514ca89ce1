#include "DbFixture.h"
#include "remote/T_Http_Custom.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

// The platform's ids reaching every row and pending job that names the
// local id.
class tst_ServerIds : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<DbFixture> f;
    CTessaneDb* db() { return f->db(); }
    int job(int type, const QString& values = QStringLiteral("{}"), int localBook = 5,
            int localChapter = 0, int ext1 = 0, int createTime = 100)
    {
        T_Http_Custom id;
        id.jobType = type;
        id.localBookId = localBook;
        id.localChapterId = localChapter;
        db()->addJob(id, values, createTime, ext1);
        return id.jobId;
    }
    QJsonValue contentOf(int jobId)
    {
        const QJsonDocument document = QJsonDocument::fromJson(
            f->value(QStringLiteral("select content from tb_job where jobId = %1").arg(jobId)).toString().toUtf8());
        return document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
    }

private slots:
    void init()
    {
        f = std::make_unique<DbFixture>();
        QVERIFY(f->init());
        db()->setCurrentUid(7);
    }
    void cleanup() { f.reset(); }

    void bookIdReachesEveryRowAndJob()
    {
        QVERIFY(f->exec(QStringLiteral("insert into tb_book(localId,authorId,bookName) values(5,7,'b')")));
        QVERIFY(f->exec(QStringLiteral("insert into tb_volume(localBookId,bookId) values(5,0)")));
        QVERIFY(f->exec(QStringLiteral("insert into tb_chapter(localBookId,bookId) values(5,0)")));
        QVERIFY(f->exec(QStringLiteral("insert into tb_memo(localBookId) values(5)")));
        QVERIFY(f->exec(QStringLiteral("insert into tb_outline(localBookId,bookId) values(5,0)")));
        QVERIFY(f->exec(QStringLiteral("insert into tb_chapter(localBookId,bookId) values(6,0)")));
        const int save = job(1016, QStringLiteral("text"), 5, 11);
        const int recycle = job(1010, QStringLiteral("0"), 5, 11);
        const int revision = db()->jobRevision(save);

        QVERIFY(db()->setBookServerId(5, 900));
        for (const char* table : {"tb_book", "tb_volume", "tb_memo", "tb_outline"})
            QCOMPARE(f->count(QStringLiteral("select bookId from %1").arg(QLatin1String(table))), 900);
        QCOMPARE(f->count(QStringLiteral("select bookId from tb_chapter where localBookId = 5")), 900);
        QCOMPARE(f->count(QStringLiteral("select bookId from tb_chapter where localBookId = 6")), 0);
        QCOMPARE(f->count(QStringLiteral("select bookId from tb_job where jobId = %1").arg(recycle)), 900);
        // A job with a chapter's text is not written again: it reads the id
        // from its book's row.
        QCOMPARE(f->count(QStringLiteral("select bookId from tb_job where jobId = %1").arg(save)), 0);
        T_JobData read;
        QVERIFY(db()->getJobById(save, read));
        QCOMPARE(read.bookId, 900);
        // Filling in an id is no new change: the content and the revision stay.
        QCOMPARE(contentOf(save).toObject().value(QStringLiteral("content")).toString(), QStringLiteral("text"));
        QCOMPARE(db()->jobRevision(save), revision);
    }

    void chapterIdFixesChapterOrderJobs()
    {
        QVERIFY(f->exec(QStringLiteral("insert into tb_chapter(localId,localBookId,bookId) values(11,5,0)")));
        const QString moves = QStringLiteral("[{\"from_chapter_id\":0,\"to_chapter_id\":0},{\"x\":1}]");
        const int moved = job(1021, moves, 5, 0, 12, 11);       // chapter 11 moved against 12
        const int against = job(1021, moves, 5, 0, 11, 13);     // chapter 13 moved against 11
        const int self = job(1021, moves, 5, 0, 11, 11);        // both name chapter 11
        const int empty = job(1021, QStringLiteral("[]"), 5, 0, 11, 11);
        QVERIFY(db()->setChapterServerId(11, 4400));
        QCOMPARE(f->count(QStringLiteral("select chapterId from tb_chapter where localId = 11")), 4400);
        const QJsonObject a = contentOf(moved).toArray().at(0).toObject();
        QCOMPARE(a.value(QStringLiteral("from_chapter_id")).toInt(), 4400);
        QCOMPARE(a.value(QStringLiteral("to_chapter_id")).toInt(), 0);
        QCOMPARE(contentOf(moved).toArray().size(), 2);
        const QJsonObject b = contentOf(against).toArray().at(0).toObject();
        QCOMPARE(b.value(QStringLiteral("to_chapter_id")).toInt(), 4400);
        QCOMPARE(b.value(QStringLiteral("from_chapter_id")).toInt(), 0);
        const QJsonObject c = contentOf(self).toArray().at(0).toObject();
        QCOMPARE(c.value(QStringLiteral("to_chapter_id")).toInt(), 4400);
        QCOMPARE(c.value(QStringLiteral("from_chapter_id")).toInt(), 0);
        QCOMPARE(contentOf(empty).toArray().size(), 0);
    }

    void outlineIdReachesEditsDeletesAndBothEndsOfMoves()
    {
        QVERIFY(f->exec(QStringLiteral("insert into tb_outline(localId,localBookId) values(31,5)")));
        QVERIFY(f->exec(QStringLiteral("insert into tb_outline(localId,localBookId) values(32,5)")));
        const int create = job(1022, QStringLiteral("{\"title\":\"t\"}"), 5, 0, 31);
        const int edit = job(1023, QStringLiteral("{\"title\":\"a\"}"), 5, 0, 31);
        const int move = job(1027, QStringLiteral("{\"from_localId\":31,\"to_localId\":32}"));
        QVERIFY(db()->updateAllOfOutline(31, 700));
        QCOMPARE(f->count(QStringLiteral("select outlineId from tb_outline where localId = 31")), 700);
        QCOMPARE(contentOf(edit).toObject().value(QStringLiteral("outlineId")).toInt(), 700);
        QCOMPARE(contentOf(edit).toObject().value(QStringLiteral("title")).toString(), QStringLiteral("a"));
        QVERIFY(!contentOf(create).toObject().contains(QStringLiteral("outlineId")));
        QCOMPARE(contentOf(move).toObject().value(QStringLiteral("outlineId_from")).toInt(), 700);
        QVERIFY(!contentOf(move).toObject().contains(QStringLiteral("outlineId_to")));
        QVERIFY(db()->updateAllOfOutline(32, 701));
        QCOMPARE(contentOf(move).toObject().value(QStringLiteral("outlineId_from")).toInt(), 700);
        QCOMPARE(contentOf(move).toObject().value(QStringLiteral("outlineId_to")).toInt(), 701);
    }

    void aFailedRewriteChangesNothing()
    {
        QVERIFY(f->exec(QStringLiteral("insert into tb_book(localId,authorId,bookName) values(5,7,'b')")));
        const int save = job(1010, QStringLiteral("0"), 5, 11);
        QVERIFY(f->exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON tb_memo BEGIN "
                                       "SELECT RAISE(ABORT, 'refused'); END;")));
        QVERIFY(f->exec(QStringLiteral("insert into tb_memo(localBookId) values(5)")));
        QVERIFY(!db()->setBookServerId(5, 900));
        QCOMPARE(f->count(QStringLiteral("select bookId from tb_book")), 0);
        QCOMPARE(f->count(QStringLiteral("select bookId from tb_job where jobId = %1").arg(save)), 0);
    }
};

int runDbTestServerIds(int argc, char** argv)
{
    tst_ServerIds test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ServerIds.moc"

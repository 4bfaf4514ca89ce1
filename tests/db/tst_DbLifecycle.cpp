#include "DbFixture.h"
#include "FullDisk.h"
#include "db/CTessaneDbTransaction.h"
#include "common/PrivateFiles.h"
#include "db/records/T_Chapter.h"
#include "remote/T_Http_S.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

// Finding, creating, replacing and upgrading the database file.
class tst_DbLifecycle : public QObject
{
    Q_OBJECT
private slots:
    void textValuesRoundTripUnchanged()
    {
        DbFixture f;
        QVERIFY(f.init());
        QVERIFY(f.exec(QStringLiteral("insert into tb_book(authorId,bookName) values(1,'b')")));
        const QString tricky = QStringLiteral("O'Brien's \"%1\" 100% %2 ''");
        QVERIFY(f.db()->updateItemStringById(QStringLiteral("tb_book"), QStringLiteral("localId"), 1,
                                             QStringLiteral("intro"), tricky));
        QCOMPARE(f.value(QStringLiteral("select intro from tb_book")).toString(), tricky);
    }

    void databaseFilesArePrivateAndWiderOnesAreNarrowed()
    {
        DbFixture f;
        QVERIFY(f.init());
        QVERIFY(f.exec(QStringLiteral("update tb_sys set lastUid = 1;")));
        const QString folder = QFileInfo(f.dbFile()).absolutePath();
        const QStringList paths = {folder, f.dbFile(), f.dbFile() + QStringLiteral("-wal"),
                                   f.dbFile() + QStringLiteral("-shm")};
        for (const QString& path : paths)
            QVERIFY2(PrivateFiles::isPrivate(path), qPrintable(path));
        QCOMPARE(QFileInfo(folder).permissions() & QFileDevice::ExeOwner, QFileDevice::ExeOwner);

        // Left readable by everyone (an older start, a copied folder): the
        // next start narrows every one of them.
        f.release();
        QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7755)));
        for (const QString& path : paths.mid(1)) {
            QFile touch(path);
            QVERIFY(touch.open(QIODevice::Append));
            QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions(0x6644)));
            QVERIFY(!PrivateFiles::isPrivate(path));
        }
        QVERIFY(f.init());
        for (const QString& path : paths)
            QVERIFY2(PrivateFiles::isPrivate(path), qPrintable(path));
        QCOMPARE(f.count(QStringLiteral("select lastUid from tb_sys")), 1);
    }

    // Committed pages are copied from the log into the database file a moment
    // after the commit, on a connection of the copy's own, while commits go
    // on; the file alone then holds every committed row.
    void commitsReachTheDatabaseFileSoonAfter()
    {
        DbFixture f;
        QVERIFY(f.init());
        const QString text = QString(QStringLiteral("长")).repeated(200000);
        for (int i = 0; i < 4; ++i) {
            CTessaneDb::Transaction transaction(*f.db());
            QVERIFY(transaction.began());
            QVERIFY(f.exec(QStringLiteral("insert into tb_book(authorId,bookName,intro) values(1,'b%1','%2')")
                               .arg(i)
                               .arg(text)));
            QVERIFY(transaction.commit());
        }
        const QString copy = f.dbFile() + QStringLiteral(".alone");
        auto rowsInTheFileAlone = [&]() {
            QFile::remove(copy);
            if (!QFile::copy(f.dbFile(), copy))
                return -1;
            int rows = -1;
            {
                QSqlDatabase alone = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("alone"));
                alone.setDatabaseName(copy);
                if (alone.open()) {
                    QSqlQuery query(alone);
                    if (query.exec(QStringLiteral("select count(*) from tb_book where length(intro) = 200000"))
                        && query.next())
                        rows = query.value(0).toInt();
                }
            }
            QSqlDatabase::removeDatabase(QStringLiteral("alone"));
            return rows;
        };
        QTRY_COMPARE(rowsInTheFileAlone(), 4);
        // The copy runs apart; closing waits for it, so the file is whole.
        QVERIFY(f.exec(QStringLiteral("update tb_book set intro = '%1' || intro").arg(text)));
        f.release();
        QCOMPARE(rowsInTheFileAlone(), 0);
    }

    // Another connection's large write (an import's) fills the log past
    // SQLite's bound; the next commit of the window's connection leaves the
    // copy to the worker instead of making it, with its sync, itself.
    void aCommitAfterAnotherConnectionsLargeWriteLeavesTheCopyToTheWorker()
    {
        DbFixture f;
        QVERIFY(f.init());
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("writer"));
            other.setDatabaseName(f.dbFile());
            QVERIFY(other.open());
            QSqlQuery query(other);
            for (const char* statement : {"PRAGMA wal_autocheckpoint = 0;", "BEGIN IMMEDIATE;",
                                          "insert into tb_chapter_text(content) select hex(randomblob(5000)) "
                                          "from (with recursive n(x) as (select 1 union all select x + 1 from n "
                                          "where x < 2500) select x from n);",
                                          "COMMIT;"})
                QVERIFY2(query.exec(QString::fromLatin1(statement)), statement);
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("writer"));
        f.db()->settleCheckpoint();
        const qint64 before = QFileInfo(f.dbFile()).size();
        QVERIFY(QFileInfo(f.dbFile() + QStringLiteral("-wal")).size() > 16 * 1024 * 1024);
        QVERIFY(f.exec(QStringLiteral("insert into tb_book(authorId,bookName) values(1,'b')")));
        QCOMPARE(QFileInfo(f.dbFile()).size(), before);
        QTRY_VERIFY(QFileInfo(f.dbFile()).size() > before + 16 * 1024 * 1024);
    }

    void markerReplacesTheDatabase()
    {
        DbFixture f;
        QVERIFY(f.init());
        QVERIFY(f.exec(QStringLiteral("insert into tb_book(authorId,bookName) values(1,'old')")));
        f.release();
        // A stale write-ahead log must not be replayed into the new file.
        f.writeFile(f.dbFile() + QStringLiteral("-wal"), QByteArray("stale"));
        f.writeFile(f.programDbDir() + QStringLiteral("/isCoverDb.txt"), QByteArray());
        QVERIFY(f.init());
        QCOMPARE(f.count(QStringLiteral("select count(*) from tb_book")), 0);
        QCOMPARE(f.count(QStringLiteral("select count(*) from tb_cate")), 76);
        QVERIFY(!QFile::exists(f.programDbDir() + QStringLiteral("/isCoverDb.txt")));
    }

    void upgradeScriptRunsOnceAndGoesOnAfterABadStatement()
    {
        DbFixture f;
        QVERIFY(f.init());
        f.release();
        const QString script = f.programDbDir() + QStringLiteral("/update.sql");
        f.writeFile(script, QByteArray("insert into tb_level(id,name,score) values(1,'初出茅庐;新人',0);\r\n"
                                       "insert into no_such_table values(1);\r\n"
                                       "insert into tb_level(id,name,score)\r\nvalues(2,'崭露头角',100);\r\n"));
        QVERIFY(f.init());
        QVERIFY(!QFile::exists(script));
        QCOMPARE(f.count(QStringLiteral("select count(*) from tb_level")), 2);
        QCOMPARE(f.value(QStringLiteral("select name from tb_level where id = 1")).toString(),
                 QStringLiteral("初出茅庐;新人"));
        f.release();
        QVERIFY(f.init());
        QCOMPARE(f.count(QStringLiteral("select count(*) from tb_level")), 2);
    }

    // A database made by an older program holds that program's seeded name
    // lists: they follow the program, lists the platform sent (version 2) stay.
    void seededNameListsFollowTheProgram()
    {
        for (int version : {1, 2}) {
            DbFixture f;
            QVERIFY(f.init());
            const QVariant seeded = f.value(QStringLiteral("select name from tb_people where type = 3"));
            QVERIFY(f.exec(QStringLiteral("update tb_people set name = '伟,娟' where type = 3")));
            QVERIFY(f.exec(QStringLiteral("update tb_sys set peopleNameVersion = %1").arg(version)));
            f.release();
            QVERIFY(f.init());
            QCOMPARE(f.value(QStringLiteral("select name from tb_people where type = 3")),
                     version == 1 ? seeded : QVariant(QStringLiteral("伟,娟")));
        }
    }

    void upgradeWaitsWhenTheFileIsNoDatabase()
    {
        DbFixture f;
        const QByteArray garbage(4096, 'x');
        f.writeFile(f.dbFile(), garbage);
        const QString script = f.programDbDir() + QStringLiteral("/update.sql");
        f.writeFile(script, QByteArray("create table t(a);"));
        QVERIFY(!f.init());
        QVERIFY(!f.db()->isOpen());
        QVERIFY(QFile::exists(script));
        QFile file(f.dbFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), garbage);
    }

    void creationFailsWhereNoFileCanBeMade()
    {
        DbFixture f;
        // The database folder's parent is a plain file.
        const QString blocker = QFileInfo(f.dbFile()).absolutePath();
        f.writeFile(blocker + QStringLiteral("x"), QByteArray());
        QVERIFY(!f.db()->createDb(blocker + QStringLiteral("x/wrt.db")));
        QVERIFY(!f.db()->isOpen());
        QVERIFY(!f.db()->lastErrorText().isEmpty());
    }

    void lockedDatabaseFailsInitialisation()
    {
        DbFixture f;
        QVERIFY(f.init());
        f.release();
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"),
                                                           QStringLiteral("locker"));
            other.setDatabaseName(f.dbFile());
            QVERIFY(other.open());
            QSqlQuery lock(other);
            QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE;")));
            QVERIFY(lock.exec(QStringLiteral("insert into tb_book(authorId,bookName) values(1,'x')")));
            QVERIFY(!f.init());
            QVERIFY(lock.exec(QStringLiteral("ROLLBACK;")));
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("locker"));
        QVERIFY(f.init());
        QCOMPARE(f.count(QStringLiteral("select count(*) from tb_book")), 0);
    }

    void olderDatabaseGainsWhatTheCodeExpects_data()
    {
        QTest::addColumn<bool>("fullAtFirst");
        QTest::newRow("room") << false;
        QTest::newRow("a full disk refuses a step, the next start has room") << true;
    }

    void olderDatabaseGainsWhatTheCodeExpects()
    {
        QFETCH(bool, fullAtFirst);
        DbFixture f;
        QVERIFY(f.init());
        const QString added = QStringLiteral("'tb_level','tb_client_statistics','uidJobId','tb_withdrawn_delete',"
                                             "'tb_deleted_here','tb_owed_look'");
        for (const char* drop : {"INDEX uidJobId", "TABLE tb_level", "TABLE tb_client_statistics",
                                 "TABLE tb_withdrawn_delete", "TABLE tb_deleted_here", "TABLE tb_owed_look"})
            QVERIFY(f.exec(QStringLiteral("DROP %1;").arg(QLatin1String(drop))));
        f.db()->close();
        if (fullAtFirst) {
            // Room for the log's index and a few pages, not for the tables.
            FullDisk disk(36 * 1024);
            QVERIFY(disk.ok() && !f.init());
            QCOMPARE(f.db()->lastFault(), DbFault::DiskFull);
            QVERIFY(!f.db()->isOpen());
        }
        QVERIFY(f.init());
        QCOMPARE(f.count(QStringLiteral("select count(*) from sqlite_master where name in (%1)").arg(added)), 6);
    }

    void olderDatabaseHasItsChapterTextsMovedOutOfTheChapterRows_data()
    {
        QTest::addColumn<bool>("fullAtFirst");
        QTest::addColumn<int>("room");
        QTest::addColumn<bool>("rowsMove");
        QTest::newRow("room") << false << 0 << false;
        // Room for the rows but not for their texts again.
        QTest::newRow("no room for the move, the next start has room") << true << 256 * 1024 << true;
        QTest::newRow("no room for the rows either, the next start has room") << true << 36 * 1024 << false;
    }

    void olderDatabaseHasItsChapterTextsMovedOutOfTheChapterRows()
    {
        QFETCH(bool, fullAtFirst);
        QFETCH(int, room);
        QFETCH(bool, rowsMove);
        DbFixture f;
        QVERIFY(f.init());
        // The chapter table as earlier versions made it, each text in its
        // row; 40 texts of 18 KB want more log than a full disk has room for.
        for (const char* statement :
             {"DROP TRIGGER chapterTextGoesWithItsChapter;", "DROP TABLE tb_chapter_text;", "ALTER TABLE tb_chapter ADD COLUMN content TEXT;",
              "insert into tb_chapter(localId,chapterId,localBookId,bookId,name,content) values(4,104,9,0,'甲','山。');",
              "insert into tb_chapter(localId,chapterId,localBookId,bookId,name) values(5,105,9,0,'乙');",
              "with recursive n(i) as (select 10 union all select i + 1 from n where i < 49) insert into "
              "tb_chapter(localId,localBookId,bookId,name,content) select i,11,0,'长',replace(hex(zeroblob(3000)),'00','水') from n;",
              "insert into tb_job(uid,jobType,localBookId,content) values(1,1009,11,'[{\"local_id\":12}]');"})
            QVERIFY2(f.exec(QString::fromUtf8(statement)), statement);
        f.db()->close();
        T_Chapter chapter;
        const auto textOf = [&f, &chapter](int localId) {
            chapter.localId = localId;
            return f.db()->getChapterContent(&chapter) ? chapter.content : QStringLiteral("(unread)");
        };
        const QString longTexts = QStringLiteral("select sum(length(content)) from %1 where localId >= 10");
        const QString holdsTexts = QStringLiteral("select count(*) from pragma_table_info('tb_chapter') where name = 'content'");
        if (fullAtFirst) {
            FullDisk disk(room);
            QVERIFY(disk.ok() && f.init());
            QCOMPARE(f.db()->rowsHoldTexts(), !rowsMove);
            QCOMPARE(f.count(longTexts.arg(QLatin1String("tb_chapter_text"))), 0);
            QCOMPARE(f.db()->takeUnfinishedUpgrade(), DbFault::DiskFull);
            QCOMPARE(f.db()->takeUnfinishedUpgrade(), DbFault::None);
            // Every text is read where it is, and written where it is read from.
            QCOMPARE(textOf(4), QStringLiteral("山。"));
            QCOMPARE(textOf(12).size(), 3000);
            QCOMPARE(f.db()->chaptersWithoutText(9), QList<int>{105});
            QJsonArray batch;
            bool found = false;
            QVERIFY(CTessaneDb::readChapterBatch(f.dbFile(), f.count(QStringLiteral("select max(jobId) from tb_job")),
                                                 &batch, &found)
                    && found);
            QCOMPARE(batch.first().toObject().value(QStringLiteral("content")).toString().size(), 3000);
            QVERIFY(f.db()->updateChapterText(4, QStringLiteral("山。庙。").toUtf8(), 4, 1700000000));
            QCOMPARE(textOf(4), QStringLiteral("山。庙。"));
            // Rows that left their texts take the platform's ids without the
            // texts being written again.
            QCOMPARE(f.db()->setBookServerId(11, 5011), rowsMove);
            disk.makeRoom();
            f.db()->close();
        }
        QVERIFY(f.init());
        QCOMPARE(f.count(holdsTexts), 0);
        QCOMPARE(f.count(QStringLiteral("select count(*) from sqlite_master where name like 'tb_chapter_old%'")), 0);
        QCOMPARE(f.count(QStringLiteral("select count(*) from tb_chapter where bookId = 5011")), rowsMove ? 40 : 0);
        QCOMPARE(f.value(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        QCOMPARE(textOf(4), fullAtFirst ? QStringLiteral("山。庙。") : QStringLiteral("山。"));
        QVERIFY(textOf(5).isEmpty());
        QCOMPARE(f.count(longTexts.arg(QLatin1String("tb_chapter_text"))), 40 * 3000);
        // What looks for chapters still waiting for their words reads the
        // moved texts too.
        QCOMPARE(f.db()->chaptersWithoutText(9), QList<int>{105});
        // Once moved, a chapter's text goes with its row.
        QVERIFY(f.exec(QStringLiteral("delete from tb_chapter where localId = 4;")));
        QCOMPARE(f.count(QStringLiteral("select count(*) from tb_chapter_text where localId = 4")), 0);
    }

};

int runDbTestLifecycle(int argc, char** argv)
{
    tst_DbLifecycle test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_DbLifecycle.moc"

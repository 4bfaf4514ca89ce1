// Files that are no book, or that cannot be stored: a clear result code and
// nothing left behind, not even half a book.

#include "ImportFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "db/records/T_UserConf.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "manager/ImportTextCodec.h"
#include "remote/CTessaneHttp.h"
#include "remote/records/AccountRecords.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTest>
#include <QTextCodec>

namespace {

void verifyNothingStored(ImportFixture& f)
{
    // What the import's earlier turns wrote is swept away on a worker.
    for (const QString& table : {QStringLiteral("tb_book"), QStringLiteral("tb_volume"), QStringLiteral("tb_chapter"),
                                 QStringLiteral("tb_job"), QStringLiteral("tb_import")})
        QTRY_COMPARE_WITH_TIMEOUT(f.count(table), 0, 30000);
    QVERIFY(CPublicManager::instance()->bookList.isEmpty());
    // A failed import does not block the next one.
    QVERIFY(!CUiManager::instance()->isBookImporting());
}

QString chapters(int n)
{
    QString text;
    for (int i = 1; i <= n; ++i)
        text += QStringLiteral("第%1章 标题%1\n正文%1。\n").arg(i);
    return text;
}

} // namespace

class TestBookImportBadInput : public QObject
{
    Q_OBJECT
private slots:
    void refusedFilesLeaveNothing_data();
    void refusedFilesLeaveNothing();
    void oversizedFileIsRefusedBeforeReading();
    void failureHalfwayRollsBackTheWholeBook();
    void stoppedHalfwayRollsBackTheWholeBookAndItsTile_data();
    void stoppedHalfwayRollsBackTheWholeBookAndItsTile();
    void importLeftListedIsNobodysUntilAStartSweepsIt();
    void stopWhileAGb18030FileIsDecodedLeavesTheRestUndone();
    void twentyMegabyteNovelIsImportedWhole();
};

void TestBookImportBadInput::refusedFilesLeaveNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("result");
    const QByteArray novel = chapters(2).toUtf8();
    QTest::newRow("suffix in capitals") << "书.TXT" << novel << 10006;
    QTest::newRow("no suffix") << "书" << novel << 10006;
    QTest::newRow("other suffix") << "书.doc" << novel << 10006;
    QTest::newRow("only the suffix") << ".txt" << novel << 10007;
    QTest::newRow("empty file") << "空.txt" << QByteArray() << 10008;
    QTest::newRow("only a bom") << "空.txt" << QByteArray("\xEF\xBB\xBF") << 10008;
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>(QRandomGenerator::global()->bounded(256));
    binary[7] = '\0';
    QTest::newRow("binary") << "图.txt" << binary << 10008;
    QTest::newRow("png header") << "图.txt" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << 10008;
    // Mostly UTF-8 with one broken sequence: not read as GB18030 mojibake.
    QTest::newRow("broken utf-8") << "坏.txt" << novel + QByteArray("\xE4\xB8") + novel << 10008;
    QTest::newRow("utf-16 odd length") << "坏.txt"
                                       << QByteArray("\xFF\xFE") + QByteArray("\x2C\x7B\x31", 3) << 10008;
    QTest::newRow("utf-8 bom, broken") << "坏.txt" << QByteArray("\xEF\xBB\xBF") + novel + "\xFF" << 10008;
    QTest::newRow("only blanks") << "空白.txt" << QByteArray("  \n\n \n") << 10008;
}

void TestBookImportBadInput::refusedFilesLeaveNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(int, result);
    ImportFixture f;
    QVERIFY(f.ready());
    QCOMPARE(f.import(f.writeFile(name, bytes)), result);
    verifyNothingStored(f);
}

void TestBookImportBadInput::oversizedFileIsRefusedBeforeReading()
{
    ImportFixture f;
    QVERIFY(f.ready());
    // A sparse file: large on paper, nothing on the disk.
    const QString path = f.writeFile(QStringLiteral("巨大.txt"), chapters(1).toUtf8());
    QFile file(path);
    QVERIFY(file.resize(300LL * 1024 * 1024));
    QCOMPARE(f.import(path), 10009);
    verifyNothingStored(f);
}

void TestBookImportBadInput::failureHalfwayRollsBackTheWholeBook()
{
    ImportFixture f;
    QVERIFY(f.ready());
    // The 25th chapter cannot be stored: by then the book, its volume and the
    // first batch job are written.
    QSqlQuery query(QSqlDatabase::database());
    QVERIFY(query.exec(QStringLiteral(
        "create trigger refuse_chapter before insert on tb_chapter when new.name like '%标题25%' "
        "begin select raise(abort, 'disk full'); end;")));
    QCOMPARE(f.import(f.writeFile(QStringLiteral("中断.txt"), chapters(30).toUtf8())), 10011);
    verifyNothingStored(f);
    QVERIFY(query.exec(QStringLiteral("drop trigger refuse_chapter;")));
}

void TestBookImportBadInput::stoppedHalfwayRollsBackTheWholeBookAndItsTile_data()
{
    QTest::addColumn<int>("how");
    QTest::addColumn<bool>("decoding");
    const char* const hows[] = {"the import is stopped", "a sign-out the platform asks for", "the author's sign-out",
                                "the settings page's check before a sign-out"};
    for (int how = 0; how < 4; ++how)
        QTest::newRow(hows[how]) << how << false;
    // A GB18030 file with a NUL at its end: decoded whole it would end as no
    // text (a binary file); the stop is heard while it is decoded.
    for (int how = 0; how < 4; ++how)
        QTest::addRow("%s while a GB18030 file is decoded", hows[how]) << how << true;
}

void TestBookImportBadInput::stoppedHalfwayRollsBackTheWholeBookAndItsTile()
{
    QFETCH(int, how);
    QFETCH(bool, decoding);
    ImportFixture f;
    QVERIFY(f.ready());
    CBookJobManager* manager = CBookJobManager::instance();
    QSignalSpy finished(manager, &CBookJobManager::sig_ImportBookFinished);
    if (decoding) {
        const QString text = chapters(3000) + QStringLiteral("夜色沉沉，远处的灯火一盏接一盏地亮起来。\n").repeated(200000);
        QVERIFY(manager->startImportBook(f.writeFile(
            QStringLiteral("停.txt"), QTextCodec::codecForName("GB18030")->fromUnicode(text) + QByteArray(1, '\0'))));
    } else {
        // The import is still writing when its author's session ends.
        QVERIFY(f.slowChapterRows(true));
        QVERIFY(manager->startImportBook(f.writeFile(QStringLiteral("停.txt"), chapters(3000).toUtf8())));
        // The tile shows once the chapters are being written.
        QTRY_VERIFY_WITH_TIMEOUT(f.firstBook() && f.firstBook()->isImporting, 60000);
    }
    if (how == 0)
        manager->stopImport();
    else if (how == 1)
        CUiManager::instance()->logout();
    else if (how == 2)
        QVERIFY(CJobManager::instance()->author_logout());
    else
        QVERIFY(CUiManager::instance()->signOutKeepsWords());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toInt(), 10012);
    // What the worker reported before it stopped shows nothing any more.
    QCoreApplication::sendPostedEvents();
    verifyNothingStored(f);
    QVERIFY(decoding || f.slowChapterRows(false));
}

// While an import writes, a synchronisation sends none of its jobs. Stopped
// while its rows cannot be deleted, it leaves them listed, as a crash between
// two turns does: a start shows none of it on the shelf, and the next start
// that can delete sweeps it away.
void TestBookImportBadInput::importLeftListedIsNobodysUntilAStartSweepsIt()
{
    ImportFixture f;
    QVERIFY(f.ready());
    CTessaneDb* db = CTessaneDb::instance();
    TS_Author_Info author;
    author.uid = StandinServer::demoUid();
    author.token = QString::fromLatin1(StandinServer::demoToken());
    T_UserConf conf;
    conf.uid = author.uid;
    QVERIFY(db->insertUser(author, conf) && db->saveLastLogin(author.uid));
    CBookJobManager* manager = CBookJobManager::instance();
    QSignalSpy finished(manager, &CBookJobManager::sig_ImportBookFinished);
    QVERIFY(f.slowChapterRows(true));
    QVERIFY(manager->startImportBook(f.writeFile(QStringLiteral("留.txt"), chapters(3000).toUtf8())));
    QTRY_VERIFY_WITH_TIMEOUT(f.firstBook() && f.firstBook()->isImporting, 60000);
    const int localBookId = f.firstBook()->localId;

    QVERIFY(standin().clearJournal());
    CUiManager::instance()->setSignInState(1);
    CJobManager::instance()->execUserJob();
    // The pass ends with the pull of the change feed, after its jobs.
    QTRY_VERIFY_WITH_TIMEOUT(!standin().requestsTo(QStringLiteral("/synchronization/synBookData")).isEmpty()
                                 && CTessaneHttp::instance()->outstandingReplies() == 0
                                 && CUiManager::instance()->syncRunning() == 0,
                             15000);
    QCOMPARE(finished.count(), 0);
    QCOMPARE(standin().requestsTo(QStringLiteral("/books/addBook")).size(), 0);

    // The window's connection, to which the import gives way.
    QVERIFY(db->exec(QStringLiteral("create trigger keep_jobs before delete on tb_job "
                                    "begin select raise(abort, 'kept'); end;")));
    manager->stopImport();
    QVERIFY(f.slowChapterRows(false));
    QCOMPARE(f.rows(QStringLiteral("select localBookId from tb_import")).value(0).value(0).toInt(), localBookId);
    const QString dbFile = db->dbFilePath();
    const QString programDir = f.dir() + QStringLiteral("/program");
    CJobManager* jobs = CJobManager::instance();
    const auto closeAtEnd = qScopeGuard([jobs]() { jobs->close(); });
    jobs->close();
    QVERIFY(jobs->init(dbFile, programDir));
    CPublicManager* model = CPublicManager::instance();
    QCOMPARE(model->userInfo.uid, StandinServer::demoUid());
    QVERIFY(model->findAnyBookByLocalId(localBookId) == nullptr);

    QVERIFY(db->exec(QStringLiteral("drop trigger keep_jobs;")));
    jobs->close();
    QVERIFY(jobs->init(dbFile, programDir));
    for (const QString& table : {QStringLiteral("tb_book"), QStringLiteral("tb_volume"), QStringLiteral("tb_chapter"),
                                 QStringLiteral("tb_job"), QStringLiteral("tb_import")})
        QTRY_COMPARE_WITH_TIMEOUT(f.count(table), 0, 30000);
    QCOMPARE(standin().requestsTo(QStringLiteral("/books/addBook")).size(), 0);
}

// The decoder looks at the stop before each megabyte it decodes: stopped
// early in its reading as GB18030 (after the reading as UTF-8 failed), it
// returns at that look and decodes none of the megabytes after it.
void TestBookImportBadInput::stopWhileAGb18030FileIsDecodedLeavesTheRestUndone()
{
    const QString text = QStringLiteral("夜色沉沉，远处的灯火一盏接一盏地亮起来。\n").repeated(200000);
    const QByteArray bytes = QTextCodec::codecForName("GB18030")->fromUnicode(text);
    const int megabytes = (bytes.size() + (1 << 20) - 1) >> 20;
    QVERIFY(megabytes > 4);
    // The second look of the reading as GB18030.
    const int stopAt = megabytes + 2;
    int looks = 0;
    QString decoded;
    ImportEncoding encoding = ImportEncoding::Gb18030;
    QVERIFY(!decodeImportText(bytes, decoded, &encoding, [&looks, stopAt]() { return ++looks >= stopAt; }));
    QCOMPARE(looks, stopAt);
    QVERIFY(decoded.isEmpty() && encoding == ImportEncoding::None);
}

void TestBookImportBadInput::twentyMegabyteNovelIsImportedWhole()
{
    ImportFixture f;
    QVERIFY(f.ready());
    const QString paragraph = QStringLiteral("夜色沉沉，远处的灯火一盏接一盏地亮起来，他站在窗前很久没有说话。\n");
    const QByteArray body = paragraph.repeated(40).toUtf8();
    QByteArray bytes;
    int n = 0;
    while (bytes.size() < 20 * 1024 * 1024)
        bytes += QStringLiteral("第%1章 第%1夜\n").arg(++n).toUtf8() + body;
    const qint64 words = qint64(n) * 40 * (paragraph.size() - 1);
    QCOMPARE(f.import(f.writeFile(QStringLiteral("长篇.txt"), bytes)), 200);
    QCOMPARE(f.count(QStringLiteral("tb_chapter")), n);
    QCOMPARE(f.rows(QStringLiteral("select sum(wordCount) from tb_chapter")).first().first().toLongLong(), words);
    // Nothing hands the batches to the platform here: they stay recorded.
    QCOMPARE(f.rows(QStringLiteral("select count(*) from tb_job where jobType=1009")).first().first().toInt(),
             (n + 19) / 20);
    QCOMPARE(static_cast<qint64>(f.firstBook()->wordNum), words);
}

int runBookImportBadInputTests(int argc, char** argv)
{
    TestBookImportBadInput tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "tst_BookImportBadInput.moc"

// The queue under the failures an author meets: an import that must reach the
// platform once, an offline start, and moves that must not be sent twice.

#include "JobsFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/TessaneError.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString kAddBook = QStringLiteral("/books/addBook");
const QString kEdit = QStringLiteral("/chapter/editChapter");
const QString kPull = QStringLiteral("/synchronization/synBookData");

T_Book* bookNamed(const QString& name)
{
    for (T_Book* book : qAsConst(CPublicManager::instance()->bookList)) {
        if (book->bookName == name)
            return book;
    }
    return nullptr;
}

int platformBooksNamed(const QString& name)
{
    int count = 0;
    for (const QJsonValue& value : standin().store().value(QStringLiteral("books")).toArray()) {
        if (value.toObject().value(QStringLiteral("book_name")).toString() == name)
            ++count;
    }
    return count;
}
}

class JobFaultTest : public QObject
{
    Q_OBJECT
private slots:
    void importedBookReachesThePlatformOnce();
    void automaticSynchronisationStartsAfterAPassWithFailures_data();
    void automaticSynchronisationStartsAfterAPassWithFailures();
};

void JobFaultTest::importedBookReachesThePlatformOnce()
{
    JobsFixture f;
    QVERIFY(f.seed());
    QVERIFY(f.start());
    QVERIFY(JobsFixture::waitForPull());

    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/雨夜.txt");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("第1章 开始\n他推开门。\n第2章 雨夜\n雨一直下。\n").toUtf8());
    }
    QSignalSpy finished(CBookJobManager::instance(), &CBookJobManager::sig_ImportBookFinished);
    QVERIFY(CJobManager::instance()->startImportBook(path));
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.first().first().toInt(), int(TessaneImportOk));

    // The add-book reply is taken: the book gets its server id, and the
    // volume and chapters follow without waiting for the next synchronisation.
    QTRY_VERIFY_WITH_TIMEOUT(bookNamed(QStringLiteral("雨夜")) && bookNamed(QStringLiteral("雨夜"))->bookId > 0,
                             15000);
    QTRY_VERIFY_WITH_TIMEOUT(f.jobIds().isEmpty(), 15000);

    // Synchronising again sends no second book. A pass started on its own
    // once the queue emptied may still be running, and takes the request in:
    // ask until one more pull than now reaches the platform.
    const int pulls = JobsFixture::requestsTo(kPull).size();
    QTRY_VERIFY_WITH_TIMEOUT((CJobManager::instance()->synNow(true), JobsFixture::requestsTo(kPull).size() > pulls),
                             15000);
    QVERIFY(JobsFixture::waitForPull(pulls + 1));
    QCOMPARE(JobsFixture::requestsTo(kAddBook).size(), 1);
    QCOMPARE(platformBooksNamed(QStringLiteral("雨夜")), 1);
    int chapters = 0;
    for (const QJsonValue& value : standin().store().value(QStringLiteral("chapters")).toArray()) {
        if (value.toObject().value(QStringLiteral("book_id")).toInt() == bookNamed(QStringLiteral("雨夜"))->bookId)
            ++chapters;
    }
    QCOMPARE(chapters, 2);
}

void JobFaultTest::automaticSynchronisationStartsAfterAPassWithFailures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("offline start") << QStringLiteral("drop");
    QTest::newRow("platform answers 500") << QStringLiteral("http500");
}

void JobFaultTest::automaticSynchronisationStartsAfterAPassWithFailures()
{
    QFETCH(QString, kind);
    JobsFixture f;
    QVERIFY(f.seed());
    const int job = f.addChapterSave(1, 9001, QStringLiteral("离线写的"));
    QVERIFY(standin().addFault(QStringLiteral("*"), kind, 0, -1));
    QVERIFY(!CJobManager::instance()->isAutoSynRunning());
    QVERIFY(f.start());
    QTRY_VERIFY_WITH_TIMEOUT(!JobsFixture::requestsTo(kEdit).isEmpty(), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(CJobManager::instance()->isAutoSynRunning(), 15000);
    QCOMPARE(f.jobIds(), QList<int>{job});

    // The platform is back: the timer's run sends what waited.
    QVERIFY(standin().reset());
    CJobManager::instance()->onSynTimer();
    QVERIFY(JobsFixture::waitForPull());
    QVERIFY(f.jobIds().isEmpty());
    QCOMPARE(JobsFixture::requestsTo(kEdit).size(), 1);
}

int runJobFaultTests(int argc, char** argv)
{
    JobFaultTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_JobFaults.moc"

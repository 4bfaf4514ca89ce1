#include "ImportFixture.h"

#include "db/CTessaneDb.h"
#include "manager/CBookJobManager.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "remote/CTessaneHttp.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include <sqlite3.h>

#include <atomic>

namespace {

sqlite3_vfs* g_sqliteVfs = nullptr;
sqlite3_vfs g_countingVfs;
std::atomic<qint64> g_lockWaitUs{0};

// The busy handler's waits are its only sleeps.
int countedSleep(sqlite3_vfs*, int microseconds)
{
    g_lockWaitUs += microseconds;
    return g_sqliteVfs->xSleep(g_sqliteVfs, microseconds);
}

// SQLite's own VFS with the sleeps counted, for the connections opened from
// now on.
void countLockWaits(bool on)
{
    if (g_sqliteVfs == nullptr) {
        g_sqliteVfs = sqlite3_vfs_find(nullptr);
        g_countingVfs = *g_sqliteVfs;
        g_countingVfs.zName = "counting";
        g_countingVfs.pNext = nullptr;
        g_countingVfs.xSleep = countedSleep;
    }
    sqlite3_vfs_register(on ? &g_countingVfs : g_sqliteVfs, 1);
}

}

ImportFixture::ImportFixture()
{
    standin().reset();
    countLockWaits(true);
    CTessaneDb* db = CTessaneDb::instance();
    db->close();
    const QString programDir = m_dir.path() + QStringLiteral("/program");
    QDir().mkpath(programDir);
    m_ready = db->init(m_dir.path() + QStringLiteral("/wrt.db"), programDir);
    db->setCurrentUid(StandinServer::demoUid());
    CPublicManager* model = CPublicManager::instance();
    model->clearBooks();
    model->userInfo.uid = StandinServer::demoUid();
    model->userInfo.token = QString::fromLatin1(StandinServer::demoToken());
    CTessaneHttp::instance()->setToken(model->userInfo.token);
    CUiManager::instance()->setBookImporting(false);
}

ImportFixture::~ImportFixture()
{
    CUiManager::instance()->setSignInState(0);
    CPublicManager::instance()->clearBooks();
    CUiManager::instance()->setBookImporting(false);
    CTessaneDb::instance()->close();
    countLockWaits(false);
}

QString ImportFixture::writeFile(const QString& name, const QByteArray& bytes) const
{
    const QString path = m_dir.path() + QLatin1Char('/') + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

int ImportFixture::import(const QString& path)
{
    CBookJobManager* manager = CBookJobManager::instance();
    QSignalSpy finished(manager, &CBookJobManager::sig_ImportBookFinished);
    if (!manager->startImportBook(path))
        return -1;
    if (!finished.wait(120000))
        return -2;
    return finished.first().first().toInt();
}

bool ImportFixture::slowChapterRows(bool slow)
{
    QSqlQuery query(QSqlDatabase::database());
    return query.exec(slow ? QStringLiteral("create trigger slow_chapter before insert on tb_chapter begin "
                                            "select count(*) from (with recursive n(x) as (select 1 union all "
                                            "select x + 1 from n where x < 15000) select x from n); end;")
                           : QStringLiteral("drop trigger slow_chapter;"));
}

QList<QVariantList> ImportFixture::rows(const QString& sql)
{
    QList<QVariantList> out;
    QSqlQuery query(QSqlDatabase::database());
    if (!query.exec(sql))
        return out;
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < query.record().count(); ++i)
            row.append(query.value(i));
        out.append(row);
    }
    return out;
}

int ImportFixture::count(const QString& table)
{
    const QList<QVariantList> r = rows(QStringLiteral("select count(*) from ") + table);
    return r.isEmpty() ? -1 : r.first().first().toInt();
}

qint64 ImportFixture::lockWaitMs()
{
    return g_lockWaitUs / 1000;
}

T_Book* ImportFixture::firstBook()
{
    const QList<T_Book*>& books = CPublicManager::instance()->bookList;
    return books.isEmpty() ? nullptr : books.first();
}

bool ImportFixture::waitUntilAllAnswered(int timeoutMs)
{
    // The import sends the book itself; once the platform took it, the
    // signed-in queue hands over the volumes and the chapter batches.
    const QString bookJobs = QStringLiteral("tb_job where jobType = %1").arg(JobType::BooksAdd);
    if (!QTest::qWaitFor([&bookJobs]() { return count(bookJobs) == 0; }, timeoutMs))
        return false;
    CUiManager::instance()->setSignInState(1);
    CJobManager::instance()->execUserJob();
    return QTest::qWaitFor([]() { return count(QStringLiteral("tb_job")) == 0; }, timeoutMs);
}

QList<QJsonArray> ImportFixture::receivedBatches()
{
    QList<QJsonArray> out;
    QStringList seen;
    for (const QJsonObject& entry : standin().requestsTo(QStringLiteral("/chapter/batchCreateChapter"))) {
        const QString list = StandinServer::bodyOf(entry).value(QStringLiteral("list")).toString();
        if (seen.contains(list))
            continue;
        seen.append(list);
        out.append(QJsonDocument::fromJson(list.toUtf8()).array());
    }
    return out;
}

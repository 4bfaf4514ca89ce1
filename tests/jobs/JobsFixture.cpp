#include "JobsFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_UserConf.h"
#include "manager/CJobManager.h"
#include "manager/CUiManager.h"
#include "remote/CTessaneHttp.h"
#include "remote/records/AccountRecords.h"

#include <QDir>
#include <QJsonObject>
#include <QMutex>
#include <QSqlQuery>
#include <QTest>

namespace {
QMutex g_logMutex;
QStringList g_log;
QtMessageHandler g_previous = nullptr;
int g_captures = 0;

void capture(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    {
        QMutexLocker lock(&g_logMutex);
        g_log.append(message);
    }
    if (g_previous && type != QtDebugMsg)
        g_previous(type, context, message);
}
}

LogCapture::LogCapture()
{
    QMutexLocker lock(&g_logMutex);
    g_log.clear();
    if (g_captures++ == 0)
        g_previous = qInstallMessageHandler(capture);
}

LogCapture::~LogCapture()
{
    if (--g_captures == 0)
        qInstallMessageHandler(g_previous);
}

QString LogCapture::text() const
{
    QMutexLocker lock(&g_logMutex);
    return g_log.join(QLatin1Char('\n'));
}

JobsFixture::JobsFixture()
{
    CJobManager::instance()->close();
    standin().reset();
    QDir().mkpath(programDbDir());
}

JobsFixture::~JobsFixture()
{
    CJobManager::instance()->close();
}

bool JobsFixture::seed(bool remember, const QString& token)
{
    CTessaneDb* db = CTessaneDb::instance();
    if (!db->init(dbFile(), programDbDir()))
        return false;
    TS_Author_Info user;
    user.uid = StandinServer::demoUid();
    user.author_name = QStringLiteral("示例作者");
    user.token = token;
    user.uniqueCode = QStringLiteral("0123456789abcdef0123456789abcdef");
    T_UserConf conf;
    conf.uid = user.uid;
    if (!db->insertUser(user, conf))
        return false;
    if (remember && !db->saveLastLogin(user.uid))
        return false;
    db->setCurrentUid(user.uid);
    // The platform's category tree counts as fetched before: only the tests
    // about it see it come.
    QSqlQuery query = db->newQuery();
    return query.exec(QStringLiteral("update tb_sys set cateVersion = 2;"));
}

int JobsFixture::addJob(int jobType, const QString& content, int localBookId, int bookId, int localChapterId,
                        int chapterId, int localVolumeId, int volumeId, int ext1, int uid)
{
    CTessaneDb* db = CTessaneDb::instance();
    const int previous = db->currentUid();
    db->setCurrentUid(uid);
    T_Http_Custom identity;
    identity.jobType = jobType;
    identity.localBookId = localBookId;
    identity.bookId = bookId;
    identity.localChapterId = localChapterId;
    identity.chapterId = chapterId;
    identity.localVolumeId = localVolumeId;
    identity.volumeId = volumeId;
    const bool ok = db->addJob(identity, content, 1700000000, ext1);
    db->setCurrentUid(previous);
    return ok ? identity.jobId : 0;
}

int JobsFixture::addChapterSave(int localChapterId, int chapterId, const QString& text)
{
    return addJob(1016, text, 1, 5001, localChapterId, chapterId, 1, 7001);
}

bool JobsFixture::start()
{
    CTessaneDb::instance()->close();
    return CJobManager::instance()->init(dbFile(), programDbDir());
}

bool JobsFixture::restart()
{
    CJobManager::instance()->close();
    return CJobManager::instance()->init(dbFile(), programDbDir());
}

QList<int> JobsFixture::jobIds()
{
    QList<int> ids;
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (query.exec(QStringLiteral("select jobId from tb_job order by jobId;")))
        while (query.next())
            ids.append(query.value(0).toInt());
    return ids;
}

QJsonArray JobsFixture::queueJournal()
{
    // The start-up check of the platform's data versions, the level list and
    // the profile fetched at every start, and the update check at the end of
    // a feed pass are not the queue's.
    static const QStringList systemPaths{QStringLiteral("/synchronization/synData"),
                                         QStringLiteral("/synchronization/appVersion"),
                                         QStringLiteral("/im/allLevels"), QStringLiteral("/author/info")};
    QJsonArray list;
    for (const QJsonValue& value : standin().journal()) {
        if (!systemPaths.contains(value.toObject().value(QStringLiteral("path")).toString()))
            list.append(value);
    }
    return list;
}

QStringList JobsFixture::paths()
{
    QStringList list;
    for (const QJsonValue& value : queueJournal())
        list.append(value.toObject().value(QStringLiteral("path")).toString());
    return list;
}

QJsonArray JobsFixture::requestsTo(const QString& path)
{
    QJsonArray list;
    for (const QJsonValue& value : standin().journal()) {
        if (value.toObject().value(QStringLiteral("path")).toString() == path)
            list.append(value);
    }
    return list;
}

bool JobsFixture::waitForPull(int count, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    bool pulled = false;
    while (timer.elapsed() < timeoutMs) {
        pulled = pulled || requestsTo(QStringLiteral("/synchronization/synBookData")).size() >= count;
        // The pull was counted as out when it left: with no reply outstanding
        // its reply has been routed too.
        if (pulled && CTessaneHttp::instance()->outstandingReplies() == 0)
            return true;
        QTest::qWait(20);
    }
    return false;
}

T_Http_Custom JobsFixture::identityOf(const QJsonObject& entry)
{
    T_Http_Custom identity;
    identity.fromUserData(QString::fromLatin1(StandinServer::header(entry, "userdata")));
    return identity;
}

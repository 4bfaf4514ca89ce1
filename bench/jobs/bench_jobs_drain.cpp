// Throughput of the job queue: 1,000 stored chapter saves (about 1.2 KB of
// text each, one pending job per chapter) replayed by the job manager's drain
// against the stand-in over loopback, one job in flight at a time, each
// reply deleting its row and handing out the next.
//
//   bare seq    one QNetworkAccessManager, the next request sent when the
//               previous reply is in: the same one-at-a-time pattern with no
//               database and no bookkeeping
//   bare seq+nam  as bare seq with a network manager per request (what a
//               transport without a long-lived manager would pay)
//   bare burst  the same 1,000 requests fired at once (the transport
//               benchmark's bare rate)
//   drain       CJobManager::init on a database holding the 1,000 jobs, until
//               the change-feed pull that ends the pass
//
// All run in the same process against the same stand-in; the ratios are what
// to read.

#include "StandinServer.h"

#include "db/CTessaneDb.h"
#include "db/records/T_UserConf.h"
#include "manager/CJobManager.h"
#include "manager/CUiManager.h"
#include "remote/records/AccountRecords.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {
constexpr int kJobs = 1000;

QString chapterText(int i)
{
    return QStringLiteral("　　清晨的雾还没有散，她已经站在渡口等船。第%1次保存。").arg(i).repeated(20);
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

QNetworkRequest bareRequest(const QString& base, const QByteArray& body, int i)
{
    QNetworkRequest request(QUrl(base + QStringLiteral("/chapter/editChapter")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
    request.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
    request.setRawHeader("Authorization", "Bearer " + StandinServer::demoToken());
    request.setRawHeader("source", "windows");
    request.setRawHeader("uniquecode", "bench");
    request.setRawHeader("userdata", QByteArray("10001,1017,1,5001,") + QByteArray::number(i) + ",9001,"
                                         + QByteArray::number(i) + ",1,0,0,0,1,7001");
    return request;
}

QByteArray bareBody(int i)
{
    return QJsonDocument(QJsonObject{{QStringLiteral("book_id"), 5001},
                                     {QStringLiteral("chapter_id"), 9001},
                                     {QStringLiteral("update_time"), 1700000000 + i},
                                     {QStringLiteral("content"), chapterText(i)}})
        .toJson(QJsonDocument::Compact);
}

// Milliseconds for count requests, sequential (next on reply) or all at
// once; with managerPerRequest each request gets a network manager of its
// own, as the client's transport does.
double runBare(const QString& base, int count, bool sequential, int* failures, bool managerPerRequest = false)
{
    QNetworkAccessManager shared;
    int sent = 0;
    int finished = 0;
    std::function<void()> send;
    const auto onFinished = [&](QNetworkReply* reply) {
        if (reply->error() != QNetworkReply::NoError)
            ++*failures;
        if (managerPerRequest)
            reply->manager()->deleteLater();
        reply->deleteLater();
        ++finished;
        if (sequential && sent < count)
            send();
    };
    send = [&]() {
        const QByteArray body = bareBody(sent);
        QNetworkAccessManager* manager = &shared;
        if (managerPerRequest) {
            manager = new QNetworkAccessManager();
            QObject::connect(manager, &QNetworkAccessManager::finished, onFinished);
        }
        manager->post(bareRequest(base, body, sent), body);
        ++sent;
    };
    QObject::connect(&shared, &QNetworkAccessManager::finished, onFinished);
    QElapsedTimer clock;
    clock.start();
    if (sequential)
        send();
    else
        while (sent < count)
            send();
    waitUntil([&]() { return finished == count; }, 300000);
    return clock.nsecsElapsed() / 1e6;
}

bool seedJobs(const QString& dbFile, const QString& programDir, int count)
{
    CTessaneDb* db = CTessaneDb::instance();
    if (!db->init(dbFile, programDir))
        return false;
    TS_Author_Info user;
    user.uid = StandinServer::demoUid();
    user.token = QString::fromLatin1(StandinServer::demoToken());
    user.uniqueCode = QStringLiteral("bench");
    T_UserConf conf;
    conf.uid = user.uid;
    if (!db->insertUser(user, conf) || !db->saveLastLogin(user.uid))
        return false;
    db->setCurrentUid(user.uid);
    for (int i = 1; i <= count; ++i) {
        T_Http_Custom identity;
        identity.jobType = 1016;
        identity.localBookId = 1;
        identity.bookId = 5001;
        identity.localVolumeId = 1;
        identity.volumeId = 7001;
        identity.localChapterId = i;
        identity.chapterId = 9001;
        if (!db->addJob(identity, chapterText(i), 1700000000 + i, 0))
            return false;
    }
    db->close();
    return true;
}

int jobsLeft()
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    return query.exec(QStringLiteral("select count(*) from tb_job;")) && query.next() ? query.value(0).toInt() : -1;
}

}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    // The drain logs every job; the figures are about the queue, not the log.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type >= QtWarningMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    StandinServer server;
    if (!server.start()) {
        std::printf("the stand-in platform did not start; nothing measured\n");
        return 0;
    }
    server.exportApiBase();
    const QString base = server.baseUrl();
    QTemporaryDir dir;
    const QString dbFile = dir.path() + QStringLiteral("/wrt.db");

    int failures = 0;
    runBare(base, 50, true, &failures);
    server.clearJournal();
    const double bareSeq = runBare(base, kJobs, true, &failures);
    server.clearJournal();
    const double bareBurst = runBare(base, kJobs, false, &failures);
    server.clearJournal();
    const double bareSeqNam = runBare(base, kJobs, true, &failures, true);
    server.clearJournal();

    if (!seedJobs(dbFile, dir.path(), kJobs)) {
        std::printf("the jobs could not be stored; nothing measured\n");
        return 0;
    }
    QElapsedTimer clock;
    clock.start();
    if (!CJobManager::instance()->init(dbFile, dir.path())) {
        std::printf("the job manager did not start; nothing measured\n");
        return 0;
    }
    const bool pulled = waitUntil([]() { return CUiManager::instance()->syncRunning() != 0; }, 300000);
    const double drain = clock.nsecsElapsed() / 1e6;
    const int left = jobsLeft();

    const auto rate = [](double ms) { return kJobs * 1000.0 / ms; };
    std::printf("%d chapter saves to the stand-in over loopback (failures in bare loops: %d)\n", kJobs, failures);
    std::printf("bare seq    %8.1f ms  %7.0f req/s\n", bareSeq, rate(bareSeq));
    std::printf("bare burst  %8.1f ms  %7.0f req/s\n", bareBurst, rate(bareBurst));
    std::printf("bare seq+nam %7.1f ms  %7.0f req/s  (a network manager per request)\n",
                bareSeqNam, rate(bareSeqNam));
    std::printf("drain       %8.1f ms  %7.0f jobs/s  (%s, %d jobs left)\n", drain, rate(drain),
                pulled ? "ended in the feed pull" : "did not finish", left);
    std::printf("drain rate / bare seq rate   %.2f\n", bareSeq / drain);
    std::printf("drain rate / bare burst rate %.2f\n", bareBurst / drain);
    std::printf("drain rate / bare seq+nam rate %.2f\n", bareSeqNam / drain);
    std::printf("per job: %.0f us drain, %.0f us bare sequential request\n", drain * 1000.0 / kJobs,
                bareSeq * 1000.0 / kJobs);
    CJobManager::instance()->close();
    return 0;
}

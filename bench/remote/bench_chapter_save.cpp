// Throughput of non-blocking chapter saves over loopback.
//
//   client      CTessaneHttp::chapter_edit_content_asyn, one network manager per
//               request, the receiver releasing reply and manager
//   bare        one QNetworkAccessManager posting the same bytes and headers
//   bare+nam    a new QNetworkAccessManager per request, otherwise as bare
//
// All three run in the same process against the same stand-in; the ratios
// are what to read, the absolute figures depend on the machine.

#include "StandinServer.h"
#include "remote/CTessaneHttp.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {
constexpr int kRequests = 1000;
constexpr int kWarmUp = 50;

struct Figures
{
    double totalMs = 0;  // first send to last reply
    double sendMs = 0;   // time spent inside the send calls
    int failures = 0;
};

TC_Chapter_Edit_Content chapterSave(int i)
{
    TC_Chapter_Edit_Content save;
    save.header.uid = StandinServer::demoUid();
    save.header.localBookId = 3;
    save.header.bookId = 5001;
    save.header.localChapterId = 40;
    save.header.chapterId = 9001;
    save.header.jobId = i;
    save.content = QStringLiteral("　　清晨的雾还没有散，她已经站在渡口等船。第%1次保存。").arg(i).repeated(20);
    save.updateTime = 1700000000 + i;
    return save;
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

Figures runClient(int count)
{
    CTessaneHttp* client = CTessaneHttp::instance();
    int finished = 0;
    Figures figures;
    const auto connection = QObject::connect(client, &CHttpBase::sigGetAsynData, [&](QNetworkReply* reply) {
        if (reply->error() != QNetworkReply::NoError)
            ++figures.failures;
        ++finished;
        reply->deleteLater();
    });
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < count; ++i) {
        TC_Chapter_Edit_Content save = chapterSave(i);
        client->chapter_edit_content_asyn(save);
    }
    figures.sendMs = clock.nsecsElapsed() / 1e6;
    waitUntil([&]() { return finished == count; }, 120000);
    figures.totalMs = clock.nsecsElapsed() / 1e6;
    figures.failures += count - finished;
    QObject::disconnect(connection);
    return figures;
}

// The same request the client sends, built by hand.
QNetworkRequest bareRequest(const QString& base, const QByteArray& body, const QByteArray& userdata)
{
    QNetworkRequest request(QUrl(base + QStringLiteral("/chapter/editChapter")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
    request.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
    request.setRawHeader("Authorization", "Bearer " + StandinServer::demoToken());
    request.setRawHeader("source", "windows");
    request.setRawHeader("uniquecode", "bench");
    request.setRawHeader("userdata", userdata);
    return request;
}

QByteArray bareBody(const TC_Chapter_Edit_Content& save)
{
    QJsonObject object{{QStringLiteral("book_id"), qint64(save.header.bookId)},
                       {QStringLiteral("chapter_id"), qint64(save.header.chapterId)},
                       {QStringLiteral("content"), save.content},
                       {QStringLiteral("update_time"), qint64(save.updateTime)}};
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

Figures runBare(const QString& base, int count, bool managerPerRequest)
{
    QNetworkAccessManager shared;
    int finished = 0;
    Figures figures;
    const auto onFinished = [&](QNetworkReply* reply) {
        if (reply->error() != QNetworkReply::NoError)
            ++figures.failures;
        ++finished;
        if (managerPerRequest)
            reply->manager()->deleteLater();
        reply->deleteLater();
    };
    QObject::connect(&shared, &QNetworkAccessManager::finished, onFinished);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < count; ++i) {
        const TC_Chapter_Edit_Content save = chapterSave(i);
        const QByteArray body = bareBody(save);
        const QNetworkRequest request = bareRequest(base, body, save.header.toUserData());
        QNetworkAccessManager* manager = &shared;
        if (managerPerRequest) {
            manager = new QNetworkAccessManager();
            QObject::connect(manager, &QNetworkAccessManager::finished, onFinished);
        }
        manager->post(request, body);
    }
    figures.sendMs = clock.nsecsElapsed() / 1e6;
    waitUntil([&]() { return finished == count; }, 120000);
    figures.totalMs = clock.nsecsElapsed() / 1e6;
    figures.failures += count - finished;
    return figures;
}

void report(const char* name, const Figures& figures, const Figures& baseline)
{
    std::printf("%-10s %8.1f ms total  %8.0f req/s  %7.1f us/request sent  failures %d  time ratio to bare %.2f\n",
                name, figures.totalMs, kRequests * 1000.0 / figures.totalMs, figures.sendMs * 1000.0 / kRequests,
                figures.failures, figures.totalMs / baseline.totalMs);
}
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    StandinServer server;
    if (!server.start()) {
        std::printf("the stand-in platform did not start; nothing measured\n");
        return 0;
    }
    server.exportApiBase();
    CTessaneHttp::instance()->setToken(QString::fromLatin1(StandinServer::demoToken()));
    CTessaneHttp::instance()->setUniqueCode(QStringLiteral("bench"));
    const QString base = server.baseUrl();

    runClient(kWarmUp);
    runBare(base, kWarmUp, false);
    server.clearJournal();

    const Figures bare = runBare(base, kRequests, false);
    server.clearJournal();
    const Figures client = runClient(kRequests);
    server.clearJournal();
    const Figures perManager = runBare(base, kRequests, true);
    server.clearJournal();

    std::printf("%d non-blocking chapter saves to the stand-in over loopback\n", kRequests);
    report("bare", bare, bare);
    report("client", client, bare);
    report("bare+nam", perManager, bare);
    std::printf("manager per request: %.1f us more per request than one shared manager\n",
                (perManager.totalMs - bare.totalMs) * 1000.0 / kRequests);
    return 0;
}

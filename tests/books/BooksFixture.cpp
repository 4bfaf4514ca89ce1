#include "BooksFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CBookJobManager.h"
#include "manager/CPublicManager.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QTest>

bool BooksFixture::up()
{
    return seed() && start() && waitForPull();
}

T_Book* BooksFixture::onlineBook(const QString& name)
{
    TC_Books_AddBook request(name, 1700000000, 1700000000, QString());
    T_Book* book = CBookJobManager::instance()->books_add(request, false);
    if (book == nullptr)
        return nullptr;
    const bool ready = waitUntil([book]() {
        return book->bookId > 0 && !book->volumeList.isEmpty() && book->volumeList.first()->volumeId > 0
               && !book->chapterList.isEmpty() && book->chapterList.first()->chapterId > 0
               && jobTypes().isEmpty();
    });
    return ready ? book : nullptr;
}

T_Book* BooksFixture::offlineBook(const QString& name)
{
    TC_Books_AddBook request(name, 1700000000, 1700000000, QString());
    T_Book* book = CBookJobManager::instance()->books_add(request, true);
    if (book == nullptr)
        return nullptr;
    TC_Volume_Add volume(book->localId, 0, 0, 1, 1700000000, QStringLiteral("第一卷"));
    volume.header.synStep = 1;
    if (!CBookJobManager::instance()->volume_add(volume))
        return nullptr;
    for (int order = 1; order <= 2; ++order) {
        TC_Chapter_Add chapter(book->localId, 0, volume.header.localVolumeId, 0, 1700000000, order,
                               QStringLiteral("第%1章").arg(order));
        chapter.header.synStep = 1;
        if (!CBookJobManager::instance()->chapter_add(chapter))
            return nullptr;
    }
    return book;
}

bool BooksFixture::waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (condition())
            return true;
        QTest::qWait(20);
    }
    return condition();
}

QVariant BooksFixture::scalar(const QString& sql)
{
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (!query.exec(sql) || !query.next())
        return QVariant();
    return query.value(0);
}

QList<int> BooksFixture::jobTypes()
{
    QList<int> types;
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (query.exec(QStringLiteral("select jobType from tb_job order by jobId;")))
        while (query.next())
            types.append(query.value(0).toInt());
    return types;
}

QString BooksFixture::jobContent(int jobType)
{
    return scalar(QStringLiteral("select content from tb_job where jobType = %1 order by jobId desc")
                      .arg(jobType))
        .toString();
}

QByteArray BooksFixture::reply(const T_Http_Custom& identity, const QJsonValue& content, int code)
{
    QJsonObject root{{QStringLiteral("code"), code},
                     {QStringLiteral("msg"), QStringLiteral("ok")},
                     {QStringLiteral("server_time"), 1700000000},
                     {QStringLiteral("userdata"), QString::fromLatin1(identity.toUserData())},
                     {QStringLiteral("content"), content}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

QJsonObject BooksFixture::lastBody(const QString& path)
{
    const QJsonArray requests = requestsTo(path);
    if (requests.isEmpty())
        return QJsonObject();
    const QString body = requests.last().toObject().value(QStringLiteral("body")).toString();
    return QJsonDocument::fromJson(body.toUtf8()).object();
}

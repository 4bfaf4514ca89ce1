#include "BookOrder.h"

#include "JobsFixture.h"

#include "db/CTessaneDb.h"
#include "db/records/T_Book.h"
#include "manager/CSynDataManager.h"
#include "manager/CUiManager.h"
#include "volume/CBookChapterModel.h"
#include "volume/CBookChapterSortModel.h"
#include "volume/CBookVolumeController.h"
#include "volume/CBookVolumeModel.h"
#include "volume/CBookVolumeSortModel.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStringList>
#include <QTest>

#include <algorithm>

namespace {

QStringList column(const QString& sql)
{
    QStringList values;
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (query.exec(sql))
        while (query.next())
            values.append(query.value(0).toString());
    return values;
}

QList<QJsonObject> ofBook(const QJsonObject& store, const char* kind, int bookId)
{
    QList<QJsonObject> objects;
    for (const QJsonValue& value : store.value(QLatin1String(kind)).toArray()) {
        if (value.toObject().value(QStringLiteral("book_id")).toInt() == bookId)
            objects.append(value.toObject());
    }
    std::stable_sort(objects.begin(), objects.end(), [](const QJsonObject& a, const QJsonObject& b) {
        return a.value(QStringLiteral("order_num")).toInt() < b.value(QStringLiteral("order_num")).toInt();
    });
    return objects;
}

QString id(const QJsonObject& object, const char* key)
{
    return QString::number(object.value(QLatin1String(key)).toInt());
}

}

QString storedOrder(int bookId)
{
    QStringList volumes;
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    if (query.exec(QStringLiteral("select localId, volumeId from tb_volume where bookId = %1 and status <> 0 "
                                  "order by orderNum, localId;")
                       .arg(bookId))) {
        while (query.next()) {
            const QStringList chapters =
                column(QStringLiteral("select chapterId from tb_chapter where localVolumeId = %1 and status <> 0 "
                                      "order by orderNum, localId;")
                           .arg(query.value(0).toInt()));
            volumes.append(QStringLiteral("%1[%2]").arg(query.value(1).toString(), chapters.join(QLatin1Char(' '))));
        }
    }
    const QStringList outlines =
        column(QStringLiteral("select outlineId from tb_outline where bookId = %1 order by orderNum, localId;").arg(bookId));
    return volumes.join(QLatin1Char(' ')) + QStringLiteral(" / ") + outlines.join(QLatin1Char(' '));
}

QString treeOrder()
{
    CBookVolumeController* tree = CBookVolumeController::instance();
    const T_Book* book = tree->currentBook();
    const CBookVolumeSortModel* volumes = tree->volumeSortModel();
    if (book == nullptr || volumes == nullptr)
        return QString();
    QStringList shown;
    for (int row = 0; row < volumes->rowCount(); ++row) {
        const int localVolumeId = volumes->index(row, 0).data(CBookVolumeModel::LocalIdRole).toInt();
        const T_Volume* volume = book->findVolumeByLocalId(localVolumeId);
        QStringList chapters;
        const CBookChapterSortModel* list = tree->volumeModel()->getChapterSortModelByLocalId(localVolumeId);
        for (int i = 0; list != nullptr && i < list->rowCount(); ++i) {
            const T_Chapter* chapter =
                book->findChapterByLocalId(list->index(i, 0).data(CBookChapterModel::LocalIdRole).toInt());
            chapters.append(chapter ? QString::number(chapter->chapterId) : QStringLiteral("?"));
        }
        shown.append(QStringLiteral("%1[%2]").arg(volume ? volume->volumeId : -1).arg(chapters.join(QLatin1Char(' '))));
    }
    return shown.join(QLatin1Char(' '));
}

QString platformOrder(const QJsonObject& store, int bookId)
{
    const QList<QJsonObject> chapters = ofBook(store, "chapters", bookId);
    QStringList volumes;
    for (const QJsonObject& volume : ofBook(store, "volumes", bookId)) {
        if (volume.value(QStringLiteral("status")).toInt() == 0)
            continue;
        QStringList inside;
        for (const QJsonObject& chapter : chapters) {
            if (chapter.value(QStringLiteral("volume_id")) == volume.value(QStringLiteral("id"))
                && chapter.value(QStringLiteral("status")).toInt() != 0)
                inside.append(id(chapter, "chapter_id"));
        }
        volumes.append(QStringLiteral("%1[%2]").arg(id(volume, "id"), inside.join(QLatin1Char(' '))));
    }
    QStringList outlines;
    for (const QJsonObject& outline : ofBook(store, "outlines", bookId))
        outlines.append(id(outline, "outline_id"));
    return volumes.join(QLatin1Char(' ')) + QStringLiteral(" / ") + outlines.join(QLatin1Char(' '));
}

QJsonObject platformCall(const QString& path, const QJsonObject& body)
{
    QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(standin().baseUrl() + path));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray("application/json"));
    request.setRawHeader("Authorization", "Bearer " + StandinServer::demoToken());
    QNetworkReply* reply = manager.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
    QSignalSpy done(reply, &QNetworkReply::finished);
    QJsonObject content;
    if (done.wait(10000) && reply->error() == QNetworkReply::NoError) {
        const QJsonObject root = QJsonDocument::fromJson(reply->readAll()).object();
        if (root.value(QStringLiteral("code")).toInt() == 200)
            content = root.value(QStringLiteral("content")).toObject();
    }
    delete reply;
    return content;
}

bool waitUntilIdle(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    int seen = -1;
    QElapsedTimer still;
    still.start();
    while (clock.elapsed() < timeoutMs) {
        const int size = standin().journal().size();
        const bool idle = CUiManager::instance()->syncRunning() == 0 && !CSynDataManager::instance()->isRunning();
        if (size != seen || !idle) {
            seen = size;
            still.restart();
        } else if (still.elapsed() > 600) {
            return true;
        }
        QTest::qWait(50);
    }
    return false;
}

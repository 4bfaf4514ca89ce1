#include "MemoFixture.h"

#include "FeedFixture.h"
#include "common/ServerClock.h"
#include "db/CTessaneDb.h"
#include "db/records/T_Memo.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "common/StyleType.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QTest>

MemoRow memoRow(int localMemoId)
{
    MemoRow row;
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    query.prepare(QStringLiteral("select memoId,color,content,localBookId,localChapterId,isHold,x,y from tb_memo "
                                 "where localId = ?"));
    query.addBindValue(localMemoId);
    if (!query.exec() || !query.next())
        return row;
    row.found = true;
    row.memoId = query.value(0).toInt();
    row.color = query.value(1).toString();
    row.content = query.value(2).toString();
    row.localBookId = query.value(3).toInt();
    row.localChapterId = query.value(4).toInt();
    row.isHold = query.value(5).toInt();
    row.x = query.value(6).toDouble();
    row.y = query.value(7).toDouble();
    return row;
}

QList<MemoJob> memoJobs(int localMemoId)
{
    QList<MemoJob> jobs;
    QSqlQuery query = CTessaneDb::instance()->newQuery();
    query.prepare(QStringLiteral("select jobType,memoId,content from tb_job where localMemoId = ? order by jobId"));
    query.addBindValue(localMemoId);
    if (query.exec())
        while (query.next())
            jobs.append(MemoJob{query.value(0).toInt(), query.value(1).toInt(), query.value(2).toString()});
    return jobs;
}

QList<QJsonObject> bodiesTo(const QString& path)
{
    QList<QJsonObject> bodies;
    for (const QJsonValue& value : JobsFixture::requestsTo(path))
        bodies.append(QJsonDocument::fromJson(value.toObject().value(QStringLiteral("body")).toString().toUtf8())
                          .object());
    return bodies;
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
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

bool startClient(JobsFixture& f)
{
    if (!f.seed() || !f.start() || !waitForPassEnd())
        return false;
    return standin().clearJournal();
}

T_Memo* addSyncedMemo(const QString& text, const QString& color)
{
    TC_Memo_Add add;
    add.content = text;
    add.color = color;
    add.updateTime = static_cast<int>(currentServerTime());
    if (!CJobManager::instance()->memoAdd(add))
        return nullptr;
    const int localId = add.header.localMemoId;
    CPublicManager* model = CPublicManager::instance();
    if (!waitFor([&]() {
            const T_Memo* memo = model->findMemoByLocalId(localId);
            return memo && memo->memoId > 0 && memoJobs(localId).isEmpty();
        }))
        return nullptr;
    return model->findMemoByLocalId(localId);
}

#include "CTessaneDb.h"

#include "CTessaneDbTransaction.h"
#include "common/ServerClock.h"
#include "db/T_JobData.h"

#include <QDebug>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>

namespace {

const char kEmptyUv[] = "0,0,0,0,0,0,0,0,0,0,0,0,0";

// The counters a statistics job adds up; writeSpeed is a value, not a sum.
const char* const kCounters[] = {"wordCount", "writeTime", "wordCountAll",
                                 "netIncrease", "outlineNum", "memoNum"};

QString compact(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

int counterOf(const T_Statistics& s, const QString& key)
{
    if (key == QLatin1String("wordCount"))
        return s.wordCount;
    if (key == QLatin1String("writeTime"))
        return s.writeTime;
    if (key == QLatin1String("wordCountAll"))
        return s.wordCountAll;
    if (key == QLatin1String("netIncrease"))
        return s.netIncrease;
    if (key == QLatin1String("outlineNum"))
        return s.outlineNum;
    return s.memoNum;
}

bool parseObject(const QString& text, QJsonObject& out)
{
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    out = document.object();
    return document.isObject();
}

}

bool CTessaneDb::ensureStatisticsRow(int uid, const QString& date)
{
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select id from tb_statistics where uid = %1 and "
                                                 "date = %2;"),
                                  {uid, date})))
        return false;
    if (query.next())
        return true;
    query.finish();
    return exec(QStringLiteral("insert into tb_statistics(uid,date,writeTime,wordCount,writeSpeed,"
                               "netIncrease,outlineNum,memoNum) values(%1,%2,0,0,0,0,0,0);"),
                {uid, date});
}

bool CTessaneDb::getTodayStatistics(int uid, T_Statistics& s)
{
    if (s.date.isEmpty())
        return false;
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select writeTime,wordCount,writeSpeed from "
                                                 "tb_statistics where uid = %1 and date = %2;"),
                                  {uid, s.date})))
        return false;
    if (query.next()) {
        s.writeSpeed = query.value(2).toInt();
    } else {
        query.finish();
        ensureStatisticsRow(uid, s.date);
        s.writeSpeed = 0;
    }
    // The stored totals stay in the table; the record collects new increments.
    s.writeTime = 0;
    s.wordCount = 0;
    s.wordCountAll = 0;
    s.netIncrease = 0;
    s.outlineNum = 0;
    s.memoNum = 0;
    return true;
}

bool CTessaneDb::updateUserStatistics(int uid, T_Statistics& s, StatisticsType type)
{
    if (s.date.isEmpty())
        return false;
    if (type == StatisticsWriting) {
        return exec(QStringLiteral("update tb_statistics set writeTime=writeTime + %1,"
                                   "wordCount=wordCount + %2,wordCountAll=wordCountAll + %3,"
                                   "netIncrease=netIncrease + %4,writeSpeed=%5 "
                                   "where uid = %6 and date = %7;"),
                    {s.writeTime, s.wordCount, s.wordCountAll, s.netIncrease, s.writeSpeed, uid,
                     s.date});
    }
    if (type == StatisticsOutline || type == StatisticsMemo) {
        return exec(QStringLiteral("update tb_statistics set outlineNum=outlineNum+%1,"
                                   "memoNum=memoNum+%2 where uid = %3 and date = %4;"),
                    {s.outlineNum, s.memoNum, uid, s.date});
    }
    return false;
}

int CTessaneDb::mergeStatisticsJob(int uid, T_Statistics& s)
{
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select jobId,content from tb_job where uid = %1 "
                                                 "and jobType = %2 order by jobId asc;"),
                                  {uid, TessaneJob::StatisticsUpload})))
        return 0;
    int jobId = 0;
    QJsonObject job;
    while (query.next()) {
        QJsonObject object;
        if (!parseObject(query.value(1).toString(), object)) {
            qWarning() << "statistics job" << query.value(0).toInt() << "holds no JSON object";
            continue;
        }
        if (object.value(QStringLiteral("date")).toString() == s.date) {
            jobId = query.value(0).toInt();
            job = object;
            break;
        }
    }
    query.finish();

    const int now = static_cast<int>(currentServerTime());
    if (jobId > 0) {
        for (const char* key : kCounters) {
            const QString name = QString::fromLatin1(key);
            job.insert(name, job.value(name).toInt() + counterOf(s, name));
        }
        job.insert(QStringLiteral("writeSpeed"), s.writeSpeed);
        if (!exec(QStringLiteral("update tb_job set content = %1,createTime = %2,"
                                 "revision = revision + 1 where jobId = %3;"),
                  {compact(job), now, jobId}))
            return 0;
        return jobId;
    }

    job.insert(QStringLiteral("date"), s.date);
    for (const char* key : kCounters) {
        const QString name = QString::fromLatin1(key);
        job.insert(name, counterOf(s, name));
    }
    job.insert(QStringLiteral("writeSpeed"), s.writeSpeed);
    if (!sqlExec(query, sqlFormat(QStringLiteral("insert into tb_job(content,uid,createTime,jobType) "
                                                 "values(%1,%2,%3,%4);"),
                                  {compact(job), uid, now, TessaneJob::StatisticsUpload})))
        return 0;
    return query.lastInsertId().toInt();
}

int CTessaneDb::recordStatistics(int uid, T_Statistics& s, StatisticsType type)
{
    if (s.date.isEmpty())
        return 0;
    Transaction transaction(*this);
    if (!transaction.began())
        return 0;
    if (!ensureStatisticsRow(uid, s.date) || !updateUserStatistics(uid, s, type))
        return 0;
    const int jobId = mergeStatisticsJob(uid, s);
    if (jobId < 1)
        return 0;
    return transaction.commit() ? jobId : 0;
}

JobConfirm CTessaneDb::confirmStatisticsJob(int jobId, const QString& sentContent)
{
    QJsonObject sent;
    if (!parseObject(sentContent, sent)) {
        qWarning() << "confirmed statistics of job" << jobId << "are no JSON object; job kept";
        return JobConfirm::Failed;
    }
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select content from tb_job where jobId = %1;"),
                                  {jobId})))
        return JobConfirm::Failed;
    if (!query.next())
        return JobConfirm::Missing;
    QJsonObject stored;
    const bool storedOk = parseObject(query.value(0).toString(), stored);
    query.finish();
    if (!storedOk
        || stored.value(QStringLiteral("date")).toString()
            != sent.value(QStringLiteral("date")).toString()) {
        qWarning() << "statistics job" << jobId << "does not match the confirmed request; kept";
        return JobConfirm::Failed;
    }

    // Only what the request carried is taken off; increments merged in after
    // it left stay queued.
    bool anyLeft = false;
    for (const char* key : kCounters) {
        const QString name = QString::fromLatin1(key);
        const int left = stored.value(name).toInt() - sent.value(name).toInt();
        stored.insert(name, left);
        if (left != 0)
            anyLeft = true;
    }
    const QString speed = QStringLiteral("writeSpeed");
    if (stored.value(speed).toInt() != sent.value(speed).toInt())
        anyLeft = true;
    if (!anyLeft)
        return deleteJob(jobId) ? JobConfirm::Deleted : JobConfirm::Failed;
    if (!exec(QStringLiteral("update tb_job set content = %1,revision = revision + 1 "
                             "where jobId = %2;"),
              {compact(stored), jobId}))
        return JobConfirm::Failed;
    return JobConfirm::KeptNewer;
}

bool CTessaneDb::saveStatisticsDays(int uid, const T_StatisticsHistory& history)
{
    const int count = history.days.size();
    if (history.writeTime.size() != count || history.wordCount.size() != count
        || history.writeSpeed.size() != count || history.netIncrease.size() != count) {
        qWarning() << "statistics history lists differ in length; nothing stored";
        return false;
    }
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    // What was counted here and still waits for its upload is not in the
    // platform's figures yet: a day keeps it on top of them, and its speed.
    QHash<QString, QJsonObject> waiting;
    {
        QSqlQuery query(db);
        if (!sqlExec(query, sqlFormat(QStringLiteral("select content from tb_job where uid = %1 and jobType = %2;"),
                                      {uid, TessaneJob::StatisticsUpload})))
            return false;
        while (query.next()) {
            QJsonObject job;
            if (parseObject(query.value(0).toString(), job))
                waiting.insert(job.value(QStringLiteral("date")).toString(), job);
        }
    }
    for (int i = 0; i < count; ++i) {
        const QString& day = history.days.at(i);
        const QJsonObject kept = waiting.value(day);
        const auto withKept = [&kept](const QList<int>& figures, int index, const char* key) {
            return figures.at(index) + kept.value(QLatin1String(key)).toInt();
        };
        const int writeTime = withKept(history.writeTime, i, "writeTime");
        const int wordCount = withKept(history.wordCount, i, "wordCount");
        const int netIncrease = withKept(history.netIncrease, i, "netIncrease");
        const int writeSpeed = kept.contains(QLatin1String("writeSpeed"))
                                   ? kept.value(QLatin1String("writeSpeed")).toInt()
                                   : history.writeSpeed.at(i);
        QSqlQuery query(db);
        if (!sqlExec(query, sqlFormat(QStringLiteral("select count(id) from tb_statistics where "
                                                     "date = %1 and uid = %2;"),
                                      {day, uid})))
            return false;
        const bool exists = query.next() && query.value(0).toInt() > 0;
        query.finish();
        const bool ok = exists
            ? exec(QStringLiteral("update tb_statistics set writeTime = %1,wordCount = %2,"
                                  "writeSpeed = %3,netIncrease = %4 where date = %5 and uid = %6;"),
                   {writeTime, wordCount, writeSpeed, netIncrease, day, uid})
            : exec(QStringLiteral("insert into tb_statistics(uid,date,writeTime,wordCount,"
                                  "writeSpeed,netIncrease) values(%1,%2,%3,%4,%5,%6);"),
                   {uid, day, writeTime, wordCount, writeSpeed, netIncrease});
        if (!ok)
            return false;
    }
    return transaction.commit();
}

bool CTessaneDb::getStatisticsSummary(int uid, T_StatisticsSummary& summary)
{
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select max(writeTime),max(wordCount),"
                                                 "max(writeSpeed),sum(wordCount),sum(writeTime) "
                                                 "from tb_statistics where uid = %1;"),
                                  {uid})))
        return false;
    if (query.next()) {
        summary.maxWriteTime = query.value(0).toInt();
        summary.maxWordCount = query.value(1).toInt();
        summary.maxWriteSpeed = query.value(2).toInt();
        summary.sumWordCount = query.value(3).toInt();
        summary.sumWriteTime = query.value(4).toInt();
    }
    query.finish();

    if (!sqlExec(query, sqlFormat(QStringLiteral("select date,writeTime,wordCount,writeSpeed,"
                                                 "wordCountAll,netIncrease from tb_statistics "
                                                 "where uid = %1 and date >= %2;"),
                                  {uid, summary.days.front().date})))
        return false;
    while (query.next()) {
        const QString date = query.value(0).toString();
        for (T_Statistics& day : summary.days) {
            if (day.date != date)
                continue;
            day.writeTime = query.value(1).toInt();
            day.wordCount = query.value(2).toInt();
            day.writeSpeed = query.value(3).toInt();
            day.wordCountAll = query.value(4).toInt();
            day.netIncrease = query.value(5).toInt();
        }
    }
    return true;
}

bool CTessaneDb::ensureClientStatisticsRow(int uid, const QString& date)
{
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select id from tb_client_statistics where "
                                                 "uid = %1 and date = %2;"),
                                  {uid, date})))
        return false;
    if (query.next())
        return true;
    query.finish();
    return exec(QStringLiteral("insert into tb_client_statistics(uid,date,uv) values(%1,%2,%3);"),
                {uid, date, QString::fromLatin1(kEmptyUv)});
}

bool CTessaneDb::getClientStatistics(int uid, T_ClientStatistics& c)
{
    if (c.date.isEmpty())
        return false;
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select uv from tb_client_statistics where "
                                                 "uid = %1 and date = %2;"),
                                  {uid, c.date})))
        return false;
    if (query.next()) {
        c.uv = query.value(0).toString();
        c.uvList = c.uv.split(QLatin1Char(','));
        return true;
    }
    query.finish();
    ensureClientStatisticsRow(uid, c.date);
    return true;
}

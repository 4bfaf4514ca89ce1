#include "CTessaneDb.h"

#include "CTessaneDbTransaction.h"
#include "common/Utility.h"
#include "remote/T_Http_Custom.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>

namespace {

QString compact(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// Parses a JSON object; false (and an empty object) for anything else.
bool parseObject(const QString& text, QJsonObject& out)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    out = document.object();
    return error.error == QJsonParseError::NoError && document.isObject();
}

// A stored job whose content no longer parses keeps only what is merged now;
// say so, since the older change is lost with it.
QJsonObject storedObject(int jobId, const QString& text)
{
    QJsonObject object;
    if (!parseObject(text, object))
        qWarning() << "pending job" << jobId << "holds no JSON object; its old content is replaced";
    return object;
}

int intField(const QSqlQuery& query, const QSqlRecord& record, const char* name)
{
    const int index = record.indexOf(QLatin1String(name));
    return index < 0 ? 0 : query.value(index).toInt();
}

void readJob(const QSqlQuery& query, T_JobData& out)
{
    const QSqlRecord record = query.record();
    out.uid = intField(query, record, "uid");
    out.jobId = intField(query, record, "jobId");
    out.jobType = intField(query, record, "jobType");
    out.localBookId = intField(query, record, "localBookId");
    out.bookId = intField(query, record, "bookId");
    out.localVolumeId = intField(query, record, "localVolumeId");
    out.volumeId = intField(query, record, "volumeId");
    out.localChapterId = intField(query, record, "localChapterId");
    out.chapterId = intField(query, record, "chapterId");
    out.localMemoId = intField(query, record, "localMemoId");
    out.memoId = intField(query, record, "memoId");
    const int content = record.indexOf(QStringLiteral("content"));
    out.content = content < 0 ? QString() : query.value(content).toString();
    out.createTime = intField(query, record, "createTime");
    out.ext1 = intField(query, record, "ext1");
    out.revision = intField(query, record, "revision");
    out.sent = intField(query, record, "sent");
    if (!TessaneJob::holdsChapterText(out.jobType))
        return;
    const auto adopt = [&](int& id, const char* owner) {
        const int known = intField(query, record, owner);
        if (known > 0)
            id = known;
    };
    adopt(out.bookId, "ownerBookId");
    adopt(out.volumeId, "ownerVolumeId");
    adopt(out.chapterId, "ownerChapterId");
}

// Which contents a read of job rows takes.
enum class JobContent { All, NoBatchTexts, None };

// Job rows with the platform's ids of their book, volume and chapter as
// those rows hold them (readJob). The queue's walk leaves out the texts of
// import batches, which may run to a hundred megabytes: a batch's request is
// made on a worker, which reads them itself.
QString jobRows(const QString& where, JobContent content = JobContent::All)
{
    QString column = QStringLiteral("j.content,");
    if (content == JobContent::NoBatchTexts)
        column = QStringLiteral("case when j.jobType = %1 then null else j.content end as content,")
                     .arg(TessaneJob::ChapterBatchCreate);
    else if (content == JobContent::None)
        column = QStringLiteral("null as content,");
    return QStringLiteral("select j.jobId,j.uid,j.jobType,j.localBookId,j.bookId,j.localVolumeId,j.volumeId,"
                          "j.localChapterId,j.chapterId,j.localMemoId,j.memoId,j.createTime,j.ext1,j.revision,j.sent,")
        + column
        + QStringLiteral("(select bookId from tb_book where localId = j.localBookId) as ownerBookId,"
                         "(select volumeId from tb_volume where localId = j.localVolumeId) as ownerVolumeId,"
                         "(select chapterId from tb_chapter where localId = j.localChapterId) as ownerChapterId "
                         "from tb_job j where ")
        + where;
}

}

bool CTessaneDb::startJobRecord(T_Http_Custom& identity, int* storedRevision)
{
    identity.jobId = 0;
    identity.uid = m_currentUid;
    if (storedRevision)
        *storedRevision = 0;
    if (identity.uid >= 1)
        return true;
    lastError = QStringLiteral("no signed-in author to record job type %1").arg(identity.jobType);
    qWarning() << lastError;
    return false;
}

bool CTessaneDb::addJob(T_Http_Custom& identity, const QString& content, int createTime, int ext1,
                        int* storedRevision)
{
    using namespace TessaneJob;
    if (!startJobRecord(identity, storedRevision))
        return false;

    bool ok = false;
    switch (identity.jobType) {
    case AuthorProfile:
    case SensitiveWords:
        ok = mergeUserJob(identity, content, createTime, ext1);
        break;
    case BookEdit:
        ok = updateLocalJob_Book(identity, content, createTime, ext1);
        break;
    case ChapterRename:
    case ChapterSaveText:
        ok = updateLocalJob_Chapter(identity, content, createTime, ext1);
        break;
    case OutlineEdit:
        ok = updateLocalJob_Outline(identity, content, createTime, ext1);
        break;
    case MemoColor:
    case MemoText:
    case MemoPlace:
        ok = updateLocalJob_Memo(identity, content, createTime, ext1);
        break;
    case BookDeleteHard:
    case ChapterDeleteHard:
    case MemoDelete:
    case OutlineDelete: {
        // Deleting for good makes every pending change of the object
        // pointless. An object the platform never heard of needs no request
        // either, so nothing is queued for it.
        Transaction transaction(*this);
        if (!transaction.began())
            break;
        bool reachedPlatform = true;
        bool swept = false;
        if (identity.jobType == BookDeleteHard) {
            // A create that may have reached the platform stays: the id its
            // reply or a look-up brings lets the delete follow.
            const QString column = QStringLiteral("localBookId");
            const bool maybeCreated = identity.bookId < 1 && hasSentCreate(BookAdd, column, identity.localBookId);
            swept = sweepJobs(column, identity.localBookId, maybeCreated ? BookAdd : 0);
            reachedPlatform = identity.bookId > 0 || maybeCreated;
        } else if (identity.jobType == ChapterDeleteHard) {
            const QString column = QStringLiteral("localChapterId");
            const bool maybeCreated =
                identity.chapterId < 1 && hasSentCreate(ChapterAdd, column, identity.localChapterId);
            swept = sweepJobs(column, identity.localChapterId, maybeCreated ? ChapterAdd : 0);
            reachedPlatform = identity.chapterId > 0 || maybeCreated;
        } else if (identity.jobType == MemoDelete) {
            // The kept create's reply or look-up finds the memo gone here
            // and deletes the platform's with the id it brings.
            const QString column = QStringLiteral("localMemoId");
            const bool maybeCreated = identity.memoId < 1 && hasSentCreate(MemoAdd, column, identity.localMemoId);
            swept = sweepJobs(column, identity.localMemoId, maybeCreated ? MemoAdd : 0);
            reachedPlatform = identity.memoId > 0;
        } else {
            swept = hasSentCreate(OutlineCreate, QStringLiteral("ext1"), ext1)
                        ? deleteOutlineJobsExceptCreate(ext1)
                        : deleteOutlineJobs(ext1);
        }
        if (!swept)
            break;
        if (reachedPlatform && !insertJob(identity, content, createTime, ext1))
            break;
        ok = transaction.commit();
        if (!ok)
            identity.jobId = 0;
        break;
    }
    default:
        // A book moved to the recycle bin comes back with every pending
        // change intact, so its jobs are not swept here.
        ok = insertJob(identity, content, createTime, ext1);
        break;
    }

    if (!ok) {
        qWarning() << "job type" << identity.jobType << "not recorded:" << lastError;
        identity.jobId = 0;
        return false;
    }
    if (storedRevision && identity.jobId > 0)
        *storedRevision = qMax(0, jobRevision(identity.jobId));
    return true;
}

bool CTessaneDb::sweepJobs(const QString& column, int value, int keptType)
{
    if (value < 1)
        return true;
    if (keptType == 0)
        return deleteItem(QStringLiteral("tb_job"), column, value);
    return exec(QStringLiteral("delete from tb_job where %1 = %2 and jobType <> %3;"),
                {SqlArg::name(column), value, keptType});
}

bool CTessaneDb::hasSentCreate(int jobType, const QString& column, int value)
{
    QSqlQuery query(db);
    return sqlExec(query, sqlFormat(QStringLiteral("select count(*) from tb_job where jobType = %1 and %2 = %3 "
                                                   "and sent <> 0;"),
                                    {jobType, SqlArg::name(column), value}))
        && query.next() && query.value(0).toInt() > 0;
}

namespace {

// Job types as the list an SQL "in (...)" takes.
QString typeList(const QList<int>& jobTypes)
{
    QStringList types;
    for (int type : jobTypes)
        types << QString::number(type);
    return types.join(QLatin1Char(','));
}

} // namespace

bool CTessaneDb::hasJobBefore(int localBookId, const QList<int>& jobTypes, int jobId, bool sentOnly)
{
    QSqlQuery query(db);
    return sqlExec(query, sqlFormat(QStringLiteral("select count(*) from tb_job where localBookId = %1 "
                                                   "and jobType in (") + typeList(jobTypes)
                                        + QStringLiteral(") and (%2 = 0 or jobId < %2) and (%3 = 0 or (sent <> 0 "
                                                         "and (jobType <> %4 or instr(substr(content,1,1024),'\"name\":') > 0)));"),
                                    {localBookId, jobId, int(sentOnly), TessaneJob::ChapterEdit}))
        && query.next() && query.value(0).toInt() > 0;
}

bool CTessaneDb::hasJobAfter(int localBookId, const QList<int>& jobTypes, int jobId)
{
    QSqlQuery query(db);
    return sqlExec(query, sqlFormat(QStringLiteral("select exists(select 1 from tb_job where localBookId = %1 "
                                                   "and jobType in (") + typeList(jobTypes)
                                        + QStringLiteral(") and jobId > %2);"),
                                    {localBookId, jobId}))
        && query.next() && query.value(0).toInt() > 0;
}

QList<T_WaitingJob> CTessaneDb::waitingJobsOfBook(int uid, int localBookId, const QList<int>& jobTypes,
                                                  const QList<int>& contentTypes, bool* ok)
{
    QList<T_WaitingJob> rows;
    QSqlQuery query(db);
    *ok = sqlExec(query, sqlFormat(QStringLiteral("select jobType, localVolumeId, localChapterId, chapterId, sent, "
                                                  "case when jobType in (") + typeList(QList<int>{0} + contentTypes)
                                       + QStringLiteral(") then content end from tb_job where uid = %1 "
                                                        "and localBookId = %2 and jobType in (")
                                       + typeList(jobTypes) + QStringLiteral(") order by jobId;"),
                                   {uid, localBookId}));
    while (*ok && query.next()) {
        T_WaitingJob row;
        row.jobType = query.value(0).toInt();
        row.localVolumeId = query.value(1).toInt();
        row.localChapterId = query.value(2).toInt();
        row.chapterId = query.value(3).toInt();
        row.sent = query.value(4).toInt() != 0;
        row.content = query.value(5).toString();
        rows.append(row);
    }
    return rows;
}

bool CTessaneDb::hasJobOfItsObjectBefore(int jobId, const QString& column)
{
    QSqlQuery query(db);
    return sqlExec(query, sqlFormat(QStringLiteral("select count(*) from tb_job a join tb_job b on b.jobId = %1 "
                                                   "and a.jobType = b.jobType and a.%2 = b.%2 and a.jobId < b.jobId;"),
                                    {jobId, SqlArg::name(column)}))
        && query.next() && query.value(0).toInt() > 0;
}

bool CTessaneDb::markJobSent(int jobId)
{
    // A change sent again counts from this send. A chapter edit's name given
    // after an earlier request left ("fresh") goes with this one: from now
    // on it is looked up like the rest of the job.
    return exec(QStringLiteral("update tb_job set sent = 1,content = case when jobType = %2 "
                               "and instr(substr(content,1,1024),'\"fresh\":') > 0 and json_valid(content) "
                               "then json_remove(content,'$.fresh') else content end where jobId = %1 "
                               "and (sent <> 1 or (jobType = %2 and instr(substr(content,1,1024),'\"fresh\":') > 0));"),
                {jobId, TessaneJob::ChapterEdit});
}

bool CTessaneDb::unmarkJobSent(int jobId)
{
    return exec(QStringLiteral("update tb_job set sent = 0 where jobId = %1 and sent <> 0;"), {jobId});
}

bool CTessaneDb::markJobsOvertaken(int uid, int jobType, const QString& column, int value)
{
    return exec(QStringLiteral("update tb_job set sent = 2 where sent = 1 and uid = %1 and jobType = %2 and %3 = %4;"),
                {uid, jobType, SqlArg::name(column), value});
}

bool CTessaneDb::dropChapterEditName(int jobId)
{
    // The text stays last; the job goes as a save of its text alone.
    return exec(QStringLiteral("update tb_job set content = json_remove(content,'$.name','$.was','$.fresh'),sent = 0 "
                               "where jobId = %1 and json_valid(content);"),
                {jobId});
}

bool CTessaneDb::dropChapterEditText(int jobId, int revision)
{
    // What is left holds no text: it is read as a rename from now on.
    QSqlQuery query = newQuery();
    return execBound(query,
                     QStringLiteral("update tb_job set content = json_remove(content,'$.content','$.base'),ext1 = 0 "
                                    "where jobId = ? and revision = ? and jobType = ? and json_valid(content);"),
                     {jobId, revision, TessaneJob::ChapterEdit})
           && query.numRowsAffected() > 0;
}

bool CTessaneDb::resendJobAs(int jobId, const QString& content)
{
    return exec(QStringLiteral("update tb_job set content = %1,sent = 0 where jobId = %2;"), {content, jobId});
}

bool CTessaneDb::takeIntoBookEdit(int jobId, const QJsonObject& members)
{
    T_JobData job;
    QJsonObject content;
    if (!getJobById(jobId, job) || job.jobId != jobId || !parseObject(job.content, content))
        return false;
    for (auto it = members.begin(); it != members.end(); ++it)
        content.insert(it.key(), it.value());
    return rewriteJobContent(jobId, compact(content));
}

bool CTessaneDb::insertJob(T_Http_Custom& identity, const QString& content, int createTime, int ext1)
{
    QSqlQuery query(db);
    const SqlStatement statement = sqlBind(
        QStringLiteral("insert into tb_job(uid,jobType,localBookId,bookId,localVolumeId,volumeId,"
                       "localChapterId,chapterId,localMemoId,memoId,content,createTime,ext1) "
                       "values(%1,%2,%3,%4,%5,%6,%7,%8,%9,%10,%11,%12,%13);"),
        {identity.uid, identity.jobType, identity.localBookId, identity.bookId,
         identity.localVolumeId, identity.volumeId, identity.localChapterId, identity.chapterId,
         identity.localMemoId, identity.memoId, content, createTime, ext1});
    if (!sqlExec(query, statement))
        return false;
    identity.jobId = query.lastInsertId().toInt();
    return identity.jobId > 0;
}

bool CTessaneDb::rewriteJob(int jobId, const QString& content, int createTime)
{
    return exec(QStringLiteral("update tb_job set content = %1,createTime = %2,"
                               "revision = revision + 1 where jobId = %3;"),
                {content, createTime, jobId});
}

bool CTessaneDb::rewriteJobContent(int jobId, const QString& content)
{
    // Filling in server ids changes nothing the author did: the revision
    // stays, so a reply to the same request still confirms the job.
    return updateItemStringById(QStringLiteral("tb_job"), QStringLiteral("jobId"), jobId,
                                QStringLiteral("content"), content);
}

bool CTessaneDb::mergeUserJob(T_Http_Custom& identity, const QString& content, int createTime,
                              int ext1)
{
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select jobId from tb_job where uid = %1 and "
                                                 "jobType = %2 order by jobId asc;"),
                                  {identity.uid, identity.jobType})))
        return false;
    int jobId = 0;
    while (query.next())
        jobId = query.value(0).toInt();
    query.finish();
    if (jobId < 1)
        return insertJob(identity, content, createTime, ext1);
    identity.jobId = jobId;
    return exec(QStringLiteral("update tb_job set content = %1,ext1 = ext1 + %2,"
                               "revision = revision + 1 where jobId = %3;"),
                {content, ext1, jobId});
}

bool CTessaneDb::latestPendingJob(int uid, int jobType, const QString& idColumn, int id, int* jobId,
                                  QString* content)
{
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select jobId,content from tb_job where uid = %1 "
                                                 "and jobType = %2 and %3 = %4 "
                                                 "order by jobId desc limit 1;"),
                                  {uid, jobType, SqlArg::name(idColumn), id})))
        return false;
    *jobId = 0;
    if (query.next()) {
        *jobId = query.value(0).toInt();
        *content = query.value(1).toString();
    }
    return true;
}

bool CTessaneDb::updateLocalJob_Book(T_Http_Custom& identity, const QString& content, int createTime,
                                     int ext1)
{
    QJsonObject given;
    if (!parseObject(content, given)) {
        lastError = QStringLiteral("book edit content is no JSON object");
        qWarning() << lastError << content.left(200);
        return false;
    }
    int jobId = 0;
    QString stored;
    if (!latestPendingJob(identity.uid, identity.jobType, QStringLiteral("localBookId"), identity.localBookId, &jobId, &stored))
        return false;
    if (jobId < 1)
        return insertJob(identity, content, createTime, ext1);

    identity.jobId = jobId;
    QJsonObject merged = storedObject(jobId, stored);
    // A new book's first edit, or one of an older build, names no members:
    // every one of them is this machine's, also after a later edit.
    const bool everyMember = !merged.contains(QStringLiteral("was"));
    for (const char* key : {"channelType", "cateId", "bookName", "intro", "localCover", "cateFid"}) {
        const QString name = QString::fromLatin1(key);
        if (given.contains(name))
            merged.insert(name, given.value(name));
    }
    // Every value the job replaced, of every member it changed, is one the
    // platform may hold while the job has not reached it. A member changed
    // after a request of the job that may have arrived goes as made,
    // whatever the look-up before its next send finds.
    T_JobData row;
    if (!getJobById(jobId, row))
        return false;
    const QJsonObject changed = given.value(QStringLiteral("was")).toObject();
    QJsonObject was = merged.value(QStringLiteral("was")).toObject();
    QJsonArray fresh = merged.value(QStringLiteral("fresh")).toArray();
    for (auto it = changed.begin(); it != changed.end(); ++it) {
        QJsonArray values = was.value(it.key()).toArray();
        for (const QJsonValue& value : it.value().toArray()) {
            if (!values.contains(value))
                values.append(value);
        }
        was.insert(it.key(), values);
        if (row.sent != 0 && !fresh.contains(it.key()))
            fresh.append(it.key());
    }
    if (!was.isEmpty() && !everyMember)
        merged.insert(QStringLiteral("was"), was);
    if (!fresh.isEmpty())
        merged.insert(QStringLiteral("fresh"), fresh);
    return rewriteJob(jobId, compact(merged), createTime);
}

bool CTessaneDb::updateLocalJob_Chapter(T_Http_Custom& identity, const QString& content,
                                        int createTime, int)
{
    int jobId = 0;
    QString stored;
    if (!latestPendingJob(identity.uid, TessaneJob::ChapterEdit, QStringLiteral("localChapterId"), identity.localChapterId, &jobId, &stored))
        return false;

    // Stored as a text save stores it, the text last (ext1 marks that).
    QJsonObject keys = jobId > 0 ? storedObject(jobId, stored) : QJsonObject();
    bool hasText = keys.contains(QStringLiteral("content"));
    QString text = keys.take(QStringLiteral("content")).toString();
    // A name given after a request of the job left is a change of its own,
    // sent as made rather than looked up. A text that request carried may
    // have reached the platform all the same: the job stays marked, so that
    // its text is looked at before it goes again, and the name goes as made.
    bool textSent = false;
    if (identity.jobType == TessaneJob::ChapterRename) {
        // The names the platform may hold while this one has not reached it:
        // the chapter's name before it, and every name this job carried.
        QSqlQuery row(db);
        if (!sqlExec(row, sqlFormat(QStringLiteral("select name from tb_chapter where localId = %1;"),
                                    {identity.localChapterId})))
            return false;
        QJsonArray was = keys.value(QStringLiteral("was")).toArray();
        const QString before = row.next() ? row.value(0).toString() : QString();
        if (!was.contains(before))
            was.append(before);
        keys.insert(QStringLiteral("was"), was);
        keys.insert(QStringLiteral("name"), content);
        row.finish();
        if (hasText && jobId > 0) {
            if (!sqlExec(row, sqlFormat(QStringLiteral("select sent from tb_job where jobId = %1;"), {jobId})))
                return false;
            textSent = row.next() && row.value(0).toInt() != 0;
        }
        if (textSent)
            keys.insert(QStringLiteral("fresh"), QJsonArray{QStringLiteral("name")});
    } else {
        text = content;
        hasText = true;
    }
    const QByteArray utf8Text = text.toUtf8();
    if (!writeChapterEdit(identity, jobId, keys, hasText ? &utf8Text : nullptr, createTime))
        return false;
    return identity.jobType != TessaneJob::ChapterRename || jobId < 1 || textSent || unmarkJobSent(jobId);
}

bool CTessaneDb::setChapterJobBase(int jobId, const QString& base, bool overwrite)
{
    // SQLite edits the job in place: a long chapter's text is neither read
    // back nor parsed here. A rename alone has nothing to conflict with. A
    // base added behind the text leaves the job no longer text last.
    QSqlQuery query = newQuery();
    return execBound(query,
                     QStringLiteral("update tb_job set content = json_set(content,'$.base',?),"
                                    "ext1 = case when json_type(content,'$.base') is null then 0 else ext1 end "
                                    "where jobId = ? and jobType = ? and json_valid(content) "
                                    "and json_type(content,'$.content') is not null "
                                    "and (? or json_type(content,'$.base') is null);"),
                     {base, jobId, TessaneJob::ChapterEdit, overwrite});
}

int CTessaneDb::pendingJob(int uid, int jobType, const QString& column, int localId)
{
    int jobId = 0;
    QString stored;
    if (!latestPendingJob(uid, jobType, column, localId, &jobId, &stored))
        return 0;
    return jobId;
}

int CTessaneDb::pendingNoteDelete(int uid, int jobType, int serverId)
{
    if (serverId < 1)
        return 0;
    if (jobType == TessaneJob::MemoDelete)
        return pendingJob(uid, jobType, QStringLiteral("memoId"), serverId);
    // An outline's delete names its server id in the content only.
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select jobId from tb_job where uid = %1 and jobType = %2 "
                                                 "and json_valid(content) and json_extract(content,'$.outlineId') = %3 "
                                                 "order by jobId desc limit 1;"),
                                  {uid, jobType, serverId}))
        || !query.next())
        return 0;
    return query.value(0).toInt();
}

bool CTessaneDb::noteEditReplaced(int jobId, const QString& textMd5)
{
    // The first text (what the job started from) and the newest ones: a
    // request carrying one of those may be on its way or may have arrived,
    // while the platform cannot still hold a text replaced that many edits
    // before the last request left.
    constexpr int kKept = 16;
    T_JobData job;
    if (!getJobById(jobId, job) || job.jobId != jobId)
        return false;
    QJsonObject content;
    if (!parseObject(job.content, content))
        return true;
    // Only a job just recorded (revision 0) starts the list.
    if (job.revision != 0 && !content.contains(QStringLiteral("was")))
        return true;
    QJsonArray was = content.value(QStringLiteral("was")).toArray();
    if (was.contains(textMd5))
        return true;
    was.append(textMd5);
    while (was.size() > kKept)
        was.removeAt(1);
    content.insert(QStringLiteral("was"), was);
    return rewriteJobContent(jobId, compact(content));
}

bool CTessaneDb::noteEditSent(int jobId, int revision)
{
    T_JobData job;
    if (!getJobById(jobId, job) || job.jobId != jobId)
        return false;
    QJsonObject content;
    // Rewritten since it left, or a colour or place alone: no text to keep.
    if (job.revision != revision || !parseObject(job.content, content) || !content.contains(QStringLiteral("content")))
        return true;
    const QString title = job.jobType == TessaneJob::OutlineEdit ? content.value(QStringLiteral("title")).toString()
                                                                 : QString();
    const QString textMd5 = noteTextMd5(content.value(QStringLiteral("content")).toString(), title);
    QJsonArray sent = content.value(QStringLiteral("sent")).toArray();
    if (sent.contains(textMd5))
        return true;
    sent.append(textMd5);
    content.insert(QStringLiteral("sent"), sent);
    return rewriteJobContent(jobId, compact(content));
}

bool CTessaneDb::dropMemoEditText(int jobId, int revision)
{
    QSqlQuery query = newQuery();
    if (!execBound(query,
                   QStringLiteral("update tb_job set content = json_remove(content,'$.content','$.sent','$.was') "
                                  "where jobId = ? and revision = ? and jobType = ? and json_valid(content);"),
                   {jobId, revision, TessaneJob::MemoEdit})
        || query.numRowsAffected() < 1)
        return false;
    query.finish();
    return execBound(query, QStringLiteral("delete from tb_job where jobId = ? and content = '{}';"), {jobId});
}

int CTessaneDb::lastJobId()
{
    QSqlQuery query(db);
    if (!sqlExec(query, QStringLiteral("select ifnull(max(jobId), 0) from tb_job;")) || !query.next())
        return -1;
    return query.value(0).toInt();
}

namespace {
// A save of a chapter's text, or a chapter edit job whose content holds the
// text; jobs of older builds may hold anything but JSON, which json_type
// would refuse.
const char* const kEditWithText = "(jobType = 1016 or (jobType = 1017 and case when json_valid(content) then "
                                  "json_type(content, '$.content') end is not null))";
}

bool CTessaneDb::chapterTextWaits(int localChapterId)
{
    QSqlQuery query(db);
    return !sqlExec(query, sqlFormat(QStringLiteral("select count(*) from tb_job where uid = %1 and localChapterId = %2 "
                                                    "and ") + QLatin1String(kEditWithText) + QLatin1Char(';'),
                                     {m_currentUid, localChapterId}))
           || !query.next() || query.value(0).toInt() > 0;
}

bool CTessaneDb::bookWordsWait(int localBookId)
{
    // New chapters (one by one or imported), outlines created or edited.
    QSqlQuery query(db);
    return !sqlExec(query, sqlFormat(QStringLiteral("select count(*) from tb_job where uid = %1 and localBookId = %2 "
                                                    "and (jobType in (1008,1009,1022,1023) or ")
                                         + QLatin1String(kEditWithText) + QStringLiteral(");"),
                                     {m_currentUid, localBookId}))
           || !query.next() || query.value(0).toInt() > 0;
}

bool CTessaneDb::updateLocalJob_Memo(T_Http_Custom& identity, const QString& content, int createTime,
                                     int ext1)
{
    QJsonObject place;
    if (identity.jobType == TessaneJob::MemoPlace && !parseObject(content, place)) {
        lastError = QStringLiteral("memo position content is no JSON object");
        qWarning() << lastError << content.left(200);
        return false;
    }
    int jobId = 0;
    QString stored;
    if (!latestPendingJob(identity.uid, TessaneJob::MemoEdit, QStringLiteral("localMemoId"), identity.localMemoId, &jobId, &stored))
        return false;

    static const char* const placeKeys[] = {"bookId", "localBookId", "chapterId",
                                            "localChapterId", "x", "y"};
    if (jobId > 0) {
        identity.jobId = jobId;
        QJsonObject merged = storedObject(jobId, stored);
        if (identity.jobType == TessaneJob::MemoColor) {
            merged.insert(QStringLiteral("color"), content);
        } else if (identity.jobType == TessaneJob::MemoText) {
            merged.insert(QStringLiteral("content"), content);
        } else {
            for (const char* key : placeKeys) {
                const QString name = QString::fromLatin1(key);
                merged.remove(name);
                if (place.contains(name))
                    merged.insert(name, place.value(name));
            }
        }
        return rewriteJob(jobId, compact(merged), createTime);
    }

    QJsonObject fresh;
    if (identity.jobType == TessaneJob::MemoColor)
        fresh.insert(QStringLiteral("color"), content);
    else if (identity.jobType == TessaneJob::MemoText)
        fresh.insert(QStringLiteral("content"), content);
    else
        fresh = place;
    identity.jobType = TessaneJob::MemoEdit;
    return insertJob(identity, compact(fresh), createTime, ext1);
}

bool CTessaneDb::updateLocalJob_Outline(T_Http_Custom& identity, const QString& content,
                                        int createTime, int ext1)
{
    // ext1 is the outline's local id, unique in the file, so no user filter.
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select jobId from tb_job where jobType = %1 and "
                                                 "ext1 = %2 order by jobId asc;"),
                                  {TessaneJob::OutlineEdit, ext1})))
        return false;
    int jobId = 0;
    while (query.next())
        jobId = query.value(0).toInt();
    query.finish();
    if (jobId < 1)
        return insertJob(identity, content, createTime, ext1);
    identity.jobId = jobId;
    // The texts the platform may hold while the job has not reached it stay
    // with the job (noteEditReplaced).
    T_JobData row;
    QJsonObject given;
    if (!getJobById(jobId, row))
        return false;
    QJsonObject kept;
    if (parseObject(content, given) && parseObject(row.content, kept)
        && (kept.contains(QStringLiteral("was")) || kept.contains(QStringLiteral("sent")))) {
        for (const QString& key : {QStringLiteral("was"), QStringLiteral("sent")}) {
            if (kept.contains(key))
                given.insert(key, kept.value(key));
        }
        return rewriteJob(jobId, compact(given), createTime);
    }
    return rewriteJob(jobId, content, createTime);
}

bool CTessaneDb::deleteOutlineJobs(int ext1)
{
    return exec(QStringLiteral("delete from tb_job where (jobType = %1 or jobType = %2 or "
                               "jobType = %3) and ext1 = %4;"),
                {TessaneJob::OutlineCreate, TessaneJob::OutlineEdit, TessaneJob::OutlineDelete,
                 ext1});
}

bool CTessaneDb::deleteOutlineJobsExceptCreate(int ext1)
{
    return exec(QStringLiteral("delete from tb_job where (jobType = %1 or jobType = %2) and ext1 = %3;"),
                {TessaneJob::OutlineEdit, TessaneJob::OutlineDelete, ext1});
}

bool CTessaneDb::getUserJobData(T_JobData& out, int uid)
{
    out.clear();
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(jobRows(QStringLiteral("uid = %1 and localBookId not in "
                                                         "(select localBookId from tb_import) order by jobId asc limit 1;"),
                                          JobContent::NoBatchTexts),
                                  {uid})))
        return false;
    if (!query.next())
        return true;
    readJob(query, out);
    out.uid = uid;
    qDebug().noquote() << QStringLiteral("读取未完成任务,id=") << out.jobId
                       << QStringLiteral(" type=") << out.jobType;
    return true;
}

bool CTessaneDb::getUserJobData(T_JobData& out, int uid, int afterJobId)
{
    out.clear();
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(jobRows(QStringLiteral("uid = %1 and jobId > %2 and localBookId not in "
                                                         "(select localBookId from tb_import) order by jobId asc limit 1;"),
                                          JobContent::NoBatchTexts),
                                  {uid, afterJobId})))
        return false;
    if (!query.next())
        return true;
    readJob(query, out);
    out.uid = uid;
    return true;
}

bool CTessaneDb::getJobById(int jobId, T_JobData& out, bool withContent)
{
    out.clear();
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(jobRows(QStringLiteral("jobId = %1;"), withContent ? JobContent::All : JobContent::None),
                                  {jobId})))
        return false;
    if (query.next())
        readJob(query, out);
    return true;
}

bool CTessaneDb::readChapterBatch(const QString& dbFile, int jobId, QJsonArray* chapters, bool* found)
{
    *found = false;
    *chapters = QJsonArray();
    const QString name =
        QStringLiteral("chapter batch %1").arg(reinterpret_cast<quintptr>(QThread::currentThreadId()));
    bool ok = false;
    {
        QSqlDatabase reader = QSqlDatabase::addDatabase(driverName(), name);
        reader.setDatabaseName(dbFile);
        reader.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlQuery query(reader);
        query.setForwardOnly(true);
        // One read transaction: the texts are of the moment the job was read.
        ok = reader.open() && query.exec(QStringLiteral("BEGIN;"))
            && query.prepare(QStringLiteral("select content from tb_job where jobId = ?;"));
        query.addBindValue(jobId);
        ok = ok && query.exec();
        QJsonArray listed;
        if (ok && query.next()) {
            *found = true;
            listed = QJsonDocument::fromJson(query.value(0).toString().toUtf8()).array();
        }
        const TextPlace place = ok ? textPlace(query) : TextPlace::Moved;
        ok = ok
            && query.prepare(QStringLiteral("select ") + chapterTextColumn(place)
                             + QStringLiteral(" from tb_chapter c left join tb_chapter_text t "
                                              "on t.localId = c.localId where c.localId = ?;"));
        for (int i = 0; ok && i < listed.size(); ++i) {
            QJsonObject chapter = listed.at(i).toObject();
            if (!chapter.contains(QStringLiteral("content"))) {
                query.addBindValue(chapter.value(QStringLiteral("local_id")).toInt());
                ok = query.exec();
                if (!ok || !query.next())
                    continue;
                chapter.insert(QStringLiteral("content"), query.value(0).toString());
                query.finish();
            }
            chapters->append(chapter);
        }
        if (!ok)
            qWarning() << "chapter batch" << jobId << "not read from" << dbFile << ":"
                       << (reader.isOpen() ? query.lastError().text() : reader.lastError().text());
        query = QSqlQuery();
        reader.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

int CTessaneDb::jobRevision(int jobId)
{
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select revision from tb_job where jobId = %1;"),
                                  {jobId})))
        return -1;
    return query.next() ? query.value(0).toInt() : -1;
}

bool CTessaneDb::deleteJob(int jobId)
{
    return deleteItem(QStringLiteral("tb_job"), QStringLiteral("jobId"), jobId);
}

JobConfirm CTessaneDb::deleteJob(int jobId, int sentRevision)
{
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("delete from tb_job where jobId = %1 and "
                                                 "revision = %2;"),
                                  {jobId, sentRevision})))
        return JobConfirm::Failed;
    if (query.numRowsAffected() > 0)
        return JobConfirm::Deleted;
    query.finish();
    if (!sqlExec(query, sqlFormat(QStringLiteral("select revision from tb_job where jobId = %1;"),
                                  {jobId})))
        return JobConfirm::Failed;
    if (!query.next())
        return JobConfirm::Missing;
    const int revision = query.value(0).toInt();
    qDebug() << "job" << jobId << "changed since its request left (revision" << sentRevision
             << "->" << revision << "), kept for the next run";
    return JobConfirm::KeptNewer;
}

bool CTessaneDb::deleteJobs(const QHash<int, int>& sentRevisions, QHash<int, JobConfirm>* results)
{
    if (sentRevisions.isEmpty())
        return true;
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    QHash<int, JobConfirm> outcome;
    for (auto it = sentRevisions.constBegin(); it != sentRevisions.constEnd(); ++it) {
        const JobConfirm result = deleteJob(it.key(), it.value());
        if (result == JobConfirm::Failed)
            return false;
        outcome.insert(it.key(), result);
    }
    if (!transaction.commit())
        return false;
    if (results)
        *results = outcome;
    return true;
}

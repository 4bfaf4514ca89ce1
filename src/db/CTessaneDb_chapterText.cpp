// The job of a chapter's text save, written from the chapter's row inside
// SQLite: a long chapter is converted and escaped once, for the row, and the
// job takes the same bytes as they are.

#include "CTessaneDb.h"

#include "remote/T_Http_Custom.h"

#include <QDebug>
#include <QSqlQuery>

namespace {
const QString kRowText = QStringLiteral("(select content from tb_chapter where localId = ?)");
}

bool CTessaneDb::addChapterTextJob(T_Http_Custom& identity, int createTime, int* storedRevision)
{
    using namespace TessaneJob;
    identity.jobId = 0;
    identity.uid = m_currentUid;
    if (storedRevision)
        *storedRevision = 0;
    if (identity.uid < 1) {
        lastError = QStringLiteral("no signed-in author to record job type %1").arg(identity.jobType);
        qWarning() << lastError;
        return false;
    }
    QSqlQuery query = newQuery();
    // Whether the pending edit also carries a rename is read without
    // parsing the text: a key "name" cannot be there without these bytes.
    if (!execBound(query,
                   QStringLiteral("select jobId,instr(content,'\"name\"') > 0 from tb_job where uid = ? "
                                  "and jobType = ? and localChapterId = ? order by jobId desc limit 1;"),
                   {identity.uid, ChapterEdit, identity.localChapterId}))
        return false;
    if (query.next()) {
        const int jobId = query.value(0).toInt();
        const bool keepsName = query.value(1).toBool();
        query.finish();
        // A pending content that is no JSON object is replaced, as addJob does.
        const QString merged = keepsName
            ? QStringLiteral("json_set(case when json_valid(content) and json_type(content) = 'object' "
                             "then content else '{}' end,'$.content',%1)")
                  .arg(kRowText)
            : QStringLiteral("json_object('content',%1)").arg(kRowText);
        if (!execBound(query,
                       QStringLiteral("update tb_job set content = %1,createTime = ?,"
                                      "revision = revision + 1 where jobId = ?;")
                           .arg(merged),
                       {identity.localChapterId, createTime, jobId}))
            return false;
        identity.jobId = jobId;
    } else {
        query.finish();
        identity.jobType = ChapterEdit;
        if (!execBound(query,
                       QStringLiteral("insert into tb_job(uid,jobType,localBookId,bookId,localVolumeId,"
                                      "volumeId,localChapterId,chapterId,localMemoId,memoId,content,"
                                      "createTime,ext1) values(?,?,?,?,?,?,?,?,?,?,json_object('content',%1),"
                                      "?,0);")
                           .arg(kRowText),
                       {identity.uid, identity.jobType, identity.localBookId, identity.bookId,
                        identity.localVolumeId, identity.volumeId, identity.localChapterId,
                        identity.chapterId, identity.localMemoId, identity.memoId,
                        identity.localChapterId, createTime}))
            return false;
        identity.jobId = query.lastInsertId().toInt();
        if (identity.jobId < 1) {
            lastError = QStringLiteral("chapter text job not inserted");
            return false;
        }
    }
    if (storedRevision)
        *storedRevision = qMax(0, jobRevision(identity.jobId));
    return true;
}

bool CTessaneDb::pendingChapterName(int jobId, QString* name)
{
    QSqlQuery query = newQuery();
    if (!execBound(query,
                   QStringLiteral("select json_extract(content,'$.name') from tb_job where jobId = ? "
                                  "and instr(content,'\"name\"') > 0 and json_valid(content) "
                                  "and json_type(content,'$.name') is not null;"),
                   {jobId})
        || !query.next())
        return false;
    *name = query.value(0).toString();
    return true;
}

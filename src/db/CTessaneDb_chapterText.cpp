// The job of a chapter's text save: the text is bound, never spliced into a
// statement, and the pending job is rewritten without being read, parsed and
// written out again here.

#include "CTessaneDb.h"

#include "remote/T_Http_Custom.h"

#include <QDebug>
#include <QSqlQuery>

namespace {

// {"content": text} as compact JSON. Chinese prose needs no escaping, so the
// text is scanned once and copied in stretches.
QString contentObject(const QString& text)
{
    static const char kHex[] = "0123456789abcdef";
    QString json;
    json.reserve(text.size() + text.size() / 64 + 16);
    json += QLatin1String("{\"content\":\"");
    const QChar* data = text.constData();
    int from = 0;
    for (int i = 0; i < text.size(); ++i) {
        const ushort u = data[i].unicode();
        if (u >= 0x20 && u != '"' && u != '\\')
            continue;
        json.append(data + from, i - from);
        from = i + 1;
        switch (u) {
        case '"':
            json += QLatin1String("\\\"");
            break;
        case '\\':
            json += QLatin1String("\\\\");
            break;
        case '\n':
            json += QLatin1String("\\n");
            break;
        case '\r':
            json += QLatin1String("\\r");
            break;
        case '\t':
            json += QLatin1String("\\t");
            break;
        default:
            json += QLatin1String("\\u00");
            json += QLatin1Char(kHex[u >> 4]);
            json += QLatin1Char(kHex[u & 15]);
        }
    }
    json.append(data + from, text.size() - from);
    json += QLatin1String("\"}");
    return json;
}

}

bool CTessaneDb::addChapterTextJob(T_Http_Custom& identity, const QString& text, int createTime,
                                   int* storedRevision)
{
    using namespace TessaneJob;
    if (!startJobRecord(identity, storedRevision))
        return false;
    QSqlQuery query = newQuery();
    // Whether the pending edit also carries a rename or the text it started
    // from is read without parsing the text: a key "name" or "base" cannot
    // be there without these bytes (a quote inside the text is escaped).
    if (!execBound(query,
                   QStringLiteral("select jobId,instr(content,'\"name\"') > 0 or instr(content,'\"base\"') > 0 "
                                  "from tb_job where uid = ? "
                                  "and jobType = ? and localChapterId = ? order by jobId desc limit 1;"),
                   {identity.uid, ChapterEdit, identity.localChapterId}))
        return false;
    if (query.next()) {
        const int jobId = query.value(0).toInt();
        const bool keepsName = query.value(1).toBool();
        query.finish();
        // A pending content that is no JSON object is replaced, as addJob does.
        const bool rewritten = keepsName
            ? execBound(query,
                        QStringLiteral("update tb_job set content = json_set(case when json_valid(content) "
                                       "and json_type(content) = 'object' then content else '{}' end,"
                                       "'$.content',?),createTime = ?,revision = revision + 1 "
                                       "where jobId = ?;"),
                        {text, createTime, jobId})
            : execBound(query,
                        QStringLiteral("update tb_job set content = ?,createTime = ?,"
                                       "revision = revision + 1 where jobId = ?;"),
                        {contentObject(text), createTime, jobId});
        if (!rewritten)
            return false;
        identity.jobId = jobId;
    } else {
        query.finish();
        identity.jobType = ChapterEdit;
        if (!execBound(query,
                       QStringLiteral("insert into tb_job(uid,jobType,localBookId,bookId,localVolumeId,"
                                      "volumeId,localChapterId,chapterId,localMemoId,memoId,content,"
                                      "createTime,ext1) values(?,?,?,?,?,?,?,?,?,?,?,?,0);"),
                       {identity.uid, identity.jobType, identity.localBookId, identity.bookId,
                        identity.localVolumeId, identity.volumeId, identity.localChapterId,
                        identity.chapterId, identity.localMemoId, identity.memoId, contentObject(text),
                        createTime}))
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

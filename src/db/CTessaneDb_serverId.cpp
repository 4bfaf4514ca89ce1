#include "CTessaneDb.h"

#include "CTessaneDbTransaction.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QVector>

namespace {

// One rewrite: in table, set column = server id where localColumn = local id.
// tb_job is rewritten only where its rows hold no chapter text: those of
// texts read the ids of their owners' rows (readJob), so that a server id
// never has a book's texts written again. Chapters keep their texts in
// tb_chapter_text, versions are looked up by local id and keep the ids
// they were stored with.
struct IdRewrite
{
    const char* table;
    const char* column;
    const char* localColumn;
};

QString compact(const QJsonDocument& document)
{
    return QString::fromUtf8(document.toJson(QJsonDocument::Compact));
}

}

namespace {
bool rewriteAll(CTessaneDb& db, const QVector<IdRewrite>& rewrites, int localId, int serverId)
{
    for (const IdRewrite& r : rewrites) {
        const bool ok = qstrcmp(r.table, "tb_job") == 0
            ? db.exec(QStringLiteral("update tb_job set %1 = %2 where %3 = %4 and jobType not in (")
                          + QLatin1String(TessaneJob::kChapterTextJobTypes) + QStringLiteral(");"),
                      {SqlArg::name(QString::fromLatin1(r.column)), serverId,
                       SqlArg::name(QString::fromLatin1(r.localColumn)), localId})
            : db.updateItemById(QString::fromLatin1(r.table), QString::fromLatin1(r.localColumn), localId,
                                QString::fromLatin1(r.column), serverId);
        if (!ok)
            return false;
    }
    return true;
}
}

bool CTessaneDb::makeBookLocalOnly(int localBookId)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    if (!rewriteAll(*this,
                    {{"tb_book", "bookId", "localId"},
                     {"tb_volume", "bookId", "localBookId"},
                     {"tb_volume", "volumeId", "localBookId"},
                     {"tb_chapter", "bookId", "localBookId"},
                     {"tb_chapter", "volumeId", "localBookId"},
                     {"tb_chapter", "chapterId", "localBookId"},
                     {"tb_outline", "bookId", "localBookId"},
                     {"tb_outline", "outlineId", "localBookId"}},
                    localBookId, 0))
        return false;
    if (!exec(QStringLiteral("delete from tb_job where localBookId = %1;"), {localBookId}))
        return false;
    return transaction.commit();
}

bool CTessaneDb::makeChapterLocalOnly(int localChapterId)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    if (!rewriteAll(*this,
                    {{"tb_chapter", "chapterId", "localId"},
                     {"tb_memo", "chapterId", "localChapterId"}},
                    localChapterId, 0))
        return false;
    if (!exec(QStringLiteral("delete from tb_job where localChapterId = %1;"), {localChapterId}))
        return false;
    return transaction.commit();
}

bool CTessaneDb::makeOutlineLocalOnly(int localOutlineId)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    if (!rewriteAll(*this, {{"tb_outline", "outlineId", "localId"}}, localOutlineId, 0))
        return false;
    // Its moves name it by local id and take the new id with its create.
    if (!exec(QStringLiteral("delete from tb_job where jobType in (%1,%2,%3) and ext1 = %4;"),
              {TessaneJob::OutlineCreate, TessaneJob::OutlineEdit, TessaneJob::OutlineDelete, localOutlineId}))
        return false;
    return transaction.commit();
}

bool CTessaneDb::makeMemoLocalOnly(int localMemoId)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    if (!rewriteAll(*this, {{"tb_memo", "memoId", "localId"}}, localMemoId, 0))
        return false;
    if (!exec(QStringLiteral("delete from tb_job where localMemoId = %1;"), {localMemoId}))
        return false;
    return transaction.commit();
}

bool CTessaneDb::setBookServerId(int localBookId, int bookId)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    // Outlines are included: a book created offline must be able to store
    // the outline changes made before its id arrived.
    if (!rewriteAll(*this,
                    {{"tb_book", "bookId", "localId"},
                     {"tb_volume", "bookId", "localBookId"},
                     {"tb_chapter", "bookId", "localBookId"},
                     {"tb_job", "bookId", "localBookId"},
                     {"tb_memo", "bookId", "localBookId"},
                     {"tb_outline", "bookId", "localBookId"}},
                    localBookId, bookId))
        return false;
    return transaction.commit();
}

bool CTessaneDb::setVolumeServerId(int localVolumeId, int volumeId)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    if (!rewriteAll(*this,
                    {{"tb_volume", "volumeId", "localId"},
                     {"tb_chapter", "volumeId", "localVolumeId"},
                     {"tb_job", "volumeId", "localVolumeId"}},
                    localVolumeId, volumeId))
        return false;
    return transaction.commit();
}

bool CTessaneDb::setChapterServerId(int localChapterId, int chapterId)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    if (!rewriteAll(*this,
                    {{"tb_chapter", "chapterId", "localId"},
                     {"tb_job", "chapterId", "localChapterId"},
                     {"tb_memo", "chapterId", "localChapterId"}},
                    localChapterId, chapterId))
        return false;
    if (!fixMoveJobChapterIds(localChapterId, chapterId))
        return false;
    return transaction.commit();
}

bool CTessaneDb::setChapterServerIds(const QVector<QPair<int, int>>& ids)
{
    if (ids.isEmpty())
        return true;
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    for (const QPair<int, int>& id : ids) {
        if (!setChapterServerId(id.first, id.second))
            return false;
    }
    return transaction.commit();
}

bool CTessaneDb::setMemoServerId(int localMemoId, int memoId)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    if (!rewriteAll(*this, {{"tb_memo", "memoId", "localId"}, {"tb_job", "memoId", "localMemoId"}},
                    localMemoId, memoId))
        return false;
    return transaction.commit();
}

bool CTessaneDb::fixMoveJobChapterIds(int localChapterId, int chapterId)
{
    // A chapter order job names the moved chapter's local id in createTime
    // and the chapter it is placed against in ext1.
    QSqlQuery query(db);
    if (!sqlExec(query, sqlFormat(QStringLiteral("select jobId,ext1,content from tb_job where "
                                                 "jobType = %1 and ( createTime = %2 or ext1 = %2);"),
                                  {TessaneJob::ChapterOrder, localChapterId})))
        return false;
    struct Row
    {
        int jobId;
        int ext1;
        QString content;
    };
    QVector<Row> rows;
    while (query.next())
        rows.append({query.value(0).toInt(), query.value(1).toInt(), query.value(2).toString()});
    query.finish();

    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    for (const Row& row : rows) {
        const QJsonDocument document = QJsonDocument::fromJson(row.content.toUtf8());
        QJsonArray moves = document.array();
        if (!document.isArray() || moves.isEmpty()) {
            if (!document.isArray())
                qWarning() << "chapter order job" << row.jobId << "holds no JSON array; left as is";
            continue;
        }
        QJsonObject first = moves.at(0).toObject();
        first.insert(row.ext1 == localChapterId ? QStringLiteral("to_chapter_id")
                                                : QStringLiteral("from_chapter_id"),
                     chapterId);
        moves.replace(0, first);
        if (!rewriteJobContent(row.jobId, compact(QJsonDocument(moves))))
            return false;
    }
    return transaction.commit();
}

bool CTessaneDb::updateAllOfOutline(int localOutlineId, int outlineId)
{
    Transaction transaction(*this);
    if (!transaction.began())
        return false;
    if (!exec(QStringLiteral("update tb_outline set outlineId = %1 where localId = %2;"),
              {outlineId, localOutlineId}))
        return false;

    struct Row
    {
        int jobId;
        QString content;
    };
    auto readRows = [this](const QString& statement, QVector<Row>& rows) {
        QSqlQuery query(db);
        if (!sqlExec(query, statement))
            return false;
        while (query.next())
            rows.append({query.value(0).toInt(), query.value(1).toString()});
        return true;
    };
    auto parse = [](const Row& row, QJsonObject& object) {
        const QJsonDocument document = QJsonDocument::fromJson(row.content.toUtf8());
        if (!document.isObject()) {
            qWarning() << "outline job" << row.jobId << "holds no JSON object; left as is";
            return false;
        }
        object = document.object();
        return true;
    };

    // Edits and deletions of the outline itself. The create job is the one
    // whose reply brought the id, so it is not touched.
    QVector<Row> own;
    if (!readRows(sqlFormat(QStringLiteral("select jobId,content from tb_job where (jobType = %1 "
                                           "or jobType = %2) and ext1 = %3;"),
                            {TessaneJob::OutlineEdit, TessaneJob::OutlineDelete, localOutlineId}),
                  own))
        return false;
    for (const Row& row : own) {
        QJsonObject object;
        if (!parse(row, object))
            continue;
        object.insert(QStringLiteral("outlineId"), outlineId);
        const QString content = compact(QJsonDocument(object));
        qDebug() << "outline job" << row.jobId << "now" << content;
        if (!rewriteJobContent(row.jobId, content))
            return false;
    }

    // Moves name both outlines by local id in their content.
    QVector<Row> moves;
    if (!readRows(sqlFormat(QStringLiteral("select jobId,content from tb_job where jobType = %1;"),
                            {TessaneJob::OutlineMove}),
                  moves))
        return false;
    for (const Row& row : moves) {
        QJsonObject object;
        if (!parse(row, object))
            continue;
        bool changed = false;
        if (object.value(QStringLiteral("from_localId")).toInt() == localOutlineId) {
            object.insert(QStringLiteral("outlineId_from"), outlineId);
            changed = true;
        }
        if (object.value(QStringLiteral("to_localId")).toInt() == localOutlineId) {
            object.insert(QStringLiteral("outlineId_to"), outlineId);
            changed = true;
        }
        if (!changed)
            continue;
        const QString content = compact(QJsonDocument(object));
        qDebug() << "outline move job" << row.jobId << "now" << content;
        if (!rewriteJobContent(row.jobId, content))
            return false;
    }
    return transaction.commit();
}

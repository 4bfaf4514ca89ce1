// The job of a chapter's text save. The text is bound, never spliced into a
// statement, and it stands last in the job's JSON: what a save carries over
// (a waiting rename, the text the edit started from) is read from the first
// characters of the pending job, so a long chapter's pending text is neither
// parsed nor scanned.

#include "CTessaneDb.h"

#include "CTessaneDbTransaction.h"
#include "CTessaneDbTurns.h"
#include "T_ChapterTextSave.h"
#include "common/Utility.h"
#include "remote/T_Http_Custom.h"

#include <QDebug>
#include <QJsonDocument>
#include <QSqlQuery>

#include <cstring>

namespace {

// How much of a pending job is read for the keys ahead of its text; a job
// whose keys run longer is read as one written by an older build.
constexpr int kHeadChars = 1024;

const char kTextKey[] = "\"content\":\"";

// Bytes that JSON wants escaped: controls, the quote and the backslash. No
// byte of a multi-byte UTF-8 character is one of them.
bool needsEscape(uchar c)
{
    return c < 0x20 || c == '"' || c == '\\';
}

// Whether any of eight bytes needs escaping; never false when one does.
bool anyNeedsEscape(quint64 word)
{
    constexpr quint64 ones = 0x0101010101010101ULL;
    constexpr quint64 highs = 0x8080808080808080ULL;
    const auto hasZero = [](quint64 v) { return ((v - ones) & ~v & highs) != 0; };
    return ((word - 0x20 * ones) & ~word & highs) != 0 || hasZero(word ^ ('"' * ones))
        || hasZero(word ^ ('\\' * ones));
}

// Appends UTF-8 text as the inside of a JSON string. Prose rarely needs
// escaping: eight bytes are checked at a time and copied in stretches.
void appendJsonString(QByteArray& json, const QByteArray& text)
{
    static const char kHex[] = "0123456789abcdef";
    const char* data = text.constData();
    const int size = text.size();
    int from = 0;
    int i = 0;
    while (i < size) {
        if (i + 8 <= size) {
            quint64 word;
            std::memcpy(&word, data + i, sizeof word);
            if (!anyNeedsEscape(word)) {
                i += 8;
                continue;
            }
        }
        const uchar c = static_cast<uchar>(data[i]);
        if (needsEscape(c)) {
            json.append(data + from, i - from);
            from = i + 1;
            switch (c) {
            case '"':
                json += "\\\"";
                break;
            case '\\':
                json += "\\\\";
                break;
            case '\n':
                json += "\\n";
                break;
            case '\r':
                json += "\\r";
                break;
            case '\t':
                json += "\\t";
                break;
            default:
                json += "\\u00";
                json += kHex[c >> 4];
                json += kHex[c & 15];
            }
        }
        ++i;
    }
    json.append(data + from, size - from);
}

// The keys as compact JSON, followed by the UTF-8 text as "content" when
// there is one.
QByteArray textLastObject(const QJsonObject& keys, const QByteArray* text)
{
    const QByteArray head = QJsonDocument(keys).toJson(QJsonDocument::Compact);
    if (text == nullptr)
        return head;
    QByteArray json;
    json.reserve(head.size() + text->size() + text->size() / 64 + 16);
    json.append(head.constData(), head.size() - 1);
    if (!keys.isEmpty())
        json += ',';
    json += kTextKey;
    appendJsonString(json, *text);
    json += "\"}";
    return json;
}

// The keys ahead of the text of a job written by textLastObject, from the
// first characters of its content (all of them when whole); false when
// these do not hold every key.
bool keysAhead(const QString& start, bool whole, QJsonObject* keys)
{
    // The first '"content":"' is the key itself: a quote inside a value is
    // escaped, so the sequence cannot stand in one.
    const int at = start.indexOf(QLatin1String(kTextKey));
    QString head;
    if (at > 0 && (start.at(at - 1) == QLatin1Char('{') || start.at(at - 1) == QLatin1Char(','))) {
        head = start.left(at);
        if (head.endsWith(QLatin1Char(',')))
            head.chop(1);
        head += QLatin1Char('}');
    } else if (at < 0 && whole) {
        head = start;
    } else {
        return false;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(head.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    *keys = document.object();
    keys->remove(QStringLiteral("content"));
    return true;
}

}

bool CTessaneDb::pendingChapterEdit(int localChapterId, T_ChapterEditHead* pending)
{
    using namespace TessaneJob;
    *pending = T_ChapterEditHead();
    QSqlQuery query = newQuery();
    if (!execBound(query,
                   QStringLiteral("select jobId,revision,ext1,case when ext1 = ? then substr(content,1,?) end "
                                  "from tb_job where uid = ? and jobType = ? and localChapterId = ? "
                                  "order by jobId desc limit 1;"),
                   {ChapterEditTextLast, kHeadChars, m_currentUid, ChapterEdit, localChapterId}))
        return false;
    if (!query.next())
        return true;
    pending->jobId = query.value(0).toInt();
    pending->revision = query.value(1).toInt();
    const bool textLast = query.value(2).toInt() == ChapterEditTextLast;
    const QString start = query.value(3).toString();
    query.finish();
    // Fewer characters than asked for (SQLite counts a character where Qt
    // may count two) are the whole content.
    if (textLast && keysAhead(start, start.size() < kHeadChars, &pending->keys))
        return true;

    // Written by an older build, its keys may follow the text: SQLite's JSON
    // functions take them out, once, and this save stores the job text last.
    if (!execBound(query,
                   QStringLiteral("select case when json_valid(content) and json_type(content) = 'object' "
                                  "then json_remove(content,'$.content') end from tb_job where jobId = ?;"),
                   {pending->jobId}))
        return false;
    if (!query.next()) {
        lastError = QStringLiteral("pending chapter edit %1 not read again").arg(pending->jobId);
        return false;
    }
    // A pending content that is no JSON object is replaced, as addJob does.
    if (query.value(0).isNull())
        qWarning() << "pending job" << pending->jobId << "holds no JSON object; its old content is replaced";
    else
        pending->keys = QJsonDocument::fromJson(query.value(0).toString().toUtf8()).object();
    return true;
}

bool CTessaneDb::addChapterTextJob(T_Http_Custom& identity, const T_ChapterEditHead& pending,
                                   const QByteArray& utf8Text, int createTime, int* storedRevision, bool sent)
{
    if (!startJobRecord(identity, storedRevision))
        return false;
    if (!writeChapterEdit(identity, pending.jobId, pending.keys, &utf8Text, createTime, sent))
        return false;
    // The rewrite raised the revision read with the pending job by one; a new
    // job starts at 0.
    if (storedRevision && pending.jobId > 0)
        *storedRevision = pending.revision + 1;
    return true;
}

bool CTessaneDb::writeChapterEdit(T_Http_Custom& identity, int jobId, const QJsonObject& keys,
                                  const QByteArray* utf8Text, int createTime, bool sent)
{
    using namespace TessaneJob;
    // Bound as UTF-8 bytes and stored as text: SQLite converts nothing.
    const QByteArray content = textLastObject(keys, utf8Text);
    QSqlQuery query = newQuery();
    if (jobId > 0) {
        identity.jobId = jobId;
        return execBound(query,
                         QStringLiteral("update tb_job set content = cast(? as text),createTime = ?,ext1 = ?,"
                                        "revision = revision + 1,sent = case when ? then 1 else sent end "
                                        "where jobId = ?;"),
                         {content, createTime, ChapterEditTextLast, int(sent), jobId});
    }
    identity.jobType = ChapterEdit;
    if (!execBound(query,
                   QStringLiteral("insert into tb_job(uid,jobType,localBookId,bookId,localVolumeId,"
                                  "volumeId,localChapterId,chapterId,localMemoId,memoId,content,"
                                  "createTime,ext1,sent) values(?,?,?,?,?,?,?,?,?,?,cast(? as text),?,?,?);"),
                   {identity.uid, identity.jobType, identity.localBookId, identity.bookId, identity.localVolumeId,
                    identity.volumeId, identity.localChapterId, identity.chapterId, identity.localMemoId,
                    identity.memoId, content, createTime, ChapterEditTextLast, int(sent)}))
        return false;
    identity.jobId = query.lastInsertId().toInt();
    if (identity.jobId < 1) {
        lastError = QStringLiteral("chapter edit job not inserted");
        return false;
    }
    return true;
}

bool CTessaneDb::storeChapterText(T_ChapterTextSave& save)
{
    save.stored = false;
    const auto failed = [&](const char* what) {
        save.error = lastError;
        save.fault = m_lastFault;
        qWarning().noquote() << what << ":" << lastError;
        return false;
    };
    // The text stays in the editor until it is stored, and the next tick
    // tries again: a save that cannot have the write lock at once (an
    // import between two turns) does not hold the window for it.
    const BriefWait brief(*this);
    Transaction transaction(*this);
    if (!transaction.began())
        return failed("chapter save not begun");
    const int localChapterId = save.header.localChapterId;
    if (!pendingChapterEdit(localChapterId, &save.pending))
        return failed("chapter's waiting edit not read");
    // The first save of a waiting edit names the text it started from:
    // what the platform holds as far as this copy knows, the text before
    // this one. Later saves keep it.
    if (save.pending.base().isEmpty())
        save.pending.keys.insert(QStringLiteral("base"), bytesMd5(save.replacedText.toUtf8()));
    // A name given after an earlier request left goes with this one: from
    // now on it is looked up like the rest of the job.
    if (save.goesAtOnce)
        save.pending.keys.remove(QStringLiteral("fresh"));
    const QByteArray utf8 = save.text.toUtf8();
    if (!updateChapterText(localChapterId, utf8, save.wordCount, save.updateTime))
        return failed("chapter text not stored");
    if (!updateBookLastEditChapter(save.header.localBookId, localChapterId))
        return failed("last edited chapter not stored");
    if (!addChapterTextJob(save.header, save.pending, utf8, save.updateTime, &save.revision, save.goesAtOnce))
        return failed("job not recorded");
    if (!transaction.commit()) {
        save.header.jobId = 0;
        return failed("chapter save not committed");
    }
    save.stored = true;
    return true;
}
